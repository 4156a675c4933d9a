#include "tests/support/printers.h"

#include "scripts/scripttext.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ostrel;

namespace {

struct EncodingCase {
    const char *name;
    QString text;
    QByteArray bytes;
};
void PrintTo(const EncodingCase &c, std::ostream *os) { *os << c.name; }


class EncodeScriptTextTest : public testing::TestWithParam<EncodingCase> {};

TEST_P(EncodeScriptTextTest, ChoosesTheBytesAndReadsThemBack)
{
    EXPECT_EQ(encodeScriptText(GetParam().text), GetParam().bytes);
    EXPECT_EQ(decodeScriptBytes(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Texts, EncodeScriptTextTest, testing::Values(
    EncodingCase{"Ascii", u"definetcname x\r\n"_s, "definetcname x\r\n"},
    EncodingCase{"LatinLetter", u"Départ"_s, "D\xE9part"},
    EncodingCase{"Windows1252Only", u"€‰Ÿ"_s, "\x80\x89\x9F"},
    EncodingCase{"UndefinedByteKept", u"\u0081\u009D"_s, "\x81\x9D"},
    EncodingCase{"OtherControl", u"\u0085"_s, "\xC2\x85"},
    EncodingCase{"Greek", u"Ω"_s, "\xCE\xA9"},
    EncodingCase{"Emoji", u"a😀"_s, "a\xF0\x9F\x98\x80"},
    EncodingCase{"SingleBytesLookLikeUtf8", u"Ã©"_s, "\xC3\x83\xC2\xA9"},
    EncodingCase{"SingleBytesLookLikeMark", u"ÿþx"_s, "\xC3\xBF\xC3\xBEx"},
    EncodingCase{"LeadingZeroWidthSpace", u"\uFEFFx"_s, "\xEF\xBB\xBF\xEF\xBB\xBFx"},
    EncodingCase{"Nul", QString(QChar(0)) + u"é"_s, QByteArray("\0\xE9", 2)}),
    [](const auto &info) { return std::string(info.param.name); });

class DecodeScriptBytesTest : public testing::TestWithParam<EncodingCase> {};

TEST_P(DecodeScriptBytesTest, DecodesAsTheFileSays)
{
    EXPECT_EQ(decodeScriptBytes(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Files, DecodeScriptBytesTest, testing::Values(
    EncodingCase{"Utf8", u"Départ Ω"_s, "D\xC3\xA9part \xCE\xA9"},
    EncodingCase{"Utf8Mark", u"Départ"_s, "\xEF\xBB\xBF" "D\xC3\xA9part"},
    EncodingCase{"Utf8MarkThenCutOff", u"A\uFFFD"_s, "\xEF\xBB\xBF" "A\xC3"},
    EncodingCase{"Utf16LeMark", u"Aé😀"_s, QByteArray("\xFF\xFE" "A\0\xE9\0\x3D\xD8\x00\xDE", 10)},
    EncodingCase{"Utf16BeMark", u"Aé"_s, QByteArray("\xFE\xFF\0A\0\xE9", 6)},
    EncodingCase{"Utf16LoneSurrogateAndOddByte", u"\uFFFDA\uFFFD"_s, QByteArray("\xFF\xFE\x00\xD8" "A\0B", 7)},
    EncodingCase{"Overlong", u"À¯"_s, "\xC0\xAF"},
    EncodingCase{"EncodedSurrogate", u"í\u00A0€"_s, "\xED\xA0\x80"},
    EncodingCase{"AboveLastCodePoint", u"ô\u0090€€"_s, "\xF4\x90\x80\x80"},
    EncodingCase{"CutOffAtEnd", u"DÃ"_s, "D\xC3"},
    EncodingCase{"NulInsideUtf8", u"a"_s + QChar(0) + u"é"_s, QByteArray("a\0\xC3\xA9", 4)}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
