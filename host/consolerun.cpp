#include "host/consolerun.h"

#include "host/exitstatus.h"
#include "host/hostlaunch.h"
#include "host/hostsettings.h"
#include "host/plansummary.h"

#include <launcher/launchsession.h>
#include <launcher/trash.h>
#include <store/definitionstore.h>
#include <store/sqlitesettingsstore.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

void out(const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}


// Each line on its own says where it comes from, also among a script's other output.
void say(const QString &text)
{
    QString lines;
    for (const QString &line : text.split(u'\n'))
        lines += u"quillon: "_s + line + u'\n';
    std::fputs(lines.toLocal8Bit().constData(), stderr);
}

bool onTerminal()
{
    return ::isatty(STDIN_FILENO) == 1;
}

// Asks on the terminal; only "y" or "yes" agrees.
bool agrees(const QString &question)
{
    std::fputs((question + u" [y/N] "_s).toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    char answer[64] = {};
    if (!std::fgets(answer, sizeof answer, stdin))
        return false;
    const QString text = QString::fromLocal8Bit(answer).trimmed();
    return text.compare(u"y"_s, Qt::CaseInsensitive) == 0 || text.compare(u"yes"_s, Qt::CaseInsensitive) == 0;
}

// A signal handler may only write: to a pipe, which the event loop reads, and to standard error.
int g_signalPipe[2] = {-1, -1};
volatile sig_atomic_t g_stopSignal = 0; // the first SIGINT, SIGTERM or SIGHUP of the launch
volatile sig_atomic_t g_ending = 0;     // from then, or the game's end, until quillon is done
QByteArray g_stillEnding;               // what a further signal is told meanwhile

void onStopSignal(int signal)
{
    const int savedErrno = errno;
    if (g_ending) {
        [[maybe_unused]] const ssize_t said = ::write(STDERR_FILENO, g_stillEnding.constData(), size_t(g_stillEnding.size()));
    } else {
        g_stopSignal = signal;
        g_ending = 1;
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
    }
    errno = savedErrno;
}

QString signalName(int signal)
{
    switch (signal) {
    case SIGINT:
        return u"SIGINT (Ctrl+C)"_s;
    case SIGHUP:
        return u"SIGHUP (the terminal was closed)"_s;
    case SIGTERM:
        return u"SIGTERM"_s;
    }
    return u"signal %1"_s.arg(signal);
}

// SIGINT (Ctrl+C), SIGTERM and SIGHUP (the terminal closed) end the game and give the
// directory back, rather than leave it changed until the next --restore. They are handled
// from before the clean-up until quillon is done: a terminal sends Ctrl+C to the game too,
// and timeout or a second Ctrl+C signals again while the directory is being given back.
class StopSignals
{
public:
    StopSignals(bool givingBack, const std::function<void()> &onStop)
    {
        g_stopSignal = 0;
        g_ending = 0;
        g_stillEnding = givingBack ? "quillon: still giving the game directory back; Quillon ends once it is back.\n"
                                   : "quillon: still ending the game; Quillon ends once it has ended.\n";
        if (::pipe2(g_signalPipe, O_CLOEXEC) != 0)
            return;
        m_notifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [onStop] {
            char byte;
            [[maybe_unused]] const ssize_t read = ::read(g_signalPipe[0], &byte, 1);
            onStop();
        });
        struct sigaction action = {};
        action.sa_handler = onStopSignal;
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP})
            ::sigaction(signal, &action, nullptr);
        // A closed terminal or pipe must not end quillon halfway through the give-back.
        ::signal(SIGPIPE, SIG_IGN);
    }

    ~StopSignals()
    {
        if (!m_notifier)
            return;
        // quillon only returns its status from here on; a late signal would end it with
        // another, and the pipe is closed.
        for (const int signal : {SIGINT, SIGTERM, SIGHUP})
            ::signal(signal, SIG_IGN);
        m_notifier.reset();
        ::close(g_signalPipe[0]);
        ::close(g_signalPipe[1]);
        g_signalPipe[0] = g_signalPipe[1] = -1;
    }

    /// The first stop signal, 0 when none came.
    int received() const { return g_stopSignal; }
    /// The game ended by itself: a signal from now on only hears that quillon is still at it.
    void gameEnded() { g_ending = 1; }

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
};

int statusFor(LaunchRefusal refusal)
{
    switch (refusal) {
    case LaunchRefusal::None:
        return kExitSuccess;
    case LaunchRefusal::StoreUnreadable:
        return kExitStoreUnreadable;
    case LaunchRefusal::NoSuchTc:
    case LaunchRefusal::AmbiguousName:
        return kExitNoSuchTc;
    case LaunchRefusal::EngineNotFound:
        return kExitEngineNotStarted;
    case LaunchRefusal::UnknownPreference:
    case LaunchRefusal::Refused:
        break;
    }
    return kExitRefused;
}

