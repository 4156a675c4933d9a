// quillon's command line, run as a process the way a script runs it.

#include "hosttesting.h"

#include <store/definitionstore.h>
#include <store/settingsstore.h>
#include <store/sqlitesettingsstore.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ostrel;
using namespace ostrel::test;

namespace {

struct Outcome {
    int status = -1;
    QString out;
    QString err;
};

// quillon with the scene's folders and no display of any kind: the modes without a window
// must not need one.
Outcome quillon(const LaunchScene &scene, const QStringList &arguments, const QByteArray &engineExit = {},
                const QString &dataHome = {}, const QString &workingFolder = {})
{
    QProcessEnvironment env = scene.quillonEnvironment();
    if (!dataHome.isEmpty())
        env.insert(u"XDG_DATA_HOME"_s, dataHome);
    if (!engineExit.isEmpty())
        env.insert(u"FAKE_ENGINE_EXIT"_s, QString::fromLatin1(engineExit));
    QProcess process;
    process.setProcessEnvironment(env);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setWorkingDirectory(workingFolder);
    process.start(QStringLiteral(QUILLON_PROGRAM), arguments);
    Outcome run;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "quillon " << arguments.join(u' ').toStdString() << " did not end normally";
        process.kill();
        process.waitForFinished();
        return run;
    }
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

std::string shown(const Outcome &run)
{
    return QString(u"status "_s + QString::number(run.status) + u"\nstdout: "_s + run.out + u"\nstderr: "_s + run.err).toStdString();
}

TEST(QuillonCommandLine, HelpAndListRunWithoutADisplay)
{
    LaunchScene scene;
    const Outcome help = quillon(scene, {u"--help"_s});
    EXPECT_EQ(help.status, 0) << shown(help);
    EXPECT_TRUE(help.out.contains(u"--launch NAME"_s) && help.out.contains(u"7  a game directory could not be fully given back"_s))
        << shown(help);

    const Outcome empty = quillon(scene, {u"--list"_s});
    EXPECT_EQ(empty.status, 0) << shown(empty);
    EXPECT_EQ(empty.out, QString()) << shown(empty);
    EXPECT_FALSE(QFile::exists(scene.storePath())) << "listing an absent store created it";

    scene.fillStore({scene.tcNamed(u"B second"_s), scene.tcNamed(u"A third"_s)});
    const Outcome filled = quillon(scene, {u"--list"_s});
    EXPECT_EQ(filled.status, 0) << shown(filled);
    EXPECT_EQ(filled.out, u"Odd TC\nB second\nA third\n"_s) << shown(filled);

    EXPECT_EQ(quillon(scene, {u"--list"_s, u"--yes"_s}).status, 2);
    EXPECT_EQ(quillon(scene, {u"--launch"_s, u"Odd TC"_s, u"--engine"_s, u"doom"_s}).status, 2);
}

TEST(QuillonCommandLine, LaunchRunsTheEngineOnTheCleanedDirectoryAndGivesItBack)
{
    for (const QString &preference : {u"Rename"_s, u"Delete"_s}) {
        SCOPED_TRACE(preference.toStdString());
        LaunchScene scene;
        scene.fillStore({}, preference);
        const auto before = snapshotOf(scene.gameDir);

        const Outcome run = quillon(scene, {u"--launch"_s, u"odd tc"_s, u"--yes"_s});
        ASSERT_EQ(run.status, 0) << shown(run);
        EXPECT_EQ(scene.recordedArguments(), scene.expectedArguments());
        const QList<QByteArray> seen = scene.record().values("entry");
        EXPECT_FALSE(seen.contains("e1l1.map") || seen.contains("GAME.CON")) << "the TC's files were overridden";
        EXPECT_TRUE(seen.contains("README.TXT") && seen.contains("DUKE3D.GRP"));
        EXPECT_EQ(seen.contains("e1l1.map.org") && seen.contains("GAME.CON.org"), preference == u"Rename"_s);

        EXPECT_EQ(snapshotOf(scene.gameDir), before);
        EXPECT_TRUE(snapshotOf(scene.trashFiles()).isEmpty()) << "a trashed file stayed in the trash";
        EXPECT_FALSE(QFile::exists(scene.stateDir() + u"/launch.journal"_s));
        const QString rename = u"e1l1.map → e1l1.map.org"_s;
        EXPECT_EQ(run.out.contains(rename), preference == u"Rename"_s) << shown(run);
        EXPECT_TRUE(run.out.contains(u"cd '"_s + scene.gameDir + u"' && "_s)) << shown(run);
        EXPECT_TRUE(run.err.contains(scene.stateDir() + u"/logs/"_s)) << shown(run);
    }
}

TEST(QuillonCommandLine, DryRunAndAnUnansweredQuestionChangeNothing)
{
    LaunchScene scene;
    scene.fillStore();
    const auto before = snapshotOf(scene.path());

    const Outcome dry = quillon(scene, {u"--launch"_s, u"Odd TC"_s, u"--dry-run"_s});
    EXPECT_EQ(dry.status, 0) << shown(dry);
    EXPECT_TRUE(dry.out.contains(u"e1l1.map → e1l1.map.org"_s) && dry.out.contains(u"GAME.CON → GAME.CON.org"_s)) << shown(dry);
    EXPECT_TRUE(dry.out.contains(QStringLiteral(OSTREL_FAKE_ENGINE) + u" --game '"_s + scene.gameDir + u"'"_s)) << shown(dry);

    // Standard input is no terminal: nobody can answer "Apply?".
    const Outcome unasked = quillon(scene, {u"--launch"_s, u"Odd TC"_s});
    EXPECT_EQ(unasked.status, 5) << shown(unasked);
    EXPECT_TRUE(unasked.err.contains(u"--yes"_s)) << shown(unasked);
    EXPECT_EQ(snapshotOf(scene.path()), before);
}

TEST(QuillonCommandLine, ExitStatusesTellAScriptWhatWentWrong)
{
    LaunchScene scene;
    TcDefinition notAGroup = scene.tcNamed(u"Not a group"_s);
    notAGroup.groupFile = scene.tc.gameCon;
    TcDefinition vanished = scene.tcNamed(u"Vanished"_s);
    vanished.otherFiles = {scene.tcDir + u"/GONE.ART"_s};
    scene.fillStore({notAGroup, vanished, scene.tcNamed(u"Twice"_s)});
    // A second listed name that differs only in case: the store cannot tell their keys apart.
    SqliteSettingsStore(scene.storePath()).SaveSetting(u"Vantrel"_s, u"DefinedTCs"_s, u"StrayNAME"_s, u"TWICE"_s);
    const auto before = snapshotOf(scene.gameDir);
    const QStringList odd{u"--launch"_s, u"Odd TC"_s, u"--yes"_s};
    struct Case {
        const char *what;
        QStringList arguments;
        int status;
        QString message;
    };
    const QList<Case> cases{
        {"missing game directory", {u"--launch"_s, u"Vanished"_s, u"--game-dir"_s, scene.path() + u"/nowhere"_s}, 5, u"does not exist"_s},
        {"a group file that is not one", {u"--launch"_s, u"Not a group"_s, u"--yes"_s}, 5, u"GAME.CON"_s},
        {"files gone", {u"--launch"_s, u"Vanished"_s, u"--yes"_s}, 5, u"GONE.ART"_s},
        {"engine not installed", {u"--launch"_s, u"Vanished"_s, u"--program"_s, scene.path() + u"/no engine"_s}, 6, u"no engine"_s},
        {"preset not installed", {u"--launch"_s, u"Vanished"_s, u"--engine"_s, u"raze"_s}, 6, u"raze"_s},
        {"name held twice in case", {u"--launch"_s, u"Twice"_s, u"--yes"_s}, 4,
         u"\"Twice\" 2 times in different case (\"Twice\", \"TWICE\")"_s},
        {"unknown TC", {u"--launch"_s, u"Nobody"_s}, 4, u"Nobody"_s},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome run = quillon(scene, c.arguments);
        EXPECT_EQ(run.status, c.status) << shown(run);
        EXPECT_TRUE(run.err.startsWith(u"quillon: "_s) && run.err.contains(c.message)) << shown(run);
    }
    EXPECT_EQ(snapshotOf(scene.gameDir), before);
    EXPECT_FALSE(QFile::exists(scene.recordPath())) << "an engine ran";

    // The engine starts and fails at once: status 1, the log named, the directory back.
    const Outcome failed = quillon(scene, odd, "3");
    EXPECT_EQ(failed.status, 1) << shown(failed);
    const qsizetype at = failed.err.indexOf(u"log: "_s);
    ASSERT_GE(at, 0) << shown(failed);
    const QString log = failed.err.mid(at + 5).section(u'\n', 0, 0);
    EXPECT_TRUE(QFileInfo(log).isFile() && log.startsWith(scene.stateDir() + u"/logs/"_s)) << log.toStdString();
    EXPECT_EQ(snapshotOf(scene.gameDir), before);

    // Stopped while the game runs (SIGTERM, as Ctrl+C in a terminal): the game is ended and
    // the directory given back.
    {
        QProcess process;
        const QByteArray said = scene.launchUntilTheGameRuns(process, 20000);
        ASSERT_TRUE(said.contains("the game runs")) << said.toStdString();
        EXPECT_NE(snapshotOf(scene.gameDir), before);
        process.terminate();
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitCode(), 1) << QByteArray(said + process.readAll()).toStdString();
        EXPECT_EQ(snapshotOf(scene.gameDir), before);
    }

