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
#include <string_view>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace ostrel;
using namespace ostrel::test;

namespace {

QString refused(const QString &tc, const QString &why)
{
    return u"quillon: The launch of \"%1\" was refused. %2"_s.arg(tc, why);
}

const QStringList kLaunchOdd{u"--launch"_s, u"Odd TC"_s, u"--yes"_s};

class QuillonCommandLine : public ::testing::Test
{
protected:
    // quillon with the scene's folders and no display of any kind: the modes without a window
    // must not need one.
    QuillonRun quillon(const QStringList &arguments, const QByteArray &engineExit = {}, const QString &dataHome = {},
        const QString &workingFolder = {}) const
    {
        QProcessEnvironment env = scene.quillonEnvironment();
        if (!dataHome.isEmpty())
            env.insert(u"XDG_DATA_HOME"_s, dataHome);
        if (!engineExit.isEmpty())
            env.insert(u"FAKE_ENGINE_EXIT"_s, QString::fromLatin1(engineExit));
        return test::quillon(env, arguments, 30000, workingFolder);
    }

    // Every command that reads the store waits at most once (for another program's lock), says
    // why in one message, and exits with 3.
    void expectUnreadableStore(const QStringList &arguments, const QString &because) const
    {
        for (const QStringList &command :
            {QStringList{u"--list"_s}, QStringList{u"--launch"_s, u"Odd TC"_s, u"--dry-run"_s}}) {
            // Once is about 5 s; a wait at every read of the store took eight times as long.
            const QuillonRun run = test::quillon(scene.quillonEnvironment(), command + arguments, 20000);
            EXPECT_EQ(run.status, 3) << run;
            EXPECT_TRUE(run.err.startsWith(u"quillon: "_s) && run.err.count(u'\n') == 1 && run.err.contains(because))
                << run;
            EXPECT_TRUE(run.out.isEmpty()) << run;
        }
    }

    // The game directory given relative to a working folder; the restores run from another.
    void launchWithoutGivingBack() const
    {
        scene.fillStore();
        const QuillonRun launched = quillon({u"--launch"_s, u"Odd TC"_s, u"--yes"_s, u"--no-restore"_s, u"--game-dir"_s,
                                                QFileInfo(scene.gameDir).fileName()},
            {}, {}, scene.path());
        ASSERT_EQ(launched.status, 0) << launched;
        EXPECT_EQ(scene.recordedArguments(), scene.expectedArguments()) << "the engine was given a relative path";
    }

