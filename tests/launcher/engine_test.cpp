#include "launcher/argumenttemplate.h"
#include "launcher/engine.h"
#include "launcher/enginediscovery.h"
#include "launcher/gameversion.h"
#include "launcher/launchpreparation.h"

#include "tests/launcher/launchertesting.h"
#include "tests/support/printers.h"
#include "tests/support/sandbox.h"
#include "tests/support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>

using namespace Qt::StringLiterals;
using namespace ostrel;

namespace {

const QString kOdd = u"it's \"odd\" $(rm -rf x) `y`\nline"_s;

LaunchInput inputFor(const QString &root)
{
    LaunchInput input;
    input.tc.name = u"My TC: Part 2"_s;
    input.tc.groupFile = root + u"/tcs/my tc/MYTC.GRP"_s;
    input.tc.gameCon = root + u"/tcs/my tc/MYTC.CON"_s;
    input.tc.otherFiles = {root + u"/tcs/extra/E1L1.MAP"_s};
    input.gameDir = root + u"/duke 3d"_s;
    input.saveRoot = root + u"/saves"_s;
    return input;
}

EngineInstall native(const QString &program)
{
    return EngineInstall{EngineInstall::Kind::Native, program, {}, {}};
}

TEST(Engine, PresetsBuildTheirDocumentedCommandLines)
{
    const QString r = u"/r"_s;
    const LaunchInput input = inputFor(r);
    const QString save = u"/r/saves/"_s + safeFolderName(input.tc.name);

    const LaunchCommand eduke =
        buildLaunchCommand({EngineKind::EDuke32, {}, {}, false}, native(u"/usr/bin/eduke32"_s), input);
    ASSERT_TRUE(eduke.ok()) << eduke.error.toStdString();
    EXPECT_EQ(eduke.arguments,
        (QStringList{u"-usecwd"_s, u"-nosetup"_s, u"-j"_s, u"/r/duke 3d"_s, u"-j"_s, u"/r/tcs/my tc"_s, u"-j"_s,
            u"/r/tcs/extra"_s, u"-g"_s, input.tc.groupFile, u"-x"_s, input.tc.gameCon, u"-cfg"_s,
            save + u"/eduke32.cfg"_s}));
    // With -usecwd EDuke32 writes its saves in its working folder: the TC's own.
    EXPECT_EQ(eduke.workingDir, save);
    EXPECT_EQ(eduke.foldersToCreate, QStringList{save});

    const LaunchCommand raze = buildLaunchCommand({EngineKind::Raze, {}, {}, false}, native(u"/usr/bin/raze"_s), input);
    EXPECT_EQ(raze.arguments,
        (QStringList{u"-gamegrp"_s, u"/r/duke 3d/DUKE3D.GRP"_s, u"-file"_s, input.tc.groupFile, u"-file"_s,
            input.tc.otherFiles[0], u"-con"_s, input.tc.gameCon, u"-savedir"_s, save}));
    EXPECT_EQ(raze.workingDir, u"/r/duke 3d"_s);
    // What the preview says of the saves: where they go, and whether they are kept apart.
    EXPECT_TRUE(eduke.saves.keptApart && eduke.saves.folder == save
        && eduke.saves.summary.contains(u"EDuke32 runs there (-usecwd)"_s));
    EXPECT_TRUE(raze.saves.keptApart && raze.saves.folder == save && raze.saves.summary.contains(u"(-savedir)"_s));
    for (const QString &arguments : {u"-g {group} -save {savedir}"_s, u"-g {group}"_s}) {
        const SavePlacement custom =
            buildLaunchCommand({EngineKind::Custom, u"port"_s, arguments, false}, native(u"port"_s), input).saves;
        EXPECT_EQ(custom.keptApart, arguments.contains(u"{savedir}"_s));
        EXPECT_TRUE(custom.summary.contains(
            custom.keptApart ? u"given to the engine as {savedir}"_s : u"do not pass {savedir}"_s));
    }
}

// DOSBox, on a game directory that holds the game.
class EngineDosBox : public testing::Test
{
protected:
    void SetUp() override { test::writeFile(input.gameDir + u"/duke3d.exe"_s, "MZ"); }
    LaunchCommand build(const LaunchInput &in) const { return buildLaunchCommand(dosbox, native(u"dosbox"_s), in); }

