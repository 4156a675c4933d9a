#pragma once

#include <launcher/launchjournal.h>
#include <launcher/launchpreparation.h>

#include <QString>

namespace ostrel {

class SettingsStore;
class Trash;
struct HostSettings;

/// Why the launcher will not go on with a launch; each has an exit status of its own on the
/// command line.
enum class LaunchRefusal {
    None,
    StoreUnreadable,   ///< the settings store cannot be read
    NoSuchTc,          ///< no stored TC has the name
    AmbiguousName,     ///< two stored names are the same without regard to case
    UnknownPreference, ///< the clean-up preference is a text the launcher does not know
    EngineNotFound,    ///< the engine is not installed or cannot be run
    Refused,           ///< prepareLaunch refused: game directory, group file, files gone, ...
};

/// A launch worked out from a TC's name and the host's settings, or why it cannot be.
struct HostLaunch {
    LaunchRefusal refusal = LaunchRefusal::None;
    QString message; ///< the refusal, in words for the player
    PreparedLaunch prepared;

    bool ok() const { return refusal == LaunchRefusal::None; }
};

/// "The launch of "NAME" was refused. REASON"
QString launchRefusedText(const QString &tcName, const QString &reason);

/// The launcher's road from a stored TC to a launch ready to preview, the same for the window
/// and the command line: the store, the name, the clean-up preference, the engine, a launch
/// not yet given back (its journal in stateDir), then prepareLaunch(). Changes nothing on disk
/// or in the store.
HostLaunch prepareHostLaunch(SettingsStore &store, const HostSettings &settings, const QString &tcName, Trash &trash,
                             const QString &stateDir = LaunchJournal::defaultStateDir());

} // namespace ostrel
