#include "launcher/installhints.h"
#include "launcher/keyvalues.h"

#include "tests/support/testfiles.h"

#include <gtest/gtest.h>

int fuzzVdfReader(const uint8_t *data, size_t size);

using namespace Qt::StringLiterals;
using namespace ostrel;

namespace {

// A document as one line: key=value, key{...}.
QString dump(const QList<KeyValue> &keys)
{
    QStringList parts;
    for (const KeyValue &entry : keys)
        parts << (entry.isBlock ? QString(entry.key + u'{' + dump(entry.children) + u'}')
                                : QString(entry.key + u'=' + entry.value));
    return parts.join(u' ');
}

TEST(KeyValues, ReadsWhatValveAndPlayersWrite)
{
    const struct {
        const char *what;
        QByteArray text;
        const char16_t *keys;
    } cases[] = {
        {"quoted", R"("a" "b" "c" { "d" "e" })", u"a=b c{d=e}"},
        {"unquoted, ending at braces and quotes", "a b c{d e}f\"g\"", u"a=b c{d=e} f=g"},
        {"escapes", R"("k" "x\"y\\z\tw\nv")", u"k=x\"y\\z\tw\nv"},
        {"other backslashes kept", R"("k" "C:\Games\duke")", u"k=C:\\Games\\duke"},
        {"comments", "// top\n\"a\" // after a key\n\"b\" // after a value\n", u"a=b"},
        {"a lone slash is text", "a /b/c", u"a=/b/c"},
        {"conditions skipped, keys kept", R"("a" [$WIN32] "b" [$X360] "c" [!$OSX] { "d" "e" } [$LINUX])",
            u"a=b c{d=e}"},
        {"byte order mark and CRLF", "\xEF\xBB\xBF\"a\"\r\n{\r\n\"b\" \"c\"\r\n}\r\n", u"a{b=c}"},
        {"empty strings", R"("" "" "k" "")", u"= k="},
        {"a quoted text over lines", "\"k\" \"one\ntwo\"", u"k=one\ntwo"},
        {"#include is a key like any other", "#include \"x.vdf\"", u"#include=x.vdf"},
        {"nothing", "", u""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const KeyValuesDocument document = readKeyValues(c.text);
        EXPECT_TRUE(document.ok()) << document.error.toStdString();
        EXPECT_EQ(dump(document.keys), QString::fromUtf16(c.keys));
    }
}

TEST(KeyValues, RefusesBrokenTextSayingWhereAndWhy)
{
    const QByteArray deep =
        QByteArray("\"k\" {").repeated(kKeyValuesMaxDepth + 1) + QByteArray("}").repeated(kKeyValuesMaxDepth + 1);
    const struct {
        const char *what;
        QByteArray text;
        const char *error;
    } cases[] = {
        {"unterminated quote", "\"a\" \"b\"\n\"c\" \"d", "A quoted text that starts on line 2 never ends."},
        {"unclosed block", "\"a\"\n{\n\"b\" \"c\"\n", "The block opened on line 2 is never closed."},
        {"stray brace", "\"a\" \"b\"\n}", "A '}' on line 2 closes no block."},
        {"block without key", "{ \"a\" \"b\" }", "A block on line 1 has no key."},
        {"key without value", "\"a\"\n{\n\"b\"\n}", "The key \"b\" on line 3 has no value."},
        {"key at the end", "\"a\" \"b\" \"c\"", "The key \"c\" on line 1 has no value."},
        {"condition without end", "\"a\" [$WIN32\n\"b\"", "A condition on line 1 has no closing ']'."},
        {"too deep", deep, "Blocks are nested deeper than 32 on line 1."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const KeyValuesDocument document = readKeyValues(c.text);
        EXPECT_EQ(document.error, QString::fromUtf8(c.error));
        EXPECT_TRUE(document.keys.isEmpty());
    }
    const QByteArray deepest =
        QByteArray("\"k\" {").repeated(kKeyValuesMaxDepth) + QByteArray("}").repeated(kKeyValuesMaxDepth);
    EXPECT_TRUE(readKeyValues(deepest).ok());
}

TEST(SteamLibraryList, ListsTheLibrariesOfBothLayouts)
{
    const struct {
        const char *what;
        QByteArray text;
        QStringList folders;
    } cases[] = {
        {"a block per library",
            R"("libraryfolders" { "contentstatsid" "-1" "0" { "path" "/home/p/.local/share/Steam" "apps" { "225140" "1" } }
            "1" { "label" "" "path" "/mnt/games//Steam/" } "2" { "label" "no path" } })",
            {u"/home/p/.local/share/Steam"_s, u"/mnt/games/Steam"_s}},
        {"the older layout, any case",
            R"("LibraryFolders" { "TimeNextStatsReport" "1" "ContentStatsID" "2" "1" "/mnt/a" "2" "/mnt/b c" })",
            {u"/mnt/a"_s, u"/mnt/b c"_s}},
        {"relative paths and other keys left out",
            R"("libraryfolders" { "1" "games" "x" "/mnt/x" "2" { "path" { } } })", {}},
        {"another file", R"("AppState" { "1" "/mnt/a" })", {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QString error;
        EXPECT_EQ(steamLibraryFolders(c.text, &error), c.folders);
        EXPECT_TRUE(error.isEmpty());
    }
    QString error;
    EXPECT_TRUE(steamLibraryFolders("\"libraryfolders\" { \"1\" \"/mnt/a\"", &error).isEmpty());
    EXPECT_EQ(error, u"The block opened on line 1 is never closed."_s);
}

// The fuzz harness aborts on any broken expectation; replaying its seeds keeps them holding
// on every test run.
TEST(VdfReaderFuzzCorpus, EverySeedPassesTheHarness)
{
    test::expectEverySeedPasses(QStringLiteral(OSTREL_VDF_CORPUS_DIR), 15, fuzzVdfReader);
}

} // namespace