    test::Sandbox sandbox;
    LaunchInput input = inputFor(sandbox.path());
    const EngineSettings dosbox{EngineKind::DosBox, {}, {}, false};
};

TEST_F(EngineDosBox, CopiesTheTcInAndRunsTheGameWithDosNames)
{
    const LaunchCommand command = buildLaunchCommand(dosbox, native(u"/usr/bin/dosbox"_s), input);
    ASSERT_TRUE(command.ok()) << command.error.toStdString();
    EXPECT_EQ(command.arguments,
        (QStringList{u"-c"_s, u"MOUNT C \"%1\""_s.arg(input.gameDir), u"-c"_s, u"C:"_s, u"-c"_s,
            u"duke3d.exe /xMYTC.CON /gMYTC.GRP"_s, u"-c"_s, u"exit"_s}));
    EXPECT_EQ(command.copyIns,
        (QList<CopyIn>{{input.tc.groupFile, u"MYTC.GRP"_s}, {input.tc.gameCon, u"MYTC.CON"_s},
            {input.tc.otherFiles[0], u"E1L1.MAP"_s}}));
    // The game writes its saves in its own folder: the TC's are moved there and back.
    EXPECT_EQ(command.saves.folder, input.saveRoot + u'/' + safeFolderName(input.tc.name));
    EXPECT_EQ(command.saves.slotNames,
        (QStringList{u"GAME0.SAV"_s, u"GAME1.SAV"_s, u"GAME2.SAV"_s, u"GAME3.SAV"_s, u"GAME4.SAV"_s, u"GAME5.SAV"_s,
            u"GAME6.SAV"_s, u"GAME7.SAV"_s, u"GAME8.SAV"_s, u"GAME9.SAV"_s}));
    EXPECT_EQ(command.foldersToCreate, QStringList{command.saves.folder});
}

// Only the group and the con are named on the game's command line: a long name of theirs is
// copied in under a free DOS name; any other file is found by its name, which must be one.
TEST_F(EngineDosBox, CopiesAGroupOrConOfALongNameInUnderAFreeDosName)
{
    LaunchInput longNames = input;
    longNames.tc.groupFile = sandbox.path() + u"/tcs/my tc/My TC: Part 2.grp"_s;
    longNames.tc.gameCon = sandbox.path() + u"/tcs/my tc/my game.con"_s;
    test::writeFile(input.gameDir + u"/MYTCPART.GRP"_s, "the player's own");
    const LaunchCommand renamed = build(longNames);
    ASSERT_TRUE(renamed.ok()) << renamed.error.toStdString();
    EXPECT_EQ(renamed.arguments.value(5), u"duke3d.exe /xMYGAME.CON /gMYTCPAR1.GRP"_s);
    EXPECT_EQ(renamed.copyIns.mid(0, 2),
        (QList<CopyIn>{{longNames.tc.groupFile, u"MYTCPAR1.GRP"_s}, {longNames.tc.gameCon, u"MYGAME.CON"_s}}));
}

// Any other file than the group and the con must have a DOS name of its own; a game directory
// must be one DOSBox can mount, and hold the game.
TEST_F(EngineDosBox, RefusesAnotherFileOfALongNameAndAGameDirectoryItCannotMountOrThatHoldsNoGame)
{
    LaunchInput quoted = input;
    quoted.gameDir = sandbox.path() + u"/a\"b"_s;
    EXPECT_FALSE(build(quoted).ok());
    LaunchInput noGame = input;
    noGame.dosExecutable = u"NUKEM.EXE"_s;
    EXPECT_TRUE(build(noGame).error.contains(u"NUKEM.EXE"_s));
    input.tc.otherFiles = {sandbox.path() + u"/tcs/LONGFILENAME.MAP"_s};
    EXPECT_TRUE(build(input).error.contains(u"\"LONGFILENAME.MAP\": its name is no DOS 8.3"_s));
}

// A con that another con includes must keep its name: refused, naming the con that includes it.
TEST_F(EngineDosBox, RefusesToRenameAConThatAnotherConIncludes)
{
    input.tc.gameCon = sandbox.path() + u"/tcs/my tc/GAMECODE1.CON"_s;
    input.tc.otherFiles = {sandbox.path() + u"/tcs/my tc/DEFS.CON"_s};
    test::writeFile(input.tc.groupFile, test::grpBytes({{"USER.CON", "// include GAMECODE1.CON\ndefine X 1"}}));
    test::writeFile(input.tc.otherFiles[0], "/* include gamecode1.con */ define Y 2");
    EXPECT_TRUE(build(input).ok()) << "an include in a comment counted";
    test::writeFile(input.tc.otherFiles[0], "define Y 2\n  include\tgamecode1.con // the TC's code");
    EXPECT_TRUE(build(input).error.contains(u"since "_s + input.tc.otherFiles[0] + u" includes it"_s));
    test::writeFile(input.tc.otherFiles[0], "define Y 2");
    test::writeFile(input.tc.groupFile, test::grpBytes({{"USER.CON", "include GAMECODE1.CON"}}));
    EXPECT_TRUE(build(input).error.contains(u"since USER.CON (in "_s)) << "a con in the group";
}

// Without a con on its command line, EDuke32 compiles a loose EDUKE.CON in place of GAME.CON:
// with a TC whose con is in its group, a leftover one would replace the TC's game code.
TEST(Engine, ALeftoverEdukeConIsCleanedUpWhenTheEngineIsGivenNoCon)
{
    test::Sandbox sandbox;
    test::FakeTrash trash(sandbox.path() + u"/trash"_s);
    const QString con = sandbox.path() + u"/tc/TC.CON"_s;
    test::writeFile(con, "the TC's code");
    LaunchRequest request;
    request.tc.name = u"Con in group"_s;
    request.tc.groupFile = sandbox.path() + u"/tc/TC.GRP"_s;
    test::writeFile(request.tc.groupFile, test::grpBytes({{"GAME.CON", "the TC's code"}}));
    request.gameDir = sandbox.path() + u"/duke"_s;
    test::writeFile(request.gameDir + u"/DUKE3D.GRP"_s, "the game's own group");
    test::writeFile(request.gameDir + u"/eduke.con"_s, "another TC's code");

    const struct {
        const char *what;
        EngineKind engine;
        QString arguments;
        bool withCon;
        CleanupPreference preference;
        bool cleanedUp;
        bool told;
    } cases[] = {
        {"EDuke32, the con in the group", EngineKind::EDuke32, {}, false, CleanupPreference::Rename, true, true},
        {"EDuke32 given the con", EngineKind::EDuke32, {}, true, CleanupPreference::Rename, false, false},
        {"a custom engine given no con", EngineKind::Custom, u"-g {group}"_s, true, CleanupPreference::Delete, true,
            true},
        {"a custom engine, no con to give", EngineKind::Custom, u"-g {group} [-x {con}]"_s, false,
            CleanupPreference::Rename, true, true},
        {"a custom engine given the con", EngineKind::Custom, u"-g {group} [-x {con}]"_s, true,
            CleanupPreference::Rename, false, false},
        {"the preference None leaves it, and says so", EngineKind::EDuke32, {}, false, CleanupPreference::None, false,
            true},
        {"Raze", EngineKind::Raze, {}, false, CleanupPreference::Rename, false, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        request.tc.gameCon = c.withCon ? con : QString();
        request.engine = EngineSettings{c.engine, QStringLiteral(OSTREL_FAKE_ENGINE), c.arguments, false};
        request.preference = c.preference;
        const PreparedLaunch launch = prepareLaunch(request, trash);
        ASSERT_TRUE(launch.ok()) << launch.error.toStdString();
        const bool cleanedUp = std::any_of(launch.plan.steps.cbegin(), launch.plan.steps.cend(),
            [](const CleanupStep &step) { return step.name == u"eduke.con"_s; });
        EXPECT_EQ(cleanedUp, c.cleanedUp);
        EXPECT_EQ(launch.warnings.filter(u"eduke.con from the game directory in place of the TC's game code"_s).size(),
            c.told ? 1 : 0)
            << launch.warnings.join(u'\n').toStdString();
    }
}

TEST(Engine, FindsFlatpakAppsAndGivesThemOnlyTheLaunchsFolders)
{
    test::Sandbox sandbox;
    const QString bin = sandbox.path() + u"/bin"_s;
    test::writeFile(bin + u"/flatpak"_s, "#!/bin/sh\n");
    QFile::setPermissions(bin + u"/flatpak"_s, QFile::ReadOwner | QFile::ExeOwner);
    QDir().mkpath(sandbox.path() + u"/apps/org.zdoom.Raze"_s);
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin));

