// Adding a TC from a downloaded archive: a 100 MB zip of 500 files, made once with libarchive's
// writer (most of its bytes do not compress, as in game data). The preview lists it and works
// out the TC (target: under 100 ms); adding it unpacks, flushes and renames the TC's folder and
// saves the definition (target: at most 1.3 times what `bsdtar -xf` takes to unpack the same
// archive). The two run turn about in each iteration of the comparison, so that other work on
// the machine weighs on both alike.

#include "installer/tcinstaller.h"

#include "store/definitionstore.h"
#include "store/memorysettingsstore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <archive.h>
#include <archive_entry.h>

#include <benchmark/benchmark.h>

#include <cstdio>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int kFiles = 500;
constexpr qint64 kZipBytes = 100 * 1000 * 1000;

struct Fixture {
    QTemporaryDir root;
    QString archive = root.filePath(u"harbour.zip"_s);
    QString tcRoot = root.filePath(u"tcs"_s);
    QString bsdtarDir = root.filePath(u"bsdtar"_s);
    QString bsdtar = QStandardPaths::findExecutable(u"bsdtar"_s);

    Fixture()
    {
        struct archive *a = archive_write_new();
        archive_write_set_format_zip(a);
        archive_write_set_options(a, "zip:compression=deflate");
        archive_write_open_filename(a, QFile::encodeName(archive).constData());
        QRandomGenerator random(42);
        const auto add = [&](const QByteArray &name, const QByteArray &data) {
            archive_entry *entry = archive_entry_new();
            archive_entry_copy_pathname(entry, name.constData());
            archive_entry_set_filetype(entry, AE_IFREG);
            archive_entry_set_perm(entry, 0644);
            archive_entry_set_size(entry, data.size());
            archive_write_header(a, entry);
            archive_write_data(a, data.constData(), size_t(data.size()));
            archive_entry_free(entry);
        };
        add("Harbour/README.TXT", "Harbour Strike, for 1.3D.\r\nRun: duke3d /x HARBOUR.CON /g HARBOUR.GRP\r\n");
        add("Harbour/HARBOUR.CON", "include DEFS.CON\n");
        add("Harbour/DEFS.CON", "define X 1\n");
        // Random bytes with a run of zeros in every 16 KiB: deflate packs them to about 94 %.
        const qint64 each = kZipBytes / (kFiles - 3) * 100 / 94;
        for (int i = 3; i < kFiles; ++i) {
            QByteArray data(each, Qt::Uninitialized);
            random.fillRange(reinterpret_cast<quint32 *>(data.data()), data.size() / 4);
            for (qsizetype at = 0; at + 1024 < data.size(); at += 16384)
                std::fill_n(data.data() + at, 1024, '\0');
            if (i == 3)
                data.replace(0, 16, QByteArray("KenSilverman\x01\0\0\0", 16));
            add(i == 3 ? QByteArray("Harbour/HARBOUR.GRP")
                       : "Harbour/" + QByteArray(i % 2 ? "maps/" : "art/") + "F" + QByteArray::number(i) + ".DAT",
                data);
        }
        archive_write_close(a);
        archive_write_free(a);
    }

    ostrel::InspectOptions options() const
    {
        ostrel::InspectOptions o;
        o.tcRoot = tcRoot;
        return o;
    }

    // Removes what a turn wrote and lets the file system finish with it (the journal, the
    // discards of the freed blocks) before the next turn, so that no turn pays for another's.
    static void settle(const QString &folder)
    {
        QDir(folder).removeRecursively();
        ::sync();
    }

    qint64 bsdtarUs()
    {
        settle(bsdtarDir);
        QDir().mkpath(bsdtarDir);
        QElapsedTimer timer;
        timer.start();
        QProcess::execute(bsdtar, {u"-xf"_s, archive, u"-C"_s, bsdtarDir});
        const qint64 us = timer.nsecsElapsed() / 1000;
        settle(bsdtarDir);
        return us;
    }

    qint64 addUs(ostrel::MemorySettingsStore &store)
    {
        QElapsedTimer timer;
        timer.start();
        const ostrel::InstallResult result = ostrel::installTc(ostrel::inspectArchive(archive, options()), store);
        const qint64 us = timer.nsecsElapsed() / 1000;
        if (!result.ok())
            std::fprintf(stderr, "the install failed: %s\n", qPrintable(result.error));
        ostrel::DefinitionStore(store).remove(u"harbour"_s);
        settle(tcRoot + u"/harbour"_s);
        return us;
    }
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

// The preview: listing the archive and working out the TC, nothing written.
void BM_PreviewOfA100MbZip(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state) {
        const ostrel::TcInspection inspection = ostrel::inspectArchive(f.archive, f.options());
        if (!inspection.ok() || inspection.otherFiles.size() != kFiles - 3)
            state.SkipWithError("the archive was not inspected as expected");
        benchmark::DoNotOptimize(inspection);
    }
    state.counters["zip_mb"] = double(QFileInfo(f.archive).size()) / 1e6;
}
BENCHMARK(BM_PreviewOfA100MbZip)->Unit(benchmark::kMillisecond)->UseRealTime();

// Adding the TC, timed alone; bsdtar unpacking the same archive in the same iteration, turn
// about, reported beside it.
void BM_AddA100MbZipAgainstBsdtar(benchmark::State &state)
{
    Fixture &f = fixture();
    if (f.bsdtar.isEmpty()) {
        state.SkipWithError("bsdtar is not installed (Debian: libarchive-tools)");
        return;
    }
    ostrel::MemorySettingsStore store;
    qint64 addTotal = 0, bsdtarTotal = 0;
    int turn = 0;
    for (auto _ : state) {
        qint64 add = 0, bsdtar = 0;
        if (turn++ % 2) {
            add = f.addUs(store);
            bsdtar = f.bsdtarUs();
        } else {
            bsdtar = f.bsdtarUs();
            add = f.addUs(store);
        }
        addTotal += add;
        bsdtarTotal += bsdtar;
        state.SetIterationTime(double(add) / 1e6);
    }
    state.counters["bsdtar_ms"] = double(bsdtarTotal) / 1000.0 / double(state.iterations());
    state.counters["add_over_bsdtar"] = double(addTotal) / double(bsdtarTotal);
}
BENCHMARK(BM_AddA100MbZipAgainstBsdtar)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(4);

} // namespace