// Tells what a restore did, as the window does; true when everything came back.
bool reportRestore(const RestoreReport &report)
{
    for (const QString &line : report.details())
        say(line);
    say(report.headline());
    return report.ok();
}

} // namespace

void ConsoleRun::say(const QString &text)
{
    ostrel::say(text);
}

ConsoleRun::ConsoleRun(const CommandLine &line)
    : m_line(line)
{
}

int ConsoleRun::exec()
{
    switch (m_line.mode) {
    case CommandLine::Mode::Help:
        out(CommandLine::helpText());
        return kExitSuccess;
    case CommandLine::Mode::Version:
        out(u"quillon %1\n"_s.arg(QCoreApplication::applicationVersion()));
        return kExitSuccess;
    case CommandLine::Mode::List:
        return list();
    case CommandLine::Mode::Launch:
        return launch();
    case CommandLine::Mode::Restore:
        return restore();
    case CommandLine::Mode::Window:
    case CommandLine::Mode::Script:
        break;
    }
    say(u"this mode needs a window."_s);
    return kExitBadUsage;
}

namespace {

// One name a line, whatever it holds: a backslash, line breaks, tabs and other control
// characters are written as printf's %b reads them back.
QString listedName(const QString &name)
{
    QString line;
    for (const QChar c : name) {
        switch (c.unicode()) {
        case u'\\':
            line += u"\\\\"_s;
            continue;
        case u'\n':
            line += u"\\n"_s;
            continue;
        case u'\r':
            line += u"\\r"_s;
            continue;
        case u'\t':
            line += u"\\t"_s;
            continue;
        }
        if (c.category() != QChar::Other_Control && c.category() != QChar::Separator_Line && c.category() != QChar::Separator_Paragraph) {
            line += c;
            continue;
        }
        for (const char byte : QString(c).toUtf8())
            line += u"\\x%1"_s.arg(uint(uchar(byte)), 2, 16, QChar(u'0'));
    }
    return line;
}

} // namespace

// Checked once, before anything is read: a store that another program holds is waited for
// once, not at every read, and a store that cannot be read is one message.
bool ConsoleRun::storeReadable(const SqliteSettingsStore &store) const
{
    // The per-user store is made by the first save; a store named on the command line is
    // expected to be there.
    if (!m_line.storePath.isEmpty() && !QFileInfo::exists(m_line.storePath)) {
        say(u"The settings store \"%1\" does not exist."_s.arg(store.location()));
        return false;
    }
    if (const QString problem = store.readProblem(); !problem.isEmpty()) {
        say(problem + u" Quillon left it as it is."_s);
        return false;
    }
    return true;
}

int ConsoleRun::list()
{
    SqliteSettingsStore store(m_line.storePath.isEmpty() ? SqliteSettingsStore::defaultPath() : m_line.storePath);
    if (!storeReadable(store))
        return kExitStoreUnreadable;
    QString names;
    int empty = 0;
    for (const QString &name : DefinitionStore(store).names()) {
        names += listedName(name) + u'\n';
        empty += name.isEmpty() ? 1 : 0;
    }
    out(names);
    if (empty > 0)
        say(empty == 1 ? u"one of the stored names is empty; it is listed as an empty line."_s
                       : u"%1 of the stored names are empty; they are listed as empty lines."_s.arg(empty));
    return kExitSuccess;
}

