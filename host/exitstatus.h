#pragma once

namespace ostrel {

/// quillon's exit statuses, which scripts rely on (listed in --help and the README).
enum ExitStatus {
    kExitSuccess = 0,
    kExitGameFailed = 1,      ///< the game ran and exited with an error (or crashed)
    kExitBadUsage = 2,        ///< the command line or a TC script file is wrong
    kExitStoreUnreadable = 3, ///< the settings store cannot be read
    kExitNoSuchTc = 4,        ///< no such TC, or the name is ambiguous
    kExitRefused = 5,         ///< the launch was refused or declined
    kExitEngineNotStarted = 6, ///< the engine is missing or could not be started
    kExitNotRestored = 7,     ///< a journal could not be fully restored
    /// Plus the signal's number, as a shell counts it (130 for SIGINT, 143 for SIGTERM, 129 for
    /// SIGHUP): the launch was interrupted, the game ended and the directory given back.
    kExitInterrupted = 128,
};

} // namespace ostrel
