#include "tests/support/printers.h"

#include "scripts/scriptbuffer.h"
#include "tests/support/sandbox.h"
#include "tests/support/testfiles.h"

#include <QDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace ostrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

TEST(ScriptBuffer, FindKeepsIndexesOfTheOriginalText)
{
    // Upper-casing "ß" gives two letters; a search on a converted copy would report 'x' one further on.
    ScriptBuffer buffer;
    buffer.SetText(u"ßß x"_s);
    EXPECT_EQ(buffer.Find(u"X", 0), 3);
}

// A pipe is no file: reading it would wait for a writer for ever.
TEST(ScriptBuffer, LoadFileTakesUpToOneMebibyteAndRefusesTheRestUnchanged)
{
    test::Sandbox folder;
    QDir(folder.path()).mkdir(u"sub"_s);
    ::mkfifo(QFile::encodeName(folder.file(u"pipe.tcs"_s)).constData(), 0600);
    const std::pair<QString, bool> files[] = {
        {folder.file(u"missing.tcs"_s), false},
        {folder.file(u"sub"_s), false},
        {folder.file(u"pipe.tcs"_s), false},
        {test::writeFile(folder.file(u"big.tcs"_s), QByteArray(ScriptBuffer::MaxFileSize + 1, 'a')), false},
        {test::writeFile(folder.file(u"max.tcs"_s), QByteArray(ScriptBuffer::MaxFileSize, 'a')), true},
    };
    const QString script = test::writeFile(folder.file(u"good.tcs"_s), "definetcname D\xE9part\r\n"); // Windows-1252
    for (const auto &[path, loadable] : files) {
        SCOPED_TRACE(path.toStdString());
        ScriptBuffer buffer;
        ASSERT_TRUE(buffer.LoadFile(script));
        ASSERT_EQ(buffer.Find(u"départ", 0), 13);

        EXPECT_EQ(buffer.LoadFile(path), loadable);
        EXPECT_EQ(buffer.FileName(), loadable ? path : script);
        EXPECT_EQ(buffer.Text(), loadable ? QString(ScriptBuffer::MaxFileSize, u'a') : u"definetcname Départ\r\n"_s);
        if (!loadable) {
            EXPECT_EQ(buffer.SelText(), u"Départ"_s);
        }
    }
}

TEST(ScriptBuffer, FailedSaveSaysWhyAndKeepsTheOldFile)
{
    test::Sandbox folder;
    const QString path = test::writeFile(folder.file(u"keep.tcs"_s), "definetcname kept\r\n");
    ScriptBuffer buffer;
    buffer.SetText(QString(64 * 1024, u'x'));
    // A file size limit makes the write fail part-way, as a full disk would (tests run as root,
    // so permissions cannot).
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

// The fuzz harness aborts on any broken expectation; replaying the seed corpus keeps its checks
// holding in every test run, not only in fuzzing sessions.
TEST(ScriptReaderFuzzCorpus, EverySeedPassesTheHarness)
{
    test::expectEverySeedPasses(QStringLiteral(OSTREL_SCRIPT_CORPUS_DIR), 10, LLVMFuzzerTestOneInput);
}

} // namespace
