#include "launcher/fileops.h"
#include "launcher/launchpreparation.h"
#include "launcher/launcher.h"
#include "store/memorysettingsstore.h"

#include "tests/launcher/launchertesting.h"

#include "tests/support/printers.h"
#include "tests/support/sandbox.h"
#include "tests/support/testfiles.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLockFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/resource.h>
#include <sys/time.h>

using namespace Qt::StringLiterals;
using namespace ostrel;

namespace {

// A TC whose folder name holds everything a shell would mangle.
struct TcAndGameDir {
    test::Sandbox sandbox;
    QString gameDir = sandbox.path() + u"/Duke Nukem 3D"_s;
    QString tcDir = sandbox.path() + u"/tcs/it's \"odd\" $(touch x) `y`\nline"_s;
    LaunchRequest request;
    DesktopTrash trash;
    MemorySettingsStore store;

    TcAndGameDir()
    {
        test::writeFile(gameDir + u"/DUKE3D.GRP"_s, "main group");
        test::writeFile(gameDir + u"/e1l1.map"_s, "a leftover of another TC");
        test::writeFile(gameDir + u"/README.TXT"_s, "the player's notes");
        test::writeFile(tcDir + u"/MYTC.GRP"_s, test::grpBytes({{"E1L1.MAP", "tc map"}, {"TILES000.ART", "art"}}));
        test::writeFile(tcDir + u"/MYTC.CON"_s, "tc con");
        request.tc =
            TcDefinition{u"Odd TC"_s, u"1.3D and 1.4/1.5"_s, tcDir + u"/MYTC.GRP"_s, tcDir + u"/MYTC.CON"_s, {}, {}};
        request.gameDir = gameDir;
        request.engine = EngineSettings{EngineKind::Custom, QStringLiteral(OSTREL_FAKE_ENGINE),
            u"--game {gamedir} --group {group} [-x {con}] --save {savedir} \"two words\""_s, false};
        sandbox.setEnv("FAKE_ENGINE_RECORD", QFile::encodeName(sandbox.file(u"record"_s)));
        sandbox.setEnv("FAKE_ENGINE_EXIT", std::nullopt);
        sandbox.setEnv("FAKE_ENGINE_SLEEP_MS", std::nullopt);
    }