    const EngineSettings raze{EngineKind::Raze, {}, {}, false};
    const EngineInstall found = findEngine(raze, {sandbox.path() + u"/apps"_s});
    const EngineInstall none = findEngine({EngineKind::EDuke32, {}, {}, false}, {sandbox.path() + u"/apps"_s});
    qputenv("PATH", oldPath);

    ASSERT_EQ(found.kind, EngineInstall::Kind::Flatpak);
    EXPECT_EQ(found.flatpakId, u"org.zdoom.Raze"_s);
    EXPECT_EQ(none.kind, EngineInstall::Kind::NotFound);
    EXPECT_TRUE(none.error.contains(u"com.eduke32.EDuke32"_s)) << none.error.toStdString();

    const LaunchInput input = inputFor(u"/r"_s);
    const LaunchCommand command = buildLaunchCommand(raze, found, input);
    ASSERT_TRUE(command.ok());
    EXPECT_EQ(command.arguments.mid(0, 7),
        (QStringList{u"run"_s, u"--filesystem=/r/duke 3d"_s,
            u"--filesystem=/r/saves/"_s + safeFolderName(input.tc.name), u"--filesystem=/r/tcs/my tc:ro"_s,
            u"--filesystem=/r/tcs/extra:ro"_s, u"--cwd=/r/duke 3d"_s, u"org.zdoom.Raze"_s}));
    // The Flatpak EDuke32 too writes its saves in the TC's folder, which it must reach.
    const QStringList eduke = buildLaunchCommand({EngineKind::EDuke32, {}, {}, false},
        {EngineInstall::Kind::Flatpak, bin + u"/flatpak"_s, u"com.eduke32.EDuke32"_s, {}}, input)
                                  .arguments;
    const QString save = u"/r/saves/"_s + safeFolderName(input.tc.name);
    EXPECT_TRUE(eduke.contains(u"--filesystem="_s + save) && eduke.contains(u"--cwd="_s + save))
        << eduke.join(u' ').toStdString();
}

