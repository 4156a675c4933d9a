#pragma once

#include "ostrel_export.h"

#include "launcher/cleanupplan.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace ostrel {

class Trash;

/// How Trash steps are carried out.
enum class DeleteMode {
    ToTrash,     ///< the desktop trash; a file the trash refuses stays where it is
    RemoveForGood ///< unlink, for a game directory without a trash, once the player agreed
};

/// What applying a plan did.
struct ApplyResult {
    QString error;              ///< the journal could not be started or written; see below
    int stepsDone = 0;
    QList<LeftAlone> leftAlone; ///< steps not carried out: file changed since the plan, trash refused, ...
    QStringList removedForGood; ///< names unlinked under DeleteMode::RemoveForGood: they cannot come back

    /// False when the journal could not be written. Steps already done are in the journal,
    /// so restore() still puts them back.
    bool ok() const { return error.isEmpty(); }
};

/// What restoring did.
struct RestoreReport {
    QString error;                ///< no journal, it cannot be read, or the game still runs
    int stepsUndone = 0;
    QList<LeftAlone> notRestored; ///< what could not be put back, and where it is
    QStringList removedForGood;   ///< removed for good at the launch, by the player's choice
    /// The process of the launch's game, which still runs: the restore was refused and nothing
    /// changed (0 otherwise).
    qint64 gameStillRunning = 0;

    bool ok() const { return error.isEmpty() && notRestored.isEmpty(); }
};

/// The game's process as a launch started it: the PID, and its start time (clock ticks after
/// boot), which tells it apart from a later process that reuses the PID.
struct EngineProcess {
    qint64 pid = 0;
    quint64 startTime = 0;
};

/// A journal left by a launch that was not restored.
struct PendingJournal {
    QString path;
    QString gameDir;
    QString label; ///< the TC's name, for the player
    QDateTime started;
    qint64 gameStillRunning = 0; ///< the process of the launch's game while it still runs, else 0
    bool keptOnPurpose = false;  ///< the game ended, and the launch was told to leave the changes
};

/// The durable record of one launch's changes to a game directory, and their undoing.
///
/// There is one journal at a time, $XDG_STATE_HOME/quillon/launch.journal: a launch is refused
/// while it exists, so no two launches can interleave their changes, whatever the game
/// directories. Each step is appended and flushed (fsync of the file, and of its folder when
/// the file is created) before it is carried out, and its completion after. After a crash or a
/// SIGKILL at any moment, restore() decides each step by looking at the disk: a step recorded but
/// not carried out is skipped, one carried out (recorded as done or not) is undone.
///
/// The game's process is recorded as well: a launcher killed while the game runs leaves the
/// game reading (and writing) the changed directory, which is given back only once it ended.
///
/// Paths are stored as their bytes on disk, percent-encoded, so names with spaces, quotes,
/// newlines or bytes that are not UTF-8 come back exactly.
class OSTREL_EXPORT LaunchJournal
{
public:
    /// stateDir is where the journal lives; by default $XDG_STATE_HOME/quillon.
    explicit LaunchJournal(const QString &stateDir = defaultStateDir());

    /// $XDG_STATE_HOME/quillon, where XDG_STATE_HOME defaults to ~/.local/state.
    static QString defaultStateDir();

    QString stateDir() const { return m_stateDir; }
    QString path() const;

    /// The journal left by a launch that was not restored, if any.
    std::optional<PendingJournal> pending() const;

    /// Carries out the plan's steps on gameDir, each recorded first. Refused when a journal
    /// exists. A file whose size or modification time differs from the plan is left alone and
    /// reported, as is a file the trash refuses.
    ApplyResult apply(const QString &gameDir, const QString &label, const CleanupPlan &plan, Trash &trash,
                      DeleteMode mode = DeleteMode::ToTrash);

    /// Records the process of the game started on the cleaned-up directory, durably, so that
    /// no restore (also by a later program, after this one died) takes the directory from under
    /// it. Needs the journal of apply().
    bool recordEngine(const EngineProcess &engine, QString *error = nullptr);
    /// Records that the game ended and the launch leaves the directory as the game left it, as
    /// it was told, so that the restore offered later does not take it for a crash.
    bool recordKept(QString *error = nullptr);

    /// Refused, changing nothing, while a game recorded by recordEngine() still runs. Otherwise
    /// undoes the journal's steps in reverse order: renamed and trashed files go back (their
    /// .trashinfo removed), copies in are removed when they are still the launch's copy (same
    /// size and content) and not the player's file a restore cut short already put back (known
    /// by its recorded size and modification time, whatever its bytes). Then the journal is
    /// removed. Safe to run again after a crash, also one between the link and the unlink of a
    /// rename on a file system that cannot rename without replacing.
    RestoreReport restore(Trash &trash);

private:
    bool appendRecord(const QList<QByteArray> &fields, QString *error);

    QString m_stateDir;
};

} // namespace ostrel
