#include "launcher/launchjournal.h"

#include "launcher/cleanuprestore.h"
#include "launcher/fileops.h"
#include "launcher/journalreader.h"
#include "launcher/processinfo.h"
#include "launcher/trash.h"
#include "launcher/trashlookup.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

// The game a journal's launch started, while it still runs: same PID, same start time.
std::optional<EngineProcess> runningEngineOf(const JournalContents &contents)
{
    for (const EngineProcess &engine : contents.engines) {
        if (processinfo::startTimeOf(engine.pid) == engine.startTime)
            return engine;
    }
    return std::nullopt;
}

// A restore that stops and keeps the journal: nothing more can be given back, and why.
RestoreReport keptBecause(RestoreReport report, const QString &why)
{
    report.error = why;
    return report;
}

// Appends a line to the journal at path durably, after making the journal whole again from
// written when it was damaged or removed since apply().
bool appendDurably(const QString &path, QByteArray &written, const JournalLine &line, QString *error)
{
    if (!written.isEmpty() && fileops::readSmallFile(path) != written)
        fileops::writeWholeFile(path, written, true);
    JournalAppender journal(path, written);
    if (!journal.isOpen()) {
        if (error)
            *error = u"The launch journal \"%1\" cannot be opened: %2."_s.arg(path, fileops::errorText(journal.error()));
        return false;
    }
    if (!journal.append(line)) {
        if (error)
            *error = u"The launch journal \"%1\" cannot be written: %2."_s.arg(path, fileops::errorText(journal.error()));
        return false;
    }
    return true;
}

} // namespace

LaunchJournal::LaunchJournal(const QString &stateDir)
    : m_stateDir(stateDir)
{
}

QString LaunchJournal::defaultStateDir()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + u"/.local/state"_s;
    return state + u"/quillon"_s;
}

QString LaunchJournal::path() const
{
    return m_stateDir + u"/launch.journal"_s;
}

