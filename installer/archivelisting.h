#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace ostrel {

/// The limits against archive bombs. An archive past any of them is refused, at the listing
/// from the sizes its headers declare and again while unpacking from the bytes really written,
/// since a header can lie.
struct ArchiveLimits {
    /// Everything unpacked together: 4 GiB. The largest TCs are a few hundred MiB.
    qint64 maxTotalBytes = qint64(4) << 30;
    /// Unpacked bytes per packed byte: 100. Game data packs 2 to 10 times; more is a bomb.
    qint64 maxRatio = 100;
    /// The ratio is only held against an archive that unpacks to more than 64 MiB, so a tiny
    /// archive of zeros or text is not refused for packing well.
    qint64 ratioFloorBytes = qint64(64) << 20;
    /// Entries, folders included: 10,000. TCs ship hundreds at most.
    int maxEntries = 10000;
};

/// The message that names a limit an archive went past (one text per limit, for the player).
QString totalSizeLimitMessage(const ArchiveLimits &limits);
QString ratioLimitMessage(const ArchiveLimits &limits);
QString entryLimitMessage(const ArchiveLimits &limits);

/// One entry of an archive as its header describes it.
struct ArchiveEntry {
    enum class Kind {
        File,
        Folder,
        Symlink,
        Hardlink,
        Device,
        Fifo,
        Socket,
        Other
    };
    QByteArray name; ///< the path as stored, bytes as they are
    Kind kind = Kind::File;
    qint64 size = -1; ///< the declared size; -1 when the header gives none
    bool encrypted = false;
    /// The contents of a small text file the inspection reads (group info, batch files,
    /// read-mes, cons), at most kTextLimit bytes; nullopt for other entries.
    std::optional<QByteArray> text;
    /// A group file's first bytes (its signature and member count), for a .grp entry.
    QByteArray head;
};

/// Texts longer than this are read only this far: a con or a read-me is far smaller.
inline constexpr qint64 kTextLimit = qint64(1) << 20;
/// All the texts of one archive together.
inline constexpr qint64 kAllTextsLimit = qint64(16) << 20;

/// Whether the inspection reads the contents of the entry called name: a group info, a
/// batch file, a con or a read-me.
bool isTextTheInspectionReads(QByteArrayView name);

/// What an archive holds, read without unpacking it, or why it cannot be used.
struct ArchiveListing {
    QString path;          ///< the archive file; empty for one read from memory
    qint64 packedSize = 0; ///< the archive's own size in bytes
    QString format;        ///< as libarchive names it ("ZIP 2.0 (deflation)", "7-Zip", ...)
    QList<ArchiveEntry> entries;
    QString error; ///< corrupt, truncated, password-protected, not an archive, a limit

    bool ok() const { return error.isEmpty(); }
};

/// Lists the archive at path (zip, 7z, rar, tar and its compressed forms) with libarchive,
/// reading only the headers and the small texts the inspection needs.
ArchiveListing listArchive(const QString &path, const ArchiveLimits &limits = {});

/// Lists an archive held in memory (tests, fuzzing).
ArchiveListing listArchiveBytes(const QByteArray &bytes, const ArchiveLimits &limits = {});

} // namespace ostrel
