// quillon's command line, run as a process the way a script runs it.

#include "hosttesting.h"

#include "tests/support/crcfile.h"

#include <store/definitionstore.h>
#include <store/settingsstore.h>
#include <store/sqlitesettingsstore.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace ostrel;
using namespace ostrel::test;

namespace {

struct Outcome {
    int status = -1;
    QString out;
    QString err;
};

// quillon in a process group of its own, so that a run that does not end is ended with the
// game it started.
Outcome quillon(const QProcessEnvironment &env, const QStringList &arguments, int timeoutMs = 30000,
               const QString &workingFolder = {})
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setWorkingDirectory(workingFolder);
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
    process.start(QStringLiteral(QUILLON_PROGRAM), arguments);
    Outcome run;
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "quillon " << arguments.join(u' ').toStdString() << " did not end normally";
        if (process.processId() > 0)
            ::kill(-pid_t(process.processId()), SIGKILL);
        process.waitForFinished();
        return run;
    }
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

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
    return quillon(env, arguments, 30000, workingFolder);
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
    EXPECT_TRUE(filled.err.isEmpty()) << shown(filled);

    // One name a line, whatever a name holds, as printf %b reads it back.
    {
        SqliteSettingsStore store(scene.storePath());
        store.SaveSetting(u"Vantrel"_s, u"DefinedTCs"_s, u"X1NAME"_s, u"two\nlines\\n\t\x1b\u2028"_s);
        store.SaveSetting(u"Vantrel"_s, u"DefinedTCs"_s, u"X2NAME"_s, QString());
    }
    const Outcome odd = quillon(scene, {u"--list"_s});
    EXPECT_EQ(odd.out, u"Odd TC\nB second\nA third\ntwo\\nlines\\\\n\\t\\x1b\\xe2\\x80\\xa8\n\n"_s) << shown(odd);
    EXPECT_EQ(odd.err, u"quillon: one of the stored names is empty; it is listed as an empty line.\n"_s) << shown(odd);

    EXPECT_EQ(quillon(scene, {u"--list"_s, u"--yes"_s}).status, 2);
    EXPECT_EQ(quillon(scene, {u"--launch"_s, u"Odd TC"_s, u"--engine"_s, u"doom"_s}).status, 2);
    // A template that no TC could fill is a mistake on the command line, not a refused launch.
    for (const QString &wrong : {u"-g {group} [-x {con}"_s, u"-g {grp}"_s}) {
        const Outcome run = quillon(scene, {u"--launch"_s, u"Odd TC"_s, u"--arguments"_s, wrong});
        EXPECT_EQ(run.status, 2) << shown(run);
        EXPECT_TRUE(run.err.startsWith(u"quillon: --arguments \""_s + wrong)) << shown(run);
    }
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

