#include "launcher/maingroupcache.h"

#include "tests/support/crcfile.h"
#include "tests/support/sandbox.h"
#include "tests/support/testfiles.h"

#include <QFile>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace ostrel;

namespace {

constexpr qint64 kAtomicSize = 44356548;

// Sets a file's modification time to the nanosecond, so that a test can change the file's bytes
// and leave size and time as they were.
void setMtime(const QString &path, qint64 seconds, long nanoseconds)
{
    const timespec times[2] = {{0, UTIME_OMIT}, {seconds, nanoseconds}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

// The cache is tested by what it answers when the file's bytes change behind its back: only a
// remembered result can still name the release of bytes that are gone.
TEST(MainGroupCache, RemembersByPathSizeAndTimeAcrossRuns)
{
    const test::Sandbox sandbox;
    const QString group = sandbox.path() + u"/game/DUKE3D.GRP"_s;
    ASSERT_TRUE(test::writeFileWithCrc(group, kAtomicSize, 0xFD3DCFF1));
    setMtime(group, 1700000000, 123456789);
    {
        MainGroupCache cache;
        EXPECT_EQ(cache.identify(group).edition, GameEdition::V15Atomic);
        EXPECT_EQ(cache.saveError(), QString());
    }
    EXPECT_TRUE(QFile::exists(sandbox.stateDir() + u"/maingroups"_s));

    ASSERT_TRUE(test::writeFileWithCrc(group, kAtomicSize, 0x982AFE4A));
    setMtime(group, 1700000000, 123456789);
    MainGroupCache nextRun;
    EXPECT_EQ(nextRun.identify(group).edition, GameEdition::V15Atomic) << "read again although unchanged";
    EXPECT_EQ(nextRun.identify(sandbox.path() + u"/game/../game/./DUKE3D.GRP"_s).edition, GameEdition::V15Atomic);

    setMtime(group, 1700000000, 123456790);
    EXPECT_EQ(nextRun.identify(group).edition, GameEdition::WorldTour) << "a nanosecond later is another file";
    ASSERT_TRUE(test::writeFileWithCrc(group, kAtomicSize + 1, 0x982AFE4A));
    setMtime(group, 1700000000, 123456790);
    EXPECT_EQ(nextRun.identify(group).size, kAtomicSize + 1) << "another size is another file";
    EXPECT_EQ(MainGroupCache().identify(group).size, kAtomicSize + 1) << "the newest result was kept";
}

// Each damaged file holds a line for the group's real size and time that, were it taken, would
// name another CRC than the file's.
TEST(MainGroupCache, ADamagedFileIsIgnoredAndWrittenAnew)
{
    const test::Sandbox sandbox;
    const QString cacheFile = sandbox.stateDir() + u"/maingroups"_s;
    const QString group = sandbox.path() + u"/DUKE3D.GRP"_s;
    ASSERT_TRUE(test::writeFileWithCrc(group, 26524524, 0xBBC9CE44));
    setMtime(group, 1700000000, 5);
    const QByteArray path = QFile::encodeName(group).toPercentEncoding();
    const QByteArray header = "quillon main groups 1\n";
    const QByteArray damaged[] = {
        "\xff\xfe garbage\n26524524 1700000000000000005 12345678 " + path + "\n",
        "quillon main groups 2\n26524524 1700000000000000005 12345678 " + path + "\n",
        header + "26524524 1700000000000000005 1234567 " + path + "\n",
        header + "26524524 1700000000000000005 1234567G " + path + "\n",
        header + "26524524 1700000000000000005x 12345678 " + path + "\n",
        header + "26524524 1700000000000000005 12345678 " + path + " more\n",
    };
    for (const QByteArray &text : damaged) {
        SCOPED_TRACE(text.toStdString());
        test::writeFile(cacheFile, text);
        MainGroupCache cache;
        EXPECT_EQ(cache.identify(group).edition, GameEdition::V13D);
        EXPECT_EQ(test::readBytes(cacheFile), header + "26524524 1700000000000000005 BBC9CE44 " + path + "\n");
    }
}

TEST(MainGroupCache, ACacheThatCannotBeWrittenStillIdentifies)
{
    const test::Sandbox sandbox;
    const QString group = sandbox.path() + u"/DUKE3D.GRP"_s;
    ASSERT_TRUE(test::writeFileWithCrc(group, 11035779, 0x983AD923));
    test::writeFile(sandbox.path() + u"/not-a-folder"_s, "x");
    MainGroupCache cache(sandbox.path() + u"/not-a-folder/maingroups"_s);
    EXPECT_EQ(cache.identify(group).edition, GameEdition::Shareware);
    EXPECT_FALSE(cache.saveError().isEmpty());
}

} // namespace