    QMultiMap<QByteArray, QByteArray> record() const { return test::fakeEngineRecord(sandbox.file(u"record"_s)); }
};

// Runs the event loop until the launcher tells how the launch ended.
std::optional<LaunchOutcome> waitForOutcome(Launcher &launcher)
{
    std::optional<LaunchOutcome> outcome;
    QEventLoop loop;
    QObject::connect(&launcher, &Launcher::ended, &loop, [&](const LaunchOutcome &o) {
        outcome = o;
        loop.quit();
    });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    return outcome;
}

// However the engine ends, even when it cannot be started at all, the directory comes back.
TEST(Launcher, TheEngineGetsItsArgumentsUnchangedAndTheGameDirectoryComesBackHoweverItEnds)
{
    TcAndGameDir s;
    const test::Snapshot before = test::snapshotOf(s.gameDir);
    // A program that exists but cannot be run: its interpreter is missing.
    const QString broken = s.sandbox.path() + u"/broken engine"_s;
    test::writeFile(broken, "#!/nonexistent/interpreter\n");
    QFile::setPermissions(broken, QFile::ReadOwner | QFile::ExeOwner);
    const QString save = s.sandbox.dataHome() + u"/quillon/saves/Odd TC"_s;
    QList<QByteArray> expected;
    for (const QString &arg : QStringList{u"--game"_s, s.gameDir, u"--group"_s, s.tcDir + u"/MYTC.GRP"_s, u"-x"_s,
             s.tcDir + u"/MYTC.CON"_s, u"--save"_s, save, u"two words"_s})
        expected.prepend(arg.toUtf8()); // QMultiMap hands back the latest first

    const QString fake = QStringLiteral(OSTREL_FAKE_ENGINE);
    for (const auto &[program, exitCode] : {std::pair{fake, 0}, {fake, 3}, {broken, 0}}) {
        SCOPED_TRACE(program.toStdString() + " exiting with " + std::to_string(exitCode));
        qputenv("FAKE_ENGINE_EXIT", QByteArray::number(exitCode));
        QFile::remove(s.sandbox.path() + u"/record"_s);
        s.request.engine.program = program;
        Launcher launcher(s.store, s.trash, s.sandbox.stateDir());
        int pendingChanges = 0;
        QObject::connect(&launcher, &Launcher::pendingChanged, [&] { ++pendingChanges; });
        QString error;
        ASSERT_TRUE(launcher.start(prepareLaunch(s.request, s.trash), DeleteMode::ToTrash, &error))
            << error.toStdString();
        EXPECT_TRUE(launcher.pending().has_value());
        const auto outcome = waitForOutcome(launcher);
        ASSERT_TRUE(outcome.has_value() && outcome->restore.has_value());
        EXPECT_TRUE(outcome->restore->ok()) << outcome->restore->error.toStdString();
        EXPECT_EQ(outcome->label, u"Odd TC"_s);
        EXPECT_EQ(test::snapshotOf(s.gameDir), before);
        // Known without asking the disk again: the journal came and went.
        EXPECT_FALSE(launcher.pending().has_value());
        EXPECT_EQ(pendingChanges, 2);
        if (program == broken) {
            EXPECT_EQ(outcome->end, LaunchOutcome::End::FailedToStart);
            EXPECT_TRUE(outcome->failure.contains(u"broken engine"_s)) << outcome->failure.toStdString();
            continue;
        }
        EXPECT_EQ(outcome->end, exitCode ? LaunchOutcome::End::ExitedWithError : LaunchOutcome::End::Ended);
        EXPECT_EQ(outcome->exitCode, exitCode);
        const auto facts = s.record();
        EXPECT_EQ(facts.values("arg"), expected);
        EXPECT_EQ(facts.value("cwd"), s.gameDir.toUtf8());
        EXPECT_TRUE(facts.values("entry").contains("e1l1.map.org") && !facts.values("entry").contains("e1l1.map"));
        EXPECT_TRUE(QFileInfo(save).isDir());
        EXPECT_EQ(launcher.lastLogPath(), outcome->logPath);
        const QByteArray log = test::readBytes(outcome->logPath);
        EXPECT_TRUE(log.contains("fake engine: standard output") && log.contains("fake engine: standard error"))
            << log.toStdString();
    }
}

// What the next Quillon finds if this one dies while the game runs: the journal alone, which
// names the game, so that neither another launch nor a restore takes the directory from under it.
// The running one holds its own record: a journal damaged or removed during the game is written
// again, and the directory given back from it.
TEST(Launcher, WhileTheGameRunsItIsRecordedAndNoOtherLaunchOrRestoreGoesAhead)
{
    for (const char *meanwhile :
        {"nothing", "a line of the journal edited", "the journal removed, the game directory moved away"}) {
        SCOPED_TRACE(meanwhile);
        TcAndGameDir s;
        const test::Snapshot before = test::snapshotOf(s.gameDir);
        qputenv("FAKE_ENGINE_SLEEP_MS", "60000");
        Launcher launcher(s.store, s.trash, s.sandbox.stateDir());
        ASSERT_TRUE(launcher.start(prepareLaunch(s.request, s.trash)));
        for (int waited = 0; !s.record().contains("pid") && waited < 10000; waited += 10)
            QThread::msleep(10);
        const qint64 game = s.record().value("pid").toLongLong();
        ASSERT_GT(game, 0);
        const test::Snapshot during = test::snapshotOf(s.gameDir);

        const auto pending = LaunchJournal(s.sandbox.stateDir()).pending();
        ASSERT_TRUE(pending.has_value());
        EXPECT_EQ(pending->label, u"Odd TC"_s);
        EXPECT_EQ(pending->gameStillRunning, game);
        EXPECT_EQ(LaunchJournal(s.sandbox.stateDir()).restore(s.trash).gameStillRunning, game);
        QString error;
        Launcher second(s.store, s.trash, s.sandbox.stateDir());
        EXPECT_EQ(second.pending()->gameStillRunning, game);
        EXPECT_FALSE(second.start(prepareLaunch(s.request, s.trash), DeleteMode::ToTrash, &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_TRUE(launcher.restore().error.contains(u"still running"_s));
        EXPECT_EQ(test::snapshotOf(s.gameDir), during);

        const QString journal = LaunchJournal(s.sandbox.stateDir()).path();
        const bool movedAway = QByteArray(meanwhile).contains("moved");
        if (QByteArray(meanwhile).contains("edited"))
            test::writeFile(journal, test::readBytes(journal).replace("=e1l1.map ", "=E1L1.MAP "));
        if (movedAway) {
            ASSERT_TRUE(QFile::remove(journal));
            ASSERT_TRUE(QDir().rename(s.gameDir, s.gameDir + u" away"_s));
        }

        // The game ends (killed, or stopped by the launcher): the directory comes back as always.
        const bool stopped = QByteArray(meanwhile) == "nothing";
        if (stopped)
            launcher.stop();
        else
            ::kill(pid_t(game), SIGKILL);
        const auto outcome = waitForOutcome(launcher);
        ASSERT_TRUE(outcome.has_value() && outcome->restore.has_value());
        EXPECT_EQ(outcome->end, stopped ? LaunchOutcome::End::Stopped : LaunchOutcome::End::Crashed);
        const auto &report = outcome->restore;
        EXPECT_EQ(report->notes.isEmpty(), QByteArray(meanwhile) == "nothing")
            << report->notes.join(u' ').toStdString();
        if (movedAway) {
            // Nothing could be given back, but the journal is there again for a later program.
            EXPECT_TRUE(report->error.contains(u"is not there"_s)) << report->error.toStdString();
            ASSERT_TRUE(QDir().rename(s.gameDir + u" away"_s, s.gameDir));
            const RestoreReport later = LaunchJournal(s.sandbox.stateDir()).restore(s.trash);
            EXPECT_TRUE(later.ok()) << later.error.toStdString();
        } else {
            EXPECT_TRUE(report->ok()) << report->error.toStdString();
        }
        EXPECT_EQ(test::snapshotOf(s.gameDir), before);
        EXPECT_FALSE(QFile::exists(journal));
    }
}

// The DOS game writes its saves in the game directory: the TC's go in for the game and come
// back with what it wrote, new ones too; the player's own saves there are set aside meanwhile,
// neither seen by the game nor written over. With the save folder on the game directory's drive
// (renames) and on another (copies, then removals).
class LauncherDosSaves : public testing::TestWithParam<bool>
{
};

TEST_P(LauncherDosSaves, TheTcsSavesGoInForTheGameAndComeBackWithWhatItWrote)
{
    TcAndGameDir s;
    std::optional<QTemporaryDir> otherDrive;
    if (GetParam()) {
        otherDrive.emplace(u"/dev/shm/quillon-saves-XXXXXX"_s);
        const auto there = otherDrive->isValid() ? fileops::lstatPath(otherDrive->path()) : std::nullopt;
        if (!there || there->device == fileops::lstatPath(s.gameDir)->device)
            GTEST_SKIP() << "no other file system at /dev/shm";
        s.request.saveRoot = otherDrive->path();
    }
    const QString saves = (GetParam() ? otherDrive->path() : s.sandbox.dataHome() + u"/quillon/saves"_s) + u"/Odd TC"_s;
    test::writeFile(s.gameDir + u"/DUKE3D.EXE"_s, "MZ");
    test::writeFile(s.gameDir + u"/game0.sav"_s, "the player's own slot 0");
    test::writeFile(s.gameDir + u"/GAME0.SAV.org"_s, "set aside by the player");
    test::writeFile(saves + u"/GAME0.SAV"_s, "the TC's slot 0, as it was");
    test::writeFile(saves + u"/GAME1.SAV"_s, "the TC's slot 1");
    const test::Snapshot before = test::snapshotOf(s.gameDir);
    s.request.engine = EngineSettings{EngineKind::DosBox, QStringLiteral(OSTREL_FAKE_ENGINE), {}, false};
    qputenv("FAKE_ENGINE_SAVES", "GAME0.SAV=CHANGED;GAME4.SAV=a new save");

    Launcher launcher(s.store, s.trash, s.sandbox.stateDir());
    const PreparedLaunch launch = prepareLaunch(s.request, s.trash);
    QString error;
    ASSERT_TRUE(launcher.start(launch, DeleteMode::ToTrash, &error)) << error.toStdString();
    const auto outcome = waitForOutcome(launcher);
    qunsetenv("FAKE_ENGINE_SAVES");
    ASSERT_TRUE(outcome.has_value() && outcome->restore.has_value());
    EXPECT_TRUE(outcome->restore->ok()) << outcome->restore->details().join(u'\n').toStdString();
    EXPECT_TRUE(outcome->restore->notes.contains(
        u"The TC's saves went back to its save folder \"%1\": GAME4.SAV, GAME1.SAV, GAME0.SAV."_s.arg(saves)))
        << outcome->restore->notes.join(u'\n').toStdString();
    const QList<QByteArray> seen = s.record().values("entry");
    EXPECT_TRUE(seen.contains("GAME1.SAV") && seen.contains("game0.sav.1.org"));
    EXPECT_EQ(test::snapshotOf(s.gameDir), before);
    // The game changed the TC's save, not the player's.
    EXPECT_EQ(test::snapshotOf(saves),
        (test::Snapshot{{"GAME0.SAV", "CHANGEDs slot 0, as it was"}, {"GAME1.SAV", "the TC's slot 1"},
            {"GAME4.SAV", "a new save"}}));
}

INSTANTIATE_TEST_SUITE_P(Launcher, LauncherDosSaves, testing::Values(false, true),
    [](const auto &info) { return info.param ? "SaveFolderOnAnotherDrive" : "SaveFolderBesideTheGame"; });

// A launcher killed as it made its lock file, or as it removed a stale one (QLockFile holds a
// .rmlock meanwhile), leaves that file empty: the next launcher goes ahead all the same, while a
// lock that another launcher holds still refuses.
TEST(Launcher, AnEmptyLockFileLeftByAKilledLauncherBlocksNothing)
{
    TcAndGameDir s;
    const QString lockFile = s.sandbox.stateDir() + u"/launch.lock"_s;
    const timeval made[2] = {{::time(nullptr) - 5, 0}, {::time(nullptr) - 5, 0}};
    // No process has a number that high (pid_max is at most 2^22).
    for (const QByteArray &lock :
        QList<QByteArray>{{}, "99999999\nquillon\n" + QSysInfo::machineHostName().toUtf8() + '\n'}) {
        test::writeFile(lockFile, lock);
        const QString empty = lock.isEmpty() ? lockFile : test::writeFile(lockFile + u".rmlock"_s, "");
        ASSERT_EQ(::utimes(QFile::encodeName(empty).constData(), made), 0);
        EXPECT_EQ(Launcher(s.store, s.trash, s.sandbox.stateDir()).restore().error,
            u"No game directory is waiting to be given back."_s);
    }
    QLockFile held(lockFile);
    ASSERT_TRUE(held.tryLock(0));
    EXPECT_TRUE(
        Launcher(s.store, s.trash, s.sandbox.stateDir()).restore().error.startsWith(u"Another launch is running"_s));
}

TEST(Launcher, BadInputIsRefusedWithAClearMessageAndNothingChanged)
{
    TcAndGameDir s;
    const test::Snapshot before = test::snapshotOf(s.sandbox.path());
    const auto refusal = [&](const std::function<void(LaunchRequest &)> &change) {
        LaunchRequest request = s.request;
        change(request);
        return prepareLaunch(request, s.trash).error;
    };
    EXPECT_TRUE(refusal([&](LaunchRequest &r) {
        r.gameDir = s.sandbox.path() + u"/no such dir"_s;
    }).contains(u"does not exist"_s));
    EXPECT_TRUE(refusal([&](LaunchRequest &r) {
        r.tc.groupFile = s.tcDir + u"/MYTC.CON"_s;
    }).contains(u"MYTC.CON\" cannot be used: the file is too short to be a group file"_s));
    EXPECT_TRUE(
        refusal([&](LaunchRequest &r) { r.tc.otherFiles = {s.tcDir + u"/GONE.ART"_s}; }).contains(u"GONE.ART"_s));
    EXPECT_TRUE(refusal([&](LaunchRequest &r) {
        r.engine.program = s.sandbox.path() + u"/no engine"_s;
    }).contains(u"not installed"_s));
    EXPECT_TRUE(refusal([&](LaunchRequest &r) {
        r.engine = EngineSettings{EngineKind::EDuke32, {}, {}, false};
        r.flatpakAppFolders = {};
        qputenv("PATH", "/nonexistent");
    }).contains(u"EDuke32 was not found: eduke32 is not on PATH"_s));
    qputenv("PATH", "/usr/bin:/bin");
    EXPECT_EQ(test::snapshotOf(s.sandbox.path()), before);

    // No file can be written in the state folder (here: none may grow, as on a full drive).
    const test::Snapshot gameDir = test::snapshotOf(s.gameDir);
    Launcher launcher(s.store, s.trash, s.sandbox.stateDir());
    const PreparedLaunch launch = prepareLaunch(s.request, s.trash);
    QString error;
    rlimit unlimited;
    ::getrlimit(RLIMIT_FSIZE, &unlimited);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit none = unlimited;
    none.rlim_cur = 0;
    ::setrlimit(RLIMIT_FSIZE, &none);
    const bool started = launcher.start(launch, DeleteMode::ToTrash, &error);
    ::setrlimit(RLIMIT_FSIZE, &unlimited);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(started);
    EXPECT_TRUE(error.startsWith(u"The launch journal cannot be written in \""_s + s.sandbox.stateDir()))
        << error.toStdString();
    EXPECT_TRUE(error.contains(u"File too large"_s)) << error.toStdString();
    EXPECT_TRUE(test::snapshotOf(s.sandbox.stateDir()).isEmpty());
    EXPECT_EQ(test::snapshotOf(s.gameDir), gameDir);
}

} // namespace
