#include "launcher/launchpreparation.h"
#include "launcher/launchsession.h"

#include "tests/launcher/launchertesting.h"

#include "tests/support/printers.h"
#include "tests/support/tempstore.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>

using namespace Qt::StringLiterals;
using namespace ostrel;

namespace {

// A TC whose folder name holds everything a shell would mangle.
struct TcAndGameDir {
    test::LauncherSandbox sandbox;
    QString gameDir = sandbox.path() + u"/Duke Nukem 3D"_s;
    QString tcDir = sandbox.path() + u"/tcs/it's \"odd\" $(touch x) `y`\nline"_s;
    LaunchRequest request;

    TcAndGameDir()
    {
        test::writeFile(gameDir + u"/DUKE3D.GRP"_s, "main group");
        test::writeFile(gameDir + u"/e1l1.map"_s, "a leftover of another TC");
        test::writeFile(gameDir + u"/README.TXT"_s, "the player's notes");
        test::writeFile(tcDir + u"/MYTC.GRP"_s, test::grpBytes({{"E1L1.MAP", "tc map"}, {"TILES000.ART", "art"}}));
        test::writeFile(tcDir + u"/MYTC.CON"_s, "tc con");
        request.tc = TcDefinition{u"Odd TC"_s, u"1.3D and 1.4/1.5"_s, tcDir + u"/MYTC.GRP"_s, tcDir + u"/MYTC.CON"_s, {}, {}};
        request.gameDir = gameDir;
        request.engine = EngineSettings{EngineKind::Custom, QStringLiteral(OSTREL_FAKE_ENGINE),
                                        u"--game {gamedir} --group {group} [-x {con}] --save {savedir} \"two words\""_s, false};
        qputenv("FAKE_ENGINE_RECORD", QFile::encodeName(sandbox.path() + u"/record"_s));
        qunsetenv("FAKE_ENGINE_EXIT");
        qunsetenv("FAKE_ENGINE_SLEEP_MS");
    }

