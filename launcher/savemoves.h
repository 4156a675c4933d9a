#pragma once

// Moving a TC's saves between its save folder and the game directory, so that a crash at any
// moment loses none and a repeated move finishes the job. Internal to the launcher.

#include "launcher/cleanupplan.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace ostrel::savemoves {

/// Moves saveDir/name to gameDir/name, never over a file: a rename, or when copies (saveDir is
/// on another file system) a copy written as gameDir/tempName and made durable, renamed to
/// name, and only then the original removed. Both folders are synced. Returns why it failed,
/// for the player, or an empty text; on failure nothing of the move is left in gameDir.
QString moveIn(
    const QString &saveDir, const QString &gameDir, const QString &name, bool copies, const QString &tempName);

/// What takeBack() did.
struct TakenBack {
    QStringList names;         ///< the saves moved to the save folder, by their names there
    QList<LeftAlone> problems; ///< what stays in the game directory, and why
    QStringList notes;         ///< what the player should know though every save is in the folder
};

/// Moves every file the game left in gameDir under name, in any letter case (but those in
/// leave: the player's own, put back by a give-back cut short), to saveDir (made
/// when it is gone): a rename, else a copy made durable under tempName and renamed into place
/// before the original goes. Where saveDir already holds a file of that name, one with the same
/// bytes (a move cut short) only loses the copy in gameDir; another is kept, and the game's is
/// put beside it as NAME.1, NAME.2, ... Safe to run again after a crash at any point: it also
/// removes what a copy cut short left under tempName in either folder.
TakenBack takeBack(const QString &gameDir, const QString &saveDir, const QString &name, const QString &tempName,
    const QStringList &leave = {});

} // namespace ostrel::savemoves
