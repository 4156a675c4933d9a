#pragma once

#include "ostrel_export.h"
#include "store/tcdefinition.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace ostrel {

class SettingsStore;

/// The TC definitions and the directory clean-up preference as the launcher keeps them in
/// a settings store, under the application "Vantrel": every key of every definition in the
/// section "DefinedTCs" (the definition's name followed by a field suffix), the preference
/// in "TCSettings". The control and any host read and write them through this class only.
///
/// Writes throw StoreError when the store refuses them; a save or a removal is one
/// transaction, so a refused one leaves the store as it was.
class OSTREL_EXPORT DefinitionStore
{
public:
    explicit DefinitionStore(SettingsStore &store);

    /// The names of the stored definitions in store order: the value of every key of the
    /// section whose last four characters are "NAME" in capitals. Empty when the section
    /// holds nothing or cannot be read.
    QStringList names() const;

    /// The stored fields of the definition called name (compared without regard to case):
    /// its name key's value, version, files and other files in store order; a field without
    /// a key is empty. std::nullopt when the section holds at most one key, since a complete
    /// definition has at least five.
    std::optional<TcDefinition> load(const QString &name) const;

    enum class SaveKind {
        New,     ///< the first save: writes the name key
        Existing ///< a later save: replaces the other-file keys by a fresh run from 1
    };
    /// Writes definition under its name in one transaction: its version, the name key (New)
    /// or the removal of its old other-file keys (Existing), its group file, game con and
    /// text file, then one key per other file numbered from 1. A key that exists keeps its
    /// place; a new one goes to the end of the section.
    void save(const TcDefinition &definition, SaveKind kind);

    /// Removes every key of the definition called name in one transaction. False, with
    /// nothing changed, when the section holds at most one key.
    bool remove(const QString &name);

    /// The stored clean-up preference as written ("Delete", "Rename", "None", or any other
    /// text a program stored); "Rename" when there is none.
    QString cleanupPreference() const;
    /// Stores the clean-up preference; a text stored already, spelt the same, is not written
    /// again.
    void setCleanupPreference(const QString &value);

private:
    void RemoveOtherFileSettings(const QString &name);

    SettingsStore &m_store;
};

} // namespace ostrel
