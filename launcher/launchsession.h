#pragma once

#include "launcher/launchjournal.h"
#include "launcher/launchpreparation.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class QLockFile;
class QProcess;

namespace ostrel {

class Trash;

/// One launch: applies the clean-up (journaled), starts the engine with its output captured to
/// a log file, and gives the game directory back when the engine ends (or when asked).
///
/// Only one launch runs at a time across programs: a lock file in the state folder is held
/// from the clean-up to the end of the restore. A leftover journal (a launch that crashed)
/// blocks new launches until it is restored; see leftoverJournal() and restore().
class LaunchSession : public QObject
{
    Q_OBJECT

public:
    /// trash must outlive the session. stateDir holds the journal, the lock and logs/.
    explicit LaunchSession(Trash &trash, QObject *parent = nullptr,
                           const QString &stateDir = LaunchJournal::defaultStateDir());
    ~LaunchSession() override;

    /// Whether the game directory is restored as soon as the engine ends or fails to start
    /// (default true). When false, the host calls restore() itself.
    void setRestoreOnExit(bool restore) { m_restoreOnExit = restore; }
    bool restoreOnExit() const { return m_restoreOnExit; }

    /// Whether a clean-up that left files behind (changed since the plan, refused by the trash,
    /// not copied in) stops the launch, restoring what was done (default true).
    void setStopOnCleanupProblems(bool stop) { m_stopOnProblems = stop; }

    /// Applies the prepared clean-up and starts the engine. Returns false, with the reason, when
    /// the launch did not get as far as starting the engine; the game directory is then as it
    /// was. mode must be RemoveForGood only when the player agreed to lose the files.
    bool start(const PreparedLaunch &launch, DeleteMode mode = DeleteMode::ToTrash, QString *error = nullptr);

    bool isRunning() const;
    QString logPath() const { return m_logPath; }
    /// What the clean-up did at the last start.
    ApplyResult cleanupResult() const { return m_applied; }

    /// Puts the game directory back from the journal (also one left by an earlier program).
    /// Refused while the engine runs, also one started by an earlier program that died
    /// (RestoreReport::gameStillRunning).
    RestoreReport restore();

    /// The journal of a launch that was never restored, found at start-up so the host can
    /// offer to finish restoring.
    static std::optional<PendingJournal> leftoverJournal(const QString &stateDir = LaunchJournal::defaultStateDir());

Q_SIGNALS:
    /// The engine runs; its output goes to logPath.
    void started(const QString &logPath);
    /// The engine could not be started (reason in words for the player).
    void failedToStart(const QString &reason);
    /// The engine ended: its exit code, and whether it crashed.
    void finished(int exitCode, bool crashed);
    /// The game directory was put back (automatically or on request).
    void restored(const ostrel::RestoreReport &report);

private:
    bool lock(QString *error);
    void unlock();
    bool recordEngine(QString *error);
    void finishLaunch();

    Trash &m_trash;
    QString m_stateDir;
    LaunchJournal m_journal;
    std::unique_ptr<QLockFile> m_lock;
    QProcess *m_process = nullptr;
    QString m_logPath;
    ApplyResult m_applied;
    bool m_restoreOnExit = true;
    bool m_stopOnProblems = true;
    bool m_finishQueued = false; ///< the engine failed to start; the restore waits for the event loop
};

} // namespace ostrel