// Debian's own DOSBox runs a small DOS program in the game's place, which writes down what it
// sees (tools/install-deps.sh installs dosbox and nasm): the launch ends when the program
// does, and the directory comes back.
TEST(QuillonCommandLine, UnderTheRealDosBoxTheLaunchEndsWithTheGameAndGivesTheDirectoryBack)
{
    const QString dosbox = QStandardPaths::findExecutable(u"dosbox"_s);
    const QString nasm = QStandardPaths::findExecutable(u"nasm"_s);
    if (dosbox.isEmpty() || nasm.isEmpty())
        GTEST_SKIP() << "dosbox or nasm is not installed";
    LaunchScene scene;
    scene.fillStore();
    QProcess assemble;
    assemble.start(nasm, {u"-f"_s, u"bin"_s, u"-o"_s, scene.gameDir + u"/DUKE3D.EXE"_s, QStringLiteral(OSTREL_DOS_STANDIN_SOURCE)});
    ASSERT_TRUE(assemble.waitForFinished(30000) && assemble.exitCode() == 0) << assemble.readAllStandardError().toStdString();
    const auto before = snapshotOf(scene.gameDir);

    QProcessEnvironment env = scene.quillonEnvironment();
    env.insert(u"SDL_VIDEODRIVER"_s, u"dummy"_s);
    env.insert(u"SDL_AUDIODRIVER"_s, u"dummy"_s);
    env.insert(u"HOME"_s, scene.path() + u"/home"_s); // DOSBox writes its configuration there
    const Outcome run = quillon(env, {u"--launch"_s, u"Odd TC"_s, u"--yes"_s, u"--engine"_s, u"dosbox"_s, u"--program"_s, dosbox}, 60000);
    ASSERT_EQ(run.status, 0) << shown(run);

    QFile seenFile(scene.gameDir + u"/SEEN.TXT"_s);
    ASSERT_TRUE(seenFile.open(QIODevice::ReadOnly)) << "the DOS program did not run";
    const QList<QByteArray> seen = seenFile.readAll().split('\n');
    // The group's long name is no DOS name: it was copied in as a short one, and passed so.
    EXPECT_EQ(seen.value(0).trimmed(), "tail: /xGAME.CON /gMYTCID.GRP");
    EXPECT_EQ(seen.value(1).trimmed(), "group:KenSilverman");
    const QByteArray groupSize = QByteArray::number(QFileInfo(scene.tc.groupFile).size(), 16).toUpper().rightJustified(8, '0');
    EXPECT_TRUE(seen.contains("entry:MYTCID.GRP " + groupSize + '\r') && seen.contains("entry:GAME.CON 0000000C\r"))
        << seenFile.fileName().toStdString();
    EXPECT_FALSE(std::any_of(seen.cbegin(), seen.cend(), [](const QByteArray &line) { return line.startsWith("entry:E1L1.MAP "); }))
        << "the leftover map was in the game's way";

    auto after = snapshotOf(scene.gameDir);
    after.remove(u"SEEN.TXT"_s);
    EXPECT_EQ(after, before);
    EXPECT_FALSE(QFile::exists(scene.stateDir() + u"/launch.journal"_s));
}

