// Real archives made with libarchive's writer, listed, inspected and installed into a sandbox
// (XDG_DATA_HOME and the store in a temporary folder): what lands on disk and in the store,
// what is refused and that a refusal writes nothing, and the start-up clean-up.

#include "tests/installer/installertesting.h"
#include "tests/support/sandbox.h"
#include "tests/support/testfiles.h"

#include "installer/tcinstaller.h"
#include "installer/tcroot.h"

#include "launcher/fileops.h"

#include "store/definitionstore.h"
#include "store/memorysettingsstore.h"
#include "store/sqlitesettingsstore.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <clocale>
#include <csignal>

#include <sys/file.h>
#include <sys/resource.h>
#include <fcntl.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

using namespace Qt::StringLiterals;
using namespace ostrel;
using test::ArchiveFormat;
using test::TestEntry;

namespace {

const QByteArray kCon = "include DEFS.CON\ndefine MAXPLAYERHEALTH 420\n";

QList<TestEntry> harbourEntries()
{
    return {
        {"Harbour/", {}, TestEntry::Type::Folder},
        {"Harbour/HARBOUR.GRP", test::grpBytesOfNames({"E1L1.MAP", "TILES000.ART"})},
        {"Harbour/HARBOUR.CON", kCon},
        {"Harbour/DEFS.CON", "define X 1\n"},
        {"Harbour/maps/E2L1.MAP", QByteArray(5000, 'm')},
        {"Harbour/sons/\xC3\x89t\xC3\xA9.VOC", "voc"},
        {"Harbour/README.TXT",
            "Harbour Strike for Duke Nukem 3D 1.3D.\r\nRun: duke3d /x HARBOUR.CON /g HARBOUR.GRP\r\n"},
        {"Harbour/PLAY.BAT", "duke3d /x HARBOUR.CON /g HARBOUR.GRP\r\n"},
    };
}

QByteArray corpusFile(const char *name)
{
    return test::readBytes(QStringLiteral(OSTREL_ARCHIVE_CORPUS_DIR) + u'/' + QLatin1StringView(name));
}

class Installer : public ::testing::Test
{
protected:
    test::Sandbox sandbox;
    QString downloads = sandbox.path() + u"/downloads"_s;
    QString tcRoot = sandbox.dataHome() + u"/quillon/tcs"_s;
    SqliteSettingsStore store{sandbox.path() + u"/config/settings.sqlite3"_s};

    void SetUp() override { QDir().mkpath(downloads); }

    InspectOptions options() const
    {
        InspectOptions o;
        o.tcRoot = tcRoot;
        return o;
    }

    // What the TC root holds besides the lock: names of TC folders and leftovers.
    QStringList rootNames() const
    {
        QStringList names = fileops::namesIn(tcRoot);
        names.removeAll(kInstallLockName.toString());
        names.sort();
        return names;
    }

