// Kills install_crash_apply with SIGKILL at random moments while it installs a generated TC
// archive, then does what the next start of Quillon does (the clean-up of unfinished installs,
// then reading the store) and checks what a player would see:
//
//   install_crash_test [--kills N] [--seed S] [--applier PATH]
//
// Prints "N kills: H half-installed TCs, D definitions pointing at missing files, O files
// outside the TCs' folders" and exits with 0 only when all three are 0 and nothing of an
// unfinished install is left.

#include "tests/installer/installertesting.h"
#include "tests/support/killloop.h"
#include "tests/support/sandbox.h"
#include "tests/support/testfiles.h"

#include "installer/tcinstaller.h"
#include "installer/tcroot.h"

#include "launcher/fileops.h"

#include "store/definitionstore.h"
#include "store/sqlitesettingsstore.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>

#include <cstdio>

using namespace Qt::StringLiterals;
using namespace ostrel;

namespace {

const QString kName = u"Crash TC"_s;

// Sixty files over a few folders, a group, cons and a read-me: an install takes long enough
// for kills to land inside the unpacking, the flushing and the renaming alike.
QList<test::TestEntry> crashArchiveEntries()
{
    QList<test::TestEntry> entries{
        {"Crash/CRASH.GRP", test::grpBytesOfNames({"E1L1.MAP", "TILES000.ART"}) + QByteArray(2 << 20, 'g')},
        {"Crash/CRASH.CON", "include DEFS.CON\n"},
        {"Crash/DEFS.CON", "define X 1\n"},
        {"Crash/README.TXT", "Crash TC for 1.3D.\n"},
    };
    QRandomGenerator fixed(7);
    for (int i = 0; i < 56; ++i) {
        QByteArray data(int(fixed.bounded(20000, 120000)), Qt::Uninitialized);
        for (char &c : data)
            c = char(fixed.bounded(256) & 0x3F);
        entries.append({"Crash/"
                + QByteArray(i % 3 == 0 ? "maps/"
                        : i % 3 == 1    ? "sounds/"
                                        : "")
                + "F" + QByteArray::number(i) + ".DAT",
            data});
    }
    return entries;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const auto [kills, seed, applier] =
        test::killLoopOptions(app.arguments(), u"--applier"_s, u"install_crash_apply"_s);

    const test::Sandbox root;
    const QString archive =
        test::writeArchive(root.file(u"downloads"_s), u"crash.zip"_s, test::ArchiveFormat::Zip, crashArchiveEntries());
    const QString tcRoot = root.dataHome() + u"/quillon/tcs"_s;
    const QString storeFile = root.file(u"config/settings.sqlite3"_s);
    const QString folder = tcRoot + u'/' + kName;
    const QStringList applyArgs{archive, tcRoot, storeFile, kName};
    QRandomGenerator random(seed);
    std::printf("seed %u, folder %s\n", seed, qPrintable(root.path()));

    // Everything that is not the TC root or the store: an install must leave it as it is.
    const auto outside = [&] {
        test::Snapshot all = test::snapshotOf(root.path());
        test::Snapshot kept;
        for (auto it = all.cbegin(); it != all.cend(); ++it) {
            if (!it.key().startsWith("data/quillon/tcs") && !it.key().startsWith("config/settings.sqlite3"))
                kept.insert(it.key(), it.value());
        }
        return kept;
    };
    const auto reset = [&] {
        SqliteSettingsStore store(storeFile);
        DefinitionStore(store).remove(kName);
        test::removeTree(folder);
    };

    // A whole install, unkilled: how long it takes, and what a complete TC folder holds.
    const qint64 installUs = test::runAndKill(applier, applyArgs, -1);
    if (installUs < 0 || !QFile::exists(folder + u"/CRASH.GRP"_s))
        return 2;
    test::Snapshot complete = test::snapshotOf(folder);
    complete.remove(".quillon-tc");
    reset();
    const test::Snapshot before = outside();
    std::printf("an install takes %lld us\n", installUs);

    int halfInstalled = 0, missing = 0, outsideFiles = 0, finished = 0, leftovers = 0;
    for (int kill = 0; kill < kills; ++kill) {
        if (test::runAndKill(applier, applyArgs, random.bounded(installUs * 5 / 4 + 1)) < 0)
            return 2;

        // The next start: the clean-up, then the store as the control reads it.
        SqliteSettingsStore store(storeFile);
        const CleanupReport report = removeUnfinishedInstalls(tcRoot, store);
        DefinitionStore definitions(store);
        QStringList damage;
        for (const QString &problem : report.problems)
            damage << u"clean-up: "_s + problem;
        leftovers += int(report.removed.size());
        const QStringList names = definitions.names();
        for (const QString &name : names) {
            const auto definition = definitions.load(name);
            const QStringList paths =
                QStringList{definition->groupFile, definition->gameCon, definition->textFile} + definition->otherFiles;
            for (const QString &path : paths) {
                const auto stat = path.isEmpty() ? std::nullopt : fileops::lstatPath(path);
                if (!path.isEmpty() && (!stat || !stat->regular)) {
                    ++missing;
                    damage << u"the definition names a missing file: "_s + path;
                }
            }
        }
        for (const QString &name : fileops::namesIn(tcRoot)) {
            if (name == kInstallLockName)
                continue;
            if (name != kName) {
                ++halfInstalled;
                damage << u"left in the TC root: "_s + name;
                continue;
            }
            test::Snapshot there = test::snapshotOf(folder);
            const bool marked = there.take(".quillon-tc").contains("state installed");
            if (there != complete || !marked || !names.contains(kName)) {
                ++halfInstalled;
                damage << u"a TC folder that is not a whole, listed install"_s;
            } else {
                ++finished;
            }
        }
        const test::Snapshot now = outside();
        for (auto it = now.cbegin(); it != now.cend(); ++it) {
            if (before.value(it.key()) != it.value()) {
                ++outsideFiles;
                damage << u"outside the TC root: "_s + QString::fromUtf8(it.key());
            }
        }
        if (!damage.isEmpty())
            std::fprintf(stderr, "after kill %d:\n  %s\n", kill + 1, qPrintable(damage.join(u"\n  "_s)));
        reset();
    }
    std::printf(
        "%d kills: %d half-installed TCs, %d definitions pointing at missing files, %d files outside the TCs' folders "
        "(%d installs had finished, %d leftovers removed at the start)\n",
        kills, halfInstalled, missing, outsideFiles, finished, leftovers);
    return halfInstalled == 0 && missing == 0 && outsideFiles == 0 ? 0 : 1;
}
