#pragma once

// Small POSIX file operations the launcher needs with exact semantics (no overwrite, no link
// followed, durable). Internal to the launcher.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

class QFile;

namespace ostrel::fileops {

/// The bytes of a path on disk. Like QFile::encodeName, except that the characters
/// decodePath() made of bytes that are not UTF-8 turn back into those bytes, so every name on
/// disk survives a trip through QString.
QByteArray encodePath(const QString &path);
/// A name read from disk: UTF-8 where it is valid, each other byte as the lone surrogate
/// U+DC80..U+DCFF (which valid UTF-8 never yields).
QString decodePath(const QByteArray &bytes);

/// What lstat says of a path; nullopt when nothing is there.
struct Stat {
    bool regular = false;
    bool directory = false;
    bool symlink = false;
    qint64 size = 0;
    qint64 mtimeNs = 0;
    quint64 device = 0;
    quint64 inode = 0;
};
std::optional<Stat> lstatPath(const QString &path);

/// Whether st is a regular file with this size and modification time: still the file that was
/// recorded, as far as a launch can tell without reading it.
bool sameFile(const std::optional<Stat> &st, qint64 size, qint64 mtimeNs);

/// Whether a and b are two names of one file: what a rename by link and unlink leaves when it
/// is cut between the two.
bool sameInode(const std::optional<Stat> &a, const std::optional<Stat> &b);

/// The path made absolute against the working folder and cleaned; empty stays empty.
QString absolutePath(const QString &path);

/// Opens path with the flags of open(2) (O_EXCL, O_NOFOLLOW, O_APPEND, ..., on the path's bytes
/// on disk) as file, unbuffered; file then owns the descriptor. False, with errno, when it fails.
bool openFile(QFile &file, const QString &path, int flags, unsigned permissions = 0);

/// Renames within one file system and fails with EEXIST rather than replace the target.
/// Returns 0 or the errno.
int renameNoReplace(const QString &from, const QString &to);

/// fsync of a folder, so a name created, renamed or removed in it survives a crash.
bool syncFolder(const QString &folder);

/// Makes bytes the whole of the file path at once and durably: written to a temporary file
/// beside it, flushed, then renamed to path (over an existing file only when replace is true).
/// Returns 0 or the errno (EEXIST: path exists and replace is false).
int writeWholeFile(const QString &path, const QByteArray &bytes, bool replace);

/// Why a file cannot be written in folder (an errno: no space left, no permission, ...), found
/// by writing and removing a small one; 0 when it can.
int writeProblemIn(const QString &folder);

/// strerror of an errno, as text for the player.
QString errorText(int error);

/// Creates a folder and its parents with mode 0700 for the ones it creates.
bool makePrivateFolder(const QString &path, QString *error = nullptr);

/// The names in a folder, decoded with decodePath(); empty when it cannot be read.
QStringList namesIn(const QString &folder);

/// A small file's bytes (a .trashinfo); empty when it cannot be read.
QByteArray readSmallFile(const QString &path);

/// SHA-256 (hex) and size of a file's bytes; nullopt when it cannot be read.
struct Digest {
    qint64 size = 0;
    QByteArray sha256;
    friend bool operator==(const Digest &, const Digest &) = default;
};
std::optional<Digest> digestOf(const QString &path);

/// Copies source to target, a new file (never over one), and makes the copy durable (fsync),
/// hashing what it writes. On failure error says why, for the player; a partial target is left
/// for the caller to remove.
std::optional<Digest> copyToNewFile(const QString &source, const QString &target, QString *error);

} // namespace ostrel::fileops
