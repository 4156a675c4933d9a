#pragma once

#include "host/commandline.h"

namespace ostrel {

class SettingsStore;
class SqliteSettingsStore;
struct LaunchOutcome;
struct PreparedLaunch;

/// The modes of quillon without a window: help, version, the stored names, a launch, a
/// restore, the installs of the game and a TC's desktop shortcut, on standard output (what was asked for) and standard error ("quillon: ...").
/// Needs a QCoreApplication, never a display.
class ConsoleRun
{
public:
    explicit ConsoleRun(const CommandLine &line);

    /// Runs the mode and returns the exit status (see exitstatus.h).
    int exec();

    /// Writes a message to standard error, each of its lines as "quillon: LINE".
    static void say(const QString &text);
    /// Writes text to standard output as it is.
    static void out(const QString &text);
    /// text on one line whatever it holds (a backslash as \\, a line break as \n, a tab as \t,
    /// other control characters as \xHH), as printf's %b reads it back.
    static QString oneLine(const QString &text);

private:
    static bool onTerminal();
    static bool agrees(const QString &question);
    bool storeReadable(const SqliteSettingsStore &store) const;
    static void removeUnfinishedInstalls(SettingsStore &store);
    int list();
    int launch();
    int askBeforeLaunching(const PreparedLaunch &prepared, bool onlyForGood) const;
    int reportOutcome(const LaunchOutcome &outcome, int signal) const;
    int restore();
    // The game's installs and the TCs' shortcuts (consolerun_games.cpp)
    int findGames();
    static void useLikeliestInstall(HostSettings &settings);
    int createShortcut();
    int addTc(); // consolerun_add.cpp

    CommandLine m_line;
};

} // namespace ostrel
