#pragma once

#include "launcher/cleanupapply.h"
#include "launcher/cleanupplan.h"
#include "launcher/cleanuprestore.h"
#include "launcher/processinfo.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace ostrel {

class Trash;

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
/// directories. The journal starts with the whole plan (every file the launch may move, with
/// its size and time), made durable at once under its name, so it never exists without it.
/// Then each step is marked begun, and flushed, before it is carried out, and done after. After
/// a crash or a SIGKILL at any moment, restore() decides each planned step by looking at the
/// disk: one not carried out is skipped, one carried out (marked done or not) is undone.
///
/// Every line carries a check. Only the last line may be torn (an append a crash cut short);
/// a line that fails its check elsewhere, or a plan cut short, means the journal cannot be
/// trusted: restore() gives back what it can still read, names what it cannot, and keeps the
/// journal. The object that applied a plan also keeps the journal's lines in memory, so its
/// restore() rewrites a journal that was damaged or removed meanwhile, and gives back from it.
///
/// The game's process is recorded as well: a launcher killed while the game runs leaves the
/// game reading (and writing) the changed directory, which is given back only once it ended.
///
/// Paths are absolute and stored as their bytes on disk, percent-encoded, so names with spaces,
/// quotes, newlines or bytes that are not UTF-8 come back exactly. Journals of the first
/// format (a step recorded only as it was begun) are read as well.
class LaunchJournal
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

    /// Refused, changing nothing, while a game recorded by recordEngine() still runs, or while
    /// the game directory is not there (a drive not mounted). Otherwise undoes the journal's
    /// steps in reverse order: renamed and trashed files go back (their .trashinfo removed),
    /// copies in are removed when they are still the launch's copy (same size and content) and
    /// not the player's file a restore cut short already put back (known by its recorded size
    /// and modification time, whatever its bytes); a volume's trash folder the launch created
    /// is removed when it is empty again. Then the journal is removed, unless it is damaged.
    /// Safe to run again after a crash, also one between the link and the unlink of a rename
    /// on a file system that cannot rename without replacing.
    RestoreReport restore(Trash &trash);

private:
    QString m_stateDir;
    QByteArray m_written; ///< the journal's lines as this object wrote them; empty once restored
};

} // namespace ostrel
