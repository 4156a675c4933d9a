#pragma once

#include "launcher/cleanupplan.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace ostrel {

class JournalAppender;
class Trash;
struct PlannedStep;

/// How Trash steps are carried out.
enum class DeleteMode {
    ToTrash,      ///< the desktop trash; a file the trash refuses stays where it is
    RemoveForGood ///< unlink, for a game directory without a trash, once the player agreed
};

/// What applying a plan did.
struct ApplyResult {
    QString error; ///< the journal could not be started or written; see below
    int stepsDone = 0;
    QList<LeftAlone> leftAlone; ///< steps not carried out: file changed since the plan, trash refused, ...
    QStringList removedForGood; ///< names unlinked under DeleteMode::RemoveForGood: they cannot come back

    /// False when the journal could not be written. Steps already done are in the journal,
    /// so restore() still puts them back.
    bool ok() const { return error.isEmpty(); }
};

/// The steps of a clean-up of gameDir as its journal plans them: Trash steps as mode says, and
/// copies in with the digest of the TC's file (read now) and a temporary name free in gameDir.
QList<PlannedStep> plannedStepsOf(const QString &gameDir, const CleanupPlan &plan, DeleteMode mode);

/// Carries out the planned steps on gameDir, in order, each recorded in journal as begun before
/// it is taken and as done or skipped after. A file whose size or modification time differs
/// from the plan is left alone and reported, as is a file the trash refuses. Stops when the
/// journal cannot be written.
ApplyResult applySteps(const QString &gameDir, const QList<PlannedStep> &steps, JournalAppender &journal, Trash &trash);

} // namespace ostrel