    LaunchScene scene;
};

TEST_F(QuillonCommandLine, HelpNamesTheOptionsAndTheExitStatuses)
{
    const QuillonRun help = quillon({u"--help"_s});
    EXPECT_EQ(help.status, 0) << help;
    EXPECT_TRUE(help.out.contains(u"--launch NAME"_s)
        && help.out.contains(u"7  a game directory could not be fully given back"_s))
        << help;
}

TEST_F(QuillonCommandLine, ListPrintsTheStoredNamesInStoreOrderAndLeavesAnAbsentStoreAbsent)
{
    const QuillonRun empty = quillon({u"--list"_s});
    EXPECT_EQ(empty.status, 0) << empty;
    EXPECT_EQ(empty.out, QString()) << empty;
    EXPECT_FALSE(QFile::exists(scene.storePath())) << "listing an absent store created it";

    scene.fillStore({scene.tcNamed(u"B second"_s), scene.tcNamed(u"A third"_s)});
    const QuillonRun filled = quillon({u"--list"_s});
    EXPECT_EQ(filled.status, 0) << filled;
    EXPECT_EQ(filled.out, u"Odd TC\nB second\nA third\n"_s) << filled;
    EXPECT_TRUE(filled.err.isEmpty()) << filled;
}

// One name a line, whatever a name holds, as printf %b reads it back.
TEST_F(QuillonCommandLine, ListEscapesWhatANameHoldsAndSaysWhenANameIsEmpty)
{
    scene.fillStore();
    {
        SqliteSettingsStore store(scene.storePath());
        store.SaveSetting(u"Vantrel"_s, u"DefinedTCs"_s, u"X1NAME"_s, u"two\nlines\\n\t\x1b\u2028"_s);
        store.SaveSetting(u"Vantrel"_s, u"DefinedTCs"_s, u"X2NAME"_s, QString());
    }
    const QuillonRun odd = quillon({u"--list"_s});
    EXPECT_EQ(odd.out, u"Odd TC\ntwo\\nlines\\\\n\\t\\x1b\\xe2\\x80\\xa8\n\n"_s) << odd;
    EXPECT_EQ(odd.err, u"quillon: one of the stored names is empty; it is listed as an empty line.\n"_s) << odd;
}

// A template that no TC could fill is a mistake on the command line, not a refused launch.
TEST_F(QuillonCommandLine, MistakesOnTheCommandLineExitWith2)
{
    scene.fillStore();
    const QStringList launch{u"--launch"_s, u"Odd TC"_s};
    const struct {
        QStringList arguments;
        QString says;
    } mistakes[] = {
        {{u"--list"_s, u"--yes"_s}, u"quillon: "_s},
        {launch + QStringList{u"--engine"_s, u"doom"_s}, u"quillon: "_s},
        {launch + QStringList{u"--arguments"_s, u"-g {group} [-x {con}"_s},
            u"quillon: --arguments \"-g {group} [-x {con}"_s},
        {launch + QStringList{u"--arguments"_s, u"-g {grp}"_s}, u"quillon: --arguments \"-g {grp}"_s},
    };
    for (const auto &mistake : mistakes) {
        const QuillonRun run = quillon(mistake.arguments);
        EXPECT_EQ(run.status, 2) << run;
        EXPECT_TRUE(run.err.startsWith(mistake.says)) << run;
    }
}

class QuillonLaunch : public QuillonCommandLine, public ::testing::WithParamInterface<const char *>
{
};

TEST_P(QuillonLaunch, RunsTheEngineOnTheCleanedDirectoryAndGivesItBack)
{
    const bool rename = std::string_view(GetParam()) == "Rename";
    scene.fillStore({}, QString::fromLatin1(GetParam()));
    const Snapshot before = snapshotOf(scene.gameDir);

    const QuillonRun run = quillon({u"--launch"_s, u"odd tc"_s, u"--yes"_s});
    ASSERT_EQ(run.status, 0) << run;
    EXPECT_EQ(scene.recordedArguments(), scene.expectedArguments());
    const QList<QByteArray> seen = scene.record().values("entry");
    EXPECT_FALSE(seen.contains("e1l1.map") || seen.contains("GAME.CON")) << "the TC's files were overridden";
    EXPECT_TRUE(seen.contains("README.TXT") && seen.contains("DUKE3D.GRP"));
    EXPECT_EQ(seen.contains("e1l1.map.org") && seen.contains("GAME.CON.org"), rename);

    EXPECT_EQ(snapshotOf(scene.gameDir), before);
    EXPECT_TRUE(snapshotOf(scene.trashFiles()).isEmpty()) << "a trashed file stayed in the trash";
    EXPECT_FALSE(QFile::exists(scene.stateDir() + u"/launch.journal"_s));
    EXPECT_EQ(run.out.contains(u"e1l1.map → e1l1.map.org"_s), rename) << run;
    EXPECT_TRUE(run.out.contains(u"cd '"_s + scene.gameDir + u"' && "_s)) << run;
    EXPECT_TRUE(run.err.contains(scene.stateDir() + u"/logs/"_s)) << run;
}

INSTANTIATE_TEST_SUITE_P(QuillonCommandLine, QuillonLaunch, ::testing::Values("Rename", "Delete"),
    [](const auto &info) { return std::string(info.param); });

// Debian's own DOSBox runs a small DOS program in the game's place, which writes down what it
// sees and saves as the game does (tools/install-deps.sh installs dosbox and nasm): the launch
// ends when the program does, the directory comes back, and the TC's saves, the one it changed
// and the one it wrote, are in the TC's folder. DOSBox writes its configuration in the sandbox's home.
TEST_F(QuillonCommandLine, UnderTheRealDosBoxTheLaunchEndsWithTheGameAndGivesTheDirectoryBack)
{
    const QString dosbox = QStandardPaths::findExecutable(u"dosbox"_s);
    const QString nasm = QStandardPaths::findExecutable(u"nasm"_s);
    if (dosbox.isEmpty() || nasm.isEmpty())
        GTEST_SKIP() << "dosbox or nasm is not installed";
    scene.fillStore();
    QProcess assemble;
    assemble.start(nasm,
        {u"-f"_s, u"bin"_s, u"-o"_s, scene.gameDir + u"/DUKE3D.EXE"_s, QStringLiteral(OSTREL_DOS_STANDIN_SOURCE)});
    ASSERT_TRUE(assemble.waitForFinished(30000) && assemble.exitCode() == 0)
        << assemble.readAllStandardError().toStdString();
    writeFile(scene.gameDir + u"/GAME0.SAV"_s, "the player's own save");
    const QString saves = scene.dataHome() + u"/quillon/saves/Odd TC"_s;
    writeFile(saves + u"/GAME0.SAV"_s, "the TC's save in slot 0");
    writeFile(saves + u"/GAME2.SAV"_s, "the TC's save in slot 2");
    const Snapshot before = snapshotOf(scene.gameDir);

    QProcessEnvironment env = scene.quillonEnvironment();
    env.insert(u"SDL_VIDEODRIVER"_s, u"dummy"_s);
    env.insert(u"SDL_AUDIODRIVER"_s, u"dummy"_s);
    const QuillonRun run =
        test::quillon(env, kLaunchOdd + QStringList{u"--engine"_s, u"dosbox"_s, u"--program"_s, dosbox}, 60000);
    ASSERT_EQ(run.status, 0) << run;
    EXPECT_TRUE(
        run.out.contains(u"Saves: Kept apart in \""_s + saves + u"\": the DOS game writes them in the game directory"_s)
        && run.out.contains(u"The TC's saves to move in: GAME0.SAV, GAME2.SAV. The player's own saves there, set aside "
                            "meanwhile: GAME0.SAV."_s))
        << run;

    QFile seenFile(scene.gameDir + u"/SEEN.TXT"_s);
    ASSERT_TRUE(seenFile.open(QIODevice::ReadOnly)) << "the DOS program did not run";
    const QList<QByteArray> seen = seenFile.readAll().split('\n');
    // The group's long name is no DOS name: it was copied in as a short one, and passed so.
    EXPECT_EQ(seen.value(0).trimmed(), "tail: /xGAME.CON /gMYTCID.GRP");
    EXPECT_EQ(seen.value(1).trimmed(), "group:KenSilverman");
    const QByteArray groupSize =
        QByteArray::number(QFileInfo(scene.tc.groupFile).size(), 16).toUpper().rightJustified(8, '0');
    EXPECT_TRUE(seen.contains("entry:MYTCID.GRP " + groupSize + '\r') && seen.contains("entry:GAME.CON 0000000C\r"))
        << seenFile.fileName().toStdString();
    EXPECT_TRUE(seen.contains("entry:GAME0.SAV 00000017\r")) << "the game did not find the TC's save, 23 bytes";
    EXPECT_FALSE(std::any_of(seen.cbegin(), seen.cend(), [](const QByteArray &line) {
        return line.startsWith("entry:E1L1.MAP ");
    })) << "the leftover map was in the game's way";

    Snapshot after = snapshotOf(scene.gameDir);
    after.remove("SEEN.TXT");
    EXPECT_EQ(after, before);
    EXPECT_EQ(snapshotOf(saves),
        (Snapshot{{"GAME0.SAV", "CHANGEDs save in slot 0"}, {"GAME1.SAV", "A NEW SAVE"},
            {"GAME2.SAV", "the TC's save in slot 2"}}));
    EXPECT_FALSE(QFile::exists(scene.stateDir() + u"/launch.journal"_s));
}

// Standard input is no terminal: without --yes nobody can answer "Apply?".
TEST_F(QuillonCommandLine, ADryRunShowsThePlanAndTheCommandAndWithoutYesNobodyAgreesAndNothingChanges)
{
    scene.fillStore();
    const Snapshot before = snapshotOf(scene.path());
    const QuillonRun dry = quillon({u"--launch"_s, u"Odd TC"_s, u"--dry-run"_s});
    EXPECT_EQ(dry.status, 0) << dry;
    EXPECT_TRUE(dry.out.contains(u"e1l1.map → e1l1.map.org"_s) && dry.out.contains(u"GAME.CON → GAME.CON.org"_s))
        << dry;
    EXPECT_TRUE(dry.out.contains(QStringLiteral(OSTREL_FAKE_ENGINE) + u" --game '"_s + scene.gameDir + u"'"_s)) << dry;
    const QuillonRun unasked = quillon({u"--launch"_s, u"Odd TC"_s});
    EXPECT_EQ(unasked.status, 5) << unasked;
    EXPECT_TRUE(unasked.err.contains(u"--yes"_s)) << unasked;
    EXPECT_EQ(snapshotOf(scene.path()), before);
}

TEST_F(QuillonCommandLine, ADryRunNamesBothVersionsWhenTheTcNeedsAnotherOne)
{
    TcDefinition old = scene.tcNamed(u"Old TC"_s);
    old.version = u"1.3D"_s;
    scene.fillStore({old});
    // The 1.5 Atomic Edition's group: the plan names the game and both versions.
    ASSERT_TRUE(writeFileWithCrc(scene.gameDir + u"/DUKE3D.GRP"_s, 44356548, 0xFD3DCFF1));
    const QuillonRun mismatch = quillon({u"--launch"_s, u"Old TC"_s, u"--dry-run"_s});
    EXPECT_TRUE(mismatch.out.contains(u"Game: Duke Nukem 3D 1.5 Atomic Edition (CRC FD3DCFF1)\n"_s)
        && mismatch.out.contains(u"This TC is made for Duke Nukem 3D 1.3D, and the game directory holds Duke Nukem 3D "
                                 "1.5 Atomic Edition."_s))
        << mismatch;
}

// In arguments and message, {root} stands for the scene's folder and {tcdir} for the TC's.
struct Refusal {
    const char *name;
    QStringList arguments;
    int status;
    QString message;
};

void PrintTo(const Refusal &refusal, std::ostream *out)
{
    *out << refusal.name;
}

class QuillonRefusal : public QuillonCommandLine, public ::testing::WithParamInterface<Refusal>
{
protected:
    void SetUp() override
    {
        TcDefinition notAGroup = scene.tcNamed(u"Not a group"_s);
        notAGroup.groupFile = scene.tc.gameCon;
        TcDefinition vanished = scene.tcNamed(u"Vanished"_s);
        vanished.otherFiles = {scene.tcDir + u"/GONE.ART"_s};
        scene.fillStore({notAGroup, vanished, scene.tcNamed(u"Twice"_s)});
        // A second listed name that differs only in case: the store cannot tell their keys apart.
        SqliteSettingsStore(scene.storePath()).SaveSetting(u"Vantrel"_s, u"DefinedTCs"_s, u"StrayNAME"_s, u"TWICE"_s);
        QFile::link(scene.gameDir, scene.path() + u"/link"_s);
    }

