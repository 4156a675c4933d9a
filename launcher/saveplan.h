#pragma once

// Planning the moves that keep a TC's saves apart when its engine writes them in the game
// directory. Pure: what is on disk is passed in. Internal to the launcher.

#include "launcher/cleanupplan.h"

#include <QSet>
#include <QString>

namespace ostrel {

/// Appends to plan what keeps the TC's saves apart, for an engine that writes them in the game
/// directory under saves.slotNames (compared without regard to case):
/// - each file of the game directory under such a name is renamed aside to a free .org name, as
///   the clean-up renames leftovers: it is the player's own, made without Quillon (which leaves
///   none there between launches), and the game must neither load it for the TC nor write over it;
/// - then a Save step for each name, in slotNames' order: the TC's save of that name (in any
///   case) moved in from saves.saveDir when it has one; whatever the game leaves under the name
///   goes there afterwards.
/// taken holds the upper-case names that are in the game directory or planned there; the names
/// planned here are added. A folder or link under such a name in the game directory, and a TC
/// file copied in under one, make the plan an error: the saves could not be kept apart.
void planSaveMoves(
    const QList<DirectoryEntry> &gameListing, const SaveMovesInput &saves, QSet<QString> &taken, CleanupPlan &plan);

/// The name a file is renamed aside to: NAME.org, else NAME.1.org, NAME.2.org, ..., the first
/// that is not in taken (upper-case names), to which it is added.
QString freeAsideName(const QString &name, QSet<QString> &taken);

} // namespace ostrel