TEST(Engine, ArgumentTemplatesSubstituteInsideOneArgumentAndDropEmptyOptions)
{
    const QHash<QString, QString> values{{u"gamedir"_s, kOdd}, {u"con"_s, QString()}, {u"group"_s, u"{con}"_s}};
    const struct {
        QString text;
        QStringList arguments;
    } good[] = {
        {u"-dir {gamedir} [-x {con}] -g {group}"_s, {u"-dir"_s, kOdd, u"-g"_s, u"{con}"_s}},
        {u"\"--path={gamedir}/x\" [ -x {con} ] \"a \"\"\"quoted\"\"\" b\""_s,
            {u"--path="_s + kOdd + u"/x"_s, u"a \"quoted\" b"_s}},
        {u"[--group={group}]"_s, {u"--group={con}"_s}},
    };
    for (const auto &c : good) {
        QString error;
        EXPECT_EQ(expandArgumentTemplate(c.text, values, &error), c.arguments) << c.text.toStdString();
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    }
    for (const QString &bad : {u"-x {con}"_s, u"{nope}"_s, u"[-x {con}"_s, u"-x]"_s, u"\"open"_s, u"[[-x]]"_s}) {
        QString error;
        EXPECT_TRUE(expandArgumentTemplate(bad, values, &error).isEmpty());
        EXPECT_FALSE(error.isEmpty()) << bad.toStdString();
    }
}

// The display form is pasted into a shell by players: run it through sh with printf in the
// engine's place and check every argument arrives whole.
TEST(Engine, TheDisplayedCommandQuotesEveryArgumentForAPosixShell)
{
    test::Sandbox sandbox;
    LaunchCommand command;
    command.program = u"printf"_s;
    command.arguments = {u"%s\\0"_s, kOdd, u"-x"_s, u"plain"_s, QString(), u"--save=~/*.map"_s, u"'"_s, u"-"_s};
    command.workingDir = sandbox.path() + u"/a 'b'"_s;
    QDir().mkpath(command.workingDir);
    for (const auto layout : {LaunchCommand::Layout::OneLine, LaunchCommand::Layout::OptionPerLine}) {
        QProcess sh;
        sh.start(u"/bin/sh"_s, {u"-c"_s, command.displayCommand(layout)});
        ASSERT_TRUE(sh.waitForFinished(10000));
        QList<QByteArray> printed = sh.readAllStandardOutput().split('\0');
        printed.removeLast();
        EXPECT_EQ(printed, (QList<QByteArray>{kOdd.toUtf8(), "-x", "plain", "", "--save=~/*.map", "'", "-"}));
    }
}

// Which sizes mean which version is a table in the code; the panel's test launches on a 1.4/1.5 group.
TEST(Engine, TheTcsVersionTextIsMatchedAgainstTheInstalledGame)
{
    EXPECT_EQ(checkGameVersion(u"1.4/1.5 atomic"_s, GameVersion::V13D).message,
        u"This TC needs Duke Nukem 3D 1.4/1.5 Atomic."_s);
    EXPECT_FALSE(checkGameVersion(u"1.4/1.5 atomic"_s, GameVersion::V13D).matches);
    EXPECT_FALSE(checkGameVersion(u"1.3d"_s, GameVersion::V14Or15).matches);
    EXPECT_TRUE(checkGameVersion(u"1.3D and 1.4/1.5"_s, GameVersion::V13D).matches);
    const VersionCheck unknown = checkGameVersion(u"1.3D"_s, GameVersion::Unknown);
    EXPECT_TRUE(unknown.matches && !unknown.known);
}

TEST(Engine, SaveFoldersOfTwoTcsNeverCoincide)
{
    EXPECT_EQ(safeFolderName(u"Duke It Out"_s), u"Duke It Out"_s);
    EXPECT_NE(safeFolderName(u"A/B"_s), safeFolderName(u"A_B"_s));
    EXPECT_NE(safeFolderName(u"A:B"_s), safeFolderName(u"A?B"_s));
    EXPECT_FALSE(safeFolderName(u".."_s).startsWith(u'.'));
    EXPECT_FALSE(safeFolderName(u"a/../../b"_s).contains(u'/'));
}

} // namespace
