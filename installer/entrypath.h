#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace ostrel {

/// Where an archive entry may be unpacked inside the TC's folder, or why it may not.
struct EntryPath {
    QByteArray path; ///< relative, '/'-separated, no empty, "." or ".." part; empty when refused
    QString refusal; ///< why it is refused, for the preview

    bool ok() const { return refusal.isEmpty(); }
};

/// The longest name of one folder or file, and of a whole path inside the TC's folder.
inline constexpr qsizetype kMaxNamePartBytes = 255;
inline constexpr qsizetype kMaxEntryPathBytes = 1024;

/// The relative path an archive entry's name stands for. A backslash separates folders as a
/// slash does (archives made on DOS and Windows use it), so "..\\x" goes up a folder as "../x"
/// does. Refused: an absolute path, a drive letter ("C:"), any "..", an empty name, a part or a
/// path too long, and parts that start with ".quillon" (Quillon's own files in the folder).
/// "." parts and repeated separators are dropped. The bytes are kept as they are, UTF-8 or not.
EntryPath entryPath(QByteArrayView name);

/// Whether bytes are valid UTF-8 (names that are not are unpacked under the same bytes, but
/// a definition, which holds text, cannot name them).
bool isValidUtf8(QByteArrayView bytes);

/// The name of a file or folder in the TC's folder reserved for Quillon.
inline constexpr QByteArrayView kReservedPrefix = ".quillon";

} // namespace ostrel
