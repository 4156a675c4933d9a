#pragma once

#include "launcher/gameversion.h"
#include "launcher/maingroup.h"

#include <QString>
#include <QStringList>

namespace ostrel {

/// What the version compatibility of a TC definition asks of the installed game.
enum class TcVersionNeed {
    V13D,         ///< "1.3D"
    V14Or15,      ///< "1.4/1.5 Atomic"
    Either,       ///< "1.3D and 1.4/1.5"
    Unrecognised, ///< any other text
};

/// Reads a definition's version text, in any case and with spaces around it.
TcVersionNeed tcVersionNeedOf(const QString &versionText);

/// The version texts of the definitions whose TCs are made for this release: "1.3D" and
/// "1.3D and 1.4/1.5" for 1.3D, "1.4/1.5 Atomic" and "1.3D and 1.4/1.5" for 1.4, 1.5 and the
/// World Tour; none for the shareware game and an unknown group.
QStringList tcVersionTextsFor(GameEdition edition);

/// The release as the size-only GameVersion of a launch names it.
GameVersion gameVersionOf(GameEdition edition);

enum class VersionFit {
    Runs,     ///< launch (say the warning, if any)
    AskFirst, ///< the TC is made for the other version: ask the player (refuse without one)
    Refused,  ///< no TC runs on this game
};

struct VersionDecision {
    VersionFit fit = VersionFit::Runs;
    QString reason;  ///< why it asks or refuses, for the player; empty when it runs
    QString warning; ///< what the player should know even when it runs
};

/// Decides whether a TC made for tcVersion runs on the installed game. A TC for 1.3D on 1.4,
/// 1.5 or the World Tour, or for 1.4/1.5 on 1.3D, asks first; the shareware game is refused,
/// since TCs need the full game; the World Tour is always named, with the warning that TCs
/// made before it may not run on its group; an unknown group or version text runs with a
/// warning that the fit cannot be told.
VersionDecision decideVersionFit(const QString &tcVersion, const MainGroupIdentity &installed);

} // namespace ostrel
