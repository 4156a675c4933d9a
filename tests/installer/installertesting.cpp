#include "tests/installer/installertesting.h"

#include "tests/support/testfiles.h"

#include <QString>

namespace ostrel::test {

QString writeArchive(const QString &folder, const QString &name, ArchiveFormat format, const QList<TestEntry> &entries,
    const QByteArray &passphrase)
{
    const QString path = folder + u'/' + name;
    writeFile(path, makeArchive(format, entries, passphrase));
    return path;
}

} // namespace ostrel::test
