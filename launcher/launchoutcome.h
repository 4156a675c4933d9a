#pragma once

#include "launcher/launchjournal.h"

#include <QString>

#include <optional>

namespace ostrel {

/// How a launch ended, told once: how the game ended (or why it did not start), and what the
/// give-back did.
struct LaunchOutcome {
    enum class End {
        Ended,           ///< the game exited with status 0
        ExitedWithError, ///< a status other than 0 (exitCode)
        Crashed,         ///< killed by a signal of its own
        FailedToStart,   ///< the engine could not be run (failure says why)
        Stopped,         ///< ended by Launcher::stop(), or with the launcher
    };

    QString label; ///< the TC's name
    End end = End::Ended;
    int exitCode = 0;
    QString failure;
    QString logPath;
    /// What the give-back did; none when the launch was told to leave the game directory as the
    /// game left it.
    std::optional<RestoreReport> restore;
};

} // namespace ostrel