std::optional<PendingJournal> LaunchJournal::pending() const
{
    if (!fileops::lstatPath(path()))
        return std::nullopt;
    QFile file(path());
    const JournalContents contents = readJournal(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    const auto engine = runningEngineOf(contents);
    const QString unknown = u"(unknown: the journal is damaged)"_s;
    return PendingJournal{path(), contents.gameDir.isEmpty() ? unknown : contents.gameDir,
                          contents.label.isEmpty() && !contents.headerOk ? unknown : contents.label, contents.started,
                          engine ? engine->pid : 0, contents.kept};
}

bool LaunchJournal::recordEngine(const EngineProcess &engine, QString *error)
{
    return appendDurably(path(), m_written, EngineLine{engine}, error);
}

bool LaunchJournal::recordKept(QString *error)
{
    return appendDurably(path(), m_written, KeptLine{}, error);
}

ApplyResult LaunchJournal::apply(const QString &gameDir, const QString &label, const CleanupPlan &plan, Trash &trash,
                                 DeleteMode mode)
{
    ApplyResult result;
    if (!plan.ok()) {
        result.error = plan.error;
        return result;
    }
    const auto earlierLaunch = [&](const QString &where) {
        result.error = u"The changes of an earlier launch to \"%1\" have not been put back yet; restore them first."_s.arg(where);
        return result;
    };
    if (const auto left = pending())
        return earlierLaunch(left->gameDir);
    if (!fileops::makePrivateFolder(m_stateDir, &result.error))
        return result;

    // The whole plan goes first, so that every file the launch may move is named before any
    // moves, whatever becomes of the lines that follow. Copies in get their digests and
    // temporary names now.
    const QString absoluteGameDir = fileops::absolutePath(gameDir);
    const QString dir = absoluteGameDir + u'/';
    QList<std::optional<fileops::Digest>> digests(plan.steps.size());
    QStringList tempNames(plan.steps.size());
    QByteArray planLines =
        journalLine(JournalHeader{absoluteGameDir, label, QDateTime::currentMSecsSinceEpoch(), int(plan.steps.size())});
    for (int i = 0; i < plan.steps.size(); ++i) {
        const CleanupStep &step = plan.steps[i];
        PlannedStep planned;
        planned.name = step.name;
        planned.size = step.size;
        planned.mtimeNs = step.mtimeNs;
        switch (step.action) {
        case StepAction::CopyIn: {
            digests[i] = fileops::digestOf(step.source);
            QString tempName = u".quillon-copy-%1.tmp"_s.arg(i);
            for (int n = 1; fileops::lstatPath(dir + tempName); ++n)
                tempName = u".quillon-copy-%1-%2.tmp"_s.arg(i).arg(n);
            tempNames[i] = tempName;
            planned.kind = JournalStepKind::CopyIn;
            planned.source = step.source;
            planned.tempName = tempName;
            planned.size = digests[i] ? digests[i]->size : -1;
            planned.mtimeNs = 0;
            planned.sha256 = digests[i] ? digests[i]->sha256 : QByteArray();
            // Also here, so that the copy is told from the player's file it displaces (which
            // may hold the very same bytes) even when the rename's own line is lost.
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
        }
        planLines += journalLine(PlanLine{i, planned});
    }
    planLines += journalLine(PlanEndLine{});
    if (const int error = fileops::writeWholeFile(path(), planLines, false)) {
        if (error == EEXIST)
            return earlierLaunch(pending() ? pending()->gameDir : gameDir);
        result.error = u"The launch journal \"%1\" cannot be written: %2."_s.arg(path(), fileops::errorText(error));
        return result;
    }
    m_written = planLines;

    JournalAppender journal(path(), m_written);
    const auto record = [&](const JournalLine &line) { return journal.append(line); };
    const auto journalBroken = [&] {
        result.error = u"The launch journal \"%1\" cannot be written: %2. The launch stops here."_s.arg(path(), fileops::errorText(journal.error()));
        return result;
    };
    // A volume's trash folder that a move creates is recorded, so that the restore removes it
    // again once it is empty.
    QStringList trashFoldersToMake = trashFoldersNotYetMade(trash, absoluteGameDir);
    const auto trashFolderMade = [&](const QString &trashedPath) {
        const QString folder = QFileInfo(QFileInfo(trashedPath).path()).path();
        return trashFoldersToMake.removeAll(folder) > 0 ? folder : QString();
    };
    for (int i = 0; i < plan.steps.size(); ++i) {
        const CleanupStep &step = plan.steps[i];
        const QString path = dir + step.name;
        const auto leaveAlone = [&](const QString &why) {
            result.leftAlone.append({step.name, why});
            return record(StepSkippedLine{i});
        };

        if (step.action == StepAction::CopyIn) {
            const auto &sourceDigest = digests[i];
            if (!sourceDigest) {
                if (!leaveAlone(u"the TC's file \"%1\" cannot be read, so it was not copied in"_s.arg(step.source)))
                    return journalBroken();
                continue;
            }
            const QString temp = dir + tempNames[i];
            if (!record(StepBegunLine{i}))
                return journalBroken();
            QString error;
            const auto copied = fileops::copyToNewFile(step.source, temp, &error);
            int renamed = -1;
            if (copied && *copied == *sourceDigest)
                renamed = fileops::renameNoReplace(temp, path);
            if (renamed != 0) {
                ::unlink(fileops::encodePath(temp).constData());
                const QString why = !copied                    ? error
                                    : *copied != *sourceDigest ? u"the TC's file changed while it was copied"_s
                                    : renamed == EEXIST        ? u"a file of that name appeared in the game directory"_s
                                                               : fileops::errorText(renamed);
                if (!leaveAlone(u"not copied in: %1"_s.arg(why)))
                    return journalBroken();
                continue;
            }
            if (!record(StepDoneLine{i}))
                return journalBroken();
            ++result.stepsDone;
            continue;
        }

        if (!fileops::sameFile(fileops::lstatPath(path), step.size, step.mtimeNs)) {
            if (!leaveAlone(u"changed or gone since the clean-up was planned; left as it is"_s))
                return journalBroken();
            continue;
        }
        if (!record(StepBegunLine{i}))
            return journalBroken();

        if (step.action == StepAction::Rename) {
            if (const int error = fileops::renameNoReplace(path, dir + step.newName)) {
                if (!leaveAlone(u"could not be renamed to \"%1\": %2"_s.arg(step.newName, fileops::errorText(error))))
                    return journalBroken();
                continue;
            }
            if (!record(StepDoneLine{i}))
                return journalBroken();
            ++result.stepsDone;
            continue;
        }

        if (mode == DeleteMode::RemoveForGood) {
            if (::unlink(fileops::encodePath(path).constData()) != 0) {
                if (!leaveAlone(u"could not be removed: %1"_s.arg(fileops::errorText(errno))))
                    return journalBroken();
                continue;
            }
            if (!record(StepDoneLine{i}))
                return journalBroken();
            result.removedForGood.append(step.name);
            ++result.stepsDone;
            continue;
        }

        const TrashOutcome trashed = trash.moveToTrash(path);
        if (!trashed.ok && trashed.trashedPath.isEmpty()) {
            if (!leaveAlone(trashed.error))
                return journalBroken();
            continue;
        }
        // Also when the file left for somewhere that is no trash and could not come back:
        // the path is recorded, so restoring puts it back.
        if (!record(StepDoneLine{i, true, trashed.trashedPath, trashed.infoPath}))
            return journalBroken();
        if (const QString made = trashed.ok ? trashFolderMade(trashed.trashedPath) : QString();
            !made.isEmpty() && !record(TrashFolderLine{made})) {
            return journalBroken();
        }
        if (!trashed.ok)
            result.leftAlone.append({step.name, trashed.error});
        else
            ++result.stepsDone;
    }
    if (!record(AppliedLine{}))
        return journalBroken();
    return result;
}

RestoreReport LaunchJournal::restore(Trash &trash)
{
    RestoreReport report;
    const bool onDisk = fileops::lstatPath(path()).has_value();
    if (!onDisk && m_written.isEmpty()) {
        report.error = u"There is no launch to restore."_s;
        return report;
    }
    QByteArray bytes;
    if (onDisk) {
        QFile file(path());
        if (file.open(QIODevice::ReadOnly))
            bytes = file.readAll();
        else if (m_written.isEmpty())
            return keptBecause(report, u"The launch journal \"%1\" cannot be read: %2."_s.arg(path(), file.errorString()));
    }
    if (!m_written.isEmpty() && bytes != m_written) {
        // This object wrote every line of the journal and kept them: what the file says now
        // is not the launch's record, and the record is written again before anything moves.
        report.notes << (onDisk ? u"The launch journal \"%1\" was changed while the game ran; the game directory was given "
                                          "back from the launcher's own record of the launch."_s
                                        : u"The launch journal \"%1\" was removed while the game ran; the game directory was given "
                                          "back from the launcher's own record of the launch."_s)
                                      .arg(path());
        fileops::makePrivateFolder(m_stateDir);
        if (const int error = fileops::writeWholeFile(path(), m_written, true))
            report.notes << u"The journal could not be written again: %1."_s.arg(fileops::errorText(error));
        bytes = m_written;
    }
    const JournalContents journal = readJournal(bytes);
    // Files put back or taken away under a running game make it fail in odd ways, and a file
    // it is writing could go; its process outlives a launcher that was killed.
    if (const auto engine = runningEngineOf(journal)) {
        report.gameStillRunning = engine->pid;
        return keptBecause(report, u"The game started for \"%1\" (process %2) is still running; give the game directory back once it "
                                   "has ended. Nothing was changed."_s.arg(journal.label).arg(engine->pid));
    }
    if (journal.headerless) {
        // The first line was made durable before the first step, so nothing needs undoing.
        ::unlink(fileops::encodePath(path()).constData());
        fileops::syncFolder(m_stateDir);
        return report;
    }
    const QString keptAdvice =
        u"Check the game directory (and put back by hand what is listed here), then delete the journal to launch again."_s;
    if (!journal.headerOk) {
        for (const JournalStep &step : journal.steps) {
            if (step.begun && !step.skipped)
                report.notRestored.append({step.name, u"the journal cannot say which game directory it was in; "
                                                      "it was %1"_s.arg(whereaboutsOf(step))});
        }
        report.notRestored += journal.unreadable;
        return keptBecause(report, u"The launch journal \"%1\" is damaged (%2), so it cannot say which game directory the launch "
                                   "changed, and nothing was given back. It was kept. %3"_s.arg(path(), journal.damage.join(u"; "_s), keptAdvice));
    }
    // An unmounted drive or a folder moved away: everything would look gone, and the journal
    // is the only record of where the player's files are.
    const QString gameDir = QDir::cleanPath(journal.gameDir);
    if (const auto there = fileops::lstatPath(gameDir); !there || !there->directory) {
        return keptBecause(report, u"The game directory \"%1\" is not there (a drive that is not mounted, or a folder moved or "
                                   "renamed?), so nothing was given back. The journal was kept: give the game directory back once "
                                   "the folder is there again."_s.arg(gameDir));
    }

    restoreSteps(journal, gameDir, trash, report);
    if (!journal.damage.isEmpty()) {
        return keptBecause(report, u"The launch journal \"%1\" is damaged (%2), so it cannot be trusted to name everything the launch "
                                   "changed. What it could still read was checked and given back; it was kept. %3"_s
                                       .arg(path(), journal.damage.join(u"; "_s), keptAdvice));
    }
    // Even when something could not be put back: the report says where it is, and keeping the
    // journal would only block every later launch.
    if (::unlink(fileops::encodePath(path()).constData()) != 0 && errno != ENOENT)
        report.error = u"The launch journal \"%1\" cannot be removed: %2."_s.arg(path(), fileops::errorText(errno));
    m_written.clear();
    fileops::syncFolder(m_stateDir);
    return report;
}

} // namespace ostrel
