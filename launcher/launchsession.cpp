#include "launcher/launchsession.h"

#include "launcher/fileops.h"
#include "launcher/processinfo.h"
#include "launcher/trash.h"

#include <QDateTime>
#include <QLockFile>
#include <QProcess>

using namespace Qt::StringLiterals;

namespace ostrel {

LaunchSession::LaunchSession(Trash &trash, QObject *parent, const QString &stateDir)
    : QObject(parent)
    , m_trash(trash)
    , m_stateDir(stateDir)
    , m_journal(stateDir)
{
}

LaunchSession::~LaunchSession()
{
    // The engine is not left running with the game directory half given back. Should it not
    // end in time, the journal refuses the restore and a later start offers it.
    if (isRunning()) {
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(5000);
        if (m_restoreOnExit)
            m_journal.restore(m_trash);
    } else if (m_finishQueued && m_restoreOnExit) {
        m_journal.restore(m_trash);
    }
}

bool LaunchSession::isRunning() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

std::optional<PendingJournal> LaunchSession::leftoverJournal(const QString &stateDir)
{
    return LaunchJournal(stateDir).pending();
}

bool LaunchSession::lock(QString *error)
{
    if (m_lock)
        return true;
    if (!fileops::makePrivateFolder(m_stateDir, error))
        return false;
    auto lock = std::make_unique<QLockFile>(m_stateDir + u"/launch.lock"_s);
    lock->setStaleLockTime(0); // a lock is stale only when its program is gone
    if (!lock->tryLock(0)) {
        if (error && lock->error() == QLockFile::LockFailedError) {
            qint64 pid = 0;
            QString host, app;
            lock->getLockInfo(&pid, &host, &app);
            *error = u"Another launch is running (program %1, process %2)."_s.arg(app).arg(pid);
        } else if (error) {
            // QLockFile does not say why; a file written here tells (no space left, ...).
            const int problem = fileops::writeProblemIn(m_stateDir);
            *error = u"The launch journal cannot be written in \"%1\": %2. Nothing was changed; free some space there (or "
                     "make the folder writable), then launch again."_s
                         .arg(m_stateDir, problem ? fileops::errorText(problem) : u"its lock file cannot be created"_s);
        }
        return false;
    }
    m_lock = std::move(lock);
    return true;
}

void LaunchSession::unlock()
{
    m_lock.reset();
}

bool LaunchSession::start(const PreparedLaunch &launch, DeleteMode mode, QString *error)
{
    const auto refuse = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (!launch.ok())
        return refuse(launch.error);
    if (isRunning())
        return refuse(u"The engine is still running."_s);
    QString why;
    if (!lock(&why))
        return refuse(why);
    const auto refuseUnlocked = [&](const QString &why) {
        unlock();
        return refuse(why);
    };
    if (const auto left = m_journal.pending())
        return refuseUnlocked(u"The changes of an earlier launch to \"%1\" have not been put back yet; restore them first."_s.arg(left->gameDir));
    if (launch.hasTrashSteps && !launch.trashAvailable && mode == DeleteMode::ToTrash)
        return refuseUnlocked(launch.trashUnavailableReason);
    for (const QString &folder : launch.command.foldersToCreate) {
        if (!fileops::makePrivateFolder(folder, &why))
            return refuseUnlocked(why);
    }
    const QString logs = m_stateDir + u"/logs"_s;
    if (!fileops::makePrivateFolder(logs, &why))
        return refuseUnlocked(why);

    m_applied = m_journal.apply(launch.gameDir, launch.label, launch.plan, m_trash, mode);
    if (!m_applied.ok() || (m_stopOnProblems && !m_applied.leftAlone.isEmpty())) {
        QStringList problems;
        if (!m_applied.ok())
            problems << m_applied.error;
        for (const LeftAlone &left : std::as_const(m_applied.leftAlone))
            problems << u"%1: %2"_s.arg(left.name, left.reason);
        // Without a journal nothing was changed: its plan is written before the first step.
        if (m_journal.pending()) {
            const RestoreReport back = m_journal.restore(m_trash);
            if (!back.ok())
                problems << back.headline() << back.details();
        }
        return refuseUnlocked(u"The game directory could not be cleaned up, so the game was not started:\n"_s + problems.join(u'\n'));
    }

    m_logPath = logs + u'/' + QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"_s) + u'-'
                + safeFolderName(launch.label) + u".log"_s;
    delete m_process;
    m_process = new QProcess(this);
    m_process->setProgram(launch.command.program);
    m_process->setArguments(launch.command.arguments);
    m_process->setWorkingDirectory(launch.command.workingDir);
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_process->setStandardOutputFile(m_logPath, QIODevice::Truncate);
    m_process->setStandardInputFile(QProcess::nullDevice());
    connect(m_process, &QProcess::started, this, [this] { Q_EMIT started(m_logPath); });
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError processError) {
        if (processError != QProcess::FailedToStart)
            return;
        const QString reason = u"The engine \"%1\" could not be started: %2."_s.arg(m_process->program(), m_process->errorString());
        // QProcess reaps the child that could not run the engine only after telling so; until
        // then the journal sees the recorded process and would refuse the restore.
        m_finishQueued = true;
        QMetaObject::invokeMethod(this, [this, reason] {
            m_finishQueued = false;
            finishLaunch();
            Q_EMIT failedToStart(reason);
        }, Qt::QueuedConnection);
    });
    connect(m_process, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
        Q_EMIT finished(exitCode, status == QProcess::CrashExit);
        finishLaunch();
    });
    m_process->start();

    // Recorded at once: if this program dies while the game runs, the game goes on with the
    // changed directory, and no later restore may take it away from under the game.
    if (!recordEngine(&why)) {
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(5000);
        QStringList problems{why};
        const RestoreReport back = m_journal.restore(m_trash);
        if (!back.ok())
            problems << back.headline() << back.details();
        return refuseUnlocked(u"The game was stopped at its start, since it could not be recorded as running:\n"_s + problems.join(u'\n'));
    }
    return true;
}

bool LaunchSession::recordEngine(QString *error)
{
    if (m_process->state() == QProcess::NotRunning)
        return true; // it never ran
    const qint64 pid = m_process->processId();
    const auto startTime = processinfo::startTimeOf(pid);
    if (!startTime)
        return true; // already gone: there is nothing to wait for
    return m_journal.recordEngine({pid, *startTime}, error);
}

void LaunchSession::finishLaunch()
{
    if (m_restoreOnExit) {
        const RestoreReport report = m_journal.restore(m_trash);
        unlock();
        Q_EMIT restored(report);
    } else {
        // Only the wording of the restore offered later depends on it.
        m_journal.recordKept();
        unlock();
    }
}

RestoreReport LaunchSession::restore()
{
    RestoreReport report;
    if (isRunning()) {
        report.error = u"The engine is still running; the game directory is given back when it ends."_s;
        return report;
    }
    const bool hadLock = bool(m_lock);
    if (!lock(&report.error))
        return report;
    report = m_journal.restore(m_trash);
    if (!hadLock)
        unlock();
    Q_EMIT restored(report);
    return report;
}

} // namespace ostrel

#include "moc_launchsession.cpp"
