#include "launcher/cleanupapply.h"

#include "launcher/fileops.h"
#include "launcher/journalformat.h"
#include "launcher/savemoves.h"
#include "launcher/trash.h"
#include "launcher/trashlookup.h"

#include <QFileInfo>

#include <unistd.h>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

// Takes a game directory's planned steps one at a time. Each function that takes a step returns
// false when the journal could not be written, and the launch stops there.
class StepApplier
{
public:
    StepApplier(const QString &gameDir, JournalAppender &journal, Trash &trash);

    ApplyResult apply(const QList<PlannedStep> &steps);

private:
    bool take(int index, const PlannedStep &step);
    bool copyIn(int index, const PlannedStep &step);
    bool moveSaveIn(int index, const PlannedStep &step);
    bool rename(int index, const PlannedStep &step);
    bool removeForGood(int index, const PlannedStep &step);
    bool moveToTrash(int index, const PlannedStep &step);
    bool done(int index);
    bool leaveAlone(int index, const PlannedStep &step, const QString &why);
    QString trashFolderMade(const QString &trashedPath);

    const QString m_dir;
    JournalAppender &m_journal;
    Trash &m_trash;
    // A volume's trash folder that a move creates is recorded, so that the restore removes it
    // again once it is empty.
    QStringList m_trashFoldersToMake;
    ApplyResult m_result;
};

StepApplier::StepApplier(const QString &gameDir, JournalAppender &journal, Trash &trash)
    : m_dir(gameDir + u'/')
    , m_journal(journal)
    , m_trash(trash)
    , m_trashFoldersToMake(trashFoldersNotYetMade(trash, gameDir))
{
}

ApplyResult StepApplier::apply(const QList<PlannedStep> &steps)
{
    bool journalOk = true;
    for (int i = 0; journalOk && i < steps.size(); ++i)
        journalOk = take(i, steps[i]);
    if (!journalOk || !m_journal.append(AppliedLine{})) {
        m_result.error = u"The launch journal \"%1\" cannot be written: %2. The launch stops here."_s.arg(
            m_journal.path(), fileops::errorText(m_journal.error()));
    }
    return m_result;
}

bool StepApplier::take(int index, const PlannedStep &step)
{
    if (step.kind == JournalStepKind::CopyIn)
        return copyIn(index, step);
    if (step.kind == JournalStepKind::Save)
        return moveSaveIn(index, step);
    if (!fileops::sameFile(fileops::lstatPath(m_dir + step.name), step.size, step.mtimeNs))
        return leaveAlone(index, step, u"changed or gone since the clean-up was planned; left as it is"_s);
    if (!m_journal.append(StepBegunLine{index}))
        return false;
    switch (step.kind) {
    case JournalStepKind::Rename:
        return rename(index, step);
    case JournalStepKind::Remove:
        return removeForGood(index, step);
    case JournalStepKind::Trash:
        return moveToTrash(index, step);
    case JournalStepKind::CopyIn:
    case JournalStepKind::Save:
        break;
    }
    return true;
}

bool StepApplier::copyIn(int index, const PlannedStep &step)
{
    if (step.sha256.isEmpty())
        return leaveAlone(
            index, step, u"the TC's file \"%1\" cannot be read, so it was not copied in"_s.arg(step.source));
    const QString temp = m_dir + step.tempName;
    if (!m_journal.append(StepBegunLine{index}))
        return false;
    const fileops::Digest planned{step.size, step.sha256};
    QString error;
    const auto copied = fileops::copyToNewFile(step.source, temp, &error);
    int renamed = -1;
    if (copied && *copied == planned)
        renamed = fileops::renameNoReplace(temp, m_dir + step.name);
    if (renamed == 0)
        return done(index);
    ::unlink(fileops::encodePath(temp).constData());
    const QString why = !copied ? error
        : *copied != planned    ? u"the TC's file changed while it was copied"_s
        : renamed == EEXIST     ? u"a file of that name appeared in the game directory"_s
                                : fileops::errorText(renamed);
    return leaveAlone(index, step, u"not copied in: %1"_s.arg(why));
}

// From the moment the step is begun, whatever is under its name in the game directory is the
// TC's: so nothing may be there before (the player's own save was set aside by an earlier step).
bool StepApplier::moveSaveIn(int index, const PlannedStep &step)
{
    for (const QString &name : fileops::namesIn(m_dir)) {
        if (name.compare(step.name, Qt::CaseInsensitive) == 0)
            return leaveAlone(index, step,
                u"a file of that name is in the game directory, so the TC's saves cannot be kept apart from it"_s);
    }
    if (step.size >= 0
        && !fileops::sameFile(fileops::lstatPath(step.saveDir + u'/' + step.name), step.size, step.mtimeNs))
        return leaveAlone(
            index, step, u"the TC's save in \"%1\" changed or went since the launch was planned"_s.arg(step.saveDir));
    if (!m_journal.append(StepBegunLine{index}))
        return false;
    if (step.size < 0)
        return done(index);
    if (const QString why = savemoves::moveIn(step.saveDir, m_dir.chopped(1), step.name, step.copies, step.tempName);
        !why.isEmpty())
        return leaveAlone(index, step, u"the TC's save could not be moved into the game directory: %1"_s.arg(why));
    return done(index);
}

