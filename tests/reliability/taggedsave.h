#pragma once

#include <QStringList>

namespace ostrel {
class SettingsStore;
}

namespace ostrel::reliability {

/// Saves the definition called name in one transaction with the store operations of the control's
/// Save: the version, the name key on a first save (on a later one, the removal of the old other
/// files), the group file, the game con, the text file and one to five other files numbered from 1
/// (consecutive saves differ in count). Every value but the name carries serial.
void saveTagged(SettingsStore &store, const QString &name, qint64 serial);

/// Removes every key of the definition called name in one transaction, as the control's Delete does.
void removeDefinition(SettingsStore &store, const QString &name);

/// What is wrong with the stored definitions: each of names must have no key at all or exactly the
/// keys and values of one saveTagged, and no key may belong to none of names. Empty when sound.
QStringList damageIn(const SettingsStore &store, const QStringList &names);

} // namespace ostrel::reliability
