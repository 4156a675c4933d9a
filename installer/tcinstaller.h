#pragma once

#include "installer/tcinspection.h"

#include "store/tcdefinition.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace ostrel {

class SettingsStore;

/// Lists the archive at path and works out the TC it holds (nothing is written).
TcInspection inspectArchive(const QString &path, const InspectOptions &options = {});

/// The TCs a .grpinfo file describes whose group files are beside it, one inspection each
/// (nothing is written). Their files are copied into the TC's folder when installed.
QList<TcInspection> inspectGrpInfoFile(const QString &path, const InspectOptions &options = {});

/// The message the control shows for a name the store already holds in any letter case.
inline constexpr QStringView kNameTakenMessage = u"TC and Custom Group names must be unique. Save aborted.";

/// What a file the player hands over holds: an archive is one TC, a .grpinfo one per block.
struct TcSource {
    /// Each TC to add, checked against the store as well (a name it holds in any letter case,
    /// a store that cannot be read); nothing is written.
    QList<TcInspection> tcs;
    /// The TCs of a .grpinfo whose group file is not beside it, each with why; they are left out.
    QStringList leftOut;
};

/// Inspects the archive or the .grpinfo at path (by its name) for the store.
TcSource inspectTcSource(const QString &path, SettingsStore &store, const InspectOptions &options = {});

/// What an install did.
struct InstallResult {
    QString error;           ///< empty on success
    TcDefinition definition; ///< as saved
    bool ok() const { return error.isEmpty(); }
};

/// Installs what inspection describes: unpacks (or copies) it into a hidden folder beside its
/// folder, flushes every file and folder to disk, renames it into place, then saves the
/// definition through the store's definition API, under the control's rules (a name the store
/// holds in any letter case is refused). Nothing is left behind when any step fails: a folder
/// renamed into place is removed again if the definition cannot be saved. A crash at any
/// point leaves at most a leftover that removeUnfinishedInstalls() clears at the next start.
/// Two installs into one TC root take turns.
InstallResult installTc(const TcInspection &inspection, SettingsStore &store);

/// What the start-up clean-up did.
struct CleanupReport {
    QStringList removed;  ///< leftovers removed
    QStringList problems; ///< leftovers that could not be removed, and why
};

/// Removes what installs and removals cut short left in tcRoot: Quillon's hidden temporary
/// folders, and TC folders renamed into place whose definition was never saved (an install
/// whose definition was saved is marked finished instead). Nothing else is touched, and
/// nothing at all while another Quillon is installing into tcRoot.
CleanupReport removeUnfinishedInstalls(const QString &tcRoot, SettingsStore &store);

/// The folder Quillon installed that holds the definition's group file, if it is one: a
/// folder directly in tcRoot, marked as installed for a definition of that name.
std::optional<QString> installedTcFolder(const TcDefinition &definition, const QString &tcRoot);

/// A folder Quillon installed a TC into, and the name of the definition it was installed for.
struct InstalledTc {
    QString folder;
    QString name;
};

/// The folders directly in tcRoot whose install was finished, as their records say.
QList<InstalledTc> installedTcs(const QString &tcRoot);

} // namespace ostrel
