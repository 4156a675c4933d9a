#pragma once

#include "launcher/cleanupplan.h"
#include "launcher/engine.h"
#include "launcher/enginediscovery.h"
#include "launcher/gameversion.h"

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
    QStringList flatpakAppFolders = defaultFlatpakAppFolders();
};

/// A launch worked out in full, before anything on disk changes: the host shows it (the plan,
/// the command, the warnings), asks what it must ask, then hands it to LaunchSession::start().
struct PreparedLaunch {
    QString error; ///< the launch cannot go ahead, in words for the player; nothing else is set

    QString gameDir;
    QString label;        ///< the TC's name
    LaunchCommand command;
    CleanupPlan plan;
    bool hasTrashSteps = false;
    /// Whether the trash takes files from the game directory. When it does not and the plan has
    /// Trash steps, the host asks the player once more ("the files cannot be recovered") and
    /// starts with DeleteMode::RemoveForGood only if they agree.
    bool trashAvailable = true;
    QString trashUnavailableReason;
    GameVersion installedVersion = GameVersion::Unknown;
    VersionCheck version; ///< warn "needs X" when !version.matches
    QStringList warnings; ///< e.g. the TC's text file is missing

    bool ok() const { return error.isEmpty(); }
};

/// Reads the TC's group directory and the game directory, finds the engine, builds its command
/// and plans the clean-up. Changes nothing. The reasons of a refusal are about this TC, and do
/// not repeat its name. Refuses a game directory that does not exist, a
/// group file that is not one, a definition whose files are gone and an engine not installed.
PreparedLaunch prepareLaunch(const LaunchRequest &request, Trash &trash);

} // namespace ostrel
