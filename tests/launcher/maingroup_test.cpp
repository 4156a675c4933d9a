#include "launcher/maingroup.h"
#include "launcher/versionfit.h"

#include "tests/support/crcfile.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace ostrel;

namespace {

TEST(MainGroup, TellsEveryReleaseBySizeAndCrc)
{
    const QTemporaryDir folder;
    const struct {
        const char *what;
        qint64 size;
        quint32 crc;
        GameEdition edition;
        const char16_t *described;
    } cases[] = {
        {"1.3D", 26524524, 0xBBC9CE44, GameEdition::V13D, u"1.3D"},
        {"censored", 26385383, 0xAA4F6A40, GameEdition::V13DCensored, u"1.3D (South Korean, censored)"},
        {"Plutonium", 44348015, 0xF514A6AC, GameEdition::V14Plutonium, u"1.4 Plutonium Pak"},
        {"Atomic", 44356548, 0xFD3DCFF1, GameEdition::V15Atomic, u"1.5 Atomic Edition"},
        {"World Tour", 44356548, 0x982AFE4A, GameEdition::WorldTour, u"20th Anniversary World Tour"},
        {"shareware", 11035779, 0x983AD923, GameEdition::Shareware, u"shareware 1.3D"},
        {"Atomic's size, another CRC", 44356548, 0x12345678, GameEdition::Unknown,
            u"unknown (44,356,548 bytes, CRC 12345678)"},
        {"1.3D's CRC, another size", 26524525, 0xBBC9CE44, GameEdition::Unknown, u"unknown (26,524,525 bytes)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = folder.filePath(QString::fromLatin1(c.what));
        ASSERT_TRUE(test::writeFileWithCrc(path, c.size, c.crc));
        const MainGroupIdentity identity = identifyMainGroup(path);
        EXPECT_TRUE(identity.ok()) << identity.error.toStdString();
        EXPECT_EQ(identity.edition, c.edition);
        EXPECT_EQ(identity.size, c.size);
        EXPECT_EQ(describeMainGroup(identity), QString::fromUtf16(c.described));
    }
}

// A size no release has settles it without reading 44 MB; asked for, the CRC is computed anyway.
TEST(MainGroup, ReadsAFileOfAnUnknownSizeOnlyWhenAskedTo)
{
    const QTemporaryDir folder;
    const QString path = folder.filePath(u"DUKE3D.GRP"_s);
    ASSERT_TRUE(test::writeFileWithCrc(path, 5000000, 0xCAFEF00D));
    const MainGroupIdentity skipped = identifyMainGroup(path);
    EXPECT_FALSE(skipped.hasCrc);
    const MainGroupIdentity computed = identifyMainGroup(path, CrcOfUnknownSizes::Compute);
    EXPECT_TRUE(computed.hasCrc);
    EXPECT_EQ(computed.crc, 0xCAFEF00Du);
    EXPECT_EQ(computed.edition, GameEdition::Unknown);
}

TEST(MainGroup, SaysWhyAFileCannotBeRead)
{
    const QTemporaryDir folder;
    const QString fifo = folder.filePath(u"fifo.grp"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const struct {
        QString path;
        QString error;
    } cases[] = {
        {folder.filePath(u"gone.grp"_s), u"Cannot read "_s + folder.filePath(u"gone.grp"_s) + u": "_s},
        {folder.path(), folder.path() + u" is not a file."_s},
        {fifo, fifo + u" is not a file."_s},
    };
    for (const auto &c : cases) {
        const MainGroupIdentity identity = identifyMainGroup(c.path);
        EXPECT_FALSE(identity.ok());
        EXPECT_TRUE(identity.error.startsWith(c.error)) << identity.error.toStdString();
        EXPECT_EQ(identity.edition, GameEdition::Unknown);
    }
}

MainGroupIdentity installed(GameEdition edition)
{
    MainGroupIdentity identity;
    identity.edition = edition;
    identity.size = 44356548;
    identity.crc = 0x0BADF00D;
    identity.hasCrc = true;
    return identity;
}

TEST(VersionFit, DecidesForEveryVersionTextAndRelease)
{
    const QString worldTourWarning = u"TCs made before it may not run on it."_s;
    const struct {
        const char *tcVersion;
        GameEdition edition;
        VersionFit fit;
        const char *reason;  // a part of it
        const char *warning; // a part of it
    } cases[] = {
        {"1.3D", GameEdition::V13D, VersionFit::Runs, "", ""},
        {" 1.3d ", GameEdition::V13DCensored, VersionFit::Runs, "", ""},
        {"1.3D", GameEdition::V15Atomic, VersionFit::AskFirst,
            "made for Duke Nukem 3D 1.3D, and the game directory holds Duke Nukem 3D 1.5 Atomic Edition.", ""},
        {"1.3D", GameEdition::V14Plutonium, VersionFit::AskFirst, "holds Duke Nukem 3D 1.4 Plutonium Pak.", ""},
        {"1.3D", GameEdition::WorldTour, VersionFit::AskFirst, "holds the 20th Anniversary World Tour's main group.",
            "TCs made before it"},
        {"1.4/1.5 Atomic", GameEdition::V13D, VersionFit::AskFirst,
            "made for Duke Nukem 3D 1.4/1.5 Atomic, and the game directory holds Duke Nukem 3D 1.3D.", ""},
        {"1.4/1.5 ATOMIC", GameEdition::V14Plutonium, VersionFit::Runs, "", ""},
        {"1.4/1.5 Atomic", GameEdition::V15Atomic, VersionFit::Runs, "", ""},
        {"1.4/1.5 Atomic", GameEdition::WorldTour, VersionFit::Runs, "", "The game is the 20th Anniversary World Tour"},
        {"1.3D and 1.4/1.5", GameEdition::V13D, VersionFit::Runs, "", ""},
        {"1.3D and 1.4/1.5", GameEdition::V15Atomic, VersionFit::Runs, "", ""},
        {"1.3D and 1.4/1.5", GameEdition::WorldTour, VersionFit::Runs, "", "TCs made before it"},
        {"1.3D and 1.4/1.5", GameEdition::Shareware, VersionFit::Refused,
            "has only the first episode: TCs need the full game", ""},
        {"1.3D", GameEdition::Shareware, VersionFit::Refused, "shareware", ""},
        {"1.3D", GameEdition::Unknown, VersionFit::Runs, "",
            "cannot be told: its main group, unknown (44,356,548 bytes, CRC 0BADF00D), is none"},
        {"2.0", GameEdition::V15Atomic, VersionFit::Runs, "",
            "\"2.0\" is none of 1.3D, 1.4/1.5 Atomic or 1.3D and 1.4/1.5."},
        {"2.0", GameEdition::WorldTour, VersionFit::Runs, "", "TCs made before it"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.tcVersion) + " on " + gameEditionName(c.edition).toStdString());
        const VersionDecision decision = decideVersionFit(QString::fromLatin1(c.tcVersion), installed(c.edition));
        EXPECT_EQ(decision.fit, c.fit);
        EXPECT_EQ(decision.reason.isEmpty(), *c.reason == 0) << decision.reason.toStdString();
        EXPECT_TRUE(decision.reason.contains(QString::fromUtf8(c.reason))) << decision.reason.toStdString();
        EXPECT_EQ(decision.warning.isEmpty(), *c.warning == 0) << decision.warning.toStdString();
        EXPECT_TRUE(decision.warning.contains(QString::fromUtf8(c.warning))) << decision.warning.toStdString();
    }
    MainGroupIdentity unreadable;
    unreadable.error = u"Cannot read /g/DUKE3D.GRP: Permission denied."_s;
    const VersionDecision decision = decideVersionFit(u"1.3D"_s, unreadable);
    EXPECT_EQ(decision.fit, VersionFit::Runs);
    EXPECT_EQ(decision.warning,
        u"The installed game's version cannot be told: Cannot read /g/DUKE3D.GRP: Permission denied."_s);
}

// The texts a release answers are those decideVersionFit() lets run without asking.
TEST(VersionFit, EachReleaseAnswersTheVersionTextsItRuns)
{
    const QStringList texts{u"1.3D"_s, u"1.4/1.5 Atomic"_s, u"1.3D and 1.4/1.5"_s};
    for (const GameEdition edition : {GameEdition::Unknown, GameEdition::V13D, GameEdition::V13DCensored,
             GameEdition::V14Plutonium, GameEdition::V15Atomic, GameEdition::WorldTour, GameEdition::Shareware}) {
        SCOPED_TRACE(gameEditionName(edition).toStdString());
        QStringList runs;
        for (const QString &text : texts) {
            if (edition != GameEdition::Unknown && decideVersionFit(text, installed(edition)).fit == VersionFit::Runs)
                runs << text;
        }
        EXPECT_EQ(tcVersionTextsFor(edition), runs);
    }
    EXPECT_EQ(tcVersionTextsFor(GameEdition::V13D), (QStringList{u"1.3D"_s, u"1.3D and 1.4/1.5"_s}));
    EXPECT_EQ(gameVersionOf(GameEdition::WorldTour), GameVersion::V14Or15);
    EXPECT_EQ(gameVersionOf(GameEdition::V13DCensored), GameVersion::V13D);
}

} // namespace
