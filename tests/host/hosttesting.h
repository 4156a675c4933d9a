#pragma once

#include "tests/support/printers.h"
#include "tests/support/sandbox.h"
#include "tests/support/testfiles.h"

#include <store/tcdefinition.h>

#include <QByteArray>
#include <QList>
#include <QMultiMap>
#include <QProcessEnvironment>
#include <QString>

#include <optional>

class QProcess;

namespace ostrel::test {

/// A sandbox with a game directory and a TC whose folder and group file names hold what a
/// shell would mangle (spaces, quotes, $( ), a newline), and a store file that holds it.
///
/// The game directory holds the game's group, a leftover map and con that the TC's own
/// override, and a file of the player's that nothing touches.
class LaunchScene : public Sandbox
{
public:
    LaunchScene();

    QString storePath() const { return file(QStringLiteral("config/ostrel/settings.sqlite3")); }
    QString recordPath() const { return file(QStringLiteral("record")); }
    QString trashFiles() const { return dataHome() + QStringLiteral("/Trash/files"); }

    QString gameDir;
    QString tcDir;
    TcDefinition tc; ///< "Odd TC"
    /// tc under another name.
    TcDefinition tcNamed(const QString &name) const;
    /// The custom engine's arguments of every launch in the tests.
    static QString argumentTemplate();
    /// What the fake engine must receive for tc, given argumentTemplate().
    QList<QByteArray> expectedArguments() const;

    /// Stores tc (and extra definitions), the clean-up preference and, unless told not to,
    /// the host's settings for the fake engine as a custom engine on gameDir.
    void fillStore(const QList<TcDefinition> &extra = {}, const QString &preference = QStringLiteral("Rename"),
        bool hostSettings = true) const;

    /// What the fake engine recorded: "arg", "cwd", "pid" and "entry" facts, arguments in order.
    QMultiMap<QByteArray, QByteArray> record() const;
    QList<QByteArray> recordedArguments() const;

    /// quillon's environment on the scene without a display; the fake engine waits sleepMs.
    QProcessEnvironment quillonEnvironment(int sleepMs = 0) const;
    /// Starts quillon --launch "Odd TC" --yes, in a process group of its own, with the engine
    /// waiting sleepMs and returns what it said up to "the game runs" (and the engine's record
    /// written), or until it stopped talking.
    QByteArray launchUntilTheGameRuns(QProcess &quillon, int sleepMs) const;
};

/// The game of a quillon killed while it ran, as a crash would: the game goes on running until
/// end(), or the end of the test.
class OrphanedGame
{
public:
    OrphanedGame(const LaunchScene &scene, int sleepMs);
    ~OrphanedGame() { end(); }

    /// The game's PID; 0 when the launch did not get that far.
    qint64 pid() const { return m_pid; }
    /// Ends the game with SIGKILL and waits until it has gone, or is a zombie nobody reaps.
    bool end();

private:
    qint64 m_pid = 0;
    std::optional<quint64> m_startTime;
};

} // namespace ostrel::test