    QMultiMap<QByteArray, QByteArray> record() const
    {
        QMultiMap<QByteArray, QByteArray> facts;
        for (const QByteArray &line : test::readBytes(sandbox.path() + u"/record"_s).split('\n')) {
            const qsizetype space = line.indexOf(' ');
            if (space > 0)
                facts.insert(line.first(space), QByteArray::fromHex(line.mid(space + 1)));
        }
        return facts;
    }
};

// Runs the event loop until the session has given the game directory back.
std::optional<RestoreReport> waitForRestore(LaunchSession &session)
{
    std::optional<RestoreReport> report;
    QEventLoop loop;
    QObject::connect(&session, &LaunchSession::restored, &loop, [&](const RestoreReport &r) {
        report = r;
        loop.quit();
    });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    return report;
}

TEST(LaunchSession, TheEngineGetsItsArgumentsUnchangedAndTheGameDirectoryComesBack)
{
    TcAndGameDir s;
    const test::Snapshot before = test::snapshotOf(s.gameDir);
    DesktopTrash trash;
    const PreparedLaunch launch = prepareLaunch(s.request, trash);
    ASSERT_TRUE(launch.ok()) << launch.error.toStdString();

    LaunchSession session(trash, nullptr, s.sandbox.stateDir());
    std::optional<std::pair<int, bool>> ended;
    QObject::connect(&session, &LaunchSession::finished, [&](int code, bool crashed) { ended = {code, crashed}; });
    QString error;
    ASSERT_TRUE(session.start(launch, DeleteMode::ToTrash, &error)) << error.toStdString();
    const auto report = waitForRestore(session);
    ASSERT_TRUE(report.has_value());
    EXPECT_TRUE(report->ok()) << report->error.toStdString();
    ASSERT_TRUE(ended.has_value());
    EXPECT_EQ(ended->first, 0);
    EXPECT_FALSE(ended->second);

    const auto facts = s.record();
    const QString save = s.sandbox.dataHome() + u"/quillon/saves/Odd TC"_s;
    QList<QByteArray> expected;
    for (const QString &arg : QStringList{u"--game"_s, s.gameDir, u"--group"_s, s.tcDir + u"/MYTC.GRP"_s, u"-x"_s, s.tcDir + u"/MYTC.CON"_s,
                               u"--save"_s, save, u"two words"_s})
        expected << arg.toUtf8();
    QList<QByteArray> args = facts.values("arg");
    std::reverse(args.begin(), args.end()); // QMultiMap hands back the latest first
    EXPECT_EQ(args, expected);
    EXPECT_EQ(facts.value("cwd"), s.gameDir.toUtf8());
    const QList<QByteArray> listing = facts.values("entry");
    EXPECT_TRUE(listing.contains("e1l1.map.org"));
    EXPECT_FALSE(listing.contains("e1l1.map"));
    EXPECT_TRUE(QFileInfo(save).isDir());

    EXPECT_EQ(test::snapshotOf(s.gameDir), before);
    const QByteArray log = test::readBytes(session.logPath());
    EXPECT_TRUE(log.contains("fake engine: standard output") && log.contains("fake engine: standard error")) << log.toStdString();
    EXPECT_FALSE(LaunchSession::leftoverJournal(s.sandbox.stateDir()).has_value());
}

TEST(LaunchSession, AnEngineThatFailsOrCannotStartStillGivesTheDirectoryBack)
{
    TcAndGameDir s;
    const test::Snapshot before = test::snapshotOf(s.gameDir);
    DesktopTrash trash;
    qputenv("FAKE_ENGINE_EXIT", "3");
    {
        LaunchSession session(trash, nullptr, s.sandbox.stateDir());
        int code = -1;
        QObject::connect(&session, &LaunchSession::finished, [&](int c, bool) { code = c; });
        ASSERT_TRUE(session.start(prepareLaunch(s.request, trash)));
        ASSERT_TRUE(waitForRestore(session).has_value());
        EXPECT_EQ(code, 3);
        EXPECT_EQ(test::snapshotOf(s.gameDir), before);
    }

    // A program that exists but cannot be run: its interpreter is missing.
    const QString broken = s.sandbox.path() + u"/broken engine"_s;
    test::writeFile(broken, "#!/nonexistent/interpreter\n");
    QFile::setPermissions(broken, QFile::ReadOwner | QFile::ExeOwner);
    s.request.engine.program = broken;
    LaunchSession session(trash, nullptr, s.sandbox.stateDir());
    QString reason;
    QObject::connect(&session, &LaunchSession::failedToStart, [&](const QString &why) { reason = why; });
    ASSERT_TRUE(session.start(prepareLaunch(s.request, trash)));
    ASSERT_TRUE(waitForRestore(session).has_value());
    EXPECT_TRUE(reason.contains(u"broken engine"_s)) << reason.toStdString();
    EXPECT_EQ(test::snapshotOf(s.gameDir), before);
}

TEST(LaunchSession, OnlyOneLaunchAtATimeAndALeftoverJournalIsFound)
{
    TcAndGameDir s;
    DesktopTrash trash;
    qputenv("FAKE_ENGINE_SLEEP_MS", "1500");
    LaunchSession first(trash, nullptr, s.sandbox.stateDir());
    ASSERT_TRUE(first.start(prepareLaunch(s.request, trash)));
    const auto pending = LaunchSession::leftoverJournal(s.sandbox.stateDir());
    ASSERT_TRUE(pending.has_value());
    EXPECT_EQ(pending->label, u"Odd TC"_s);

    LaunchSession second(trash, nullptr, s.sandbox.stateDir());
    QString error;
    EXPECT_FALSE(second.start(prepareLaunch(s.request, trash), DeleteMode::ToTrash, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(first.restore().error.contains(u"still running"_s));
    EXPECT_TRUE(waitForRestore(first).has_value());
}

TEST(LaunchSession, TheGameIsRecordedSoThatNoOtherProgramRestoresWhileItRuns)
{
    TcAndGameDir s;
    const test::Snapshot before = test::snapshotOf(s.gameDir);
    DesktopTrash trash;
    qputenv("FAKE_ENGINE_SLEEP_MS", "60000");
    LaunchSession session(trash, nullptr, s.sandbox.stateDir());
    ASSERT_TRUE(session.start(prepareLaunch(s.request, trash)));
    for (int waited = 0; !s.record().contains("pid") && waited < 10000; waited += 10)
        QThread::msleep(10);
    const qint64 game = s.record().value("pid").toLongLong();
    ASSERT_GT(game, 0);
    const test::Snapshot during = test::snapshotOf(s.gameDir);

    // What the next Quillon finds if this one dies now: the journal alone.
    const auto pending = LaunchSession::leftoverJournal(s.sandbox.stateDir());
    ASSERT_TRUE(pending.has_value());
    EXPECT_EQ(pending->gameStillRunning, game);
    EXPECT_EQ(LaunchJournal(s.sandbox.stateDir()).restore(trash).gameStillRunning, game);
    EXPECT_EQ(test::snapshotOf(s.gameDir), during);

    // The game ends (here killed): the session gives the directory back as always.
    ::kill(pid_t(game), SIGKILL);
    const auto report = waitForRestore(session);
    ASSERT_TRUE(report.has_value());
    EXPECT_TRUE(report->ok()) << report->error.toStdString();
    EXPECT_EQ(test::snapshotOf(s.gameDir), before);
}

TEST(LaunchSession, BadInputIsRefusedWithAClearMessageAndNothingChanged)
{
    TcAndGameDir s;
    DesktopTrash trash;
    const test::Snapshot before = test::snapshotOf(s.sandbox.path());
    const auto refusal = [&](const std::function<void(LaunchRequest &)> &change) {
        LaunchRequest request = s.request;
        change(request);
        return prepareLaunch(request, trash).error;
    };
    EXPECT_TRUE(refusal([&](LaunchRequest &r) { r.gameDir = s.sandbox.path() + u"/no such dir"_s; }).contains(u"does not exist"_s));
    EXPECT_TRUE(refusal([&](LaunchRequest &r) { r.tc.groupFile = s.tcDir + u"/MYTC.CON"_s; }).contains(u"MYTC.CON\": The file is too short to be a group file"_s));
    EXPECT_TRUE(refusal([&](LaunchRequest &r) { r.tc.otherFiles = {s.tcDir + u"/GONE.ART"_s}; }).contains(u"GONE.ART"_s));
    EXPECT_TRUE(refusal([&](LaunchRequest &r) { r.engine.program = s.sandbox.path() + u"/no engine"_s; }).contains(u"not installed"_s));
    EXPECT_TRUE(refusal([&](LaunchRequest &r) {
                    r.engine = EngineSettings{EngineKind::EDuke32, {}, {}, false};
                    r.flatpakAppFolders = {};
                    qputenv("PATH", "/nonexistent");
                }).contains(u"No eduke32"_s));
    qputenv("PATH", "/usr/bin:/bin");
    EXPECT_EQ(test::snapshotOf(s.sandbox.path()), before);
}

} // namespace
