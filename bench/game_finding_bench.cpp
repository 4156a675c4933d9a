// Finding and identifying the installed game:
// - identifying a 44 MB main group (Atomic Edition's size and CRC-32) against the floor, a plain
//   one-pass read of the same file through zlib's crc32, with the file in the page cache and,
//   where the machine lets caches be dropped (root), read cold; the target is at most 1.2 times
//   the floor;
// - a remembered identification, when Quillon starts (its cache file read) and afterwards; the
//   target is well under 1 ms;
// - finding the installs in a home with 10 Steam libraries of 200 games each, GOG installs and
//   desktop entries, the main groups remembered; the target is under 50 ms.

#include "launcher/gamefinder.h"
#include "launcher/maingroup.h"
#include "launcher/maingroupcache.h"

#include "tests/support/crcfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <zlib.h>

#include <cstdio>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kAtomicSize = 44356548;
constexpr quint32 kAtomicCrc = 0xFD3DCFF1;

QString atomicGroup()
{
    static QTemporaryDir folder;
    static const QString path = [] {
        const QString file = folder.filePath(u"DUKE3D.GRP"_s);
        if (!ostrel::test::writeFileWithCrc(file, kAtomicSize, kAtomicCrc, ostrel::test::CrcFileFill::Random))
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return file;
    }();
    return path;
}

// The floor: what any identification must do at least, done the plain way (the buffer of
// coreutils' cat).
quint32 plainCrcRead(const QString &path)
{
    constexpr size_t kBuffer = 128 * 1024;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    const std::unique_ptr<Bytef[]> buffer(new Bytef[kBuffer]);
    uLong crc = ::crc32(0, nullptr, 0);
    for (ssize_t got; (got = ::read(fd, buffer.get(), kBuffer)) > 0;)
        crc = ::crc32(crc, buffer.get(), uInt(got));
    ::close(fd);
    return quint32(crc);
}

bool dropCaches()
{
    ::sync();
    FILE *file = std::fopen("/proc/sys/vm/drop_caches", "w");
    if (!file)
        return false;
    const bool written = std::fputs("3\n", file) >= 0;
    return std::fclose(file) == 0 && written;
}

void BM_CrcReadFloor(benchmark::State &state, bool cold)
{
    const QString path = atomicGroup();
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            dropCaches();
            state.ResumeTiming();
        }
        if (plainCrcRead(path) != kAtomicCrc)
            state.SkipWithError("wrong CRC");
    }
    state.SetBytesProcessed(state.iterations() * kAtomicSize);
}

void BM_IdentifyMainGroup(benchmark::State &state, bool cold)
{
    const QString path = atomicGroup();
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            dropCaches();
            state.ResumeTiming();
        }
        if (ostrel::identifyMainGroup(path).edition != ostrel::GameEdition::V15Atomic)
            state.SkipWithError("not identified");
    }
    state.SetBytesProcessed(state.iterations() * kAtomicSize);
}

QString cacheFile()
{
    static QTemporaryDir folder;
    return folder.filePath(u"maingroups"_s);
}

void BM_RememberedAtStartUp(benchmark::State &state)
{
    const QString path = atomicGroup();
    ostrel::MainGroupCache(cacheFile()).identify(path);
    for (auto _ : state) {
        ostrel::MainGroupCache cache(cacheFile());
        if (cache.identify(path).edition != ostrel::GameEdition::V15Atomic)
            state.SkipWithError("not identified");
    }
}

void BM_Remembered(benchmark::State &state)
{
    const QString path = atomicGroup();
    ostrel::MainGroupCache cache(cacheFile());
    cache.identify(path);
    for (auto _ : state) {
        if (cache.identify(path).edition != ostrel::GameEdition::V15Atomic)
            state.SkipWithError("not identified");
    }
}

void write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

// A player's home: the native Steam with 10 libraries (its own among them) of 200 games each,
// the Megaton Edition in one and the World Tour in another; a GOG install; 100 desktop entries.
struct Home {
    QTemporaryDir root;
    QString home = root.filePath(u"home"_s);
    QString steam = home + u"/.local/share/Steam"_s;

