// quillon --add-tc run as a process, as a script or a player on a terminal runs it.

#include "addtctesting.h"
#include "hosttesting.h"

#include <installer/tcinstaller.h>
#include <installer/tcroot.h>
#include <store/definitionstore.h>
#include <store/sqlitesettingsstore.h>

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ostrel;
using namespace ostrel::test;

namespace {

QString tcRootOf(const LaunchScene &scene)
{
    return scene.path() + u"/data/quillon/tcs"_s;
}

std::optional<TcDefinition> stored(const LaunchScene &scene, const QString &name)
{
    SqliteSettingsStore store(scene.storePath());
    const DefinitionStore definitions(store);
    return definitions.names().contains(name) ? definitions.load(name) : std::nullopt;
}

TEST(AddTcCommandLine, PrintsWhatItFoundAsksAndAddsWithYes)
{
    LaunchScene scene;
    scene.fillStore();
    const QString zip =
        writeArchive(scene.path() + u"/downloads"_s, u"Harbour Strike.zip"_s, ArchiveFormat::Zip, harbourEntries());
    const auto before = snapshotOf(scene.path());

    // No terminal to ask on: refused, as a launch is.
    const QuillonRun unasked = quillon(scene, {u"--add-tc"_s, zip});
    EXPECT_EQ(unasked.status, 5) << unasked;
    EXPECT_TRUE(unasked.err.contains(u"give --yes"_s)) << unasked;
    for (const QString &fact : QStringList{u"TC: Harbour Strike (the archive's file name)"_s,
             u"Folder: "_s + tcRootOf(scene) + u"/Harbour Strike"_s,
             u"Group file: HARBOUR.GRP (the command line in README.TXT names it"_s, u"Game con: GAME.CON"_s,
             u"Read-me: README.TXT"_s, u"  E2L1.MAP"_s, u"  DEFS.CON"_s, u"Version: 1.4/1.5 Atomic (README.TXT says"_s,
             u"harbour/../../outside.txt: "_s})
        EXPECT_TRUE(unasked.out.contains(fact)) << fact.toStdString() << '\n' << unasked;
    // An installer is unpacked with the rest, but is no file of the game.
    EXPECT_TRUE(unasked.out.contains(u"Also unpacked, not for the game:\n  SETUP.EXE\n"_s)) << unasked;
    EXPECT_FALSE(unasked.out.section(u"Also unpacked"_s, 0, 0).contains(u"SETUP.EXE"_s)) << unasked;
    EXPECT_EQ(snapshotOf(scene.path()), before);

    const QuillonRun added =
        quillon(scene, {u"--add-tc"_s, zip, u"--yes"_s, u"--name"_s, u"Harbour Redux"_s, u"--version"_s, u"1.3d"_s});
    ASSERT_EQ(added.status, 0) << added;
    const auto tc = stored(scene, u"Harbour Redux"_s);
    ASSERT_TRUE(tc);
    EXPECT_EQ(tc->version, u"1.3D"_s);
    EXPECT_EQ(tc->groupFile, tcRootOf(scene) + u"/Harbour Redux/HARBOUR.GRP"_s);
    EXPECT_TRUE(QFile::exists(tc->groupFile) && QFile::exists(tc->gameCon) && QFile::exists(tc->textFile));
    EXPECT_FALSE(
        QFile::exists(scene.path() + u"/outside.txt"_s) || QFile::exists(scene.path() + u"/data/outside.txt"_s));
    EXPECT_EQ(quillon(scene, {u"--list"_s}).out, u"Odd TC\nHarbour Redux\n"_s);

    // The same name in another letter case is taken, as in the TC manager.
    const QuillonRun again = quillon(scene, {u"--add-tc"_s, zip, u"--yes"_s, u"--name"_s, u"harbour redux"_s});
    EXPECT_EQ(again.status, 5) << again;
    EXPECT_TRUE(again.err.contains(kNameTakenMessage.toString())) << again;
}

// An archive that cannot be added is refused with the reason, and nothing at all is written:
// not in the TCs' folder, not beside the archive, not in the store.
TEST(AddTcCommandLine, RefusesWhatCannotBeAddedWithTheReasonAndWritesNothing)
{
    LaunchScene scene;
    scene.fillStore();
    const QString downloads = scene.path() + u"/downloads"_s;
    const QList<TestEntry> twoGroups{{"A.GRP", tinyGroup()}, {"B.GRP", tinyGroup()}, {"GAME.CON", "x"}};
    writeArchive(downloads, u"two groups.7z"_s, ArchiveFormat::SevenZip, twoGroups);
    const struct {
        QString file;
        QByteArray bytes;
        QStringList extra;
        QString said;
    } cases[] = {
        {u"hostile.tar"_s,
            makeArchive(ArchiveFormat::Tar,
                {{"../../escape.grp", tinyGroup()}, {"/tmp/absolute.grp", tinyGroup()},
                    {"link.grp", "/etc/passwd", TestEntry::Type::Symlink}, {"C:\\windows.grp", tinyGroup()},
                    {"GAME.CON", "x"}}),
            {}, u"The archive holds no group file"_s},
        {u"locked.zip"_s, makeArchive(ArchiveFormat::Zip, harbourEntries(), "secret"), {}, u"password-protected"_s},
        {u"cut.tar.gz"_s, makeArchive(ArchiveFormat::TarGz, harbourEntries()).chopped(30), {}, u"refused"_s},
        {u"two groups.7z"_s, {}, {}, u"give --group with one of: A.GRP, B.GRP"_s},
        {u"two groups.7z"_s, {}, {u"--group"_s, u"C.GRP"_s}, u"\"C.GRP\" is not a file of the archive"_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        if (!c.bytes.isEmpty())
            writeFile(downloads + u'/' + c.file, c.bytes);
        const auto before = snapshotOf(scene.path());
        const QuillonRun run =
            quillon(scene, QStringList{u"--add-tc"_s, downloads + u'/' + c.file, u"--yes"_s} + c.extra);
        EXPECT_EQ(run.status, 5) << run;
        EXPECT_TRUE(run.err.contains(c.said)) << run;
        EXPECT_TRUE(run.err.contains(u"nothing was written"_s, Qt::CaseInsensitive)) << run;
        EXPECT_EQ(snapshotOf(scene.path()), before);
    }
    const QuillonRun chosen =
        quillon(scene, {u"--add-tc"_s, downloads + u"/two groups.7z"_s, u"--yes"_s, u"--group"_s, u"B.GRP"_s});
    EXPECT_EQ(chosen.status, 0) << chosen;
    EXPECT_EQ(
        stored(scene, u"two groups"_s).value_or(TcDefinition{}).groupFile, tcRootOf(scene) + u"/two groups/B.GRP"_s);
}

TEST(AddTcCommandLine, AGrpInfoAloneAddsEachTcWhoseFilesAreBesideIt)
{
    LaunchScene scene;
    scene.fillStore();
    const QString folder = scene.path() + u"/addons"_s;
    writeFile(folder + u"/BEACH.GRP"_s, tinyGroup("BEACH.MAP"));
    writeFile(folder + u"/BEACH.CON"_s, "include BEACHDEF.CON");
    writeFile(folder + u"/BEACHDEF.CON"_s, "define Y 2");
    writeFile(folder + u"/addons.grpinfo"_s,
        "grpinfo { name \"Beach\" scriptname \"BEACH.CON\" size " + QByteArray::number(tinyGroup("BEACH.MAP").size())
            + " dependency DUKE13_CRC }\ngrpinfo { name \"Faraway\" scriptname \"FAR.CON\" size 99999 }\n");

    const QuillonRun named =
        quillon(scene, {u"--add-tc"_s, folder + u"/addons.grpinfo"_s, u"--yes"_s, u"--name"_s, u"X"_s});
    EXPECT_EQ(named.status, 2) << named;

    const QuillonRun run = quillon(scene, {u"--add-tc"_s, folder + u"/addons.grpinfo"_s, u"--yes"_s});
    ASSERT_EQ(run.status, 0) << run;
    EXPECT_TRUE(run.out.contains(u"Version: 1.3D (addons.grpinfo names the main group it needs"_s)) << run;
    EXPECT_TRUE(run.err.contains(u"left out, since its files are not beside addons.grpinfo: \"Faraway\""_s)) << run;
    const auto beach = stored(scene, u"Beach"_s);
    ASSERT_TRUE(beach);
    EXPECT_EQ(beach->otherFiles, QStringList{tcRootOf(scene) + u"/Beach/BEACHDEF.CON"_s});
    EXPECT_TRUE(QFile::exists(beach->groupFile) && QFile::exists(folder + u"/BEACH.GRP"_s)) << "copied, not moved";
    EXPECT_FALSE(stored(scene, u"Faraway"_s));
}

TEST(AddTcCommandLine, WrongLinesAreStatusTwoAndLeftoversOfACutInstallGoAtStart)
{
    LaunchScene scene;
    scene.fillStore();
    const QString zip = writeArchive(scene.path(), u"tc.zip"_s, ArchiveFormat::Zip, harbourEntries());
    const QList<QStringList> wrong{
        {u"--name"_s, u"X"_s},
        {u"--add-tc"_s, scene.path() + u"/gone.zip"_s},
        {u"--add-tc"_s, zip, u"--version"_s, u"1.6"_s},
        {u"--add-tc"_s, zip, u"--launch"_s, u"Odd TC"_s},
        {u"--add-tc"_s, zip, u"--dry-run"_s},
    };
    for (const QStringList &arguments : wrong) {
        const QuillonRun run = quillon(scene, arguments);
        EXPECT_EQ(run.status, 2) << arguments.join(u' ').toStdString() << '\n' << run;
    }
    // "--version" alone is still Quillon's own.
    EXPECT_TRUE(quillon(scene, {u"--version"_s}).out.startsWith(u"quillon "_s));

    // What a killed install leaves: its hidden folder, and a TC folder whose definition was
    // never saved. The next --list clears both before it reads the names.
    const QString root = tcRootOf(scene);
    writeFile(root + u'/' + kUnfinishedInstallPrefix.toString() + u"abc123/HALF.GRP"_s, "half");
    writeFile(root + u"/Unsaved/HARBOUR.GRP"_s, tinyGroup());
    writeFile(root + u"/Unsaved/"_s + kInstalledMarkerName.toString(),
        "Quillon TC folder 1\nstate pending\nname Unsaved\nsource /x.zip\n");
    writeFile(root + u"/Mine/NOTES.TXT"_s, "a folder Quillon did not make");
    EXPECT_EQ(quillon(scene, {u"--list"_s}).out, u"Odd TC\n"_s);
    EXPECT_EQ(QDir(root).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        (QStringList{kInstallLockName.toString(), u"Mine"_s}));
}

} // namespace
