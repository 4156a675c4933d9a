#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

namespace ostrel {

/// One member of a group file, as its directory lists it.
struct GrpMember {
    QString name; ///< as stored, up to 12 characters (the case is kept)
    quint32 size = 0;
    quint64 offset = 0; ///< where its data starts in the file

    friend bool operator==(const GrpMember &, const GrpMember &) = default;
};

/// The directory of a group file, or the reason it cannot be read.
struct GrpDirectory {
    QList<GrpMember> members;
    QString error; ///< empty when the directory was read

    bool ok() const { return error.isEmpty(); }
};

/// Bytes before the directory: the signature and the member count.
inline constexpr qint64 kGrpHeaderSize = 16;
/// Bytes of one directory entry: a 12-byte name and a 32-bit size.
inline constexpr qint64 kGrpEntrySize = 16;

/// Reads the directory of a group file from its first bytes. fileSize is the size of the
/// whole file; bytes must hold at least the header and the directory (16 + 16 × count bytes)
/// or the whole file when it is shorter. The members' data is never looked at.
///
/// A name ends at its first NUL byte (or after 12 bytes): what follows a NUL is padding that
/// the game never reads, so it is ignored whatever it holds. A name must then be 1 to 12
/// printable ASCII characters other than space, '/' and '\\', and neither "." nor "..": a
/// member name is used as a file name in the game directory, so anything that could name
/// another folder, or that the player could not type, is refused.
GrpDirectory readGrpDirectory(QByteArrayView bytes, qint64 fileSize);

/// Reads only the header and the directory of the group file at path.
GrpDirectory readGrpDirectory(const QString &path);

} // namespace ostrel
