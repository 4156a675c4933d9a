#include "launcher/trashlookup.h"

#include "launcher/fileops.h"
#include "launcher/trash.h"

#include <QFileInfo>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

const QString kInfoSuffix = u".trashinfo"_s;

// Whether a .trashinfo in a trash folder may belong to original. Qt creates the .trashinfo
// empty, renames the file into files/, and only then writes the original path into it, so a
// crash between the steps leaves an empty one named after the file.
bool infoMayName(
    const QString &infoFolder, const QString &infoName, const QByteArray &originalBytes, const QString &originalName)
{
    if (!infoName.endsWith(kInfoSuffix))
        return false;
    const QByteArray content = fileops::readSmallFile(infoFolder + u'/' + infoName);
    // Qt 6.4 writes the path as it is, not percent-encoded, so a name with a newline spans
    // two lines: look for it whole first.
    if (content.contains(QByteArray("Path=" + originalBytes + '\n')))
        return true;
    bool hasPath = false;
    for (const QByteArray &line : content.split('\n')) {
        if (!line.startsWith("Path="))
            continue;
        hasPath = true;
        // On another volume the path is relative to that volume's top folder.
        const QByteArray recorded = QByteArray::fromPercentEncoding(line.mid(5).trimmed());
        if (recorded == originalBytes
            || (!recorded.startsWith('/') && originalBytes.endsWith(QByteArray('/' + recorded))))
            return true;
    }
    return !hasPath && infoName.startsWith(originalName);
}

} // namespace

std::optional<TrashedFile> findInTrash(Trash &trash, const QString &original, qint64 size, qint64 mtimeNs)
{
    const QByteArray originalBytes = fileops::encodePath(original);
    const QString originalName = QFileInfo(original).fileName();
    for (const QString &folder : trash.trashFoldersFor(QFileInfo(original).path())) {
        const QString infoFolder = folder + u"/info"_s;
        for (const QString &infoName : fileops::namesIn(infoFolder)) {
            if (!infoMayName(infoFolder, infoName, originalBytes, originalName))
                continue;
            const QString trashed = folder + u"/files/"_s + infoName.chopped(kInfoSuffix.size());
            if (fileops::sameFile(fileops::lstatPath(trashed), size, mtimeNs))
                return TrashedFile{trashed, infoFolder + u'/' + infoName};
        }
    }
    return std::nullopt;
}

void removeOrphanInfos(Trash &trash, const QString &original)
{
    const QByteArray originalBytes = fileops::encodePath(original);
    const QString originalName = QFileInfo(original).fileName();
    for (const QString &folder : trash.trashFoldersFor(QFileInfo(original).path())) {
        const QString infoFolder = folder + u"/info"_s;
        for (const QString &infoName : fileops::namesIn(infoFolder)) {
            if (infoMayName(infoFolder, infoName, originalBytes, originalName)
                && !fileops::lstatPath(folder + u"/files/"_s + infoName.chopped(kInfoSuffix.size()))) {
                ::unlink(fileops::encodePath(infoFolder + u'/' + infoName).constData());
            }
        }
    }
}

QStringList trashFoldersNotYetMade(Trash &trash, const QString &folder)
{
    QStringList missing;
    for (const QString &trashFolder : trash.trashFoldersFor(folder)) {
        const QFileInfo info(trashFolder);
        if ((info.fileName().startsWith(u".Trash"_s) || QFileInfo(info.path()).fileName() == u".Trash")
            && !fileops::lstatPath(trashFolder)) {
            missing << trashFolder;
        }
    }
    return missing;
}

// The player never asked for such a folder, and it would sit at the top of their drive.
void removeTrashFolderIfEmpty(const QString &folder)
{
    if (folder.isEmpty())
        return;
    for (const QString &name : fileops::namesIn(folder)) {
        if ((name != u"files" && name != u"info") || !fileops::namesIn(folder + u'/' + name).isEmpty())
            return;
    }
    // rmdir takes only empty folders, so a file trashed meanwhile by another program stays.
    for (const QString &part : {u"/files"_s, u"/info"_s, QString()})
        ::rmdir(fileops::encodePath(folder + part).constData());
}

} // namespace ostrel
