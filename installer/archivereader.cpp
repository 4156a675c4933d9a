#include "installer/archivereader.h"

#include "installer/durabletree.h"
#include "installer/libarchiveloader.h"
#include "installer/tctexts.h"

#include "launcher/fileops.h"

#include <QFileInfo>
#include <QHash>
#include <QLocale>

#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <memory>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

// libarchive's functions, from the library loaded on first use.
const libarchive::Functions &la()
{
    return libarchive::functions();
}

struct ArchiveCloser {
    void operator()(archive *a) const { la().archive_read_free(a); }
};
using ArchivePtr = std::unique_ptr<archive, ArchiveCloser>;

// Only the formats TCs come in: a reader for every format libarchive knows would take
// anything (an ISO, a raw gzip stream) for a TC.
ArchivePtr newReader()
{
    ArchivePtr a(la().archive_read_new());
    la().archive_read_support_filter_all(a.get());
    la().archive_read_support_format_zip(a.get());
    la().archive_read_support_format_7zip(a.get());
    la().archive_read_support_format_rar(a.get());
    la().archive_read_support_format_rar5(a.get());
    la().archive_read_support_format_tar(a.get());
    return a;
}

QString libarchiveError(archive *a)
{
    const char *text = la().archive_error_string(a);
    return text ? QString::fromLocal8Bit(text) : u"unknown error"_s;
}

bool soundsEncrypted(archive *a)
{
    const QString text = libarchiveError(a);
    return la().archive_read_has_encrypted_entries(a) > 0 || text.contains(u"ncrypt"_s)
        || text.contains(u"assphrase"_s);
}

QString damagedMessage(archive *a)
{
    if (soundsEncrypted(a))
        return u"The archive is password-protected; Quillon cannot unpack it (%1)."_s.arg(libarchiveError(a));
    return u"The archive is damaged or cut short: %1."_s.arg(libarchiveError(a));
}

// libarchive turns the names it reads into the multibyte text of the current locale: under
// the C locale a UTF-8 name of a zip or a 7z comes out empty. While reading, the thread runs
// in C.UTF-8, in which UTF-8 names stay as they are and names stored as raw bytes too.
class Utf8Names
{
public:
    Utf8Names()
    {
        static const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr));
        if (utf8)
            m_previous = ::uselocale(utf8);
    }
    ~Utf8Names()
    {
        if (m_previous)
            ::uselocale(m_previous);
    }
    Utf8Names(const Utf8Names &) = delete;
    Utf8Names &operator=(const Utf8Names &) = delete;

private:
    locale_t m_previous = locale_t(nullptr);
};

// The entry's name as bytes: as stored when the current locale can give it (raw bytes of a
// zip entry without the UTF-8 flag come through unchanged), else as UTF-8.
QByteArray entryName(archive_entry *entry)
{
    if (const char *name = la().archive_entry_pathname(entry))
        return QByteArray(name);
    if (const char *name = la().archive_entry_pathname_utf8(entry))
        return QByteArray(name);
    return QByteArray();
}

ArchiveEntry::Kind kindOf(archive_entry *entry)
{
    if (la().archive_entry_hardlink(entry))
        return ArchiveEntry::Kind::Hardlink;
    switch (la().archive_entry_filetype(entry)) {
    case AE_IFREG:
        return ArchiveEntry::Kind::File;
    case AE_IFDIR:
        return ArchiveEntry::Kind::Folder;
    case AE_IFLNK:
        return ArchiveEntry::Kind::Symlink;
    case AE_IFCHR:
    case AE_IFBLK:
        return ArchiveEntry::Kind::Device;
    case AE_IFIFO:
        return ArchiveEntry::Kind::Fifo;
    case AE_IFSOCK:
        return ArchiveEntry::Kind::Socket;
    default:
        return ArchiveEntry::Kind::Other;
    }
}

// Reads up to limit bytes of the current entry's data; nullopt when the data cannot be read.
std::optional<QByteArray> readData(archive *a, qint64 limit)
{
    QByteArray data;
    char buffer[16384];
    while (data.size() < limit) {
        const la_ssize_t got =
            la().archive_read_data(a, buffer, size_t(std::min<qint64>(qint64(sizeof buffer), limit - data.size())));
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        data.append(buffer, qsizetype(got));
    }
    return data;
}