    {
        SqliteSettingsStore store(scene.storePath());
        DefinitionStore(store).setCleanupPreference(u"Sometimes"_s);
    }
    const Outcome unknown = quillon(scene, odd);
    EXPECT_EQ(unknown.status, 5) << shown(unknown);
    EXPECT_TRUE(unknown.err.contains(u"Directory Clean-up"_s)) << shown(unknown);

    // A damaged store is reported, and left as it is.
    writeFile(scene.storePath(), QByteArray("this is not a database").repeated(200));
    const QByteArray damaged = snapshotOf(scene.path() + u"/config"_s).value(u"ostrel/settings.sqlite3"_s);
    for (const QStringList &arguments : {QStringList{u"--list"_s}, odd}) {
        const Outcome run = quillon(scene, arguments);
        EXPECT_EQ(run.status, 3) << shown(run);
        EXPECT_TRUE(run.err.contains(scene.storePath()) && run.err.contains(u"left as it is"_s)) << shown(run);
    }
    EXPECT_EQ(snapshotOf(scene.path() + u"/config"_s).value(u"ostrel/settings.sqlite3"_s), damaged);
}

TEST(QuillonCommandLine, TheGameOfAKilledQuillonKeepsItsDirectoryUntilItHasEnded)
{
    LaunchScene scene;
    scene.fillStore();
    const auto before = snapshotOf(scene.gameDir);
    OrphanedGame orphan(scene, 60000);
    const qint64 game = orphan.pid();
    ASSERT_GT(game, 0);
    const auto during = snapshotOf(scene.gameDir);
    ASSERT_NE(during, before);

    const Outcome refused = quillon(scene, {u"--restore"_s});
    EXPECT_EQ(refused.status, 7) << shown(refused);
    EXPECT_TRUE(refused.err.contains(u"(process %1) is still running"_s.arg(game))) << shown(refused);
    const Outcome launch = quillon(scene, {u"--launch"_s, u"Odd TC"_s, u"--yes"_s});
    EXPECT_EQ(launch.status, 5) << shown(launch);
    EXPECT_TRUE(launch.err.contains(u"is still running"_s)) << shown(launch);
    EXPECT_EQ(snapshotOf(scene.gameDir), during);

    ASSERT_TRUE(orphan.end());
    const Outcome restored = quillon(scene, {u"--restore"_s});
    EXPECT_EQ(restored.status, 0) << shown(restored);
    EXPECT_EQ(snapshotOf(scene.gameDir), before);
}

