#pragma once

#include <QString>

namespace ostrel {

/// quillon's exit statuses, which scripts rely on; kExitStatuses says what each means, for --help.
enum ExitStatus {
    kExitSuccess = 0,
    kExitGameFailed = 1,
    kExitBadUsage = 2,
    kExitStoreUnreadable = 3,
    kExitNoSuchTc = 4,
    kExitRefused = 5,
    kExitEngineNotStarted = 6,
    kExitNotRestored = 7,
    kExitNotWritten = 8,
    /// Plus the signal's number, as a shell counts it.
    kExitInterrupted = 128,
};

struct ExitStatusMeaning {
    const char16_t *status;
    const char16_t *meaning;
};

/// What each status means, in the order of --help.
inline constexpr ExitStatusMeaning kExitStatuses[] = {
    {u"0", u"success"},
    {u"1", u"the game ran and exited with an error, or crashed"},
    {u"2",
        u"a TC script file or the command line is wrong (an --arguments template that no TC could fill, and "
        u"an --add-tc file that is not there, included)"},
    {u"3", u"the settings store cannot be read, or the one --store names does not exist"},
    {u"4", u"no such TC, or the name is ambiguous"},
    {u"5",
        u"the launch was refused (the game directory, the group file, files gone, an unknown clean-up "
        u"preference, an earlier launch not given back, the shareware game, a TC made for another version "
        u"without a terminal to ask, ...) or declined; likewise the add of a TC (an archive that is damaged, "
        u"protected or hostile, no group file, a name taken, ...)"},
    {u"6", u"the engine is not installed or could not be started"},
    {u"7", u"a game directory could not be fully given back (what was not is printed)"},
    {u"8", u"the desktop shortcut could not be made or written"},
    {u"128 + N",
        u"interrupted by signal N while the game ran (130: Ctrl+C, 143: SIGTERM, 129: the terminal "
        u"closed); the game was ended and the directory given back"},
};

} // namespace ostrel
