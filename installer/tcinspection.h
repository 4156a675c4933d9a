#pragma once

#include "installer/archivelisting.h"

#include "store/tcdefinition.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace ostrel {

/// What the player may decide instead of Quillon.
struct InspectOptions {
    QString tcRoot;    ///< the folder that holds the TCs' folders; empty: defaultTcRoot()
    QString name;      ///< the TC's name; empty: the group info's, else the archive's file name
    QString version;   ///< one of the three version texts; empty: worked out
    QString groupFile; ///< a file of the TC (relative, as the inspection lists it); empty: worked out
    QString gameCon;   ///< likewise; empty: worked out
    ArchiveLimits limits;
    /// For a .grpinfo of several TCs: only the block of this index, to which name applies as
    /// well; -1: every block (a name only for a .grpinfo of one TC).
    int grpInfoBlock = -1;
};

/// A file Quillon chose for a field of the definition, and why; or the files it could not
/// choose between (file empty, candidates not).
struct ChosenFile {
    QString file;           ///< relative to the TC's folder; empty when none was chosen
    QString why;            ///< for the preview
    QStringList candidates; ///< the files it could be, when it cannot tell
};

/// An archive entry that is not unpacked, and why.
struct SkippedEntry {
    QString name; ///< as stored (bytes that are not UTF-8 shown as they decode)
    QString reason;
    friend bool operator==(const SkippedEntry &, const SkippedEntry &) = default;
};

/// One file or folder the install writes into the TC's folder.
struct PlannedEntry {
    int entry = -1;    ///< its index in the archive's listing; -1 for a file copied from source
    QString source;    ///< a file copied from beside a .grpinfo (entry == -1)
    QByteArray target; ///< relative to the TC's folder, bytes as they go on disk
    bool folder = false;
    qint64 size = -1;        ///< declared size, -1 when unknown
    QByteArray archivedName; ///< the entry's name in the archive, to check it is still the same
};

/// The result of looking at an archive (or a .grpinfo with the files beside it): everything
/// the preview shows, and what the install will write.
struct TcInspection {
    QString source; ///< the archive or .grpinfo file
    QString name;
    QString nameWhy;
    QString folder; ///< where the TC goes: tcRoot/safeFolderName(name)
    ChosenFile group;
    ChosenFile con;
    QString readMe;         ///< relative; empty when there is none
    QStringList otherFiles; ///< relative, in the archive's order
    QString version;        ///< "1.3D", "1.4/1.5 Atomic" or "1.3D and 1.4/1.5"
    QString versionWhy;
    QList<SkippedEntry> skipped;
    QStringList problems; ///< reasons it cannot be installed
    QStringList notes;    ///< what the player should know
    QList<PlannedEntry> plan;
    int grpInfoBlock = -1;   ///< the block of the .grpinfo it comes from; -1 for an archive
    qint64 unpackedSize = 0; ///< declared, of the planned files
    ArchiveLimits limits;    ///< held again while unpacking

    /// Nothing stands in the way and a group file is chosen.
    bool ok() const { return problems.isEmpty() && !group.file.isEmpty(); }
    /// The definition it makes: full paths into folder.
    TcDefinition definition() const;
};

/// Works out the TC an archive holds, from its listing alone.
///
/// Entries whose names leave the folder, links, device files and FIFOs are skipped (and named);
/// when every entry is inside one top folder, that folder is left out. The group file and the
/// game con come from a .grpinfo (the group by its size), else from the command lines in
/// batch files and read-mes, else from the files (the only .grp; GAME.CON, else the only con
/// no other con includes). The version comes from the .grpinfo's dependency, else from the
/// read-me's words, else "1.3D and 1.4/1.5" with a note. options override each choice.
TcInspection inspectListing(const ArchiveListing &listing, const InspectOptions &options = {});

/// The TCs a .grpinfo file describes, one inspection per block, from the listing of the
/// folder it is in (its files at folderPath, the .grpinfo called grpInfoName among them): the
/// group file beside it of the block's size, the block's script and definitions file and the
/// cons the script includes. Each is planned to be copied from folderPath.
QList<TcInspection> inspectGrpInfoListing(const ArchiveListing &folder, const QByteArray &grpInfoName,
    const QString &folderPath, const InspectOptions &options = {});

/// The TC name made of an archive's file name: without its folder and its extensions
/// (".zip", ".tar.gz", ...).
QString nameFromArchiveFileName(const QString &path);

/// Whether a file's name is one of a TC archive (.zip, .7z, .rar, .tar and its compressed
/// forms, .pk3) or of a .grpinfo: what the player may hand over to be added.
bool isTcSourceFileName(const QString &path);
/// Whether a file's name ends in .grpinfo.
bool isGrpInfoFileName(const QString &path);

/// Whether a file of the TC is one the game never reads: read-mes and other documents,
/// programs, installers, batch files, configurations, group info.
bool isNotForTheGame(QByteArrayView relativePath);

/// Whether a file is a read-me (README.TXT, READ.ME, FILE_ID.DIZ, any .txt, ...).
bool isReadMe(QByteArrayView relativePath);

/// The three version texts.
inline constexpr QStringView kVersion13D = u"1.3D";
inline constexpr QStringView kVersionAtomic = u"1.4/1.5 Atomic";
inline constexpr QStringView kVersionBoth = u"1.3D and 1.4/1.5";

} // namespace ostrel
