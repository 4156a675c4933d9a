// The installer's plain rules, on listings and texts made in memory: which entry names are
// safe, the .grpinfo reader, command lines, con includes, version words, and what an
// inspection chooses from a listing.

#include "installer/entrypath.h"
#include "installer/grpinfo.h"
#include "installer/tcinspection.h"
#include "installer/tctexts.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ostrel;

namespace {

struct PathCase {
    const char *name;
    QByteArray entry;
    QByteArray path;     // expected, or empty
    const char *refusal; // a part of the reason, when refused
};

class EntryPaths : public ::testing::TestWithParam<PathCase>
{
};

TEST_P(EntryPaths, StayInsideTheTcFolder)
{
    const PathCase &c = GetParam();
    const EntryPath path = entryPath(c.entry);
    EXPECT_EQ(path.path, c.path);
    if (c.refusal[0] == '\0')
        EXPECT_TRUE(path.ok()) << path.refusal.toStdString();
    else
        EXPECT_TRUE(path.refusal.contains(QLatin1StringView(c.refusal))) << path.refusal.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Names, EntryPaths,
    ::testing::Values(PathCase{"plain", "MAPS/E1L1.MAP", "MAPS/E1L1.MAP", ""},
        PathCase{"dots_and_doubled_slashes_dropped", "./a//b/./c/", "a/b/c", ""},
        PathCase{"backslashes_separate_folders", "MAPS\\E1L1.MAP", "MAPS/E1L1.MAP", ""},
        PathCase{"not_utf8_kept_as_bytes",
            "\xC9\xFF"
            "1L1.MAP",
            "\xC9\xFF"
            "1L1.MAP",
            ""},
        PathCase{"up_a_folder", "../evil.con", "", "\"..\""},
        PathCase{"up_after_a_folder", "maps/../../evil.con", "", "\"..\""},
        PathCase{"up_with_backslashes", "..\\..\\autoexec.bat", "", "\"..\""},
        PathCase{"absolute", "/etc/passwd", "", "absolute"},
        PathCase{"absolute_with_backslash", "\\windows\\win.ini", "", "absolute"},
        PathCase{"drive_letter", "C:\\DUKE3D\\GAME.CON", "", "drive"},
        PathCase{"drive_letter_without_separator", "c:GAME.CON", "", "drive"},
        PathCase{"only_dots", "./.", "", "no name"}, PathCase{"reserved", ".quillon-tc", "", "reserved"},
        PathCase{"reserved_below_a_top_folder", "Harbour/.quillon-tc", "", "reserved"},
        PathCase{"part_too_long", QByteArray(256, 'a'), "", "longer than 255"},
        PathCase{"path_too_long", QByteArray(QByteArray(200, 'a') + '/').repeated(6), "", "longer than 1024"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(GrpInfoReader, ReadsBlocksCommentsAndTheMainGroupNames)
{
    const GrpInfoFile file = readGrpInfo(R"(// two add-ons
grpinfo
{
    name "Harbour Strike: \"Dockside\""  /* a quote inside */
    scriptname "HARBOUR.CON"
    defname    "harbour.def"
    size       1234
    crc        0x1A2B3C4D
    dependency DUKE15_CRC
    flags      GAMEFLAG_DUKE | GAMEFLAG_ADDON
    loadgrp    "something.grp"
}
GRPINFO { name "Second" size 99 crc -1 dependency 0xBBC9CE44 }
)");
    ASSERT_EQ(file.blocks.size(), 2);
    EXPECT_TRUE(file.problems.isEmpty()) << file.problems.join(u'\n').toStdString();
    const GrpInfo &first = file.blocks[0];
    EXPECT_EQ(first.name, u"Harbour Strike: \"Dockside\""_s);
    EXPECT_EQ(first.scriptName, u"HARBOUR.CON"_s);
    EXPECT_EQ(first.defName, u"harbour.def"_s);
    EXPECT_EQ(first.size, 1234);
    EXPECT_EQ(first.crc, 0x1A2B3C4Du);
    EXPECT_EQ(first.dependency, 0xFD3DCFF1u);
    EXPECT_EQ(first.flags, (QStringList{u"GAMEFLAG_DUKE"_s, u"GAMEFLAG_ADDON"_s}));
    EXPECT_EQ(file.blocks[1].crc, 0xFFFFFFFFu);
    EXPECT_EQ(file.blocks[1].dependency, 0xBBC9CE44u);
}

TEST(GrpInfoReader, ReportsWhatItCannotReadAndKeepsTheRest)
{
    const GrpInfoFile file = readGrpInfo("junk grpinfo { size lots name \"Cut\" crc");
    ASSERT_EQ(file.blocks.size(), 1);
    EXPECT_EQ(file.blocks[0].name, u"Cut"_s);
    EXPECT_FALSE(file.blocks[0].size);
    const QString problems = file.problems.join(u'\n');
    EXPECT_TRUE(problems.contains(u"\"junk\" is not a grpinfo block"_s)) << problems.toStdString();
    EXPECT_TRUE(problems.contains(u"\"lots\" is no value for size"_s)) << problems.toStdString();
    EXPECT_TRUE(problems.contains(u"not closed"_s)) << problems.toStdString();
}

TEST(CommandLines, FindGroupsAndConsWrittenInAnyForm)
{
    const struct {
        const char *text;
        QList<std::pair<CommandLineFile::Option, QByteArray>> found;
    } cases[] = {
        {"duke3d /x MYTC.CON /g MYTC.GRP",
            {{CommandLineFile::Option::Con, "MYTC.CON"}, {CommandLineFile::Option::Group, "MYTC.GRP"}}},
        {"DUKE3D.EXE /gMYTC.GRP /Xmytc.con\r\n",
            {{CommandLineFile::Option::Group, "MYTC.GRP"}, {CommandLineFile::Option::Con, "mytc.con"}}},
        {"eduke32 -grp \"my tc.grp\" -X c:\\tc\\main.con",
            {{CommandLineFile::Option::Group, "my tc.grp"}, {CommandLineFile::Option::Con, "c:\\tc\\main.con"}}},
        {"Run it with -g harbour.grp.", {{CommandLineFile::Option::Group, "harbour.grp"}}},
        {"use /nosetup or -map e1l1 and nothing else", {}},
        {"dangling /g", {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        const QList<CommandLineFile> found = commandLineFiles(c.text);
        ASSERT_EQ(found.size(), c.found.size());
        for (qsizetype i = 0; i < found.size(); ++i) {
            EXPECT_EQ(found[i].option, c.found[i].first);
            EXPECT_EQ(found[i].value, c.found[i].second);
        }
    }
}

TEST(ConIncludes, AreReadOutsideComments)
{
    EXPECT_EQ(conIncludes("include DEFS.CON\n// include NOT.CON\n/* include\nNOR.CON */ INCLUDE\tuser.con\ninclude"),
        (QList<QByteArray>{"DEFS.CON", "user.con"}));
}

TEST(VersionWords, CountOnlyAsWordsOfTheirOwn)
{
    const struct {
        const char *text;
        bool v13d, atomic;
    } cases[] = {
        {"Needs Duke Nukem 3D 1.3D.", true, false},
        {"Requires the ATOMIC edition", false, true},
        {"works with v1.5 too", false, true},
        {"Plays on 1.3d and on 1.4", true, true},
        {"version 11.3D, build 1.55, file 1.5x", false, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        const VersionWords words = versionWords(c.text);
        EXPECT_EQ(words.v13d, c.v13d);
        EXPECT_EQ(words.atomic, c.atomic);
    }
}

// ---- Choices over a listing

ArchiveEntry file(const QByteArray &name, qint64 size = 100, std::optional<QByteArray> text = std::nullopt)
{
    ArchiveEntry entry;
    entry.name = name;
    entry.size = text ? text->size() : size;
    entry.text = text;
    if (name.toLower().endsWith(".grp"))
        entry.head = "KenSilverman\x01\0\0\0";
    return entry;
}

ArchiveEntry special(const QByteArray &name, ArchiveEntry::Kind kind)
{
    ArchiveEntry entry = file(name);
    entry.kind = kind;
    return entry;
}

ArchiveListing listing(QList<ArchiveEntry> entries, const QString &path = u"/downloads/Harbour_Strike-v2.zip"_s)
{
    ArchiveListing l;
    l.path = path;
    l.packedSize = 1 << 20;
    l.entries = std::move(entries);
    return l;
}

InspectOptions inRoot()
{
    InspectOptions options;
    options.tcRoot = u"/data/quillon/tcs"_s;
    return options;
}

TEST(Inspection, TakesTheGroupConNameAndVersionFromAGrpInfo)
{
    const TcInspection r = inspectListing(
        listing({
            file("harbour/HARBOUR.GRP", 5555),
            file("harbour/OTHER.GRP", 4444),
            file("harbour/HARBOUR.CON", 0, "include X.CON"),
            file("harbour/GAME.CON", 0, "x"),
            file("harbour/X.CON", 0, "x"),
            file("harbour/harbour.grpinfo", 0,
                "grpinfo { name \"Harbour Strike\" scriptname \"harbour.con\" size 5555 dependency DUKE13_CRC }"),
            file("harbour/README.TXT", 0, "Needs the Atomic edition"),
        }),
        inRoot());
    EXPECT_TRUE(r.ok()) << r.problems.join(u'\n').toStdString();
    EXPECT_EQ(r.group.file, u"HARBOUR.GRP"_s);
    EXPECT_EQ(r.con.file, u"HARBOUR.CON"_s);
    EXPECT_EQ(r.name, u"Harbour Strike"_s);
    EXPECT_EQ(r.folder, u"/data/quillon/tcs/Harbour Strike"_s);
    EXPECT_EQ(r.version, u"1.3D"_s) << "the group info's dependency comes before the read-me's words";
    EXPECT_TRUE(r.versionWhy.contains(u"BBC9CE44"_s)) << r.versionWhy.toStdString();
    EXPECT_EQ(r.readMe, u"README.TXT"_s);
    EXPECT_EQ(r.otherFiles, (QStringList{u"OTHER.GRP"_s, u"GAME.CON"_s, u"X.CON"_s}));
}

TEST(Inspection, TakesTheCommandLineOfABatchFileOrReadMe)
{
    for (const QByteArray &hint :
        {QByteArray("duke3d /x MYTC.CON /g MYTC.GRP"), QByteArray("DUKE3D /gmytc /XMyTc.Con")}) {
        SCOPED_TRACE(hint.toStdString());
        const TcInspection r = inspectListing(listing({
                                                  file("MYTC.GRP"),
                                                  file("EXTRA.GRP"),
                                                  file("MYTC.CON", 0, "include GAME.CON"),
                                                  file("GAME.CON", 0, ""),
                                                  file("PLAY.BAT", 0, "@echo off\r\n" + hint + "\r\n"),
                                              }),
            inRoot());
        EXPECT_EQ(r.group.file, u"MYTC.GRP"_s);
        EXPECT_EQ(r.con.file, u"MYTC.CON"_s) << "the command line comes before GAME.CON";
        EXPECT_TRUE(r.group.why.contains(u"PLAY.BAT"_s)) << r.group.why.toStdString();
        EXPECT_EQ(r.name, u"Harbour_Strike-v2"_s);
        EXPECT_TRUE(r.ok());
    }
}

TEST(Inspection, TakesTheFilesWhenNothingNamesThem)
{
    const struct {
        const char *name;
        QList<ArchiveEntry> entries;
        const char *group;
        const char *con;
        QStringList groupCandidates, conCandidates;
    } cases[] = {
        {"game_con", {file("TC.GRP"), file("MAIN.CON", 0, "include GAME.CON"), file("GAME.CON", 0, "")}, "TC.GRP",
            "GAME.CON", {}, {}},
        {"the_con_no_other_includes",
            {file("TC.GRP"), file("DEFS.CON", 0, ""), file("MAIN.CON", 0, "include defs.con\ninclude USER.CON"),
                file("USER.CON", 0, "")},
            "TC.GRP", "MAIN.CON", {}, {}},
        {"no_con", {file("TC.GRP"), file("E1L1.MAP")}, "TC.GRP", "", {}, {}},
        {"two_groups_two_roots", {file("A.GRP"), file("B.GRP"), file("A.CON", 0, ""), file("B.CON", 0, "")}, "", "",
            {u"A.GRP"_s, u"B.GRP"_s}, {u"A.CON"_s, u"B.CON"_s}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const TcInspection r = inspectListing(listing(c.entries), inRoot());
        EXPECT_EQ(r.group.file, QLatin1StringView(c.group));
        EXPECT_EQ(r.con.file, QLatin1StringView(c.con));
        EXPECT_EQ(r.group.candidates, c.groupCandidates);
        EXPECT_EQ(r.con.candidates, c.conCandidates);
        EXPECT_EQ(r.ok(), c.groupCandidates.isEmpty());
    }
    const TcInspection ambiguous = inspectListing(listing({file("A.GRP"), file("B.GRP")}), inRoot());
    EXPECT_TRUE(ambiguous.problems.join(u'\n').contains(u"cannot tell which file is the group file: A.GRP, B.GRP"_s));
    InspectOptions chosen = inRoot();
    chosen.groupFile = u"B.GRP"_s;
    chosen.name = u"  Mine "_s;
    chosen.version = u"1.4/1.5 atomic"_s;
    const TcInspection decided = inspectListing(listing({file("A.GRP"), file("B.GRP")}), chosen);
    EXPECT_TRUE(decided.ok()) << decided.problems.join(u'\n').toStdString();
    EXPECT_EQ(decided.group.file, u"B.GRP"_s);
    EXPECT_EQ(decided.otherFiles, QStringList{u"A.GRP"_s});
    EXPECT_EQ(decided.name, u"Mine"_s);
    EXPECT_EQ(decided.version, u"1.4/1.5 Atomic"_s);
    chosen.groupFile = u"C.GRP"_s;
    chosen.version = u"1.6"_s;
    EXPECT_EQ(inspectListing(listing({file("A.GRP"), file("B.GRP")}), chosen).problems.size(), 3);
}

TEST(Inspection, TakesTheVersionFromTheReadMeElseMarksBoth)
{
    const struct {
        QByteArray readMe;
        const char *version;
    } cases[] = {
        {"For Duke3D 1.3D only.", "1.3D"},
        {"Requires Atomic Edition (1.5).", "1.4/1.5 Atomic"},
        {"Runs on 1.3D and Atomic.", "1.3D and 1.4/1.5"},
        {"Have fun!", "1.3D and 1.4/1.5"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.readMe.toStdString());
        const TcInspection r = inspectListing(listing({file("TC.GRP"), file("readme.txt", 0, c.readMe)}), inRoot());
        EXPECT_EQ(r.version, QLatin1StringView(c.version));
        EXPECT_EQ(r.notes.join(u'\n').contains(u"Nothing in the archive tells"_s), c.readMe == "Have fun!");
    }
}

TEST(Inspection, KeepsTheGameFilesOnlyAndLeavesOutOneTopFolder)
{
    const TcInspection r = inspectListing(listing({
                                              special("Harbour/", ArchiveEntry::Kind::Folder),
                                              file("Harbour/TC.GRP"),
                                              file("Harbour/maps/E1L1.MAP"),
                                              file("Harbour/TILES000.ART"),
                                              file("Harbour/SOUND.VOC"),
                                              file("Harbour/MUSIC.MID"),
                                              file("Harbour/HARBOUR.DEF"),
                                              file("Harbour/HARBOUR.EXE"),
                                              file("Harbour/SETUP.EXE"),
                                              file("Harbour/INSTALL.BAT", 0, "copy *.* c:\\duke3d"),
                                              file("Harbour/DUKE3D.CFG"),
                                              file("Harbour/ReadMe.txt", 0, "hi"),
                                              file("Harbour/FILE_ID.DIZ", 0, "x"),
                                              file("Harbour/maps/notes.txt", 0, "x"),
                                              special("Harbour/empty/", ArchiveEntry::Kind::Folder),
                                          }),
        inRoot());
    EXPECT_EQ(r.readMe, u"ReadMe.txt"_s);
    EXPECT_EQ(r.otherFiles,
        (QStringList{u"maps/E1L1.MAP"_s, u"TILES000.ART"_s, u"SOUND.VOC"_s, u"MUSIC.MID"_s, u"HARBOUR.DEF"_s}));
    QList<QByteArray> targets;
    for (const PlannedEntry &planned : r.plan)
        targets << planned.target;
    EXPECT_TRUE(targets.contains("empty")) << "an empty folder is made too";
    EXPECT_FALSE(targets.contains("") || targets.contains("Harbour")) << "the top folder itself is left out";
    EXPECT_EQ(targets.size(), 14);
}

TEST(Inspection, SkipsAndNamesEveryEntryThatWouldNotBeAPlainFileInTheFolder)
{
    const TcInspection r = inspectListing(listing({
                                              file("TC.GRP"),
                                              special("link.map", ArchiveEntry::Kind::Symlink),
                                              special("hard.map", ArchiveEntry::Kind::Hardlink),
                                              special("dev", ArchiveEntry::Kind::Device),
                                              special("pipe", ArchiveEntry::Kind::Fifo),
                                              file("../up.con"),
                                              file("/abs.con"),
                                              file("C:\\drive.con"),
                                              file("TC.GRP"),
                                              file("TC.GRP/inside.map"),
                                              special("E1L1.MAP", ArchiveEntry::Kind::Folder),
                                              file("E1L1.MAP"),
                                          }),
        inRoot());
    QStringList skipped;
    for (const SkippedEntry &s : r.skipped)
        skipped << s.name + u": "_s + s.reason;
    EXPECT_EQ(skipped,
        (QStringList{
            u"link.map: it is a symbolic link"_s,
            u"hard.map: it is a hard link"_s,
            u"dev: it is a device file"_s,
            u"pipe: it is a FIFO"_s,
            u"../up.con: it goes up a folder (\"..\")"_s,
            u"/abs.con: it is an absolute path"_s,
            u"C:\\drive.con: it names a drive (\"C:\")"_s,
            u"TC.GRP: another entry of the same name comes before it"_s,
            u"TC.GRP/inside.map: a file stands where its folder would go"_s,
            u"E1L1.MAP: a folder of the same name comes before it"_s,
        }));
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.plan.size(), 2);
}

// Passwords, damage, groups missing and the entry and ratio limits are refused on real
// archives in tcinstaller_test.cpp.
TEST(Inspection, RefusesWhatCannotBeInstalledWithTheReason)
{
    ArchiveEntry fake = file("FAKE.GRP");
    fake.head = "PK\x03\x04";
    EXPECT_TRUE(
        inspectListing(listing({fake}), inRoot()).problems.join(u'\n').contains(u"\"FAKE.GRP\" is not a group file"_s));
    InspectOptions small = inRoot();
    small.limits.maxTotalBytes = 1000;
    const TcInspection total = inspectListing(listing({file("TC.GRP", 1001)}), small);
    EXPECT_TRUE(total.problems.join(u'\n').contains(totalSizeLimitMessage(small.limits)));
    EXPECT_EQ(
        totalSizeLimitMessage({}), u"The archive unpacks to more than 4.0 GB, the most Quillon unpacks for one TC."_s);
    EXPECT_EQ(ratioLimitMessage({}),
        u"The archive unpacks to more than 100 times its own size (over 64.0 MB), which no TC does: it looks like an archive bomb."_s);
    EXPECT_EQ(
        entryLimitMessage({}), u"The archive holds more than 10,000 entries, the most Quillon unpacks for one TC."_s);
}

TEST(Inspection, NamesNotValidUtf8AreUnpackedButNotListed)
{
    const TcInspection r = inspectListing(listing({file("TC.GRP"),
                                              file("\xC9"
                                                   "1L1.MAP")}),
        inRoot());
    EXPECT_TRUE(r.ok());
    EXPECT_TRUE(r.otherFiles.isEmpty());
    EXPECT_EQ(r.plan.last().target,
        QByteArray("\xC9"
                   "1L1.MAP"));
    EXPECT_TRUE(r.notes.join(u'\n').contains(u"not valid UTF-8"_s));
}

TEST(Inspection, AGrpInfoOnItsOwnGivesOneTcPerBlockFoundBesideIt)
{
    const ArchiveListing folder = listing(
        {
            file("ADDONS.GRPINFO", 0,
                "grpinfo { name \"Beach\" scriptname \"BEACH.CON\" defname \"beach.def\" size 300 dependency 0xFD3DCFF1 }\n"
                "grpinfo { name \"Gone\" size 7 }"),
            file("BEACH.GRP", 300),
            file("BEACH.CON", 0, "include BEACHDEFS.CON"),
            file("BEACHDEFS.CON", 0, ""),
            file("BEACH.DEF"),
            file("UNRELATED.MAP"),
            file("DUKE3D.GRP", 26524524),
        },
        u"/games/duke/ADDONS.GRPINFO"_s);
    const QList<TcInspection> found = inspectGrpInfoListing(folder, "ADDONS.GRPINFO", u"/games/duke"_s, inRoot());
    ASSERT_EQ(found.size(), 2);
    const TcInspection &beach = found[0];
    EXPECT_TRUE(beach.ok()) << beach.problems.join(u'\n').toStdString();
    EXPECT_EQ(beach.name, u"Beach"_s);
    EXPECT_EQ(beach.group.file, u"BEACH.GRP"_s);
    EXPECT_EQ(beach.con.file, u"BEACH.CON"_s);
    EXPECT_EQ(beach.version, u"1.4/1.5 Atomic"_s);
    EXPECT_EQ(beach.otherFiles, (QStringList{u"BEACHDEFS.CON"_s, u"BEACH.DEF"_s}));
    ASSERT_EQ(beach.plan.size(), 4);
    EXPECT_EQ(beach.plan.first().source, u"/games/duke/BEACH.GRP"_s);
    EXPECT_FALSE(found[1].ok());
    EXPECT_TRUE(found[1].problems.join(u'\n').contains(
        u"The group file of \"Gone\" in ADDONS.GRPINFO (7 bytes) is not beside it."_s));
}

} // namespace