    QString inScene(QString text) const
    {
        return text.replace(u"{root}"_s, scene.path()).replace(u"{tcdir}"_s, scene.tcDir);
    }
};

TEST_P(QuillonRefusal, ExitsWithItsStatusSaysWhyAndChangesNothing)
{
    const Snapshot before = snapshotOf(scene.gameDir);
    QStringList arguments;
    for (const QString &argument : GetParam().arguments)
        arguments << inScene(argument);
    const QuillonRun run = quillon(arguments);
    EXPECT_EQ(run.status, GetParam().status) << run;
    // The TC's folder holds a line break: each line of the message says where it comes from.
    EXPECT_TRUE(run.err.startsWith(inScene(GetParam().message).replace(u"\n"_s, u"\nquillon: "_s))) << run;
    EXPECT_EQ(run.err.count(u"\n"_s), run.err.count(u"\nquillon: "_s) + 1) << run;
    EXPECT_EQ(snapshotOf(scene.gameDir), before);
    EXPECT_FALSE(QFile::exists(scene.recordPath())) << "an engine ran";
}

INSTANTIATE_TEST_SUITE_P(QuillonCommandLine, QuillonRefusal,
    ::testing::Values(
        Refusal{"MissingGameDirectory", {u"--launch"_s, u"Vanished"_s, u"--game-dir"_s, u"{root}/nowhere"_s}, 5,
            refused(u"Vanished"_s, u"The game directory \"{root}/nowhere\" does not exist."_s)},
        Refusal{"GameDirectoryIsALink", {u"--launch"_s, u"Odd TC"_s, u"--game-dir"_s, u"{root}/link"_s}, 5,
            refused(u"Odd TC"_s, u"The game directory \"{root}/link\" is a link"_s)},
        Refusal{"GroupFileIsNone", {u"--launch"_s, u"Not a group"_s, u"--yes"_s}, 5,
            refused(u"Not a group"_s,
                u"The group file \"{tcdir}/GAME.CON\" cannot be used: the file is too short to be a group file (12 bytes)."_s)},
        Refusal{"FilesGone", {u"--launch"_s, u"Vanished"_s, u"--yes"_s}, 5,
            refused(u"Vanished"_s, u"The TC's files are missing: {tcdir}/GONE.ART"_s)},
        Refusal{"EngineNotInstalled", {u"--launch"_s, u"Vanished"_s, u"--program"_s, u"{root}/no engine"_s}, 6,
            refused(u"Vanished"_s, u"The engine \"{root}/no engine\" is not installed or cannot be run."_s)},
        Refusal{"PresetNotInstalled", {u"--launch"_s, u"Vanished"_s, u"--engine"_s, u"raze"_s}, 6,
            refused(u"Vanished"_s,
                u"Raze was not found: raze is not on PATH, and its Flatpak app org.zdoom.Raze is not installed."_s)},
        Refusal{"NameStoredTwiceInCase", {u"--launch"_s, u"Twice"_s, u"--yes"_s}, 4,
            refused(
                u"Twice"_s, u"The store holds the name \"Twice\" 2 times in different case (\"Twice\", \"TWICE\")"_s)},
        Refusal{"UnknownTc", {u"--launch"_s, u"Nobody"_s}, 4, u"quillon: No TC called \"Nobody\" is stored."_s}),
    [](const auto &info) { return std::string(info.param.name); });

// Refused at the start, where the TC's save folder cannot be made (under a file).
TEST_F(QuillonCommandLine, ASaveFolderThatCannotBeMadeRefusesTheLaunchBeforeAnythingChanges)
{
    scene.fillStore();
    const Snapshot before = snapshotOf(scene.gameDir);
    writeFile(scene.file(u"a file"_s), "not a folder");
    const QuillonRun run = quillon(kLaunchOdd, {}, scene.file(u"a file/data"_s));
    EXPECT_EQ(run.status, 5) << run;
    EXPECT_TRUE(run.err.startsWith(
        refused(u"Odd TC"_s, u"The folder \"%1/a file/data\" cannot be created"_s.arg(scene.path()))))
        << run;
    EXPECT_EQ(snapshotOf(scene.gameDir), before);
    EXPECT_FALSE(QFile::exists(scene.recordPath())) << "an engine ran";
}

TEST_F(QuillonCommandLine, AnEngineThatFailsAtOnceExitsWith1NamesItsLogAndGivesTheDirectoryBack)
{
    scene.fillStore();
    const Snapshot before = snapshotOf(scene.gameDir);
    const QuillonRun failed = quillon(kLaunchOdd, "3");
    EXPECT_EQ(failed.status, 1) << failed;
    EXPECT_EQ(snapshotOf(scene.gameDir), before);
    const qsizetype at = failed.err.indexOf(u"log: "_s);
    ASSERT_GE(at, 0) << failed;
    const QString log = failed.err.mid(at + 5).section(u'\n', 0, 0);
    EXPECT_TRUE(QFileInfo(log).isFile() && log.startsWith(scene.stateDir() + u"/logs/"_s)) << log.toStdString();
}

TEST_F(QuillonCommandLine, AnUnknownCleanUpPreferenceIsRefused)
{
    scene.fillStore({}, u"Sometimes"_s);
    const QuillonRun unknown = quillon(kLaunchOdd);
    EXPECT_EQ(unknown.status, 5) << unknown;
    EXPECT_TRUE(unknown.err.contains(u"Directory Clean-up"_s)) << unknown;
}

// Whatever keeps the store from being read, it is one message and status 3, and the file is
// left as it is.
TEST_F(QuillonCommandLine, AStoreLockedByAnotherProgramIsOneMessageAndStatus3)
{
    scene.fillStore();
    QProcess holder; // holds the store's lock for as long as it runs
    holder.start(u"sqlite3"_s, {scene.storePath()});
    holder.write("BEGIN EXCLUSIVE; SELECT count(*) FROM settings;\n");
    ASSERT_TRUE(holder.waitForReadyRead(10000)) << "sqlite3 did not take the lock";
    expectUnreadableStore({},
        u"\""_s + scene.storePath()
            + u"\" cannot be read: it is in use by another program. Quillon left it as it is."_s);
    holder.closeWriteChannel();
    holder.waitForFinished();
}

// Not there, a folder, or not a settings database.
TEST_F(QuillonCommandLine, AStoreThatCannotBeOpenedIsOneMessageAndStatus3)
{
    const QString elsewhere = scene.file(u"elsewhere.sqlite3"_s);
    expectUnreadableStore({u"--store"_s, elsewhere}, u"The settings store \""_s + elsewhere + u"\" does not exist."_s);
    EXPECT_FALSE(QFileInfo::exists(elsewhere));
    QDir().mkpath(elsewhere);
    expectUnreadableStore({u"--store"_s, elsewhere}, u"it is a folder, not a file. Quillon left it as it is."_s);

    const QByteArray damaged = QByteArray("this is not a database").repeated(200);
    writeFile(scene.storePath(), damaged);
    expectUnreadableStore({},
        u"\""_s + scene.storePath()
            + u"\" cannot be read: the file is not a settings database. Quillon left it as it is."_s);
    EXPECT_EQ(readBytes(scene.storePath()), damaged);
}

struct StopSignal {
    const char *name;
    int signal;
    bool toTheGameToo;
    bool again;
};

void PrintTo(const StopSignal &stop, std::ostream *out)
{
    *out << stop.name;
}

class QuillonSignal : public QuillonCommandLine, public ::testing::WithParamInterface<StopSignal>
{
};

// A signal while the game runs ends the game and gives the directory back, however it comes:
// Ctrl+C and a closed terminal reach the game too, timeout and an impatient player signal
// again during the give-back. Not the game's error: the status is the signal's, as a shell's.
TEST_P(QuillonSignal, EndsTheGameAndTheDirectoryAlwaysComesBack)
{
    const StopSignal &c = GetParam();
    scene.fillStore();
    const Snapshot before = snapshotOf(scene.gameDir);
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
    EXPECT_TRUE(said.contains("interrupted by ") && said.contains("The game directory is back as it was"))
        << said.toStdString();
    // Signals that come during the give-back may only be acknowledged (when they arrive
    // before it is over); one alone never is.
    if (!c.again) {
        EXPECT_FALSE(said.contains("still giving the game directory back")) << said.toStdString();
    }
    EXPECT_EQ(snapshotOf(scene.gameDir), before);
    EXPECT_FALSE(QFile::exists(scene.stateDir() + u"/launch.journal"_s));
}

INSTANTIATE_TEST_SUITE_P(QuillonCommandLine, QuillonSignal,
    ::testing::Values(StopSignal{"CtrlCInATerminal", SIGINT, true, false},
        StopSignal{"TheTerminalClosed", SIGHUP, true, false},
        StopSignal{"SigtermAgainAndAgainDuringTheGiveBack", SIGTERM, false, true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(QuillonCommandLine, TheGameOfAKilledQuillonKeepsItsDirectoryUntilItHasEnded)
{
    scene.fillStore();
    const Snapshot before = snapshotOf(scene.gameDir);
    OrphanedGame orphan(scene, 60000);
    const qint64 game = orphan.pid();
    ASSERT_GT(game, 0);
    const Snapshot during = snapshotOf(scene.gameDir);
    ASSERT_NE(during, before);

    const QuillonRun refused = quillon({u"--restore"_s});
    EXPECT_EQ(refused.status, 7) << refused;
    EXPECT_TRUE(refused.err.contains(u"(process %1) is still running"_s.arg(game))) << refused;
    const QuillonRun launch = quillon(kLaunchOdd);
    EXPECT_EQ(launch.status, 5) << launch;
    EXPECT_TRUE(launch.err.contains(u"is still running"_s)) << launch;
    EXPECT_EQ(snapshotOf(scene.gameDir), during);

    ASSERT_TRUE(orphan.end());
    const QuillonRun restored = quillon({u"--restore"_s});
    EXPECT_EQ(restored.status, 0) << restored;
    EXPECT_EQ(snapshotOf(scene.gameDir), before);
}

// While the game directory is not there, the journal stays for a later --restore.
TEST_F(QuillonCommandLine, WhileTheGameDirectoryIsNotThereTheRestoreExitsWith7AndKeepsTheJournal)
{
    const Snapshot before = snapshotOf(scene.gameDir);
    ASSERT_NO_FATAL_FAILURE(launchWithoutGivingBack());
    ASSERT_TRUE(QDir().rename(scene.gameDir, scene.gameDir + u" away"_s));
    const QuillonRun away = quillon({u"--restore"_s});
    EXPECT_EQ(away.status, 7) << away;
    EXPECT_TRUE(away.err.contains(u"\"%1\" is not there"_s.arg(scene.gameDir))) << away;

    ASSERT_TRUE(QDir().rename(scene.gameDir + u" away"_s, scene.gameDir));
    const QuillonRun back = quillon({u"--restore"_s});
    EXPECT_EQ(back.status, 0) << back;
    EXPECT_EQ(snapshotOf(scene.gameDir), before);
}

// A give-back that is not complete lists what was not put back, as the window does.
TEST_F(QuillonCommandLine, AGiveBackThatIsNotCompleteSaysWhatIsMissingAndExitsWith7)
{
    const Snapshot before = snapshotOf(scene.gameDir);
    ASSERT_NO_FATAL_FAILURE(launchWithoutGivingBack());
    // The player's file renamed aside vanished meanwhile.
    ASSERT_TRUE(QFile::remove(scene.gameDir + u"/e1l1.map.org"_s));
    const QuillonRun gone = quillon({u"--restore"_s});
    EXPECT_EQ(gone.status, 7) << gone;
    EXPECT_TRUE(gone.err.contains(u"quillon: Not put back: \"e1l1.map\": it is gone"_s)) << gone;
    Snapshot expected = before;
    expected.remove("e1l1.map");
    EXPECT_EQ(snapshotOf(scene.gameDir), expected);
}

TEST_F(QuillonCommandLine, WithoutATrashYesNeverAgreesToDeletingFilesForGood)
{
    scene.fillStore({}, u"Delete"_s);
    // The desktop trash lives in the data folder, which cannot be made under a file.
    writeFile(scene.file(u"not a folder"_s), "a file");
    const Snapshot before = snapshotOf(scene.path());

    const QuillonRun run = quillon(kLaunchOdd, {}, scene.file(u"not a folder/data"_s));
    EXPECT_EQ(run.status, 5) << run;
    EXPECT_TRUE(run.out.contains(u"Deleted for good"_s) && run.out.contains(u"e1l1.map"_s)) << run;
    EXPECT_TRUE(run.err.contains(u"cannot be recovered"_s) && run.err.contains(u"terminal"_s)) << run;
    EXPECT_EQ(snapshotOf(scene.path()), before);
}

} // namespace
