#pragma once

#include "launcher/cleanupplan.h"

#include <QString>
#include <QStringList>

namespace ostrel {

class Trash;
struct JournalContents;

/// What restoring did.
struct RestoreReport {
    QString error; ///< why nothing (or not everything) could be given back: no journal, the
                   ///< game still runs, the game directory is not there, the journal is damaged
    int stepsUndone = 0;
    QList<LeftAlone> notRestored; ///< what could not be put back, and where it is
    QStringList removedForGood;   ///< removed for good at the launch, by the player's choice
    QStringList notes;            ///< what the player should know though everything came back
    /// The process of the launch's game, which still runs: the restore was refused and nothing
    /// changed (0 otherwise).
    qint64 gameStillRunning = 0;

    bool ok() const { return error.isEmpty() && notRestored.isEmpty(); }

    /// One sentence for the player: back as it was, or not fully given back.
    QString headline() const;
    /// What the player needs beyond the headline, a line each: why it failed, each file not put
    /// back and where it is, the files deleted for good at the launch, the notes.
    QStringList details() const;
};

/// Undoes the steps a journal records on its game directory, gameDir, newest first, and decides
/// each by what is on disk: a step not carried out is skipped, one carried out (marked done or
/// not) is undone. Renamed and trashed files go back (their .trashinfo removed); copies in are
/// removed when they are still the launch's copy and not the player's file that a restore cut
/// short already put back; a volume's trash folder the launch created is removed once empty
/// again. What cannot be put back goes into report, with where it is. Safe to run again after
/// a crash, also one between the link and the unlink of a rename.
void restoreSteps(const JournalContents &journal, const QString &gameDir, Trash &trash, RestoreReport &report);

} // namespace ostrel