TEST(QuillonCommandLine, DryRunAndAnUnansweredQuestionChangeNothing)
{
    LaunchScene scene;
    TcDefinition old = scene.tcNamed(u"Old TC"_s);
    old.version = u"1.3D"_s;
    scene.fillStore({old});
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

    // The 1.5 Atomic Edition's group: the plan names the game and both versions.
    ASSERT_TRUE(writeFileWithCrc(scene.gameDir + u"/DUKE3D.GRP"_s, 44356548, 0xFD3DCFF1));
    const Outcome mismatch = quillon(scene, {u"--launch"_s, u"Old TC"_s, u"--dry-run"_s});
    EXPECT_TRUE(mismatch.out.contains(u"Game: Duke Nukem 3D 1.5 Atomic Edition (CRC FD3DCFF1)\n"_s)
                && mismatch.out.contains(u"This TC is made for Duke Nukem 3D 1.3D, and the game directory holds Duke Nukem 3D "
                                         "1.5 Atomic Edition."_s))
        << shown(mismatch);
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
    QFile::link(scene.gameDir, scene.path() + u"/link"_s);
    const auto before = snapshotOf(scene.gameDir);
    const QStringList odd{u"--launch"_s, u"Odd TC"_s, u"--yes"_s};
    struct Case {
        const char *what;
        QStringList arguments;
        int status;
        QString message;
    };
    const auto refused = [](const QString &tc, const QString &why) { return u"quillon: The launch of \"%1\" was refused. %2"_s.arg(tc, why); };
    const QList<Case> cases{
        {"missing game directory", {u"--launch"_s, u"Vanished"_s, u"--game-dir"_s, scene.path() + u"/nowhere"_s}, 5,
         refused(u"Vanished"_s, u"The game directory \"%1/nowhere\" does not exist."_s.arg(scene.path()))},
        {"a game directory that is a link", {u"--launch"_s, u"Odd TC"_s, u"--game-dir"_s, scene.path() + u"/link"_s}, 5,
         refused(u"Odd TC"_s, u"The game directory \"%1/link\" is a link"_s.arg(scene.path()))},
        {"a group file that is not one", {u"--launch"_s, u"Not a group"_s, u"--yes"_s}, 5,
         refused(u"Not a group"_s, u"The group file \"%1\" cannot be used: the file is too short to be a group file (12 bytes)."_s.arg(notAGroup.groupFile))},
        {"files gone", {u"--launch"_s, u"Vanished"_s, u"--yes"_s}, 5, refused(u"Vanished"_s, u"The TC's files are missing: "_s + vanished.otherFiles[0])},
        {"engine not installed", {u"--launch"_s, u"Vanished"_s, u"--program"_s, scene.path() + u"/no engine"_s}, 6,
         refused(u"Vanished"_s, u"The engine \"%1/no engine\" is not installed or cannot be run."_s.arg(scene.path()))},
        {"preset not installed", {u"--launch"_s, u"Vanished"_s, u"--engine"_s, u"raze"_s}, 6,
         refused(u"Vanished"_s, u"Raze was not found: raze is not on PATH, and its Flatpak app org.zdoom.Raze is not installed."_s)},
        {"name held twice in case", {u"--launch"_s, u"Twice"_s, u"--yes"_s}, 4,
         refused(u"Twice"_s, u"The store holds the name \"Twice\" 2 times in different case (\"Twice\", \"TWICE\")"_s)},
        {"unknown TC", {u"--launch"_s, u"Nobody"_s}, 4, u"quillon: No TC called \"Nobody\" is stored."_s},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome run = quillon(scene, c.arguments);
        EXPECT_EQ(run.status, c.status) << shown(run);
        // The TC's folder holds a line break: each line of the message says where it comes from.
        EXPECT_TRUE(run.err.startsWith(QString(c.message).replace(u"\n"_s, u"\nquillon: "_s))) << shown(run);
        EXPECT_EQ(run.err.count(u"\n"_s), run.err.count(u"\nquillon: "_s) + 1) << shown(run);
    }
    // Refused at the start, where the TC's save folder cannot be made (under a file).
    writeFile(scene.path() + u"/a file"_s, "not a folder");
    const Outcome noSaves = quillon(scene, odd, {}, scene.path() + u"/a file/data"_s);
    EXPECT_EQ(noSaves.status, 5) << shown(noSaves);
    EXPECT_TRUE(noSaves.err.startsWith(refused(u"Odd TC"_s, u"The folder \"%1/a file/data\" cannot be created"_s.arg(scene.path()))))
        << shown(noSaves);
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

    {
        SqliteSettingsStore store(scene.storePath());
        DefinitionStore(store).setCleanupPreference(u"Sometimes"_s);
    }
    const Outcome unknown = quillon(scene, odd);
    EXPECT_EQ(unknown.status, 5) << shown(unknown);
    EXPECT_TRUE(unknown.err.contains(u"Directory Clean-up"_s)) << shown(unknown);

}