int ConsoleRun::launch()
{
    SqliteSettingsStore store(m_line.storePath.isEmpty() ? SqliteSettingsStore::defaultPath() : m_line.storePath);
    if (!storeReadable(store))
        return kExitStoreUnreadable;
    HostSettings settings = HostSettings::read(store);
    m_line.applyOverrides(settings);
    DesktopTrash trash;
    const HostLaunch launch = prepareHostLaunch(store, settings, m_line.tcName, trash);
    if (!launch.ok()) {
        say(launch.message + (launch.refusal == LaunchRefusal::StoreUnreadable ? u" Quillon left it as it is."_s : QString()));
        if (const auto pending = LaunchSession::leftoverJournal())
            say(pending->gameStillRunning ? u"once the game has ended, \"quillon --restore\" gives the game directory back."_s
                                          : u"\"quillon --restore\" gives the game directory back."_s);
        return statusFor(launch.refusal);
    }
    const PreparedLaunch &prepared = launch.prepared;
    const bool onlyForGood = prepared.hasTrashSteps && !prepared.trashAvailable;
    const DeleteMode mode = onlyForGood ? DeleteMode::RemoveForGood : DeleteMode::ToTrash;
    out(u"TC: %1\nGame directory: %2\n"_s.arg(prepared.label, prepared.gameDir) + PlanSummary::of(prepared, mode).text());
    if (m_line.dryRun)
        return kExitSuccess;

    if (!prepared.version.matches)
        say(u"warning: %1"_s.arg(versionMismatchText(prepared)));
    if (onlyForGood) {
        // Files that cannot come back need the player's own word; --yes does not give it.
        say(u"%1 The files listed under \"Deleted for good\" cannot be recovered."_s.arg(prepared.trashUnavailableReason));
        if (!onTerminal()) {
            say(u"refused: deleting files for good must be agreed on a terminal."_s);
            return kExitRefused;
        }
        if (!agrees(u"Delete them for good?"_s)) {
            say(u"nothing was changed."_s);
            return kExitRefused;
        }
    }
    if (!m_line.yes) {
        if (!onTerminal()) {
            say(u"standard input is not a terminal, so nobody can be asked: give --yes to apply the plan. Nothing was changed."_s);
            return kExitRefused;
        }
        if (!agrees(u"Apply?"_s)) {
            say(u"nothing was changed."_s);
            return kExitRefused;
        }
    }

    auto session = std::make_unique<LaunchSession>(trash);
    session->setRestoreOnExit(!m_line.noRestore);
    QEventLoop loop;
    QString failure;
    std::optional<std::pair<int, bool>> ended;
    std::optional<RestoreReport> restored;
    // A game already ended (by the same Ctrl+C, say) is being given back: the loop ends by itself.
    StopSignals stopSignals(!m_line.noRestore, [&] {
        if (session->isRunning())
            loop.quit();
    });
    QObject::connect(session.get(), &LaunchSession::started, &loop, [](const QString &log) {
        say(u"the game runs; its output goes to %1"_s.arg(log));
    });
    QObject::connect(session.get(), &LaunchSession::failedToStart, &loop, [&](const QString &reason) {
        stopSignals.gameEnded();
        failure = reason;
        if (m_line.noRestore)
            loop.quit();
    });
    QObject::connect(session.get(), &LaunchSession::finished, &loop, [&](int code, bool crashed) {
        stopSignals.gameEnded();
        ended = {code, crashed};
        if (m_line.noRestore)
            loop.quit();
    });
    // The session gives the directory back before (failed start) or after (end) telling
    // how the engine ended; the loop ends once both are known.
    QObject::connect(session.get(), &LaunchSession::restored, &loop, [&](const RestoreReport &report) {
        restored = report;
        loop.quit();
    });
    QString error;
    if (!session->start(prepared, mode, &error)) {
        say(launchRefusedText(prepared.label, error));
        return kExitRefused;
    }
    loop.exec();
    const QString logPath = session->logPath();

    int status = kExitSuccess;
    const int signal = stopSignals.received();
    if (signal && session->isRunning()) {
        // Ending the session ends the game and, unless told otherwise, gives the directory back.
        say(u"interrupted by %1: the game was ended."_s.arg(signalName(signal)));
        session.reset();
        status = kExitInterrupted + signal;
        if (m_line.noRestore) {
            say(u"the game directory was left as the game left it; \"quillon --restore\" gives it back."_s);
        } else if (LaunchSession::leftoverJournal()) {
            say(u"the game directory could not be fully given back; \"quillon --restore\" tries again."_s);
            status = kExitNotRestored;
        } else {
            say(u"the game directory is back as it was."_s);
        }
        say(u"the game's log: %1"_s.arg(logPath));
        return status;
    }
    if (signal && ended) {
        // The game had the signal too (a terminal sends Ctrl+C to it as well): not its error.
        say(u"interrupted by %1: the game was ended."_s.arg(signalName(signal)));
        status = kExitInterrupted + signal;
    } else if (!failure.isEmpty()) {
        say(failure);
        status = kExitEngineNotStarted;
    } else if (ended && ended->second) {
        say(u"the game crashed."_s);
        status = kExitGameFailed;
    } else if (ended && ended->first != 0) {
        say(u"the game exited with status %1."_s.arg(ended->first));
        status = kExitGameFailed;
    }
    say(u"the game's log: %1"_s.arg(logPath));
    if (m_line.noRestore) {
        say(u"the game directory was left as the game left it; \"quillon --restore\" gives it back."_s);
    } else if (!restored || !reportRestore(*restored)) {
        status = kExitNotRestored;
    }
    return status;
}

int ConsoleRun::restore()
{
    const auto pending = LaunchSession::leftoverJournal();
    if (!pending) {
        say(u"no game directory is waiting to be given back."_s);
        return kExitSuccess;
    }
    if (!pending->gameStillRunning) {
        say(u"giving back \"%1\", changed by the launch of \"%2\" on %3."_s.arg(
            pending->gameDir, pending->label, pending->started.toString(Qt::ISODate)));
    }
    DesktopTrash trash;
    LaunchSession session(trash);
    const RestoreReport report = session.restore();
    if (report.gameStillRunning) {
        say(report.error);
        say(u"run \"quillon --restore\" again once the game has ended."_s);
        return kExitNotRestored;
    }
    return reportRestore(report) ? kExitSuccess : kExitNotRestored;
}

} // namespace ostrel
