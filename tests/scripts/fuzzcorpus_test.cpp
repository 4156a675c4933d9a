#include "tests/support/tempstore.h"

#include <QDir>

#include <gtest/gtest.h>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

// The fuzz harness aborts on any broken expectation; running it over the seed corpus here keeps
// it working and its checks holding in every test run, not only in fuzzing sessions.
TEST(ScriptReaderFuzzCorpus, EverySeedPassesTheHarness)
{
    const QDir corpus(QStringLiteral(OSTREL_SCRIPT_CORPUS_DIR));
    const QStringList seeds = corpus.entryList(QDir::Files, QDir::Name);
    ASSERT_GE(seeds.size(), 10);
    for (const QString &seed : seeds) {
        SCOPED_TRACE(seed.toStdString());
        const QByteArray bytes = ostrel::test::readBytes(corpus.filePath(seed));
        EXPECT_EQ(LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()),
                                         size_t(bytes.size())), 0);
    }
}

} // namespace