// A give-back that is not complete lists what was not put back, as the window does, and exits
// with 7; while the game directory is not there, the journal stays for a later --restore.
TEST(QuillonCommandLine, AGiveBackThatIsNotCompleteSaysWhatIsMissingAndExits7)
{
    LaunchScene scene;
    scene.fillStore();
    const auto before = snapshotOf(scene.gameDir);
    // The game directory given relative to a working folder, restored from another one.
    const Outcome launched = quillon(scene, {u"--launch"_s, u"Odd TC"_s, u"--yes"_s, u"--no-restore"_s, u"--game-dir"_s,
                                             QFileInfo(scene.gameDir).fileName()}, {}, {}, scene.path());
    ASSERT_EQ(launched.status, 0) << shown(launched);
    EXPECT_EQ(scene.recordedArguments(), scene.expectedArguments()) << "the engine was given a relative path";

    ASSERT_TRUE(QDir().rename(scene.gameDir, scene.gameDir + u" away"_s));
    const Outcome away = quillon(scene, {u"--restore"_s});
    EXPECT_EQ(away.status, 7) << shown(away);
    EXPECT_TRUE(away.err.contains(u"\"%1\" is not there"_s.arg(scene.gameDir))) << shown(away);
    ASSERT_TRUE(QDir().rename(scene.gameDir + u" away"_s, scene.gameDir));

    // The player's file renamed aside vanished meanwhile.
    ASSERT_TRUE(QFile::remove(scene.gameDir + u"/e1l1.map.org"_s));
    const Outcome gone = quillon(scene, {u"--restore"_s});
    EXPECT_EQ(gone.status, 7) << shown(gone);
    EXPECT_TRUE(gone.err.contains(u"quillon: Not put back: \"e1l1.map\": it is gone"_s)) << shown(gone);
    auto expected = before;
    expected.remove(u"e1l1.map"_s);
    EXPECT_EQ(snapshotOf(scene.gameDir), expected);
}

TEST(QuillonCommandLine, WithoutATrashYesNeverAgreesToDeletingFilesForGood)
{
    LaunchScene scene;
    scene.fillStore({}, u"Delete"_s);
    // The desktop trash lives in the data folder, which cannot be made under a file.
    writeFile(scene.path() + u"/not a folder"_s, "a file");
    const auto before = snapshotOf(scene.path());

    const Outcome run = quillon(scene, {u"--launch"_s, u"Odd TC"_s, u"--yes"_s}, {}, scene.path() + u"/not a folder/data"_s);
    EXPECT_EQ(run.status, 5) << shown(run);
    EXPECT_TRUE(run.out.contains(u"Deleted for good"_s) && run.out.contains(u"e1l1.map"_s)) << shown(run);
    EXPECT_TRUE(run.err.contains(u"cannot be recovered"_s) && run.err.contains(u"terminal"_s)) << shown(run);
    EXPECT_EQ(snapshotOf(scene.path()), before);
}

} // namespace
