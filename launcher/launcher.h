#pragma once

#include "launcher/launchjournal.h"
#include "launcher/launchoutcome.h"
#include "launcher/launchpolicy.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class QLockFile;
class QProcess;
class QTimer;

namespace ostrel {

class SettingsStore;
class Trash;

/// The launcher that every front uses: it works a launch out from a stored TC, applies the
/// clean-up (journaled), starts the engine with its output in a log, and gives the game
/// directory back when the game ends, or when asked. It tells one outcome per launch, and
/// whether a launch is waiting to be given back.
///
/// Only one launch runs at a time across programs: a lock file in the state folder is held
/// from the clean-up to the end of the give-back. A launch not given back (one that crashed, or
/// was told to leave its changes) blocks new launches until it is.
class Launcher : public QObject
{
    Q_OBJECT

public:
    /// store and trash must outlive the launcher. stateDir holds the journal, the lock, logs/ and
    /// the identified main groups (MainGroupCache::fileIn).
    Launcher(SettingsStore &store, Trash &trash, const QString &stateDir = LaunchJournal::defaultStateDir(),
        QObject *parent = nullptr);
    /// A game still running is ended, and the directory given back unless told otherwise.
    ~Launcher() override;

    /// The stored TC called tcName, worked out for the game directory and engine of setup, or
    /// why it cannot be launched. Changes nothing.
    StoredLaunch prepare(const QString &tcName, const LaunchSetup &setup) const;

    /// Whether the game directory is given back as soon as the game ends or fails to start
    /// (default true). When false, restore() gives it back.
    void setRestoreOnExit(bool restore) { m_restoreOnExit = restore; }

    /// Applies the prepared clean-up and starts the engine. Returns false, with the reason, when
    /// the launch did not get as far as starting the engine; the game directory is then as it
    /// was. mode must be RemoveForGood only when the player agreed to lose the files.
    bool start(const PreparedLaunch &launch, DeleteMode mode = DeleteMode::ToTrash, QString *error = nullptr);
    bool isRunning() const;
    /// Ends the running game; ended() follows, after the give-back.
    void stop();

    /// Gives the game directory back from the journal (also one left by an earlier program).
    /// Refused while a game runs on it, also one started by an earlier program that died
    /// (RestoreReport::gameStillRunning).
    RestoreReport restore();

    /// The launch waiting to be given back, as last seen: read at construction and after every
    /// change this launcher makes, and watched while its game (of an earlier program) runs.
    const std::optional<PendingJournal> &pending() const { return m_pending; }

    /// Where the engines' logs go: stateDir/logs.
    QString logFolder() const;
    /// The log of the last launch, also of an earlier program (as found at construction); empty
    /// when there is none.
    QString lastLogPath() const;

Q_SIGNALS:
    /// The engine runs; its output goes to logPath.
    void started(const QString &label, const QString &logPath);
    /// The game has ended (or did not start); the give-back, if any, follows at once.
    void gameEnded();
    /// The launch is over: how the game ended and what the give-back did.
    void ended(const ostrel::LaunchOutcome &outcome);
    /// pending() changed.
    void pendingChanged();

private:
    bool lock(QString *error);
    void unlock();
    bool recordEngine(QString *error);
    void finishLaunch(LaunchOutcome outcome);
    void refreshPending();

    SettingsStore &m_store;
    Trash &m_trash;
    QString m_stateDir;
    LaunchJournal m_journal;
    std::unique_ptr<QLockFile> m_lock;
    QProcess *m_process = nullptr;
    QTimer *m_earlierGameWatch; ///< while the game of an earlier program runs on the directory
    std::optional<PendingJournal> m_pending;
    QString m_label;
    QString m_logPath;
    bool m_restoreOnExit = true;
    bool m_stopping = false;
    bool m_finishQueued = false; ///< the engine failed to start; the give-back waits for the event loop
};

} // namespace ostrel
