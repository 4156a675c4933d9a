#pragma once

#include "host/hostwindow.h"
#include "host/pathdialogs.h"

#include "tests/support/formtesting.h"
#include "tests/support/printers.h"
#include "tests/support/sandbox.h"
#include "tests/support/testfiles.h"

#include <store/tcdefinition.h>

#include <QByteArray>
#include <QList>
#include <QMultiMap>
#include <QProcessEnvironment>
#include <QString>

#include <deque>
#include <memory>
#include <optional>
#include <ostream>

class QComboBox;
class QListWidget;
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

/// How a quillon process ended (status -1: not by itself) and what it said.
struct QuillonRun {
    int status = -1;
    QString out;
    QString err;
};
std::ostream &operator<<(std::ostream &out, const QuillonRun &run);

/// Runs quillon in env without a terminal, in a process group of its own, so that a run that
/// does not end within timeoutMs fails the test and is ended with the game it started.
QuillonRun quillon(const QProcessEnvironment &env, const QStringList &arguments, int timeoutMs = 60000,
    const QString &workingFolder = {});
inline QuillonRun quillon(const LaunchScene &scene, const QStringList &arguments)
{
    return quillon(scene.quillonEnvironment(), arguments);
}

/// Answers the folder, program and archive pickers with the queued paths in turn; Cancel once
/// none is left.
struct AnsweredPaths : PathDialogs {
    std::optional<QString> chooseFolder(QWidget *, const QString &, const QString &) override { return next(); }
    std::optional<QString> chooseProgram(QWidget *, const QString &, const QString &) override { return next(); }
    std::optional<QString> chooseArchive(QWidget *, const QString &, const QString &) override { return next(); }
    std::optional<QString> next() { return answers.isEmpty() ? std::nullopt : std::optional(answers.takeFirst()); }
    QStringList answers;
};

/// The texts of a list's shown items, and of a drop-down list's items.
QStringList itemsOf(QListWidget *list);
QStringList itemsOf(QComboBox *box);

/// The launcher window on the scene's store, shown once the search for the game's installs has
/// ended, with every dialog answered by the test.
struct QuillonWindow {
    /// answers: the player's answers to the questions asked at start-up.
    explicit QuillonWindow(const LaunchScene &scene, std::deque<bool> answers = {});

    template<typename T>
    T *find(const QString &name)
    {
        return child<T>(&window, name);
    }
    /// Clicks the TC in the panel's list.
    void choose(const QString &tc);
    void launch();
    QString status();
    /// Waits until the status says the game directory was given back.
    bool backAsItWas();
    QStringList messages() const { return fakes.messages->log(); }

    Fakes fakes;
    std::shared_ptr<AnsweredPaths> paths = std::make_shared<AnsweredPaths>();
    HostWindow window;
};

} // namespace ostrel::test
