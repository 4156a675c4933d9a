// Feeds arbitrary bytes to the archive inspection: as an archive read by libarchive from
// memory, and as the texts the inspection reads (a .grpinfo, a batch file, a read-me, cons)
// beside group files whose sizes come from the bytes. Checks what must hold for any input:
// every planned target is a safe path inside the TC's folder, planned once, never under a
// planned file; every file chosen for the definition is a planned file and is chosen once;
// the version is one of the three texts; a refused listing is never installable.

#include "installer/archivelisting.h"
#include "installer/entrypath.h"
#include "installer/grpinfo.h"
#include "installer/tcinspection.h"
#include "installer/tctexts.h"

#include "launcher/fileops.h"

#include <QSet>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "archive inspection check failed: %s\n", what);
        std::abort();
    }
}

void checkInspection(const ostrel::ArchiveListing &listing, const ostrel::TcInspection &r)
{
    using namespace ostrel;
    QSet<QByteArray> targets;
    QSet<QString> files;
    for (const PlannedEntry &planned : r.plan) {
        // As a path below a folder: a drive letter counts only at the start of an archive's
        // name, and "c:x" below the top folder that is left out is a plain Linux name.
        const QByteArray below = "top/" + planned.target;
        const EntryPath path = entryPath(below);
        check(path.ok() && path.path == below, "a planned target is a safe relative path as it is");
        check(!targets.contains(planned.target), "a target is planned once");
        targets.insert(planned.target);
        check(planned.entry >= 0 && planned.entry < listing.entries.size(), "a planned entry is one of the listing");
        const ArchiveEntry &entry = listing.entries[planned.entry];
        check(entry.kind == (planned.folder ? ArchiveEntry::Kind::Folder : ArchiveEntry::Kind::File),
            "only files and folders are planned");
        check(!entry.encrypted, "an encrypted entry is never planned");
        if (!planned.folder)
            files.insert(fileops::decodePath(planned.target));
    }
    for (const PlannedEntry &planned : r.plan) {
        for (qsizetype slash = planned.target.indexOf('/'); slash >= 0;
             slash = planned.target.indexOf('/', slash + 1)) {
            const QString parent = fileops::decodePath(planned.target.left(slash));
            check(!files.contains(parent), "nothing is planned under a planned file");
        }
    }
    check(r.plan.size() + r.skipped.size() <= listing.entries.size(), "an entry is planned or skipped at most once");

    QSet<QString> chosen;
    const auto chosenOnce = [&](const QString &file) {
        if (file.isEmpty())
            return;
        check(files.contains(file), "a chosen file is a planned file");
        check(!chosen.contains(file), "a file fills one field of the definition");
        chosen.insert(file);
    };
    chosenOnce(r.group.file);
    chosenOnce(r.con.file);
    chosenOnce(r.readMe);
    for (const QString &other : r.otherFiles)
        chosenOnce(other);
    check(r.group.file.isEmpty() || r.group.candidates.isEmpty(), "a chosen group leaves no candidates");
    for (const QString &candidate : r.group.candidates)
        check(files.contains(candidate), "a candidate is a planned file");
    check(r.version == ostrel::kVersion13D || r.version == ostrel::kVersionAtomic || r.version == ostrel::kVersionBoth,
        "the version is one of the three texts");
    check(listing.ok() || !r.ok(), "a refused listing cannot be installed");
    check(!r.ok() || !r.group.file.isEmpty(), "an installable TC has a group file");
    check(r.folder.startsWith(QStringLiteral("/tcs/")) && !r.folder.mid(5).contains(u'/') && r.folder.size() > 5,
        "the TC's folder is one folder in the TC root");
    const ostrel::TcDefinition definition = r.definition();
    for (const QString &path :
        QStringList{definition.groupFile, definition.gameCon, definition.textFile} + definition.otherFiles)
        check(path.isEmpty() || path.startsWith(r.folder + u'/'), "the definition's files are in the TC's folder");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace ostrel;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    ArchiveLimits limits;
    limits.maxEntries = 2000;
    InspectOptions options;
    options.tcRoot = QStringLiteral("/tcs");
    options.limits = limits;

    ArchiveListing listing = listArchiveBytes(bytes, limits);
    listing.path = QStringLiteral("/downloads/fuzzed.zip");
    checkInspection(listing, inspectListing(listing, options));

    // The same bytes as every text the inspection reads, beside group files of sizes it may name.
    (void)readGrpInfo(bytes);
    (void)commandLineFiles(bytes);
    (void)conIncludes(bytes);
    (void)versionWords(bytes);
    ArchiveListing texts;
    texts.path = QStringLiteral("/downloads/texts.7z");
    texts.packedSize = qint64(size) + 1;
    const auto add = [&](const QByteArray &name, qint64 entrySize, bool withText) {
        ArchiveEntry entry;
        entry.name = name;
        entry.size = entrySize;
        if (withText)
            entry.text = bytes;
        texts.entries.append(entry);
    };
    add("TC/ADDON.GRPINFO", bytes.size(), true);
    add("TC/PLAY.BAT", bytes.size(), true);
    add("TC/README.TXT", bytes.size(), true);
    add("TC/MAIN.CON", bytes.size(), true);
    add("TC/GAME.CON", bytes.size(), true);
    add("TC/A.GRP", size >= 2 ? data[0] | data[1] << 8 : 0, false);
    add("TC/B.GRP", qint64(size), false);
    add("TC/" + bytes.left(12), 7, false);
    checkInspection(texts, inspectListing(texts, options));
    return 0;
}
