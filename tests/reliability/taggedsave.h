#pragma once

#include <QStringList>

namespace ostrel {
class SettingsStore;
}

namespace ostrel::reliability {

/// Saves the definition called name as the control's Save does, a first save or a later one as
/// the store holds it: one to five other files (consecutive saves differ in count), every value
/// but the name carrying serial.
void saveTagged(SettingsStore &store, const QString &name, qint64 serial);

/// Removes the definition called name as the control's Delete does.
void removeDefinition(SettingsStore &store, const QString &name);

/// What is wrong with the stored definitions: each of names must have no key at all or exactly the
/// keys and values of one saveTagged, and no key may belong to none of names. Empty when sound.
QStringList damageIn(const SettingsStore &store, const QStringList &names);

} // namespace ostrel::reliability
