#include "tests/support/printers.h"

#include "scripts/scriptbuffer.h"
#include "tests/support/tempstore.h"

#include <QDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace Qt::StringLiterals;
using namespace ostrel;

namespace {

TEST(ScriptBuffer, FindSelectsTheMatchAndSpanExtendsItToTheLineEnd)
{
    ScriptBuffer buffer;
    buffer.SetText(u"ab DEFINEweb x y\r\ndefineweb z"_s);

    EXPECT_EQ(buffer.Find(u"defineweb", 0), 3);
    EXPECT_EQ(buffer.SelText(), u"DEFINEweb"_s);
    buffer.Span();
    EXPECT_EQ(buffer.SelText(), u"DEFINEweb x y"_s);

    EXPECT_EQ(buffer.Find(u"defineweb", 4), 18);
    buffer.Span();
    EXPECT_EQ(buffer.SelText(), u"defineweb z"_s);

    EXPECT_EQ(buffer.Find(u"defineweb", 19), -1);
    EXPECT_EQ(buffer.SelText(), u"defineweb z"_s);   // a failed search keeps the selection

    buffer.SetText(u"x\ny"_s);
    EXPECT_EQ(buffer.SelText(), u""_s);
    buffer.Span();
    EXPECT_EQ(buffer.SelText(), u"x"_s);
}

TEST(ScriptBuffer, FindKeepsIndexesOfTheOriginalText)
{
    // Upper-casing "ß" gives two letters; a search on a converted copy would report 'x' one further on.
    ScriptBuffer buffer;
    buffer.SetText(u"ßß x"_s);
    EXPECT_EQ(buffer.Find(u"X", 0), 3);
}

struct UnloadableCase {
    const char *name;
    QString (*make)(const test::TempFolder &);
};
void PrintTo(const UnloadableCase &c, std::ostream *os) { *os << c.name; }


class LoadFileRefusal : public testing::TestWithParam<UnloadableCase> {};

TEST_P(LoadFileRefusal, ChangesNothing)
{
    test::TempFolder folder;
    ScriptBuffer buffer;
    const QString script = folder.write(u"good.tcs"_s, "definetcname good\r\n");
    ASSERT_TRUE(buffer.LoadFile(script));
    ASSERT_EQ(buffer.Find(u"good", 0), 13);

    EXPECT_FALSE(buffer.LoadFile(GetParam().make(folder)));
    EXPECT_EQ(buffer.Text(), u"definetcname good\r\n"_s);
    EXPECT_EQ(buffer.FileName(), script);
    EXPECT_EQ(buffer.SelText(), u"good"_s);
}

INSTANTIATE_TEST_SUITE_P(Files, LoadFileRefusal, testing::Values(
    UnloadableCase{"Missing", [](const test::TempFolder &f) { return f.file(u"missing.tcs"_s); }},
    UnloadableCase{"Folder", [](const test::TempFolder &f) { QDir(f.path()).mkdir(u"sub"_s); return f.file(u"sub"_s); }},
    UnloadableCase{"OverOneMebibyte", [](const test::TempFolder &f) {
        return f.write(u"big.tcs"_s, QByteArray(ScriptBuffer::MaxFileSize + 1, 'a')); }}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ScriptBuffer, LoadsAFileOfExactlyOneMebibyte)
{
    test::TempFolder folder;
    const QString path = folder.write(u"max.tcs"_s, QByteArray(ScriptBuffer::MaxFileSize, 'a'));
    ScriptBuffer buffer;
    ASSERT_TRUE(buffer.LoadFile(path));
    EXPECT_EQ(buffer.Text().size(), ScriptBuffer::MaxFileSize);
    EXPECT_EQ(buffer.FileName(), path);
}

TEST(ScriptBuffer, SaveFileReplacesAnExistingFile)
{
    test::TempFolder folder;
    const QString path = folder.write(u"old.tcs"_s, "older and longer content");
    ScriptBuffer buffer;
    buffer.SetText(u"new\r\n"_s);
    ASSERT_TRUE(buffer.SaveFile(path));
    EXPECT_EQ(test::readBytes(path), QByteArray("new\r\n"));
}

TEST(ScriptBuffer, SaveFileReportsWhyItFailed)
{
    test::TempFolder folder;
    ScriptBuffer buffer;
    buffer.SetText(u"x"_s);
    QString why;
    EXPECT_FALSE(buffer.SaveFile(folder.file(u"no/such/folder/x.tcs"_s), &why));
    EXPECT_EQ(why, u"No such file or directory"_s);
    EXPECT_FALSE(buffer.SaveFile(folder.path(), &why));
    EXPECT_FALSE(why.isEmpty());
}

TEST(ScriptBuffer, FailedWriteKeepsTheOldFile)
{
    // A file size limit makes the write fail part-way, as a full disk would; tests run as root,
    // so permissions cannot.
    test::TempFolder folder;
    const QString path = folder.write(u"keep.tcs"_s, "definetcname kept\r\n");
    ScriptBuffer buffer;
    buffer.SetText(QString(64 * 1024, u'x'));

    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString why;
    const bool saved = buffer.SaveFile(path, &why);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_EQ(why, u"File too large"_s);
    EXPECT_EQ(test::readBytes(path), QByteArray("definetcname kept\r\n"));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{u"keep.tcs"_s});
}

} // namespace
