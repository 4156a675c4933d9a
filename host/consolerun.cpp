#include "host/consolerun.h"

#include "host/exitstatus.h"
#include "host/stopsignals.h"
#include "host/hostsettings.h"
#include "host/plansummary.h"

#include <installer/tcinstaller.h>
#include <installer/tcroot.h>
#include <launcher/launcher.h>
#include <launcher/trash.h>
#include <store/definitionstore.h>
#include <store/sqlitesettingsstore.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>

#include <cstdio>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

// Each line on its own says where it comes from, also among a script's other output.
void say(const QString &text)
{
    QString lines;
    for (const QString &line : text.split(u'\n'))
        lines += u"quillon: "_s + line + u'\n';
    std::fputs(lines.toLocal8Bit().constData(), stderr);
}

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

void ConsoleRun::out(const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}

bool ConsoleRun::onTerminal()
{
    return ::isatty(STDIN_FILENO) == 1;
}

// Asks on the terminal; only "y" or "yes" agrees.
bool ConsoleRun::agrees(const QString &question)
{
    std::fputs((question + u" [y/N] "_s).toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    char answer[64] = {};
    if (!std::fgets(answer, sizeof answer, stdin))
        return false;
    const QString text = QString::fromLocal8Bit(answer).trimmed();
    return text.compare(u"y"_s, Qt::CaseInsensitive) == 0 || text.compare(u"yes"_s, Qt::CaseInsensitive) == 0;
}

// What an install cut short left in the TCs' folder goes before TCs are read: a TC folder
// whose definition was never saved must not be taken for one. Nothing at all to do (one
// lstat) while Quillon has installed no TC.
void ConsoleRun::removeUnfinishedInstalls(SettingsStore &store)
{
    for (const QString &problem : ostrel::removeUnfinishedInstalls(defaultTcRoot(), store).problems)
        say(problem);
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
    case CommandLine::Mode::FindGames:
        return findGames();
    case CommandLine::Mode::CreateShortcut:
        return createShortcut();
    case CommandLine::Mode::AddTc:
        return addTc();
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
        if (c.category() != QChar::Other_Control && c.category() != QChar::Separator_Line
            && c.category() != QChar::Separator_Paragraph) {
            line += c;
            continue;
        }
        for (const char byte : QString(c).toUtf8())
            line += u"\\x%1"_s.arg(uint(uchar(byte)), 2, 16, QChar(u'0'));
    }
    return line;
}

} // namespace

QString ConsoleRun::oneLine(const QString &text)
{
    return listedName(text);
}

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
    removeUnfinishedInstalls(store);
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
    removeUnfinishedInstalls(store);
    HostSettings settings = HostSettings::read(store);
    m_line.applyOverrides(settings);
    if (settings.gameDir.isEmpty())
        useLikeliestInstall(settings);
    DesktopTrash trash;
    Launcher launcher(store, trash);
    const StoredLaunch launch = launcher.prepare(m_line.tcName, settings.launchSetup());
    if (!launch.ok()) {
        say(launch.message
            + (launch.refusal == LaunchRefusal::StoreUnreadable ? u" Quillon left it as it is."_s : QString()));
        if (const auto &pending = launcher.pending())
            say(pending->gameStillRunning
                    ? u"once the game has ended, \"quillon --restore\" gives the game directory back."_s
                    : u"\"quillon --restore\" gives the game directory back."_s);
        return statusFor(launch.refusal);
    }
    const PreparedLaunch &prepared = launch.prepared;
    const bool onlyForGood = prepared.hasTrashSteps && !prepared.trashAvailable;
    const DeleteMode mode = onlyForGood ? DeleteMode::RemoveForGood : DeleteMode::ToTrash;
    out(u"TC: %1\nGame directory: %2\n"_s.arg(prepared.label, prepared.gameDir)
        + PlanSummary::of(prepared, mode).text());
    if (m_line.dryRun)
        return kExitSuccess;
    if (const int declined = askBeforeLaunching(prepared, onlyForGood))
        return declined;

    launcher.setRestoreOnExit(!m_line.noRestore);
    QEventLoop loop;
    std::optional<LaunchOutcome> outcome;
    // A game already ended (by the same Ctrl+C, say) is being given back: the loop ends by itself.
    StopSignals stopSignals(!m_line.noRestore, [&] { launcher.stop(); });
    QObject::connect(&launcher, &Launcher::started, &loop,
        [](const QString &, const QString &log) { say(u"the game runs; its output goes to %1"_s.arg(log)); });
    // From then on a signal only hears that Quillon is still giving the directory back.
    QObject::connect(&launcher, &Launcher::gameEnded, &loop, [&] { stopSignals.gameEnded(); });
    QObject::connect(&launcher, &Launcher::ended, &loop, [&](const LaunchOutcome &ended) {
        outcome = ended;
        loop.quit();
    });
    QString error;
    if (!launcher.start(prepared, mode, &error)) {
        say(launchRefusedText(prepared.label, error));
        return kExitRefused;
    }
    loop.exec();
    return reportOutcome(*outcome, stopSignals.received());
}

