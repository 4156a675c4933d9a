#pragma once

// Looking in the trash for what a launch moved there: a file a crash left unrecorded, the
// .trashinfo files it left without a file, and the volume trash folders a launch creates.
// Internal to the launcher.

#include <QString>
#include <QStringList>

#include <optional>

namespace ostrel {

class Trash;

/// A file in a trash folder's files/, and its .trashinfo in info/.
struct TrashedFile {
    QString path;
    QString infoPath;
};

/// The trashed file a crash left unrecorded: the file in files/ of a .trashinfo that names
/// original, still with the size and modification time the journal recorded.
std::optional<TrashedFile> findInTrash(Trash &trash, const QString &original, qint64 size, qint64 mtimeNs);

/// Removes the .trashinfo files a crash left for original without a file in files/: the trash
/// would list them as entries that cannot be restored.
void removeOrphanInfos(Trash &trash, const QString &original);

/// The volume trash folders (.Trash-$uid, or $uid in an administrator's .Trash) for files of
/// folder that are not there yet, so that a move to the trash would create them.
QStringList trashFoldersNotYetMade(Trash &trash, const QString &folder);

/// Removes a volume's trash folder that a launch created, once nothing is in it.
void removeTrashFolderIfEmpty(const QString &folder);

} // namespace ostrel