    // Everything in the sandbox outside the TC root and the store.
    test::Snapshot outsideTheTcs() const
    {
        test::Snapshot all = test::snapshotOf(sandbox.path());
        test::Snapshot outside;
        for (auto it = all.cbegin(); it != all.cend(); ++it) {
            // The folders of the TC root and of the store are made for them.
            const QByteArray &key = it.key();
            const bool ours = key.startsWith("data/quillon/tcs") || key.startsWith("config") || key == "data"
                || key == "data/quillon";
            if (!ours)
                outside.insert(it.key(), it.value());
        }
        return outside;
    }
};

TEST_F(Installer, InstallsEachFormatIntoItsOwnFolderAndSavesTheDefinitionLast)
{
    const struct {
        const char *file;
        ArchiveFormat format;
    } formats[] = {{"harbour zip.zip", ArchiveFormat::Zip}, {"harbour stored.zip", ArchiveFormat::ZipStored},
        {"harbour 7z.7z", ArchiveFormat::SevenZip}, {"harbour tar.tar", ArchiveFormat::Tar},
        {"harbour tgz.tar.gz", ArchiveFormat::TarGz}};
    for (const auto &f : formats) {
        SCOPED_TRACE(f.file);
        const QString archive = test::writeArchive(downloads, QString::fromLatin1(f.file), f.format, harbourEntries());
        const test::Snapshot before = outsideTheTcs();
        const TcInspection inspection = inspectArchive(archive, options());
        ASSERT_TRUE(inspection.ok()) << inspection.problems.join(u'\n').toStdString();
        EXPECT_EQ(inspection.name + u'.', QString::fromLatin1(f.file).left(inspection.name.size() + 1));

        const InstallResult result = installTc(inspection, store);
        ASSERT_TRUE(result.ok()) << result.error.toStdString();
        const QString folder = tcRoot + u'/' + inspection.name;
        const auto saved = DefinitionStore(store).load(inspection.name);
        ASSERT_TRUE(saved);
        EXPECT_EQ(*saved, result.definition);
        EXPECT_EQ(saved->version, u"1.3D"_s);
        EXPECT_EQ(saved->groupFile, folder + u"/HARBOUR.GRP"_s);
        EXPECT_EQ(saved->gameCon, folder + u"/HARBOUR.CON"_s);
        EXPECT_EQ(saved->textFile, folder + u"/README.TXT"_s);
        EXPECT_EQ(saved->otherFiles,
            (QStringList{folder + u"/DEFS.CON"_s, folder + u"/maps/E2L1.MAP"_s, folder + u"/sons/Été.VOC"_s}));
        EXPECT_EQ(test::readBytes(saved->otherFiles[2]), "voc") << "a UTF-8 name, whatever the locale";
        EXPECT_EQ(test::readBytes(saved->gameCon), kCon);
        EXPECT_EQ(test::readBytes(saved->otherFiles[1]), QByteArray(5000, 'm'));
        EXPECT_EQ(installedTcFolder(*saved, tcRoot), folder);
        EXPECT_EQ(outsideTheTcs(), before) << "nothing is written outside the TC root";
        EXPECT_TRUE(removeUnfinishedInstalls(tcRoot, store).removed.isEmpty()) << "a finished install is no leftover";
        EXPECT_TRUE(QFileInfo::exists(folder + u"/HARBOUR.GRP"_s));
    }
    EXPECT_EQ(rootNames().size(), 5);
    EXPECT_FALSE(installedTcFolder({u"Mine"_s, {}, tcRoot + u"/harbour zip/HARBOUR.GRP"_s, {}, {}, {}}, tcRoot))
        << "the folder was installed for another definition";
}

TEST_F(Installer, HostileEntriesAreSkippedAndNothingLandsOutsideTheFolder)
{
    const QString archive = test::writeArchive(downloads, u"hostile.tar"_s, ArchiveFormat::Tar,
        {
            {"TC.GRP", test::grpBytesOfNames({"E1L1.MAP"})},
            {"../escaped.con", "x"},
            {"../../../escaped2.con", "x"},
            {"/tmp/absolute.con", "x"},
            {"C:\\DUKE3D\\drive.con", "x"},
            {"..\\..\\backslash.con", "x"},
            {"link", "/etc/passwd", TestEntry::Type::Symlink},
            {"link/through.con", "x"},
            {"hard.grp", "TC.GRP", TestEntry::Type::Hardlink},
            {"tty", {}, TestEntry::Type::Device},
            {"pipe", {}, TestEntry::Type::Fifo},
            {"\xC9"
             "1L1.MAP",
                "bytes"},
        });
    const test::Snapshot before = outsideTheTcs();
    const TcInspection inspection = inspectArchive(archive, options());
    ASSERT_TRUE(inspection.ok()) << inspection.problems.join(u'\n').toStdString();
    EXPECT_EQ(inspection.skipped.size(), 9);
    const InstallResult result = installTc(inspection, store);
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(outsideTheTcs(), before);
    const test::Snapshot installed = test::snapshotOf(tcRoot + u"/hostile"_s);
    EXPECT_EQ(installed.keys(),
        (QList<QByteArray>{".quillon-tc", "TC.GRP", "link", "link/through.con",
            "\xC9"
            "1L1.MAP"}));
    EXPECT_EQ(installed.value("link"), "<dir>") << "made as a folder of the entry after it, never as a link";
    EXPECT_EQ(installed.value("\xC9"
                              "1L1.MAP"),
        "bytes")
        << "unpacked under the same bytes";
}

TEST_F(Installer, RefusesBadArchivesWithTheReasonAndWritesNothing)
{
    const QByteArray zip = test::makeArchive(ArchiveFormat::Zip, harbourEntries());
    // Damage in the packed data of the read-me, which the inspection reads.
    QByteArray corrupt = zip;
    const qsizetype header = corrupt.indexOf("Harbour/README.TXT") - 30;
    const qsizetype data = header + 30 + 18 + quint8(corrupt[header + 28]) + 256 * quint8(corrupt[header + 29]);
    for (qsizetype i = data + 2; i < data + 6; ++i)
        corrupt[i] = char(0xA5 ^ corrupt[i]);
    QList<TestEntry> many;
    for (int i = 0; i < 40; ++i)
        many.append({"M" + QByteArray::number(i) + ".MAP", "x"});
    many.append({"TC.GRP", test::grpBytesOfNames({"A"})});
    ArchiveLimits small;
    small.maxEntries = 30;
    small.ratioFloorBytes = 1 << 20;
    const struct {
        const char *name;
        QByteArray bytes;
        ArchiveLimits limits;
        QString reason;
    } cases[] = {
        {"truncated", zip.left(zip.size() / 2), {}, u"damaged or cut short"_s},
        {"truncated_7z", test::makeArchive(ArchiveFormat::SevenZip, harbourEntries()).chopped(40), {},
            u"damaged or cut short"_s},
        {"corrupt", corrupt, {}, u"damaged or cut short"_s},
        {"password", test::makeArchive(ArchiveFormat::Zip, harbourEntries(), "secret"), {}, u"password-protected"_s},
        // Made with 7-Zip (libarchive writes no encrypted 7z), kept among the fuzz seeds.
        {"password_7z_data", corpusFile("encrypted_data.7z"), {}, u"password-protected"_s},
        {"password_7z_headers", corpusFile("encrypted_headers.7z"), {}, u"password-protected"_s},
        {"no_group", test::makeArchive(ArchiveFormat::Zip, {{"GAME.CON", "x"}, {"README.TXT", "hi"}}), {},
            u"holds no group file"_s},
        {"not_an_archive", "Just a text file, no archive at all.\n", {}, u"is not an archive Quillon can read"_s},
        {"empty_file", {}, {}, u"is not an archive Quillon can read"_s},
        {"many_entries", test::makeArchive(ArchiveFormat::Zip, many), small, entryLimitMessage(small)},
        {"ratio",
            test::makeArchive(ArchiveFormat::Zip,
                {{"TC.GRP", test::grpBytesOfNames({"A"})}, {"ZEROS.MAP", QByteArray(2 << 20, '\0')}}),
            small, ratioLimitMessage(small)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString archive = downloads + u'/' + QLatin1StringView(c.name) + u".zip"_s;
        test::writeFile(archive, c.bytes);
        InspectOptions o = options();
        o.limits = c.limits;
        const TcInspection inspection = inspectArchive(archive, o);
        EXPECT_FALSE(inspection.ok());
        EXPECT_TRUE(inspection.problems.join(u'\n').contains(c.reason))
            << inspection.problems.join(u'\n').toStdString();
        const InstallResult result = installTc(inspection, store);
        EXPECT_TRUE(result.error.contains(c.reason)) << result.error.toStdString();
        EXPECT_TRUE(rootNames().isEmpty()) << rootNames().join(u' ').toStdString();
        EXPECT_TRUE(DefinitionStore(store).names().isEmpty());
    }
}

// What the listing cannot see is refused while unpacking, and nothing stays: a zip whose
// headers say a file is smaller than it is (the bytes written are what counts), the limits on
// the bytes written, and damage that only the checksum tells.
TEST_F(Installer, RefusesWhileUnpackingWhatTheListingCouldNotSee)
{
    const QByteArray data(300000, 'z');
    QByteArray zip =
        test::makeArchive(ArchiveFormat::ZipStored, {{"TC.GRP", test::grpBytesOfNames({"A"})}, {"BIG.MAP", data}});
    // The uncompressed size of BIG.MAP, in its local header (name at 30) and in the central
    // directory (name at 46); the compressed size, which the reader goes by, stays true.
    const qsizetype local = zip.indexOf("BIG.MAP") - 30;
    const qsizetype central = zip.indexOf("BIG.MAP", local + 40) - 46;
    ASSERT_EQ(zip.mid(local, 4), QByteArray("PK\x03\x04"));
    ASSERT_EQ(zip.mid(central, 4), QByteArray("PK\x01\x02"));
    ASSERT_EQ(zip.mid(local + 22, 4), QByteArray("\xE0\x93\x04\x00", 4));
    zip.replace(local + 22, 4, QByteArray("\x10\x00\x00\x00", 4));
    zip.replace(central + 24, 4, QByteArray("\x10\x00\x00\x00", 4));
    const QString archive = downloads + u"/liar.zip"_s;
    test::writeFile(archive, zip);
    const TcInspection inspection = inspectArchive(archive, options());
    ASSERT_TRUE(inspection.ok()) << inspection.problems.join(u'\n').toStdString();
    const InstallResult result = installTc(inspection, store);
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error.contains(u"BIG.MAP"_s)) << result.error.toStdString();
    EXPECT_TRUE(rootNames().isEmpty()) << rootNames().join(u' ').toStdString();
    EXPECT_TRUE(DefinitionStore(store).names().isEmpty());

    const QString honest = test::writeArchive(
        downloads, u"honest.zip"_s, ArchiveFormat::Zip, {{"TC.GRP", test::grpBytesOfNames({"A"})}, {"BIG.MAP", data}});
    TcInspection tight = inspectArchive(honest, options());
    ASSERT_TRUE(tight.ok());
    tight.limits.maxTotalBytes = 100000;
    EXPECT_EQ(installTc(tight, store).error, totalSizeLimitMessage(tight.limits));
    tight.limits = {};
    tight.limits.ratioFloorBytes = 1000;
    tight.limits.maxRatio = 2;
    EXPECT_EQ(installTc(tight, store).error, ratioLimitMessage(tight.limits));
    EXPECT_TRUE(rootNames().isEmpty()) << rootNames().join(u' ').toStdString();

    // Stored, so nothing but the checksum tells: the listing reads none of the map's bytes.
    zip = test::makeArchive(
        ArchiveFormat::ZipStored, {{"TC.GRP", test::grpBytesOfNames({"A"})}, {"E1L1.MAP", QByteArray(4000, 'm')}});
    const qsizetype map = zip.indexOf(QByteArray(100, 'm'));
    ASSERT_GT(map, 0);
    zip[map + 2000] = 'M';
    test::writeFile(downloads + u"/damaged.zip"_s, zip);
    const TcInspection inspected = inspectArchive(downloads + u"/damaged.zip"_s, options());
    ASSERT_TRUE(inspected.ok()) << inspected.problems.join(u'\n').toStdString();
    const QString error = installTc(inspected, store).error;
    EXPECT_TRUE(error.contains(u"damaged or cut short"_s)) << error.toStdString();
    EXPECT_TRUE(rootNames().isEmpty()) << rootNames().join(u' ').toStdString();
}

class RefusingStore : public MemorySettingsStore
{
public:
    void Transact(const std::function<void()> &) override { throw StoreError(u"the disk said no"_s); }
};

class UnreadableStore : public MemorySettingsStore
{
public:
    QString readProblem() const override { return u"it is not a database"_s; }
};

TEST_F(Installer, AnInstallThatFailsLeavesNoFolderAndNoDefinition)
{
    const QString archive = test::writeArchive(downloads, u"harbour.zip"_s, ArchiveFormat::Zip, harbourEntries());
    const TcInspection inspection = inspectArchive(archive, options());
    ASSERT_TRUE(inspection.ok());

    RefusingStore refusing;
    InstallResult result = installTc(inspection, refusing);
    EXPECT_EQ(result.error, u"The TC definition \"harbour\" could not be saved: the disk said no"_s);
    EXPECT_TRUE(rootNames().isEmpty()) << "the folder renamed into place is removed again";
    UnreadableStore unreadable;
    EXPECT_EQ(installTc(inspection, unreadable).error, u"The TC was not added: it is not a database"_s);
    EXPECT_TRUE(rootNames().isEmpty());

    // A full disk, as a file size limit: every write past it fails.
    struct rlimit old;
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tight = old;
    tight.rlim_cur = 4096;
    ::setrlimit(RLIMIT_FSIZE, &tight);
    result = installTc(inspection, store);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(result.error.contains(u"could not be written"_s)) << result.error.toStdString();
    EXPECT_TRUE(rootNames().isEmpty()) << rootNames().join(u' ').toStdString();
    EXPECT_TRUE(DefinitionStore(store).names().isEmpty());

    ASSERT_TRUE(installTc(inspection, store).ok());
    InspectOptions other = options();
    other.name = u"HARBOUR"_s;
    EXPECT_EQ(installTc(inspectArchive(archive, other), store).error, kNameTakenMessage.toString())
        << "a name taken in another letter case";
    DefinitionStore(store).remove(u"harbour"_s);
    EXPECT_TRUE(installTc(inspection, store).error.contains(u"is already there"_s))
        << "the folder of a removed definition stays";
    EXPECT_TRUE(inspectArchive(archive, options()).problems.join(u'\n').contains(u"is already there"_s))
        << "the preview says so";
    EXPECT_EQ(rootNames(), QStringList{u"harbour"_s});
}

TEST_F(Installer, TheStartUpCleanUpRemovesOnlyWhatUnfinishedInstallsLeft)
{
    const QString archive = test::writeArchive(downloads, u"harbour.zip"_s, ArchiveFormat::Zip, harbourEntries());
    ASSERT_TRUE(installTc(inspectArchive(archive, options()), store).ok());
    const QByteArray pending = "Quillon TC folder 1\nstate pending\nname %s\nsource x\n";
    test::writeFile(tcRoot + u"/.quillon-install-abc123/HARBOUR.GRP"_s, "half");
    test::writeFile(tcRoot + u"/.quillon-remove-xyz/DEFS.CON"_s, "going");
    test::writeFile(tcRoot + u"/cut short/.quillon-tc"_s, QByteArray(pending).replace("%s", "Cut%20short"));
    test::writeFile(tcRoot + u"/cut short/TC.GRP"_s, "whole");
    test::writeFile(tcRoot + u"/Saved/.quillon-tc"_s, QByteArray(pending).replace("%s", "Saved"));
    test::writeFile(tcRoot + u"/Saved/TC.GRP"_s, "whole");
    test::writeFile(tcRoot + u"/players own/.quillon-tc.txt"_s, "not ours");
    test::writeFile(sandbox.path() + u"/elsewhere/keep.con"_s, "keep");
    ASSERT_EQ(
        ::symlink(qPrintable(sandbox.path() + u"/elsewhere"_s), qPrintable(tcRoot + u"/.quillon-install-link"_s)), 0);
    DefinitionStore(store).save(
        {u"Saved"_s, u"1.3D"_s, tcRoot + u"/Saved/TC.GRP"_s, {}, {}, {}}, DefinitionStore::SaveKind::New);

    // Not while another Quillon installs (the lock is taken per open file, as another
    // program would hold it).
    const int fd = ::open(qPrintable(tcRoot + u"/.quillon-lock"_s), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    const CleanupReport locked = removeUnfinishedInstalls(tcRoot, store);
    ::close(fd);
    EXPECT_TRUE(locked.removed.isEmpty());
    EXPECT_EQ(locked.problems.size(), 1);

    const CleanupReport report = removeUnfinishedInstalls(tcRoot, store);
    EXPECT_TRUE(report.problems.isEmpty()) << report.problems.join(u'\n').toStdString();
    EXPECT_EQ(report.removed.size(), 3);
    EXPECT_EQ(rootNames(), (QStringList{u".quillon-install-link"_s, u"Saved"_s, u"harbour"_s, u"players own"_s}));
    EXPECT_EQ(test::readBytes(sandbox.path() + u"/elsewhere/keep.con"_s), "keep") << "a link is never followed";
    EXPECT_TRUE(test::readBytes(tcRoot + u"/Saved/.quillon-tc"_s).contains("state installed"));
    EXPECT_EQ(installedTcFolder(*DefinitionStore(store).load(u"Saved"_s), tcRoot), tcRoot + u"/Saved"_s);
}

TEST_F(Installer, AGrpInfoOnItsOwnCopiesEachTcBesideItIntoAFolderOfItsOwn)
{
    const QString game = sandbox.path() + u"/game"_s;
    const QByteArray group = test::grpBytesOfNames({"BEACH.MAP"});
    test::writeFile(game + u"/BEACH.GRP"_s, group);
    test::writeFile(game + u"/BEACH.CON"_s, "include BEACHDEFS.CON");
    test::writeFile(game + u"/BEACHDEFS.CON"_s, "define Y 2");
    test::writeFile(game + u"/DUKE3D.GRP"_s, "main");
    test::writeFile(game + u"/beach.grpinfo"_s,
        "grpinfo { name \"Beach\" scriptname \"BEACH.CON\" size " + QByteArray::number(group.size())
            + " dependency DUKE15_CRC }");
    const test::Snapshot before = test::snapshotOf(game);
    const QList<TcInspection> found = inspectGrpInfoFile(game + u"/beach.grpinfo"_s, options());
    ASSERT_EQ(found.size(), 1);
    const InstallResult result = installTc(found.first(), store);
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(result.definition.groupFile, tcRoot + u"/Beach/BEACH.GRP"_s);
    EXPECT_EQ(result.definition.version, u"1.4/1.5 Atomic"_s);
    EXPECT_EQ(test::readBytes(result.definition.otherFiles.value(0)), "define Y 2");
    EXPECT_EQ(test::snapshotOf(game), before) << "the files beside it stay where they are";
}

// Quillon switches to a UTF-8 locale at start, but a host may run in another.
TEST(ArchiveNames, AreReadAsTheirBytesWhateverTheLocale)
{
    for (const ArchiveFormat format : {ArchiveFormat::Zip, ArchiveFormat::SevenZip, ArchiveFormat::Tar}) {
        SCOPED_TRACE(int(format));
        const QByteArray bytes =
            test::makeArchive(format, {{"sons/\xC3\x89t\xC3\xA9.VOC", "voc"}, {"\xC9T\xC9.MID", "mid"}});
        const std::string locale = std::setlocale(LC_CTYPE, nullptr);
        std::setlocale(LC_CTYPE, "C");
        const ArchiveListing listing = listArchiveBytes(bytes);
        std::setlocale(LC_CTYPE, locale.c_str());
        ASSERT_TRUE(listing.ok()) << listing.error.toStdString();
        ASSERT_EQ(listing.entries.size(), 2);
        EXPECT_EQ(listing.entries[0].name, QByteArray("sons/\xC3\x89t\xC3\xA9.VOC"));
        if (format != ArchiveFormat::SevenZip) { // 7z stores names as UTF-16: raw bytes cannot be in it
            EXPECT_EQ(listing.entries[1].name, QByteArray("\xC9T\xC9.MID"));
        }
    }
}

// The fuzz harness's seeds, replayed on every run: what must hold for any archive keeps holding.
TEST(ArchiveInspectionFuzzCorpus, EverySeedPassesTheHarness)
{
    test::expectEverySeedPasses(QStringLiteral(OSTREL_ARCHIVE_CORPUS_DIR), 10, LLVMFuzzerTestOneInput);
}

} // namespace