// Every answer the player must give before anything changes; 0 when they agreed, else the
// exit status.
int ConsoleRun::askBeforeLaunching(const PreparedLaunch &prepared, bool onlyForGood) const
{
    if (prepared.version.fit == VersionFit::AskFirst) {
        // A TC that may break on this game does not start unseen from a script: --yes does not
        // agree to it, only the player on a terminal.
        say(versionQuestionText(prepared));
        if (!onTerminal()) {
            say(u"refused: a TC made for another version of the game is launched only when agreed on a terminal; "
                "nothing was changed."_s);
            return kExitRefused;
        }
        if (!agrees(u"Launch it anyway?"_s)) {
            say(u"nothing was changed."_s);
            return kExitRefused;
        }
    }
    if (onlyForGood) {
        // Files that cannot come back need the player's own word; --yes does not give it.
        say(u"%1 The files listed under \"Deleted for good\" cannot be recovered."_s.arg(
            prepared.trashUnavailableReason));
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
    return kExitSuccess;
}

// How the launch ended and what the give-back did, as lines on standard error and a status.
int ConsoleRun::reportOutcome(const LaunchOutcome &outcome, int signal) const
{
    int status = kExitSuccess;
    if (signal) {
        // The game had the signal too, maybe (a terminal sends Ctrl+C to it as well): not its error.
        say(u"interrupted by %1: the game was ended."_s.arg(signalName(signal)));
        status = kExitInterrupted + signal;
    } else {
        switch (outcome.end) {
        case LaunchOutcome::End::Ended:
        case LaunchOutcome::End::Stopped:
            break;
        case LaunchOutcome::End::FailedToStart:
            say(outcome.failure);
            status = kExitEngineNotStarted;
            break;
        case LaunchOutcome::End::Crashed:
            say(u"the game crashed."_s);
            status = kExitGameFailed;
            break;
        case LaunchOutcome::End::ExitedWithError:
            say(u"the game exited with status %1."_s.arg(outcome.exitCode));
            status = kExitGameFailed;
            break;
        }
    }
    say(u"the game's log: %1"_s.arg(outcome.logPath));
    if (!outcome.restore)
        say(u"the game directory was left as the game left it; \"quillon --restore\" gives it back."_s);
    else if (!reportRestore(*outcome.restore))
        status = kExitNotRestored;
    return status;
}

int ConsoleRun::restore()
{
    SqliteSettingsStore store(m_line.storePath.isEmpty() ? SqliteSettingsStore::defaultPath() : m_line.storePath);
    DesktopTrash trash;
    Launcher launcher(store, trash);
    const auto &pending = launcher.pending();
    if (!pending) {
        say(u"no game directory is waiting to be given back."_s);
        return kExitSuccess;
    }
    if (!pending->gameStillRunning) {
        say(u"giving back \"%1\", changed by the launch of \"%2\" on %3."_s.arg(
            pending->gameDir, pending->label, pending->started.toString(Qt::ISODate)));
    }
    const RestoreReport report = launcher.restore();
    if (report.gameStillRunning) {
        say(report.error);
        say(u"run \"quillon --restore\" again once the game has ended."_s);
        return kExitNotRestored;
    }
    return reportRestore(report) ? kExitSuccess : kExitNotRestored;
}

} // namespace ostrel