// Whatever keeps the store from being read, every command that reads it waits at most once
// (for another program's lock) and says why in one message, with status 3; the file is left
// as it is.
TEST(QuillonCommandLine, AStoreThatCannotBeReadIsOneMessageAndStatus3)
{
    LaunchScene scene;
    scene.fillStore();
    const QString store = scene.storePath();
    const QString elsewhere = scene.path() + u"/elsewhere.sqlite3"_s;
    const QStringList odd{u"--launch"_s, u"Odd TC"_s, u"--dry-run"_s};
    const auto run = [&](const char *what, const QStringList &arguments, const QString &because) {
        SCOPED_TRACE(what);
        for (const QStringList &command : {QStringList{u"--list"_s}, odd}) {
            // Once is about 5 s; a wait at every read of the store took eight times as long.
            const Outcome run = quillon(scene.quillonEnvironment(), command + arguments, 20000);
            EXPECT_EQ(run.status, 3) << shown(run);
            EXPECT_TRUE(run.err.startsWith(u"quillon: "_s) && run.err.count(u'\n') == 1 && run.err.contains(because)) << shown(run);
            EXPECT_TRUE(run.out.isEmpty()) << shown(run);
        }
    };

    // Another program holds the store's lock for as long as it runs.
    QProcess holder;
    holder.start(u"sqlite3"_s, {store});
    holder.write("BEGIN EXCLUSIVE; SELECT count(*) FROM settings;\n");
    ASSERT_TRUE(holder.waitForReadyRead(10000)) << "sqlite3 did not take the lock";
    run("locked", {}, u"\""_s + store + u"\" cannot be read: it is in use by another program. Quillon left it as it is."_s);
    holder.closeWriteChannel();
    holder.waitForFinished();

    run("not there", {u"--store"_s, elsewhere}, u"The settings store \""_s + elsewhere + u"\" does not exist."_s);
    EXPECT_FALSE(QFileInfo::exists(elsewhere));
    QDir().mkpath(elsewhere);
    run("a folder", {u"--store"_s, elsewhere}, u"it is a folder, not a file. Quillon left it as it is."_s);
    const QByteArray damaged = QByteArray("this is not a database").repeated(200);
    writeFile(store, damaged);
    run("damaged", {}, u"\""_s + store + u"\" cannot be read: the file is not a settings database. Quillon left it as it is."_s);
    EXPECT_EQ(snapshotOf(scene.path() + u"/config"_s).value(u"ostrel/settings.sqlite3"_s), damaged);
}

// A signal while the game runs ends the game and gives the directory back, however it comes:
// Ctrl+C and a closed terminal reach the game too, timeout and an impatient player signal
// again during the give-back. Not the game's error: the status is the signal's, as a shell's.
TEST(QuillonCommandLine, ASignalEndsTheGameAndTheDirectoryAlwaysComesBack)
{
    const struct {
        const char *what;
        int signal;
        bool toTheGameToo;
        bool again;
    } cases[] = {
        {"Ctrl+C in a terminal", SIGINT, true, false},
        {"the terminal closed", SIGHUP, true, false},
        {"SIGTERM, and again and again during the give-back", SIGTERM, false, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        LaunchScene scene;
        scene.fillStore();
        const auto before = snapshotOf(scene.gameDir);
        QProcess process;
        QByteArray said = scene.launchUntilTheGameRuns(process, 20000);
        ASSERT_TRUE(said.contains("the game runs")) << said.toStdString();
        ASSERT_NE(snapshotOf(scene.gameDir), before);
        const pid_t quillon = pid_t(process.processId());
        ::kill(c.toTheGameToo ? -quillon : quillon, c.signal);
        for (int more = 0; c.again && more < 2000 && process.state() != QProcess::NotRunning; ++more) {
            ::kill(quillon, c.signal);
            process.waitForFinished(1);
        }
        ASSERT_TRUE(process.state() == QProcess::NotRunning || process.waitForFinished(10000));
        said += process.readAll();
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << said.toStdString();
        EXPECT_EQ(process.exitCode(), 128 + c.signal) << said.toStdString();
        EXPECT_TRUE(said.contains("interrupted by ") && said.contains("The game directory is back as it was")) << said.toStdString();
        // Signals that come during the give-back may only be acknowledged (when they arrive
        // before it is over); one alone never is.
        if (!c.again) {
            EXPECT_FALSE(said.contains("still giving the game directory back")) << said.toStdString();
        }
        EXPECT_EQ(snapshotOf(scene.gameDir), before);
        EXPECT_FALSE(QFile::exists(scene.stateDir() + u"/launch.journal"_s));
    }
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
