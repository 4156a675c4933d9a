#include "launcher/engine.h"

#include "tests/launcher/launchertesting.h"

#include "tests/support/printers.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

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

    const LaunchCommand eduke = buildLaunchCommand({EngineKind::EDuke32, {}, {}, false}, native(u"/usr/bin/eduke32"_s), input);
    ASSERT_TRUE(eduke.ok()) << eduke.error.toStdString();
    EXPECT_EQ(eduke.arguments, (QStringList{u"-nosetup"_s, u"-j"_s, u"/r/duke 3d"_s, u"-j"_s, u"/r/tcs/my tc"_s, u"-j"_s,
                                            u"/r/tcs/extra"_s, u"-g"_s, input.tc.groupFile, u"-x"_s, input.tc.gameCon,
                                            u"-cfg"_s, save + u"/eduke32.cfg"_s}));
    EXPECT_EQ(eduke.workingDir, u"/r/duke 3d"_s);
    EXPECT_EQ(eduke.foldersToCreate, QStringList{save});

    const LaunchCommand raze = buildLaunchCommand({EngineKind::Raze, {}, {}, false}, native(u"/usr/bin/raze"_s), input);
    EXPECT_EQ(raze.arguments, (QStringList{u"-gamegrp"_s, u"/r/duke 3d/DUKE3D.GRP"_s, u"-file"_s, input.tc.groupFile, u"-file"_s,
                                           input.tc.otherFiles[0], u"-con"_s, input.tc.gameCon, u"-savedir"_s, save}));
}

TEST(Engine, DosBoxCopiesTheTcInAndRunsTheGameWithDosNames)
{
    test::LauncherSandbox sandbox;
    LaunchInput input = inputFor(sandbox.path());
    test::writeFile(input.gameDir + u"/duke3d.exe"_s, "MZ");
    const EngineSettings dosbox{EngineKind::DosBox, {}, {}, false};

    const LaunchCommand command = buildLaunchCommand(dosbox, native(u"/usr/bin/dosbox"_s), input);
    ASSERT_TRUE(command.ok()) << command.error.toStdString();
    EXPECT_EQ(command.arguments, (QStringList{u"-c"_s, u"MOUNT C \"%1\""_s.arg(input.gameDir), u"-c"_s, u"C:"_s, u"-c"_s,
                                              u"duke3d.exe /xMYTC.CON /gMYTC.GRP"_s, u"-exit"_s}));
    EXPECT_EQ(command.copyIns, (QList<CopyIn>{{input.tc.groupFile, u"MYTC.GRP"_s}, {input.tc.gameCon, u"MYTC.CON"_s},
                                              {input.tc.otherFiles[0], u"E1L1.MAP"_s}}));

    LaunchInput longName = input;
    longName.tc.otherFiles = {sandbox.path() + u"/tcs/LONGFILENAME.MAP"_s};
    EXPECT_TRUE(buildLaunchCommand(dosbox, native(u"dosbox"_s), longName).error.contains(u"8.3"_s));
    LaunchInput quoted = input;
    quoted.gameDir = sandbox.path() + u"/a\"b"_s;
    EXPECT_FALSE(buildLaunchCommand(dosbox, native(u"dosbox"_s), quoted).ok());
    LaunchInput noGame = input;
    noGame.dosExecutable = u"NUKEM.EXE"_s;
    EXPECT_TRUE(buildLaunchCommand(dosbox, native(u"dosbox"_s), noGame).error.contains(u"NUKEM.EXE"_s));
}

TEST(Engine, FindsFlatpakAppsAndGivesThemOnlyTheLaunchsFolders)
{
    test::LauncherSandbox sandbox;
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
    EXPECT_EQ(command.arguments.mid(0, 6),
              (QStringList{u"run"_s, u"--filesystem=/r/duke 3d"_s, u"--filesystem=/r/saves/"_s + safeFolderName(input.tc.name),
                           u"--filesystem=/r/tcs/my tc:ro"_s, u"--filesystem=/r/tcs/extra:ro"_s, u"org.zdoom.Raze"_s}));
}

TEST(Engine, ArgumentTemplatesSubstituteInsideOneArgumentAndDropEmptyOptions)
{
    const QHash<QString, QString> values{{u"gamedir"_s, kOdd}, {u"con"_s, QString()}, {u"group"_s, u"{con}"_s}};
    const struct {
        QString text;
        QStringList arguments;
    } good[] = {
        {u"-dir {gamedir} [-x {con}] -g {group}"_s, {u"-dir"_s, kOdd, u"-g"_s, u"{con}"_s}},
        {u"\"--path={gamedir}/x\" [ -x {con} ] \"a \"\"\"quoted\"\"\" b\""_s, {u"--path="_s + kOdd + u"/x"_s, u"a \"quoted\" b"_s}},
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
    test::LauncherSandbox sandbox;
    LaunchCommand command;
    command.program = u"printf"_s;
    command.arguments = {u"%s\\0"_s, kOdd, u"plain"_s, QString(), u"~/*.map"_s, u"'"_s};
    command.workingDir = sandbox.path() + u"/a 'b'"_s;
    QDir().mkpath(command.workingDir);
    QProcess sh;
    sh.start(u"/bin/sh"_s, {u"-c"_s, command.displayCommand()});
    ASSERT_TRUE(sh.waitForFinished(10000));
    QList<QByteArray> printed = sh.readAllStandardOutput().split('\0');
    printed.removeLast();
    EXPECT_EQ(printed, (QList<QByteArray>{kOdd.toUtf8(), "plain", "", "~/*.map", "'"}));
}

// Which sizes mean which version is a table in the code; the panel's test launches on a 1.4/1.5 group.
TEST(Engine, TheTcsVersionTextIsMatchedAgainstTheInstalledGame)
{
    EXPECT_EQ(checkGameVersion(u"1.4/1.5 atomic"_s, GameVersion::V13D).message, u"This TC needs Duke Nukem 3D 1.4/1.5 Atomic."_s);
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