ArchiveListing listOpened(archive *a, ArchiveListing listing, const ArchiveLimits &limits)
{
    archive_entry *header = nullptr;
    qint64 texts = 0;
    for (;;) {
        const int status = la().archive_read_next_header(a, &header);
        if (status == ARCHIVE_EOF)
            break;
        if (status < ARCHIVE_WARN) {
            listing.error = damagedMessage(a);
            return listing;
        }
        if (listing.entries.size() >= limits.maxEntries) {
            listing.error = entryLimitMessage(limits);
            return listing;
        }
        ArchiveEntry entry;
        entry.name = entryName(header);
        entry.kind = kindOf(header);
        entry.size = la().archive_entry_size_is_set(header) ? qint64(la().archive_entry_size(header)) : -1;
        entry.encrypted = la().archive_entry_is_encrypted(header);
        if (entry.kind == ArchiveEntry::Kind::File && !entry.encrypted) {
            const bool wanted = isTextTheInspectionReads(entry.name) && texts < kAllTextsLimit;
            const bool group = lastPathPart(entry.name).toLower().endsWith(".grp");
            if (wanted || group) {
                const auto data = readData(a, wanted ? std::min(kTextLimit, kAllTextsLimit - texts) : 16);
                if (!data) {
                    listing.error = damagedMessage(a);
                    return listing;
                }
                if (wanted) {
                    texts += data->size();
                    entry.text = *data;
                } else {
                    entry.head = *data;
                }
            }
        }
        listing.entries.append(std::move(entry));
    }
    return listing;
}

QString unreadableMessage(archive *a, const QString &path)
{
    if (libarchiveError(a).contains(u"Unrecognized archive format"_s))
        return u"\"%1\" is not an archive Quillon can read (zip, 7z, rar, tar): %2."_s.arg(
            QFileInfo(path).fileName(), libarchiveError(a));
    return u"\"%1\" cannot be read: %2."_s.arg(path, libarchiveError(a));
}

} // namespace

QString totalSizeLimitMessage(const ArchiveLimits &limits)
{
    return u"The archive unpacks to more than %1, the most Quillon unpacks for one TC."_s.arg(
        QLocale::c().formattedDataSize(limits.maxTotalBytes, 1, QLocale::DataSizeTraditionalFormat));
}

QString ratioLimitMessage(const ArchiveLimits &limits)
{
    return u"The archive unpacks to more than %1 times its own size (over %2), which no TC does: it looks like an archive bomb."_s
        .arg(QString::number(limits.maxRatio),
            QLocale::c().formattedDataSize(limits.ratioFloorBytes, 1, QLocale::DataSizeTraditionalFormat));
}

QString entryLimitMessage(const ArchiveLimits &limits)
{
    return u"The archive holds more than %1 entries, the most Quillon unpacks for one TC."_s.arg(
        QLocale(QLocale::English).toString(limits.maxEntries));
}

bool isTextTheInspectionReads(QByteArrayView name)
{
    const QByteArray base = lastPathPart(name).toLower();
    const qsizetype dot = base.lastIndexOf('.');
    const QByteArray extension = dot < 0 ? QByteArray() : base.mid(dot + 1);
    static const char *const extensions[] = {
        "grpinfo", "bat", "cmd", "con", "txt", "1st", "me", "nfo", "diz", "md", "htm", "html"};
    for (const char *wanted : extensions) {
        if (extension == wanted)
            return true;
    }
    return base.startsWith("readme") && extension != "exe" && extension != "com";
}

ArchiveListing listArchive(const QString &path, const ArchiveLimits &limits)
{
    const Utf8Names names;
    ArchiveListing listing;
    listing.path = path;
    const auto stat = fileops::lstatPath(path);
    if (!stat || !stat->regular) {
        listing.error = stat ? u"\"%1\" is not a file."_s.arg(path) : u"\"%1\" does not exist."_s.arg(path);
        return listing;
    }
    listing.packedSize = stat->size;
    if (listing.error = libarchive::load(); !listing.error.isEmpty())
        return listing;
    ArchivePtr a = newReader();
    if (la().archive_read_open_filename(a.get(), fileops::encodePath(path).constData(), 1 << 16) != ARCHIVE_OK) {
        listing.error = unreadableMessage(a.get(), path);
        return listing;
    }
    listing = listOpened(a.get(), std::move(listing), limits);
    if (const char *format = la().archive_format_name(a.get()))
        listing.format = QString::fromLatin1(format);
    return listing;
}

