#pragma once

#include "host/commandline.h"

namespace ostrel {

class SettingsStore;
class SqliteSettingsStore;
struct LaunchOutcome;
struct PreparedLaunch;

/// The modes of quillon without a window: help, version, the stored names, a launch and a
/// restore, on standard output (what was asked for) and standard error ("quillon: ...").
/// Needs a QCoreApplication, never a display.
class ConsoleRun
{
public:
    explicit ConsoleRun(const CommandLine &line);

    /// Runs the mode and returns the exit status (see exitstatus.h).
    int exec();

    /// Writes a message to standard error, each of its lines as "quillon: LINE".
    static void say(const QString &text);

private:
    static void out(const QString &text);
    static bool onTerminal();
    static bool agrees(const QString &question);
    bool storeReadable(const SqliteSettingsStore &store) const;
    static void removeUnfinishedInstalls(SettingsStore &store);
    int list();
    int launch();
    int askBeforeLaunching(const PreparedLaunch &prepared, bool onlyForGood) const;
    int reportOutcome(const LaunchOutcome &outcome, int signal) const;
    int restore();
    int addTc(); // consolerun_add.cpp

    CommandLine m_line;
};

} // namespace ostrel
