#pragma once

#include "tests/installer/archivewriter.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace ostrel::test {

/// Writes an archive into folder under name and returns its path.
QString writeArchive(const QString &folder, const QString &name, ArchiveFormat format, const QList<TestEntry> &entries,
    const QByteArray &passphrase = {});

} // namespace ostrel::test
