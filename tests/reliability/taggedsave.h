#pragma once

#include <QString>
#include <QStringList>

namespace ostrel {
class SettingsStore;
}

namespace ostrel::reliability {

/// How many other files the save numbered serial writes: one to five, so that consecutive
/// saves of a definition differ in count and a renumbering left half-done shows.
int otherFileCountFor(qint64 serial);

/// Saves the definition called name with the store operations of the control's Save, in one
/// transaction: the version, the name key on the first save (or, on a later save, the removal of
/// the old other files), the group file, the game con, the text file and the other files
/// numbered from 1. Every value but the name carries serial, so a mix of two saves is visible.
void saveTagged(SettingsStore &store, const QString &name, qint64 serial);

/// Removes every key of the definition called name in one transaction, as the control's Delete does.
void removeDefinition(SettingsStore &store, const QString &name);

/// What is wrong with the stored definitions: for each of names, either no key at all, or every
/// key of one save and its name key; and no key that belongs to none of names. Empty when sound.
QStringList damageIn(const SettingsStore &store, const QStringList &names);

} // namespace ostrel::reliability