    Home()
    {
        QByteArray list = "\"libraryfolders\"\n{\n";
        for (int library = 0; library < 10; ++library) {
            const QString folder = library == 0 ? steam : root.filePath(u"library%1"_s.arg(library));
            list += "\t\"" + QByteArray::number(library) + "\"\n\t{\n\t\t\"path\"\t\t\"" + QFile::encodeName(folder)
                + "\"\n\t\t\"label\"\t\t\"\"\n\t\t\"contentid\"\t\t\"1616900521946793171\"\n\t\t\"apps\"\n\t\t{\n";
            for (int game = 0; game < 200; ++game) {
                const QByteArray id = QByteArray::number(library * 1000 + game + 10);
                list += "\t\t\t\"" + id + "\"\t\t\"123456789\"\n";
                QDir().mkpath(folder + u"/steamapps/common/Game "_s + QString::fromLatin1(id));
                write(folder + u"/steamapps/appmanifest_"_s + QString::fromLatin1(id) + u".acf"_s, "\"AppState\" { }");
            }
            list += "\t\t}\n\t}\n";
        }
        write(steam + u"/steamapps/libraryfolders.vdf"_s, list + "}\n");
        QDir().mkpath(home + u"/.steam"_s);
        QFile::link(steam, home + u"/.steam/steam"_s);
        const QString megaton = root.filePath(u"library3/steamapps/common/Duke Nukem 3D/gameroot"_s);
        QDir().mkpath(megaton);
        QFile::link(atomicGroup(), megaton + u"/DUKE3D.GRP"_s);
        ostrel::test::writeFileWithCrc(
            root.filePath(u"library7/steamapps/common/Duke Nukem 3D Twentieth Anniversary World Tour/DUKE3D.GRP"_s),
            kAtomicSize, 0x982AFE4A);
        ostrel::test::writeFileWithCrc(home + u"/GOG Games/Duke Nukem 3D/data/DUKE3D.GRP"_s, 26524524, 0xBBC9CE44);
        for (int entry = 0; entry < 100; ++entry)
            write(home + u"/.local/share/applications/app%1.desktop"_s.arg(entry),
                "[Desktop Entry]\nType=Application\nName=App\nExec=/usr/bin/app --x %U\nPath=/usr/share/app\n");
    }
};

void BM_FindInstalls(benchmark::State &state)
{
    static Home home;
    ostrel::GameSearchPlaces places;
    places.home = home.home;
    places.dataHome = home.home + u"/.local/share"_s;
    ostrel::MainGroupCache cache(home.root.filePath(u"maingroups"_s));
    ostrel::findGameInstalls(places, cache);
    for (auto _ : state) {
        const ostrel::GameSearch search = ostrel::findGameInstalls(places, cache);
        if (search.installs.size() != 3 || search.installs[1].identity.edition != ostrel::GameEdition::WorldTour)
            state.SkipWithError("unexpected installs");
    }
}

bool canDropCaches()
{
    return ::access("/proc/sys/vm/drop_caches", W_OK) == 0 && dropCaches();
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    // A warm run reads the file from the page cache; a cold one from the disk, after every cache
    // of the machine was dropped, which only root may do.
    benchmark::RegisterBenchmark("BM_CrcReadFloor/warm", BM_CrcReadFloor, false)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_IdentifyMainGroup/warm", BM_IdentifyMainGroup, false)
        ->Unit(benchmark::kMillisecond);
    if (canDropCaches()) {
        benchmark::RegisterBenchmark("BM_CrcReadFloor/cold", BM_CrcReadFloor, true)
            ->Iterations(3)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("BM_IdentifyMainGroup/cold", BM_IdentifyMainGroup, true)
            ->Iterations(3)
            ->Unit(benchmark::kMillisecond);
    } else {
        std::fprintf(stderr, "Caches cannot be dropped here (not root?): the cold reads are not measured.\n");
    }
    benchmark::RegisterBenchmark("BM_RememberedAtStartUp", BM_RememberedAtStartUp)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_Remembered", BM_Remembered)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_FindInstalls", BM_FindInstalls)->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