bool StepApplier::rename(int index, const PlannedStep &step)
{
    if (const int error = fileops::renameNoReplace(m_dir + step.name, m_dir + step.newName))
        return leaveAlone(
            index, step, u"could not be renamed to \"%1\": %2"_s.arg(step.newName, fileops::errorText(error)));
    return done(index);
}

bool StepApplier::removeForGood(int index, const PlannedStep &step)
{
    if (::unlink(fileops::encodePath(m_dir + step.name).constData()) != 0)
        return leaveAlone(index, step, u"could not be removed: %1"_s.arg(fileops::errorText(errno)));
    if (!done(index))
        return false;
    m_result.removedForGood.append(step.name);
    return true;
}

bool StepApplier::moveToTrash(int index, const PlannedStep &step)
{
    const TrashOutcome trashed = m_trash.moveToTrash(m_dir + step.name);
    if (!trashed.ok && trashed.trashedPath.isEmpty())
        return leaveAlone(index, step, trashed.error);
    // Also when the file left for somewhere that is no trash and could not come back: the path
    // is recorded, so restoring puts it back.
    if (!m_journal.append(StepDoneLine{index, true, trashed.trashedPath, trashed.infoPath}))
        return false;
    if (const QString made = trashed.ok ? trashFolderMade(trashed.trashedPath) : QString();
        !made.isEmpty() && !m_journal.append(TrashFolderLine{made})) {
        return false;
    }
    if (!trashed.ok)
        m_result.leftAlone.append({step.name, trashed.error});
    else
        ++m_result.stepsDone;
    return true;
}

bool StepApplier::done(int index)
{
    if (!m_journal.append(StepDoneLine{index}))
        return false;
    ++m_result.stepsDone;
    return true;
}

bool StepApplier::leaveAlone(int index, const PlannedStep &step, const QString &why)
{
    m_result.leftAlone.append({step.name, why});
    return m_journal.append(StepSkippedLine{index});
}

QString StepApplier::trashFolderMade(const QString &trashedPath)
{
    const QString folder = QFileInfo(QFileInfo(trashedPath).path()).path();
    return m_trashFoldersToMake.removeAll(folder) > 0 ? folder : QString();
}

} // namespace

QList<PlannedStep> plannedStepsOf(const QString &gameDir, const CleanupPlan &plan, DeleteMode mode)
{
    const QString dir = gameDir + u'/';
    QList<PlannedStep> steps;
    for (int i = 0; i < plan.steps.size(); ++i) {
        const CleanupStep &step = plan.steps[i];
        PlannedStep planned;
        planned.name = step.name;
        planned.size = step.size;
        planned.mtimeNs = step.mtimeNs;
        switch (step.action) {
        case StepAction::CopyIn: {
            const auto digest = fileops::digestOf(step.source);
            planned.kind = JournalStepKind::CopyIn;
            planned.source = step.source;
            planned.tempName = u".quillon-copy-%1.tmp"_s.arg(i);
            for (int n = 1; fileops::lstatPath(dir + planned.tempName); ++n)
                planned.tempName = u".quillon-copy-%1-%2.tmp"_s.arg(i).arg(n);
            planned.size = digest ? digest->size : -1;
            planned.mtimeNs = 0;
            planned.sha256 = digest ? digest->sha256 : QByteArray();
            // Also here, so that the copy is told from the player's file it displaces (which may
            // hold the very same bytes) even when the rename's own line is lost.
            for (const CleanupStep &aside : plan.steps) {
                if (aside.action == StepAction::Rename && aside.name.compare(step.name, Qt::CaseInsensitive) == 0) {
                    planned.displaces = true;
                    planned.displacedSize = aside.size;
                    planned.displacedMtimeNs = aside.mtimeNs;
                }
            }
            break;
        }
        case StepAction::Rename:
            planned.kind = JournalStepKind::Rename;
            planned.newName = step.newName;
            break;
        case StepAction::Trash:
            planned.kind = mode == DeleteMode::ToTrash ? JournalStepKind::Trash : JournalStepKind::Remove;
            break;
        case StepAction::Save:
            planned.kind = JournalStepKind::Save;
            planned.saveDir = step.saveDir;
            planned.copies = step.copies;
            // Free in both folders: a copy goes into the game directory, and one back into the
            // save folder when the game ends.
            planned.tempName = u".quillon-save-%1.tmp"_s.arg(i);
            for (int n = 1; fileops::lstatPath(dir + planned.tempName)
                 || fileops::lstatPath(step.saveDir + u'/' + planned.tempName);
                 ++n)
                planned.tempName = u".quillon-save-%1-%2.tmp"_s.arg(i).arg(n);
            break;
        }
        steps.append(planned);
    }
    return steps;
}

ApplyResult applySteps(const QString &gameDir, const QList<PlannedStep> &steps, JournalAppender &journal, Trash &trash)
{
    return StepApplier(gameDir, journal, trash).apply(steps);
}

} // namespace ostrel
