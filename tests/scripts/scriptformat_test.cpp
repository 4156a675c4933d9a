#include "tests/support/printers.h"

#include "scripts/scriptbuffer.h"
#include "scripts/scriptformat.h"
#include "scripts/scripttext.h"
#include "tests/support/sandbox.h"
#include "tests/support/testfiles.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ostrel;

namespace {

// The lines' order and spelling are checked byte by byte through the script form, in
// ScriptCommands.ViewAndOpeningAFileShowTheSameFormAndSaveChangesOnlyTheReleaseDate.
TEST(ScriptWriter, EveryWrittenValueReadsBackFromTheFile)
{
    // The first record fits Windows-1252, the second needs UTF-8; the second save replaces the
    // first's longer file.
    const ScriptRecord records[] = {
        {u"1.3D"_s, u"Départ  ŒUVRE "_s, u"1.2b"_s, u"05/12/2024"_s, u"G.GRP"_s, u""_s, u"T.TXT"_s,
            {u"A.MAP"_s, u""_s, u"A.MAP"_s}, u"A, B"_s, u"a@b.c"_s, u"http://x.y/?q=1"_s},
        {u"1.4/1.5 Atomic"_s, u"Ωmega"_s, u""_s, u""_s, u"G.GRP"_s, u"C.CON"_s, u"T 😀.TXT"_s, {}, u""_s, u""_s, u"w"_s},
    };
    test::Sandbox folder;
    for (const ScriptRecord &record : records) {
        SCOPED_TRACE(record.tcName.toStdString());
        ScriptBuffer writer;
        writer.SetText(BuildScriptText(record));
        ASSERT_TRUE(writer.SaveFile(folder.file(u"all.tcs"_s)));
        EXPECT_EQ(test::readBytes(folder.file(u"all.tcs"_s)), encodeScriptText(writer.Text()));

        ScriptBuffer reader;
        ASSERT_TRUE(reader.LoadFile(folder.file(u"all.tcs"_s)));
        const ScriptDirectives read = ReadScript(reader);
        const auto o = [](const std::optional<QString> &value) { return value.value_or(u"(missing)"_s); };
        EXPECT_EQ((QStringList{o(read.dukeVersion), o(read.tcName), o(read.tcVersion), o(read.groupFile),
                      o(read.gameCon), o(read.textFile), o(read.author), o(read.email), o(read.web)}),
            (QStringList{record.dukeVersion, record.tcName, record.tcVersion, record.groupFile, record.gameCon,
                record.textFile, record.author, record.email, record.web}));
        EXPECT_EQ(read.otherFiles, record.otherFiles);
    }
}

// A keyword's value runs from its first occurrence to the line end; every occurrence of
// "defineotherfile" gives one. No value: {}. Mixed case, lone CR and LF line ends, missing
// keywords, a keyword without its space and keywords inside values are in the seed corpus,
// which the fuzz harness reads by these rules carried out literally (EverySeedPassesTheHarness).
TEST(ScriptReader, ReadsEachKeywordByTheSharedRules)
{
    const QStringView other = ScriptKeyword::OtherFile;
    const struct {
        const char *name;
        QString text;
        QStringView keyword;
        QStringList values;
    } cases[] = {
        {"RepeatInValue", u"definetcname Foo DEFINETCNAME Bar"_s, ScriptKeyword::TcName, {u"Foo Bar"_s}},
        {"OnePassOnly", u"definetcname defidefinetcname netcname X"_s, ScriptKeyword::TcName, {u"definetcname X"_s}},
        {"TabIsNotTheSpace", u"definetcname\tX"_s, ScriptKeyword::TcName, {u"definetcname\tX"_s}},
        {"FirstLineWins", u"definetcname First\r\ndefinetcname Second\r\n"_s, ScriptKeyword::TcName, {u"First"_s}},
        {"InsideAWord", u"definetcname predefinewebsite\r\ndefineweb w\r\n"_s, ScriptKeyword::Web,
            {u"definewebsite"_s}},
        {"SeveralOnOneLine", u"defineotherfile a defineotherfile b defineotherfile c\r\nz"_s, other,
            {u"a b c"_s, u"b c"_s, u"c"_s}},
        {"NoSpaceAfterFirst", u"defineotherfilez defineotherfile q\r\ndefineotherfile r"_s, other,
            {u"defineotherfilez q"_s, u"q"_s, u"r"_s}},
        {"OtherFileInNameLine", u"definetcname x defineotherfile y\r\ndefineotherfile z"_s, other, {u"y"_s, u"z"_s}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ScriptBuffer buffer;
        buffer.SetText(c.text);
        if (c.keyword == other) {
            EXPECT_EQ(ReadOtherFiles(buffer), c.values);
        } else {
            const std::optional<QString> value = ReadDirective(buffer, c.keyword);
            EXPECT_EQ(value ? QStringList{*value} : QStringList{}, c.values);
        }
        EXPECT_EQ(buffer.Text(), c.text);
    }
}

TEST(ScriptReader, MatchVersionComparesWholeUpperCasedStrings)
{
    const QStringList items = {u"1.3D"_s, u"1.4/1.5 Atomic"_s, u"1.3D and 1.4/1.5"_s};
    const std::pair<QString, int> cases[] = {
        {u"1.4/1.5 ATOMIC"_s, 1}, {u"1.3D AND 1.4/1.5"_s, 2}, {u"1.3D "_s, -1}, {u"1.3"_s, -1}, {u""_s, -1}};
    for (const auto &[value, index] : cases)
        EXPECT_EQ(MatchVersion(value, items), index) << value.toStdString();
}

// A script of at most 1 MiB holds other files of at most that many characters in all; only
// many "defineotherfile" on one long line, each taking the rest of the line, add up to more.
// Such text is no script and the reader stops early.
TEST(ScriptReader, OtherFilesStopAtTheirLimitOnlyWhereTheTextIsNoScript)
{
    const qsizetype max = ScriptBuffer::MaxFileSize;
    const QString line = u"defineotherfile a\n"_s, unit = u"defineotherfile x "_s;
    const struct {
        const char *name;
        QString text;
        qsizetype count; // -1: too large
    } cases[] = {
        {"ManyLines", line.repeated(max / line.size()), max / line.size()},
        {"LongestValue", u"defineotherfile "_s + QString(max - 16, u'x'), 1},
        {"OneLineOfKeywords", unit.repeated(max / unit.size()), -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ScriptBuffer buffer;
        buffer.SetText(c.text);
        bool tooLarge = false;
        const QStringList files = ReadOtherFiles(buffer, &tooLarge);
        EXPECT_EQ(tooLarge, c.count == -1);
        if (c.count != -1) {
            ASSERT_EQ(files.size(), c.count);
            EXPECT_EQ(files.back(), c.count == 1 ? QString(max - 16, u'x') : u"a"_s);
        }
    }
}

// Written: the writer chooses these bytes for the text (Windows-1252 where every character fits,
// UTF-8 otherwise) and they read back. Read: bytes only met in other programs' files.
TEST(ScriptText, EncodingIsChosenByTheTextAndDecodingByTheBytes)
{
    const struct {
        const char *name;
        bool written;
        QString text;
        QByteArray bytes;
    } cases[] = {
        {"LatinLetter", true, u"Départ"_s, "D\xE9part"},
        {"Windows1252Only", true, u"€‰Ÿ"_s, "\x80\x89\x9F"},
        {"UndefinedByteKept", true, u"\u0081\u009D"_s, "\x81\x9D"},
        {"OtherControl", true, u"\u0085"_s, "\xC2\x85"},
        {"Emoji", true, u"a😀"_s, "a\xF0\x9F\x98\x80"},
        {"SingleBytesLookLikeUtf8", true, u"Ã©"_s, "\xC3\x83\xC2\xA9"},
        {"SingleBytesLookLikeMark", true, u"ÿþx"_s, "\xC3\xBF\xC3\xBEx"},
        {"LeadingZeroWidthSpace", true, u"\uFEFFx"_s, "\xEF\xBB\xBF\xEF\xBB\xBFx"},
        {"Nul", true, QString(QChar(0)) + u"é"_s, QByteArray("\0\xE9", 2)},
        {"Utf8", false, u"Départ Ω"_s, "D\xC3\xA9part \xCE\xA9"},
        {"Utf8Mark", false, u"Départ"_s,
            "\xEF\xBB\xBF"
            "D\xC3\xA9part"},
        {"Utf8MarkThenCutOff", false, u"A\uFFFD"_s,
            "\xEF\xBB\xBF"
            "A\xC3"},
        {"Utf16LeMark", false, u"Aé😀"_s,
            QByteArray("\xFF\xFE"
                       "A\0\xE9\0\x3D\xD8\x00\xDE",
                10)},
        {"Utf16BeMark", false, u"Aé"_s, QByteArray("\xFE\xFF\0A\0\xE9", 6)},
        {"Utf16LoneSurrogateAndOddByte", false, u"\uFFFDA\uFFFD"_s,
            QByteArray("\xFF\xFE\x00\xD8"
                       "A\0B",
                7)},
        // Invalid UTF-8 is read as Windows-1252.
        {"Overlong", false, u"À¯"_s, "\xC0\xAF"},
        {"EncodedSurrogate", false, u"í\u00A0€"_s, "\xED\xA0\x80"},
        {"AboveLastCodePoint", false, u"ô\u0090€€"_s, "\xF4\x90\x80\x80"},
        {"CutOffAtEnd", false, u"DÃ"_s, "D\xC3"},
        {"NulInsideUtf8", false, u"a"_s + QChar(0) + u"é"_s, QByteArray("a\0\xC3\xA9", 4)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.written) {
            EXPECT_EQ(encodeScriptText(c.text), c.bytes);
        }
        EXPECT_EQ(decodeScriptBytes(c.bytes), c.text);
    }
}

} // namespace
