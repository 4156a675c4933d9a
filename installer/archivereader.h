#pragma once

// Unpacking with libarchive, for the installer. Internal to the installer.

#include "installer/archivelisting.h"
#include "installer/tcinspection.h"

#include <QList>
#include <QString>

namespace ostrel {

/// What unpacking wrote, or why it stopped.
struct UnpackOutcome {
    QString error; ///< empty on success
    qint64 bytesWritten = 0;
    QStringList foldersMade; ///< relative, parents before children
    bool ok() const { return error.isEmpty(); }
};

/// Unpacks the planned entries of the archive at path into destination, an empty folder:
/// only regular files and folders, created anew (never over anything, never through a link),
/// each file's data flushed to disk before the function returns. The bytes written are
/// counted against limits as they are written, whatever the headers said.
UnpackOutcome unpackArchive(const QString &path, qint64 packedSize, const QList<PlannedEntry> &plan,
    const QString &destination, const ArchiveLimits &limits);

} // namespace ostrel
