#include "launcher/grpfile.h"

#include "tests/launcher/launchertesting.h"

#include "tests/support/tempstore.h"

#include <QDir>

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

TEST(GrpFile, ReadsMembersWithTheirOffsets)
{
    const QByteArray bytes = test::grpBytes({{"E1L1.MAP", "12345"}, {"TILES000.ART", ""}, {"GAME.CON", "ab"}});
    const GrpDirectory dir = readGrpDirectory(bytes, bytes.size());
    ASSERT_TRUE(dir.ok()) << dir.error.toStdString();
    const qint64 start = 16 + 3 * 16;
    EXPECT_EQ(dir.members, (QList<GrpMember>{{u"E1L1.MAP"_s, 5, quint64(start)},
                                             {u"TILES000.ART"_s, 0, quint64(start + 5)},
                                             {u"GAME.CON"_s, 2, quint64(start + 5)}}));
}

TEST(GrpFile, ANameEndsAtItsFirstNulAndMayFillAllTwelveBytes)
{
    const QByteArray bytes = "KenSilverman" + le32(2) + QByteArray("USER.CON\0\x7f/x", 12) + le32(0)
                             + entry("ABCDEFGH.IJK", 0);
    const GrpDirectory dir = readGrpDirectory(bytes, bytes.size());
    ASSERT_TRUE(dir.ok()) << dir.error.toStdString();
    EXPECT_EQ(dir.members[0].name, u"USER.CON");
    EXPECT_EQ(dir.members[1].name, u"ABCDEFGH.IJK");
}

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
        {"cut header", "KenSilverma", -1, "too short"},
        {"signature", QByteArray("KenSilverwoman\0\0", 16), -1, "does not start with"},
        {"count past the end", header + le32(5) + entry("A.MAP", 0), -1, "claims 5 members"},
        {"count 2^32-1", header + le32(0xFFFFFFFF), -1, "claims 4294967295 members"},
        {"sizes past the end", header + le32(2) + entry("A.MAP", 1) + entry("B.MAP", 0xFFFFFFFF) + "x", -1, "add up to more"},
        {"directory not read", header + le32(2) + entry("A.MAP", 0), 48, "not read whole"},
        {"slash", header + le32(1) + entry("../E1L1.MAP", 0), -1, "byte 0x2f"},
        {"backslash", header + le32(1) + entry("A\\B", 0), -1, "byte 0x5c"},
        {"dot dot", header + le32(1) + entry("..", 0), -1, "the name \"..\""},
        {"dot", header + le32(1) + entry(".", 0), -1, "the name \".\""},
        {"empty name", header + le32(1) + entry("", 0), -1, "an empty name"},
        {"newline", header + le32(1) + entry("E1\nL1.MAP", 0), -1, "byte 0x0a"},
        {"space", header + le32(1) + entry("MY MAP", 0), -1, "byte 0x20"},
        {"high byte", header + le32(1) + entry("\xe9T\xe9", 0), -1, "byte 0xe9"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const GrpDirectory dir = readGrpDirectory(c.bytes, c.fileSize < 0 ? c.bytes.size() : c.fileSize);
        EXPECT_FALSE(dir.ok());
        EXPECT_TRUE(dir.members.isEmpty());
        EXPECT_TRUE(dir.error.contains(QLatin1StringView(c.reason))) << dir.error.toStdString();
    }
}

TEST(GrpFile, ReadsTheDirectoryOfAFileOnDisk)
{
    test::LauncherSandbox sandbox;
    const QString path = sandbox.path() + u"/my tc/TC.GRP"_s;
    test::writeFile(path, test::grpBytes({{"E1L1.MAP", QByteArray(1000, 'm')}, {"GAME.CON", "con"}}));
    const GrpDirectory dir = readGrpDirectory(path);
    ASSERT_TRUE(dir.ok()) << dir.error.toStdString();
    EXPECT_EQ(dir.members.size(), 2);
    EXPECT_EQ(dir.members[1].offset, 16u + 32u + 1000u);

    test::writeFile(path, "not a group file at all");
    const GrpDirectory wrong = readGrpDirectory(path);
    EXPECT_TRUE(wrong.error.contains(path)) << wrong.error.toStdString();
    EXPECT_FALSE(readGrpDirectory(sandbox.path() + u"/missing.grp"_s).ok());
}

// The fuzz harness aborts on any broken expectation; replaying its corpus keeps the checks
// holding on every test run.
TEST(GrpReaderFuzzCorpus, EverySeedPassesTheHarness)
{
    const QDir corpus(QStringLiteral(OSTREL_GRP_CORPUS_DIR));
    const QStringList seeds = corpus.entryList(QDir::Files, QDir::Name);
    ASSERT_GE(seeds.size(), 20);
    for (const QString &seed : seeds) {
        SCOPED_TRACE(seed.toStdString());
        const QByteArray bytes = test::readBytes(corpus.filePath(seed));
        EXPECT_EQ(LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size())), 0);
    }
}

} // namespace
