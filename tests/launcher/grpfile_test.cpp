#include "launcher/grpfile.h"

#include "tests/support/testfiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

using namespace Qt::StringLiterals;
using namespace ostrel;

namespace {

QByteArray le32(quint32 v)
{
    return QByteArray(1, char(v & 0xFF)) + char((v >> 8) & 0xFF) + char((v >> 16) & 0xFF) + char(v >> 24);
}

QByteArray entry(QByteArray name, quint32 size)
{
    return name.leftJustified(12, '\0', true) + le32(size);
}

// Members, offsets and where a name ends are checked against the bytes by the fuzz harness on
// every seed (GrpReaderFuzzCorpus), and a whole file read from disk by every launch; here, what
// the player reads when a file is refused.
TEST(GrpFile, RefusesWhatIsNoUsableGroupFile)
{
    const QByteArray header = "KenSilverman";
    const struct {
        const char *what;
        QByteArray bytes;
        qint64 fileSize; // -1: bytes.size()
        const char *reason;
    } cases[] = {
        {"empty", {}, -1, "too short"},
        {"signature", QByteArray("KenSilverwoman\0\0", 16), -1, "does not start with"},
        {"count past the end", header + le32(5) + entry("A.MAP", 0), -1, "claims 5 members"},
        {"count 2^32-1", header + le32(0xFFFFFFFF), -1, "claims 4294967295 members"},
        {"sizes past the end", header + le32(2) + entry("A.MAP", 1) + entry("B.MAP", 0xFFFFFFFF) + "x", -1,
            "add up to more"},
        {"directory not read", header + le32(2) + entry("A.MAP", 0), 48, "not read whole"},
        {"slash", header + le32(1) + entry("../E1L1.MAP", 0), -1, "byte 0x2f"},
        {"dot dot", header + le32(1) + entry("..", 0), -1, "the name \"..\""},
        {"empty name", header + le32(1) + entry("", 0), -1, "an empty name"},
        {"newline", header + le32(1) + entry("E1\nL1.MAP", 0), -1, "byte 0x0a"},
        {"high byte", header + le32(1) + entry("\xe9T\xe9", 0), -1, "byte 0xe9"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const GrpDirectory dir = readGrpDirectory(c.bytes, c.fileSize < 0 ? c.bytes.size() : c.fileSize);
        EXPECT_FALSE(dir.ok());
        EXPECT_TRUE(dir.error.contains(QLatin1StringView(c.reason))) << dir.error.toStdString();
    }
}

TEST(GrpFile, AGroupFileThatCannotBeOpenedIsRefused)
{
    const QTemporaryDir folder;
    const GrpDirectory dir = readGrpDirectory(folder.filePath(u"missing.grp"_s));
    EXPECT_FALSE(dir.ok());
    EXPECT_TRUE(dir.error.contains(u"missing.grp"_s)) << dir.error.toStdString();
}

// The fuzz harness aborts on any broken expectation; replaying its corpus keeps the checks
// holding on every test run.
TEST(GrpReaderFuzzCorpus, EverySeedPassesTheHarness)
{
    test::expectEverySeedPasses(QStringLiteral(OSTREL_GRP_CORPUS_DIR), 20, LLVMFuzzerTestOneInput);
}

} // namespace
