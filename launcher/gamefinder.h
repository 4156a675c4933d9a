#pragma once

#include "launcher/maingroup.h"

#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace ostrel {

class MainGroupCache;

/// Where an install was found.
enum class InstallSource {
    Steam,
    SteamFlatpak,
    Gog,
    AddedByPlayer
};

/// "Steam", "Steam (Flatpak)", "GOG", "added by the player".
QString installSourceName(InstallSource source);

/// A folder that holds the game's main group.
struct GameInstall {
    QString folder;    ///< canonical path
    QString mainGroup; ///< the main group in it, its name in the case it has on disk
    InstallSource source = InstallSource::AddedByPlayer;
    QStringList addonFolders; ///< Megaton Edition: those of addons/dc, addons/nw, addons/vacation there are
    MainGroupIdentity identity;
};

/// Where to look for the game. Tests set every field; the host takes them from its environment.
struct GameSearchPlaces {
    QString home;
    QString dataHome;         ///< $XDG_DATA_HOME, or home/.local/share
    QStringList addedFolders; ///< folders the player added

    static GameSearchPlaces fromEnvironment(
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
};

struct GameSearch {
    QList<GameInstall> installs; ///< one per folder: Steam first, then Steam (Flatpak), GOG, added
    QStringList problems;        ///< what could not be read (a library list, a folder), for the player
};

/// The path of the main group (DUKE3D.GRP in any case) in folder; empty when it holds none.
QString mainGroupIn(const QString &folder);

/// Looks where players have Duke Nukem 3D: every library of the native and the Flatpak Steam
/// (Megaton Edition's gameroot and the World Tour), GOG installs (in ~/GOG Games and those that
/// a desktop entry names) and the added folders. A folder counts when it holds DUKE3D.GRP in
/// any case. Each main group is identified through the cache.
GameSearch findGameInstalls(const GameSearchPlaces &places, MainGroupCache &cache);

/// The install a TC most likely runs on, for a player who never chose one: the Atomic Edition,
/// else the first other full release. Empty when there are only shareware and unknown groups,
/// which are left for the player to pick.
QString likeliestInstall(const QList<GameInstall> &installs);

} // namespace ostrel
