#pragma once

#include "launcher/launchjournal.h"
#include "launcher/launchpreparation.h"

#include <QString>

#include <optional>

namespace ostrel {

class SettingsStore;
class Trash;

/// Why the launcher will not go on with a launch; each has an exit status of its own on the
/// command line.
enum class LaunchRefusal {
    None,
    StoreUnreadable,   ///< the settings store cannot be read
    NoSuchTc,          ///< no stored TC has the name
    AmbiguousName,     ///< two stored names are the same without regard to case
    UnknownPreference, ///< the clean-up preference is a text the launcher does not know
    EngineNotFound,    ///< the engine is not installed or cannot be run
    Refused,           ///< a launch not given back yet, the game directory, the group file, files gone, ...
};

/// A launch worked out from a stored TC's name, or why it cannot be.
struct StoredLaunch {
    LaunchRefusal refusal = LaunchRefusal::None;
    QString message; ///< the refusal, in words for the player, naming the TC
    PreparedLaunch prepared;

    bool ok() const { return refusal == LaunchRefusal::None; }
};

/// Where the game is and which engine starts it, as the player set them.
struct LaunchSetup {
    QString gameDir;
    EngineSettings engine;
};

/// The road from a stored TC to a launch ready to preview, the same for every front: the store,
/// the name, the clean-up preference, a launch not given back yet (pending), then
/// prepareLaunch(). Changes nothing on disk or in the store. mainGroupCache: where identified
/// main groups are remembered; empty: the default.
StoredLaunch prepareStoredLaunch(SettingsStore &store, const QString &tcName, const LaunchSetup &setup,
    const std::optional<PendingJournal> &pending, Trash &trash, const QString &mainGroupCache = {});

/// "The launch of "NAME" was refused. REASON": read on its own (a line among a script's output,
/// a message box), a refusal names the TC and says that nothing was launched.
QString launchRefusedText(const QString &tcName, const QString &reason);

} // namespace ostrel
