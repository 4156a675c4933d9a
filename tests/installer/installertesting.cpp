#include "tests/installer/installertesting.h"

#include "tests/launcher/launchertesting.h"

#include <QString>

namespace ostrel::test {

QByteArray groupFile(const QList<QByteArray> &members)
{
    QList<std::pair<QByteArray, QByteArray>> data;
    for (const QByteArray &name : members)
        data.append({name, name});
    return grpBytes(data);
}

QString writeArchive(const QString &folder, const QString &name, ArchiveFormat format, const QList<TestEntry> &entries,
                     const QByteArray &passphrase)
{
    const QString path = folder + u'/' + name;
    writeFile(path, makeArchive(format, entries, passphrase));
    return path;
}

} // namespace ostrel::test
