#include "launcher/launchjournal.h"

#include "launcher/cleanupapply.h"
#include "launcher/cleanuprestore.h"
#include "launcher/fileops.h"
#include "launcher/journalreader.h"
#include "launcher/processinfo.h"
#include "launcher/trash.h"

#include <QDir>
#include <QFile>

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

ApplyResult refusedForEarlierLaunch(const QString &gameDir)
{
    ApplyResult result;
    result.error =
        u"The changes of an earlier launch to \"%1\" have not been given back yet; give the game directory back first."_s
            .arg(gameDir);
    return result;
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
            *error =
                u"The launch journal \"%1\" cannot be opened: %2."_s.arg(path, fileops::errorText(journal.error()));
        return false;
    }
    if (!journal.append(line)) {
        if (error)
            *error =
                u"The launch journal \"%1\" cannot be written: %2."_s.arg(path, fileops::errorText(journal.error()));
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

ApplyResult LaunchJournal::apply(
    const QString &gameDir, const QString &label, const CleanupPlan &plan, Trash &trash, DeleteMode mode)
{
    ApplyResult result;
    if (!plan.ok()) {
        result.error = plan.error;
        return result;
    }
    if (const auto left = pending())
        return refusedForEarlierLaunch(left->gameDir);
    if (!fileops::makePrivateFolder(m_stateDir, &result.error))
        return result;

    // The whole plan goes first, so that every file the launch may move is named before any
    // moves, whatever becomes of the lines that follow.
    const QString absoluteGameDir = fileops::absolutePath(gameDir);
    const QList<PlannedStep> steps = plannedStepsOf(absoluteGameDir, plan, mode);
    QByteArray planLines =
        journalLine(JournalHeader{absoluteGameDir, label, QDateTime::currentMSecsSinceEpoch(), int(steps.size())});
    for (int i = 0; i < steps.size(); ++i)
        planLines += journalLine(PlanLine{i, steps[i]});
    planLines += journalLine(PlanEndLine{});
    if (const int error = fileops::writeWholeFile(path(), planLines, false)) {
        if (error == EEXIST)
            return refusedForEarlierLaunch(pending() ? pending()->gameDir : gameDir);
        result.error = u"The launch journal \"%1\" cannot be written: %2."_s.arg(path(), fileops::errorText(error));
        return result;
    }
    m_written = planLines;
    JournalAppender journal(path(), m_written);
    return applySteps(absoluteGameDir, steps, journal, trash);
}

RestoreReport LaunchJournal::restore(Trash &trash)
{
    RestoreReport report;
    const bool onDisk = fileops::lstatPath(path()).has_value();
    if (!onDisk && m_written.isEmpty()) {
        report.error = u"No game directory is waiting to be given back."_s;
        return report;
    }
    QByteArray bytes;
    if (onDisk) {
        QFile file(path());
        if (file.open(QIODevice::ReadOnly))
            bytes = file.readAll();
        else if (m_written.isEmpty())
            return keptBecause(
                report, u"The launch journal \"%1\" cannot be read: %2."_s.arg(path(), file.errorString()));
    }
    if (!m_written.isEmpty() && bytes != m_written) {
        // This object wrote every line of the journal and kept them: what the file says now
        // is not the launch's record, and the record is written again before anything moves.
        report.notes << (onDisk
                ? u"The launch journal \"%1\" was changed while the game ran; the game directory was given "
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
        return keptBecause(report,
            u"The game started for \"%1\" (process %2) is still running; give the game directory back once it "
            "has ended. Nothing was changed."_s.arg(journal.label)
                .arg(engine->pid));
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
                report.notRestored.append({step.name,
                    u"the journal cannot say which game directory it was in; "
                    "it was %1"_s.arg(whereaboutsOf(step))});
        }
        report.notRestored += journal.unreadable;
        return keptBecause(report,
            u"The launch journal \"%1\" is damaged (%2), so it cannot say which game directory the launch "
            "changed, and nothing was given back. It was kept. %3"_s.arg(
                path(), journal.damage.join(u"; "_s), keptAdvice));
    }
    // An unmounted drive or a folder moved away: everything would look gone, and the journal
    // is the only record of where the player's files are.
    const QString gameDir = QDir::cleanPath(journal.gameDir);
    if (const auto there = fileops::lstatPath(gameDir); !there || !there->directory) {
        return keptBecause(report,
            u"The game directory \"%1\" is not there (a drive that is not mounted, or a folder moved or "
            "renamed?), so nothing was given back. The journal was kept: give the game directory back once "
            "the folder is there again."_s.arg(gameDir));
    }

    restoreSteps(journal, gameDir, trash, report);
    if (!journal.damage.isEmpty()) {
        return keptBecause(report,
            u"The launch journal \"%1\" is damaged (%2), so it cannot be trusted to name everything the launch "
            "changed. What it could still read was checked and given back; it was kept. %3"_s.arg(
                path(), journal.damage.join(u"; "_s), keptAdvice));
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
