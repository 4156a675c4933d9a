#include "tests/support/printers.h"

#include "scripts/scriptbuffer.h"
#include "scripts/scriptformat.h"
#include "tests/support/tempstore.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ostrel;

namespace {

TEST(ScriptWriter, EmptyRecordGivesTenKeywordLines)
{
    EXPECT_EQ(BuildScriptText({}),
              u"definedukeversion \r\ndefinetcname \r\ndefinetcversion \r\ndefinereldate \r\n"
              u"definegroupfile \r\ndefinegamecon \r\ndefinetextfile \r\ndefineauthor \r\n"
              u"defineemail \r\ndefineweb \r\n"_s);
}

TEST(ScriptWriter, OtherFilesGoBetweenTextFileAndAuthorInListOrder)
{
    ScriptRecord record;
    record.tcName = u"Départ"_s;
    record.textFile = u"READ.TXT"_s;
    record.otherFiles = {u"Z.MAP"_s, u"A.MAP"_s, u"Z.MAP"_s};
    record.author = u"Me"_s;
    ScriptBuffer buffer;
    buffer.SetText(BuildScriptText(record));
    test::TempFolder folder;
    ASSERT_TRUE(buffer.SaveFile(folder.file(u"three.tcs"_s)));

    EXPECT_EQ(test::readBytes(folder.file(u"three.tcs"_s)),
              QByteArray("definedukeversion \r\ndefinetcname D\xE9part\r\ndefinetcversion \r\n"
                         "definereldate \r\ndefinegroupfile \r\ndefinegamecon \r\n"
                         "definetextfile READ.TXT\r\ndefineotherfile Z.MAP\r\ndefineotherfile A.MAP\r\n"
                         "defineotherfile Z.MAP\r\ndefineauthor Me\r\ndefineemail \r\ndefineweb \r\n"));
}

TEST(ScriptWriter, EveryWrittenValueReadsBackFromTheFile)
{
    // The first record fits Windows-1252, the second needs UTF-8.
    const ScriptRecord records[] = {
        {u"1.3D"_s, u"Départ  ŒUVRE "_s, u"1.2b"_s, u"05/12/2024"_s, u"G.GRP"_s, u""_s, u"T.TXT"_s,
         {u"A.MAP"_s, u""_s, u"A.MAP"_s}, u"A, B"_s, u"a@b.c"_s, u"http://x.y/?q=1"_s},
        {u"1.4/1.5 Atomic"_s, u"Ωmega"_s, u""_s, u""_s, u"G.GRP"_s, u"C.CON"_s, u"T 😀.TXT"_s, {},
         u""_s, u""_s, u"w"_s},
    };
    test::TempFolder folder;
    for (const ScriptRecord &record : records) {
        SCOPED_TRACE(record.tcName.toStdString());
        ScriptBuffer writer;
        writer.SetText(BuildScriptText(record));
        ASSERT_TRUE(writer.SaveFile(folder.file(u"all.tcs"_s)));

        ScriptBuffer reader;
        ASSERT_TRUE(reader.LoadFile(folder.file(u"all.tcs"_s)));
        const ScriptDirectives read = ReadScript(reader);
        EXPECT_EQ(read.dukeVersion, record.dukeVersion);
        EXPECT_EQ(read.tcName, record.tcName);
        EXPECT_EQ(read.tcVersion, record.tcVersion);
        EXPECT_EQ(read.groupFile, record.groupFile);
        EXPECT_EQ(read.gameCon, record.gameCon);
        EXPECT_EQ(read.textFile, record.textFile);
        EXPECT_EQ(read.otherFiles, record.otherFiles);
        EXPECT_EQ(read.author, record.author);
        EXPECT_EQ(read.email, record.email);
        EXPECT_EQ(read.web, record.web);
    }
}

struct DirectiveCase {
    const char *name;
    QString text;
    QStringView keyword;
    std::optional<QString> value;
};
void PrintTo(const DirectiveCase &c, std::ostream *os) { *os << c.name; }


class ReadDirectiveTest : public testing::TestWithParam<DirectiveCase> {};

TEST_P(ReadDirectiveTest, ReadsTheFirstOccurrenceToItsLineEnd)
{
    ScriptBuffer buffer;
    buffer.SetText(GetParam().text);
    EXPECT_EQ(ReadDirective(buffer, GetParam().keyword), GetParam().value);
    EXPECT_EQ(buffer.Text(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Rules, ReadDirectiveTest, testing::Values(
    DirectiveCase{"MixedCaseKeyword", u"DefineTcName Duke It\r\n"_s, ScriptKeyword::TcName, u"Duke It"_s},
    DirectiveCase{"KeywordWithoutSpace", u"definetcname\r\nx"_s, ScriptKeyword::TcName, u"definetcname"_s},
    DirectiveCase{"KeywordAndSpace", u"definetcname \r\n"_s, ScriptKeyword::TcName, u""_s},
    DirectiveCase{"TwoSpaces", u"definetcname  Foo\r\n"_s, ScriptKeyword::TcName, u" Foo"_s},
    DirectiveCase{"RepeatInValue", u"definetcname Foo DEFINETCNAME Bar"_s, ScriptKeyword::TcName, u"Foo Bar"_s},
    DirectiveCase{"OnePassOnly", u"definetcname defidefinetcname netcname X"_s, ScriptKeyword::TcName,
                  u"definetcname X"_s},
    DirectiveCase{"TabIsNotTheSpace", u"definetcname\tX"_s, ScriptKeyword::TcName, u"definetcname\tX"_s},
    DirectiveCase{"FirstLineWins", u"definetcname First\r\ndefinetcname Second\r\n"_s, ScriptKeyword::TcName,
                  u"First"_s},
    DirectiveCase{"WebInsideName", u"definetcname My defineweb page\r\ndefineweb http://real\r\n"_s,
                  ScriptKeyword::Web, u"page"_s},
    DirectiveCase{"InsideAWord", u"definetcname predefinewebsite\r\ndefineweb w\r\n"_s, ScriptKeyword::Web,
                  u"definewebsite"_s},
    DirectiveCase{"TextBeforeKeywordIgnored", u"xx definegroupfile A.GRP"_s, ScriptKeyword::GroupFile,
                  u"A.GRP"_s},
    DirectiveCase{"LfOnly", u"definetcname A\ndefinegamecon G.CON\ndefineweb w\n"_s, ScriptKeyword::GameCon,
                  u"G.CON"_s},
    DirectiveCase{"CrOnly", u"definetcname A\rdefinegamecon G.CON\rdefineweb w\r"_s, ScriptKeyword::GameCon,
                  u"G.CON"_s},
    DirectiveCase{"Missing", u"definetcname A\r\n"_s, ScriptKeyword::Web, std::nullopt},
    DirectiveCase{"EmptyText", u""_s, ScriptKeyword::TcName, std::nullopt}),
    [](const auto &info) { return std::string(info.param.name); });

struct OtherFilesCase {
    const char *name;
    QString text;
    QStringList files;
};
void PrintTo(const OtherFilesCase &c, std::ostream *os) { *os << c.name; }


class ReadOtherFilesTest : public testing::TestWithParam<OtherFilesCase> {};

TEST_P(ReadOtherFilesTest, ReadsEveryOccurrenceInTextOrder)
{
    ScriptBuffer buffer;
    buffer.SetText(GetParam().text);
    EXPECT_EQ(ReadOtherFiles(buffer), GetParam().files);
}

INSTANTIATE_TEST_SUITE_P(Rules, ReadOtherFilesTest, testing::Values(
    OtherFilesCase{"None", u"definetcname x\r\n"_s, {}},
    OtherFilesCase{"EmptyValue", u"defineotherfile \r\n"_s, {u""_s}},
    OtherFilesCase{"LinesInOrder", u"DEFINEOTHERFILE B.DAT\nx\ndefineOtherFile A.DAT\rdefineotherfile B.DAT"_s,
                   {u"B.DAT"_s, u"A.DAT"_s, u"B.DAT"_s}},
    OtherFilesCase{"KeywordDotExtension", u"defineotherfile defineotherfile.dat\r\n"_s,
                   {u"defineotherfile.dat"_s, u"defineotherfile.dat"_s}},
    OtherFilesCase{"SeveralOnOneLine", u"defineotherfile a defineotherfile b defineotherfile c\r\nz"_s,
                   {u"a b c"_s, u"b c"_s, u"c"_s}},
    OtherFilesCase{"NoSpaceAfterFirst", u"defineotherfilez defineotherfile q\r\ndefineotherfile r"_s,
                   {u"defineotherfilez q"_s, u"q"_s, u"r"_s}},
    OtherFilesCase{"InsideNameLine", u"definetcname x defineotherfile y\r\ndefineotherfile z"_s,
                   {u"y"_s, u"z"_s}}),
    [](const auto &info) { return std::string(info.param.name); });

struct VersionCase {
    const char *name;
    QString value;
    int index;
};
void PrintTo(const VersionCase &c, std::ostream *os) { *os << c.name; }


class MatchVersionTest : public testing::TestWithParam<VersionCase> {};

TEST_P(MatchVersionTest, ComparesWholeUpperCasedStrings)
{
    const QStringList items = {u"1.3D"_s, u"1.4/1.5 Atomic"_s, u"1.3D and 1.4/1.5"_s};
    EXPECT_EQ(MatchVersion(GetParam().value, items), GetParam().index);
}

INSTANTIATE_TEST_SUITE_P(Items, MatchVersionTest, testing::Values(
    VersionCase{"OtherCase", u"1.4/1.5 ATOMIC"_s, 1},
    VersionCase{"LowerD", u"1.3d"_s, 0},
    VersionCase{"Last", u"1.3D AND 1.4/1.5"_s, 2},
    VersionCase{"TrailingSpace", u"1.3D "_s, -1},
    VersionCase{"Prefix", u"1.3"_s, -1},
    VersionCase{"Empty", u""_s, -1}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
