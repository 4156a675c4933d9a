#include "tests/launcher/launchertesting.h"

#include "launcher/fileops.h"
#include "tests/support/testfiles.h"

#include <QFileInfo>

#include <unistd.h>

namespace ostrel::test {

QMultiMap<QByteArray, QByteArray> fakeEngineRecord(const QString &path)
{
    QMultiMap<QByteArray, QByteArray> facts;
    for (const QByteArray &line : readBytes(path).split('\n')) {
        const qsizetype space = line.indexOf(' ');
        if (space > 0)
            facts.insert(line.first(space), QByteArray::fromHex(line.mid(space + 1)));
    }
    return facts;
}

FakeTrash::FakeTrash(const QString &folder)
    : m_folder(folder)
{
}

bool FakeTrash::availableFor(const QString &, QString *why)
{
    if (!available && why)
        *why = QStringLiteral("The fake trash is switched off.");
    return available;
}

TrashOutcome FakeTrash::moveToTrash(const QString &path)
{
    TrashOutcome outcome;
    if (failMoves) {
        outcome.error = QStringLiteral("The fake trash refuses \"%1\".").arg(path);
        return outcome;
    }
    fileops::makePrivateFolder(m_folder + QStringLiteral("/files"));
    const QString name = QFileInfo(path).fileName() + QStringLiteral(".") + QString::number(++moves);
    outcome.trashedPath = m_folder + QStringLiteral("/files/") + name;
    outcome.infoPath = m_folder + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo");
    writeFile(outcome.infoPath, "[Trash Info]\nPath=" + fileops::encodePath(path).toPercentEncoding("/") + "\n");
    if (fileops::renameNoReplace(path, outcome.trashedPath) != 0) {
        ::unlink(fileops::encodePath(outcome.infoPath).constData());
        return TrashOutcome{false, {}, {}, QStringLiteral("rename failed")};
    }
    outcome.ok = true;
    return outcome;
}

} // namespace ostrel::test
