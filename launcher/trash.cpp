#include "launcher/trash.h"

#include "launcher/fileops.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

QString dataHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QString userId()
{
    return QString::number(::getuid());
}

// The trash folders of the volume that holds folder, as the trash rules name them: an
// administrator's $topdir/.Trash/$uid, else $topdir/.Trash-$uid.
QStringList volumeTrashes(const QString &folder)
{
    const QStorageInfo storage(folder);
    if (!storage.isValid())
        return {};
    QString root = storage.rootPath();
    if (!root.endsWith(u'/'))
        root += u'/';
    return {root + u".Trash/"_s + userId(), root + u".Trash-"_s + userId()};
}

bool writableFolder(const QString &path)
{
    return ::access(fileops::encodePath(path).constData(), W_OK | X_OK) == 0;
}

// Qt takes an existing trash folder as it finds it (a link to a folder will do) and creates
// one that is missing; a file in its place, or a folder it cannot write, makes every move fail.
bool usableTrashFolder(const QString &path, const QString &parent, QString *why)
{
    if (!fileops::lstatPath(path)) {
        if (writableFolder(parent))
            return true;
        *why = u"\"%1\" cannot be created"_s.arg(path);
        return false;
    }
    if (!QFileInfo(path).isDir()) {
        *why = u"\"%1\" is not a folder"_s.arg(path);
        return false;
    }
    for (const QString &part : {u"/files"_s, u"/info"_s}) {
        if (fileops::lstatPath(path + part) && !QFileInfo(path + part).isDir()) {
            *why = u"\"%1\" is not a folder"_s.arg(path + part);
            return false;
        }
    }
    if (writableFolder(path))
        return true;
    *why = u"\"%1\" cannot be written"_s.arg(path);
    return false;
}

} // namespace

VolumeTrash DesktopTrash::volumeTrashAt(const QString &root)
{
    const QString top = root.endsWith(u'/') ? root : root + u'/';
    VolumeTrash trash;
    QString why;
    const QString adminTrash = top + u".Trash"_s;
    struct stat st;
    if (::lstat(fileops::encodePath(adminTrash).constData(), &st) == 0 && S_ISDIR(st.st_mode)
        && (st.st_mode & S_ISVTX)) {
        // Once the administrator's trash gives the user a folder, Qt looks no further.
        const QString mine = adminTrash + u'/' + userId();
        const bool taken = fileops::lstatPath(mine) ? QFileInfo(mine).isDir() : writableFolder(adminTrash);
        if (taken) {
            if (usableTrashFolder(mine, adminTrash, &trash.why))
                trash.folder = mine;
            return trash;
        }
    }
    const QString ownTrash = top + u".Trash-"_s + userId();
    if (usableTrashFolder(ownTrash, top, &trash.why))
        trash.folder = ownTrash;
    return trash;
}

QString DesktopTrash::homeTrash()
{
    return dataHome() + u"/Trash"_s;
}

QStringList DesktopTrash::trashFoldersFor(const QString &folder)
{
    return QStringList{homeTrash()} + volumeTrashes(folder);
}

namespace {

bool onHomeVolume(const QString &folder)
{
    const auto target = fileops::lstatPath(folder);
    const auto home = fileops::lstatPath(dataHome());
    return target && home && target->device == home->device;
}

} // namespace

bool DesktopTrash::availableFor(const QString &folder, QString *why)
{
    QString error;
    if (!fileops::makePrivateFolder(dataHome(), &error)) {
        if (why)
            *why = error;
        return false;
    }
    if (!fileops::lstatPath(folder)) {
        if (why)
            *why = u"The folder \"%1\" cannot be found."_s.arg(folder);
        return false;
    }
    // On the data folder's volume the home trash takes the file with a rename.
    if (onHomeVolume(folder))
        return true;

    // Elsewhere only a trash on the same volume will do: Qt renames into it and never copies.
    const QString root = QStorageInfo(folder).rootPath();
    const VolumeTrash volume = volumeTrashAt(root);
    if (!volume.folder.isEmpty())
        return true;
    if (why) {
        *why =
            u"The game directory is on another drive (%1) that has no trash you can use (%2), so files removed there "
            "cannot be recovered."_s.arg(root, volume.why);
    }
    return false;
}

TrashOutcome DesktopTrash::moveToTrash(const QString &path)
{
    TrashOutcome outcome;
    QString error;
    if (!fileops::makePrivateFolder(dataHome(), &error)) {
        outcome.error = error;
        return outcome;
    }
    // QFile cannot name a file whose name is not UTF-8; it could trash another file.
    if (fileops::encodePath(path) != QFile::encodeName(path)) {
        outcome.error = u"\"%1\" cannot be moved to the trash: its name is not valid UTF-8."_s.arg(path);
        return outcome;
    }
    QString trashed;
    if (!QFile::moveToTrash(path, &trashed)) {
        outcome.error = u"\"%1\" cannot be moved to the trash."_s.arg(path);
        return outcome;
    }

    const QFileInfo trashedInfo(trashed);
    const QString filesFolder = trashedInfo.path();
    const QString trashFolder = QFileInfo(filesFolder).path();
    bool inTrash = trashedInfo.isAbsolute() && QFileInfo(filesFolder).fileName() == u"files";
    if (inTrash) {
        inTrash = false;
        const QString canonicalTrash = QFileInfo(trashFolder).canonicalFilePath();
        for (const QString &candidate : trashFoldersFor(QFileInfo(path).path())) {
            if (QFileInfo(candidate).canonicalFilePath() == canonicalTrash)
                inTrash = true;
        }
    }
    const QString infoPath = trashFolder + u"/info/"_s + trashedInfo.fileName() + u".trashinfo"_s;
    if (!inTrash) {
        // Not a trash the player can restore from: put the file back where it was.
        const int back = fileops::renameNoReplace(trashed, path);
        QFile::remove(infoPath);
        if (back == 0) {
            outcome.error =
                u"The trash cannot be used (the file went to \"%1\"); \"%2\" was put back."_s.arg(trashed, path);
        } else {
            outcome.trashedPath = trashed;
            outcome.error =
                u"The trash cannot be used (the file went to \"%1\") and it could not be put back: %2."_s.arg(
                    trashed, fileops::errorText(back));
        }
        return outcome;
    }
    outcome.ok = true;
    outcome.trashedPath = trashed;
    outcome.infoPath = infoPath;
    return outcome;
}

} // namespace ostrel