ArchiveListing listArchiveBytes(const QByteArray &bytes, const ArchiveLimits &limits)
{
    const Utf8Names names;
    ArchiveListing listing;
    listing.packedSize = bytes.size();
    if (listing.error = libarchive::load(); !listing.error.isEmpty())
        return listing;
    ArchivePtr a = newReader();
    if (la().archive_read_open_memory(a.get(), bytes.constData(), size_t(bytes.size())) != ARCHIVE_OK) {
        listing.error = unreadableMessage(a.get(), u"the data"_s);
        return listing;
    }
    return listOpened(a.get(), std::move(listing), limits);
}

UnpackOutcome unpackArchive(const QString &path, qint64 packedSize, const QList<PlannedEntry> &plan,
    const QString &destination, const ArchiveLimits &limits)
{
    const Utf8Names names;
    UnpackOutcome outcome;
    QHash<int, const PlannedEntry *> byEntry;
    int last = -1;
    for (const PlannedEntry &planned : plan) {
        byEntry.insert(planned.entry, &planned);
        last = std::max(last, planned.entry);
    }
    if (outcome.error = libarchive::load(); !outcome.error.isEmpty())
        return outcome;
    ArchivePtr a = newReader();
    if (la().archive_read_open_filename(a.get(), fileops::encodePath(path).constData(), 1 << 16) != ARCHIVE_OK) {
        outcome.error = unreadableMessage(a.get(), path);
        return outcome;
    }
    DurableTree tree(destination);
    const auto overLimit = [&](qint64 total) {
        if (total > limits.maxTotalBytes)
            return totalSizeLimitMessage(limits);
        if (total > limits.ratioFloorBytes && packedSize > 0 && total / packedSize >= limits.maxRatio)
            return ratioLimitMessage(limits);
        return QString();
    };
    archive_entry *header = nullptr;
    for (int index = 0; index <= last; ++index) {
        const int status = la().archive_read_next_header(a.get(), &header);
        if (status == ARCHIVE_EOF || status < ARCHIVE_WARN) {
            outcome.error = status == ARCHIVE_EOF ? u"The archive changed since it was looked at; look at it again."_s
                                                  : damagedMessage(a.get());
            return outcome;
        }
        const PlannedEntry *planned = byEntry.value(index);
        if (!planned)
            continue;
        if (entryName(header) != planned->archivedName) {
            outcome.error = u"The archive changed since it was looked at; look at it again."_s;
            return outcome;
        }
        if (planned->folder) {
            if (!tree.makeFolder(planned->target)) {
                outcome.error = tree.error();
                return outcome;
            }
            continue;
        }
        const int fd = tree.createFile(planned->target);
        if (fd < 0) {
            outcome.error = tree.error();
            return outcome;
        }
        qint64 end = 0;
        const void *block = nullptr;
        size_t size = 0;
        la_int64_t offset = 0;
        for (;;) {
            const int got = la().archive_read_data_block(a.get(), &block, &size, &offset);
            if (got == ARCHIVE_EOF)
                break;
            // A warning here is a checksum that does not match: the bytes are not the TC's.
            if (got != ARCHIVE_OK) {
                outcome.error = damagedMessage(a.get());
                tree.finishFile(fd);
                return outcome;
            }
            // Headers can lie: what counts is the end of what was really written.
            const qint64 blockEnd = qint64(offset) + qint64(size);
            if (blockEnd > end) {
                outcome.bytesWritten += blockEnd - end;
                end = blockEnd;
            }
            QString limit = overLimit(outcome.bytesWritten);
            if (limit.isEmpty() && planned->size >= 0 && end > planned->size)
                limit =
                    u"\"%1\" holds more than its header says (%2 bytes); the archive is damaged or made to deceive."_s
                        .arg(fileops::decodePath(planned->archivedName), QString::number(planned->size));
            if (!limit.isEmpty()) {
                outcome.error = limit;
                tree.finishFile(fd);
                return outcome;
            }
            if (!tree.write(fd, static_cast<const char *>(block), qint64(size), qint64(offset))) {
                outcome.error = tree.error();
                tree.finishFile(fd);
                return outcome;
            }
        }
        // A sparse file's last hole is no block: the size must still be the header's.
        if (planned->size > end && ::ftruncate(fd, planned->size) != 0) {
            outcome.error = u"\"%1\" could not be written: %2"_s.arg(
                fileops::decodePath(planned->target), fileops::errorText(errno));
            tree.finishFile(fd);
            return outcome;
        }
        if (!tree.finishFile(
                fd, la().archive_entry_mtime_is_set(header) ? qint64(la().archive_entry_mtime(header)) : -1)) {
            outcome.error = tree.error();
            return outcome;
        }
    }
    if (!tree.finish())
        outcome.error = tree.error();
    return outcome;
}

} // namespace ostrel
