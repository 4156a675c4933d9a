#pragma once

#include "store/cleanuppreference.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace ostrel {

/// What one name in a folder listing is; links are reported as links, never followed.
enum class EntryKind {
    File,
    Directory,
    Symlink,
    Other
};

/// One entry of the game directory as it is on disk.
struct DirectoryEntry {
    QString name;
    EntryKind kind = EntryKind::File;
    qint64 size = 0;
    qint64 mtimeNs = 0; ///< last modification, nanoseconds since the epoch

    friend bool operator==(const DirectoryEntry &, const DirectoryEntry &) = default;
};

/// Lists a folder without following links (lstat). On failure returns an empty list and sets
/// error, when given.
QList<DirectoryEntry> listDirectory(const QString &folder, QString *error = nullptr);

/// A file the launch copies into the game directory, for engines that read loose files only
/// from there.
struct CopyIn {
    QString source;     ///< full path of the TC's file
    QString targetName; ///< name in the game directory

    friend bool operator==(const CopyIn &, const CopyIn &) = default;
};

/// What planning the moves of a TC's saves depends on, for an engine that writes its saves in
/// the game directory; nothing is read from disk while planning.
struct SaveMovesInput {
    QString saveDir;                   ///< the TC's own save folder
    QList<DirectoryEntry> saveListing; ///< its entries; empty when it does not exist yet
    QStringList slotNames;             ///< the names the engine writes its saves under; empty: no moves
    bool sameFileSystem = true;        ///< whether saveDir is on the game directory's file system

    friend bool operator==(const SaveMovesInput &, const SaveMovesInput &) = default;
};

/// Everything the clean-up plan depends on; nothing is read from disk while planning.
struct CleanupInput {
    QString gameDir;
    QList<DirectoryEntry> listing; ///< the game directory's entries
    QStringList tcFiles;           ///< full paths of all the TC's own files (never touched)
    QStringList duplicateNames;    ///< group members, the game con's and other files' names
    QStringList mainGroupNames;    ///< the game's own group file(s), e.g. DUKE3D.GRP
    CleanupPreference preference = CleanupPreference::Rename;
    QList<CopyIn> copyIns;
    SaveMovesInput saves;
};

/// What a step does to a file in the game directory.
enum class StepAction {
    Trash,  ///< moved to the desktop trash (or removed for good where there is none and the player agreed)
    Rename, ///< renamed within the game directory, never over another file
    CopyIn, ///< a TC file copied in under name
    /// One of the names the engine writes saves under, taken for the TC for the game: its save of
    /// that name moved in from saveDir (source), if it has one, and whatever the game leaves
    /// under the name moved back to saveDir afterwards.
    Save,
};

/// One step of a clean-up, on a name as it is on disk.
struct CleanupStep {
    StepAction action = StepAction::Rename;
    QString name;        ///< the file in the game directory (for CopyIn: the name it gets)
    QString newName;     ///< Rename only
    QString source;      ///< CopyIn: the TC's file; Save: the TC's save, empty when it has none
    QString saveDir;     ///< Save only: the TC's save folder
    bool copies = false; ///< Save only: the folder is on another file system: copied, then removed
    qint64 size = 0;     ///< as planned, so a file changed since can be left alone (Save: of source)
    qint64 mtimeNs = 0;
    QString reason; ///< for the player

    friend bool operator==(const CleanupStep &, const CleanupStep &) = default;
};

/// A name the clean-up would have acted on but leaves as it is, and why.
struct LeftAlone {
    QString name;
    QString reason;

    friend bool operator==(const LeftAlone &, const LeftAlone &) = default;
};

/// The steps for one launch: renames and trashing first, then the copies in, then the saves
/// (see planSaveMoves()).
struct CleanupPlan {
    QList<CleanupStep> steps;
    QList<LeftAlone> leftAlone;
    QString error; ///< the launch cannot go ahead (a copy in has no free name); steps are empty

    bool ok() const { return error.isEmpty(); }
};

/// Works out the clean-up of a game directory. Pure: the same input gives the same plan.
///
/// Renames never overwrite: E1L1.MAP becomes E1L1.MAP.org, else E1L1.MAP.1.org, .2.org, ...,
/// the first name that is neither in the listing nor planned by another step (without regard
/// to case).
/// A file is a duplicate when its name equals, without regard to case, one of duplicateNames.
/// Never touched: the TC's own files, the main group file(s), folders, and links (a link may
/// lead out of the game directory, so it is left as it is and reported; see leftAlone). Names
/// that could leave the folder (a separator, "." or "..") are ignored. A file in the way of a
/// copy in is always renamed aside, whatever the preference, so the player gets it back.
/// The names the engine writes saves under are no leftovers: planSaveMoves() takes them.
CleanupPlan planCleanup(const CleanupInput &input);

} // namespace ostrel
