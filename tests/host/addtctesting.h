#pragma once

#include "tests/installer/archivewriter.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace ostrel::test {

/// A group file's bytes with one member.
QByteArray tinyGroup(const QByteArray &member = "E1L1.MAP");

/// A TC as players download it: everything in a folder of its own, a read-me that gives the
/// command line and says "Atomic", a map, an installer, and an entry that would leave the TC's
/// folder.
QList<TestEntry> harbourEntries();

/// Writes an archive of entries into folder under name and returns its path.
QString writeTestArchive(const QString &folder, const QString &name, ArchiveFormat format,
    const QList<TestEntry> &entries, const QByteArray &passphrase = {});

} // namespace ostrel::test
