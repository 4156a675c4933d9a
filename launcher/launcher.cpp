#include "launcher/launcher.h"

#include "launcher/fileops.h"
#include "launcher/maingroupcache.h"
#include "launcher/processinfo.h"
#include "launcher/trash.h"

#include <QDateTime>
#include <QLockFile>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

// The log of an earlier program's last launch: the names start with the time of their launch.
QString newestLogIn(const QString &folder)
{
    const QFileInfoList logs = QDir(folder).entryInfoList({u"*.log"_s}, QDir::Files, QDir::Time);
    return logs.isEmpty() ? QString() : logs.constFirst().filePath();
}

} // namespace

Launcher::Launcher(SettingsStore &store, Trash &trash, const QString &stateDir, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_trash(trash)
    , m_stateDir(stateDir)
    , m_journal(stateDir)
    , m_earlierGameWatch(new QTimer(this))
    , m_pending(m_journal.pending())
    , m_logPath(newestLogIn(logFolder()))
{
    // A game that outlived an earlier program keeps the directory until it ends; only then can
    // it be given back. No other state needs watching: this launcher makes every other change.
    m_earlierGameWatch->setInterval(1000);
    connect(m_earlierGameWatch, &QTimer::timeout, this, &Launcher::refreshPending);
    if (m_pending && m_pending->gameStillRunning)
        m_earlierGameWatch->start();
}

Launcher::~Launcher()
{
    // The engine is not left running with the game directory half given back. Should it not
    // end in time, the journal refuses the give-back and a later start offers it.
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

StoredLaunch Launcher::prepare(const QString &tcName, const LaunchSetup &setup) const
{
    return prepareStoredLaunch(m_store, tcName, setup, m_pending, m_trash, MainGroupCache::fileIn(m_stateDir));
}

bool Launcher::isRunning() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

void Launcher::stop()
{
    if (!isRunning())
        return;
    m_stopping = true;
    m_process->kill();
}

QString Launcher::logFolder() const
{
    return m_stateDir + u"/logs"_s;
}

QString Launcher::lastLogPath() const
{
    return m_logPath;
}

void Launcher::refreshPending()
{
    auto now = m_journal.pending();
    const bool earlierGame = now && now->gameStillRunning && !isRunning();
    if (earlierGame != m_earlierGameWatch->isActive())
        earlierGame ? m_earlierGameWatch->start() : m_earlierGameWatch->stop();
    const auto key = [](const std::optional<PendingJournal> &p) {
        return p ? std::tuple(true, p->path, p->gameDir, p->label, p->started, p->gameStillRunning, p->keptOnPurpose)
                 : std::tuple(false, QString(), QString(), QString(), QDateTime(), qint64(0), false);
    };
    if (key(now) == key(m_pending))
        return;
    m_pending = std::move(now);
    Q_EMIT pendingChanged();
}

bool Launcher::lock(QString *error)
{
    if (m_lock)
        return true;
    if (!fileops::makePrivateFolder(m_stateDir, error))
        return false;
    const QString path = m_stateDir + u"/launch.lock"_s;
    auto lock = std::make_unique<QLockFile>(path);
    lock->setStaleLockTime(0); // a lock is stale only when its program is gone
    // A program killed as it created the lock file, or the file QLockFile holds while it removes
    // a stale lock (.rmlock), leaves that file empty, and QLockFile then takes it for stale never,
    // or only after 30 s: every launch and give-back would be refused. A live program has its
    // file locked (flock) from the moment it writes it, and removeStaleLockFile() removes only a
    // file nobody locks; one made just now is given a moment to be written.
    for (int waited = 0; !lock->tryLock(0) && lock->error() == QLockFile::LockFailedError && waited <= 1500;
         waited += 100) {
        bool empty = false, removed = false;
        for (const QString &file : QStringList{path, path + u".rmlock"_s}) {
            const auto st = fileops::lstatPath(file);
            if (!st || !st->regular || st->size != 0)
                continue;
            empty = true;
            if (QDateTime::currentMSecsSinceEpoch() - st->mtimeNs / 1000000 > 1000)
                removed = QLockFile(file).removeStaleLockFile() || removed;
        }
        if (!empty)
            break;
        if (!removed)
            QThread::msleep(100);
    }
    if (!lock->isLocked()) {
        if (error && lock->error() == QLockFile::LockFailedError) {
            qint64 pid = 0;
            QString host, app;
            lock->getLockInfo(&pid, &host, &app);
            *error = u"Another launch is running (program %1, process %2)."_s.arg(app).arg(pid);
        } else if (error) {
            // QLockFile does not say why; a file written here tells (no space left, ...).
            const int problem = fileops::writeProblemIn(m_stateDir);
            *error =
                u"The launch journal cannot be written in \"%1\": %2. Nothing was changed; free some space there (or "
                "make the folder writable), then launch again."_s.arg(
                    m_stateDir, problem ? fileops::errorText(problem) : u"its lock file cannot be created"_s);
        }
        return false;
    }
    m_lock = std::move(lock);
    return true;
}

void Launcher::unlock()
{
    m_lock.reset();
}

bool Launcher::start(const PreparedLaunch &launch, DeleteMode mode, QString *error)
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
        refreshPending();
        return refuse(why);
    };
    if (launch.hasTrashSteps && !launch.trashAvailable && mode == DeleteMode::ToTrash)
        return refuseUnlocked(launch.trashUnavailableReason);
    for (const QString &folder : launch.command.foldersToCreate) {
        if (!fileops::makePrivateFolder(folder, &why))
            return refuseUnlocked(why);
    }
    if (!fileops::makePrivateFolder(logFolder(), &why))
        return refuseUnlocked(why);

    // The journal refuses while an earlier launch waits to be given back, whatever this
    // launcher last saw: the lock is held from here, so no other program can start one now.
    const ApplyResult applied = m_journal.apply(launch.gameDir, launch.label, launch.plan, m_trash, mode);
    if (!applied.ok() || !applied.leftAlone.isEmpty()) {
        QStringList problems;
        if (!applied.ok())
            problems << applied.error;
        for (const LeftAlone &left : applied.leftAlone)
            problems << u"%1: %2"_s.arg(left.name, left.reason);
        // Without a journal nothing was changed: its plan is written before the first step.
        if (m_journal.pending()) {
            const RestoreReport back = m_journal.restore(m_trash);
            if (!back.ok())
                problems << back.headline() << back.details();
        }
        return refuseUnlocked(
            u"The game directory could not be cleaned up, so the game was not started:\n"_s + problems.join(u'\n'));
    }

    m_label = launch.label;
    m_stopping = false;
    m_logPath = logFolder() + u'/' + QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"_s) + u'-'
        + safeFolderName(launch.label) + u".log"_s;
    delete m_process;
    m_process = new QProcess(this);
    m_process->setProgram(launch.command.program);
    m_process->setArguments(launch.command.arguments);
    m_process->setWorkingDirectory(launch.command.workingDir);
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_process->setStandardOutputFile(m_logPath, QIODevice::Truncate);
    m_process->setStandardInputFile(QProcess::nullDevice());
    connect(m_process, &QProcess::started, this, [this] { Q_EMIT started(m_label, m_logPath); });
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError processError) {
        if (processError != QProcess::FailedToStart)
            return;
        LaunchOutcome outcome;
        outcome.end = LaunchOutcome::End::FailedToStart;
        outcome.failure =
            u"The engine \"%1\" could not be started: %2."_s.arg(m_process->program(), m_process->errorString());
        // QProcess reaps the child that could not run the engine only after telling so; until
        // then the journal sees the recorded process and would refuse the give-back.
        m_finishQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this, outcome] {
                m_finishQueued = false;
                finishLaunch(outcome);
            },
            Qt::QueuedConnection);
    });
    connect(m_process, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
        LaunchOutcome outcome;
        outcome.exitCode = exitCode;
        if (m_stopping)
            outcome.end = LaunchOutcome::End::Stopped;
        else if (status == QProcess::CrashExit)
            outcome.end = LaunchOutcome::End::Crashed;
        else if (exitCode != 0)
            outcome.end = LaunchOutcome::End::ExitedWithError;
        finishLaunch(outcome);
    });
    m_process->start();

    // Recorded at once: if this program dies while the game runs, the game goes on with the
    // changed directory, and no later give-back may take it away from under the game.
    if (!recordEngine(&why)) {
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(5000);
        QStringList problems{why};
        const RestoreReport back = m_journal.restore(m_trash);
        if (!back.ok())
            problems << back.headline() << back.details();
        return refuseUnlocked(u"The game was stopped at its start, since it could not be recorded as running:\n"_s
            + problems.join(u'\n'));
    }
    refreshPending();
    return true;
}

bool Launcher::recordEngine(QString *error)
{
    if (m_process->state() == QProcess::NotRunning)
        return true; // it never ran
    const qint64 pid = m_process->processId();
    const auto startTime = processinfo::startTimeOf(pid);
    if (!startTime)
        return true; // already gone: there is nothing to wait for
    return m_journal.recordEngine({pid, *startTime}, error);
}

void Launcher::finishLaunch(LaunchOutcome outcome)
{
    outcome.label = m_label;
    outcome.logPath = m_logPath;
    Q_EMIT gameEnded();
    if (m_restoreOnExit) {
        outcome.restore = m_journal.restore(m_trash);
    } else {
        // Only the wording of the give-back offered later depends on it.
        m_journal.recordKept();
    }
    unlock();
    refreshPending();
    Q_EMIT ended(outcome);
}

RestoreReport Launcher::restore()
{
    RestoreReport report;
    if (isRunning()) {
        report.error = u"The engine is still running; the game directory is given back when it ends."_s;
        return report;
    }
    if (!lock(&report.error))
        return report;
    report = m_journal.restore(m_trash);
    unlock();
    refreshPending();
    return report;
}

} // namespace ostrel

#include "moc_launcher.cpp"
