#pragma once

#include <QString>
#include <QStringList>

namespace ostrel {

/// Where a trashed file went, or why it could not go.
struct TrashOutcome {
    bool ok = false;
    QString trashedPath; ///< the file in the trash's files/ folder; on failure, where the file
                         ///< is when it left the folder and could not be put back (else empty)
    QString infoPath;    ///< its .trashinfo, removed when the file is put back
    QString error;
};

/// The desktop trash, behind an interface so tests can make it fail.
class Trash
{
public:
    virtual ~Trash() = default;

    /// Whether files of folder can be moved to a trash they can be put back from; when not,
    /// why (for the player: "the files cannot be recovered").
    virtual bool availableFor(const QString &folder, QString *why = nullptr) = 0;

    /// Moves one file to the trash. On failure the file is where it was, unless trashedPath says
    /// otherwise.
    virtual TrashOutcome moveToTrash(const QString &path) = 0;

    /// The trash folders (each with files/ and info/) a file of folder may have been moved to;
    /// searched when a crash left a trashed file unrecorded.
    virtual QStringList trashFoldersFor(const QString &folder) = 0;
};

/// The trash of a volume other than the home folder's, as QFile::moveToTrash picks it.
struct VolumeTrash {
    QString folder; ///< $topdir/.Trash/$uid or $topdir/.Trash-$uid; empty when neither can be used
    QString why;    ///< when folder is empty: why files there have no trash
};

/// The freedesktop.org trash through QFile::moveToTrash, with its result checked.
///
/// Qt 6.4 moves a file to files/NAME under the current working folder when the user's data
/// folder ($XDG_DATA_HOME, default ~/.local/share) does not exist, and still reports success.
/// So the data folder is created (0700) first, and a result is accepted only when the returned
/// path is absolute and lies in the files/ folder of one of trashFoldersFor(); otherwise the
/// file is put back and the move reported as failed.
class DesktopTrash : public Trash
{
public:
    bool availableFor(const QString &folder, QString *why = nullptr) override;
    TrashOutcome moveToTrash(const QString &path) override;
    QStringList trashFoldersFor(const QString &folder) override;

    /// The rules of the trash on the volume whose top folder is root: an administrator's
    /// $topdir/.Trash (a sticky folder, not a link) holds a folder per user; otherwise
    /// $topdir/.Trash-$uid, which must be a folder the user can write, or be creatable in root.
    static VolumeTrash volumeTrashAt(const QString &root);

    /// $XDG_DATA_HOME/Trash, the user's home trash.
    static QString homeTrash();
};

} // namespace ostrel
