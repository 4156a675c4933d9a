#pragma once

#include "launcher/cleanupplan.h"
#include "launcher/engine.h"
#include "launcher/enginediscovery.h"
#include "launcher/maingroup.h"
#include "launcher/versionfit.h"

#include "store/tcdefinition.h"

#include <QString>
#include <QStringList>

namespace ostrel {

class Trash;

/// What the player asked to launch.
struct LaunchRequest {
    TcDefinition tc;
    QString gameDir;
    QString mainGroup = QStringLiteral("DUKE3D.GRP");     ///< the game's group file, in gameDir
    QString dosExecutable = QStringLiteral("DUKE3D.EXE"); ///< DosBox only
    CleanupPreference preference = CleanupPreference::Rename;
    EngineSettings engine;
    QString saveRoot; ///< empty: $XDG_DATA_HOME/quillon/saves
    /// Where identified main groups are remembered (see MainGroupCache); empty: the default.
    QString mainGroupCache;
    QStringList flatpakAppFolders = defaultFlatpakAppFolders();
};

/// A launch worked out in full, before anything on disk changes: the host shows it (the plan,
/// the command, the warnings), asks what it must ask, then hands it to Launcher::start().
struct PreparedLaunch {
    QString error;               ///< the launch cannot go ahead, in words for the player; nothing else is set
    bool engineNotFound = false; ///< the refusal is that the engine is not installed

    QString gameDir;
    QString label; ///< the TC's name
    LaunchCommand command;
    CleanupPlan plan;
    bool hasTrashSteps = false;
    /// Whether the trash takes files from the game directory. When it does not and the plan has
    /// Trash steps, the host asks the player once more ("the files cannot be recovered") and
    /// starts with DeleteMode::RemoveForGood only if they agree.
    bool trashAvailable = true;
    QString trashUnavailableReason;
    /// The game directory's main group as identified by size and CRC-32; its error says why
    /// it could not be (none there, unreadable).
    MainGroupIdentity installed;
    /// Whether the TC runs on that game: AskFirst asks the player before anything else (a
    /// front that cannot ask refuses); Refused never comes here, the launch is refused.
    VersionDecision version;
    QStringList warnings; ///< e.g. the TC's text file is missing

    bool ok() const { return error.isEmpty(); }
};

/// Finds the engine, reads the TC's group directory and the game directory, builds the engine's
/// command and plans the clean-up. Changes nothing. The reasons of a refusal are about this TC, and do
/// not repeat its name. Refuses a game directory that does not exist, a game no TC runs on
/// (the shareware game), a group file that is not one, a definition whose files are gone and an
/// engine not installed.
PreparedLaunch prepareLaunch(const LaunchRequest &request, Trash &trash);

} // namespace ostrel
