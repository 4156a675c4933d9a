#include "store/definitionstore.h"

#include "store/cleanuppreference.h"
#include "store/definitionkeys.h"
#include "store/settingsstore.h"

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

const QString kApp = kApplication.toString();
const QString kSection = kDefinedTCs.toString();

// Loading, removing and deleting see a section of one key as empty: a complete
// definition has at least five.
std::optional<SettingRows> definitionRows(const SettingsStore &store)
{
    auto rows = store.GetAllSettings(kApp, kSection);
    if (!rows || rows->size() <= 1)
        return std::nullopt;
    return rows;
}

} // namespace

DefinitionStore::DefinitionStore(SettingsStore &store)
    : m_store(store)
{
}

QStringList DefinitionStore::names() const
{
    QStringList names;
    if (const auto rows = m_store.GetAllSettings(kApp, kSection)) {
        names.reserve(rows->size() / 5);
        for (const SettingRow &row : *rows) {
            if (isNameListKey(row.key))
                names.append(row.value);
        }
    }
    return names;
}

std::optional<TcDefinition> DefinitionStore::load(const QString &name) const
{
    const auto rows = definitionRows(m_store);
    if (!rows)
        return std::nullopt;
    TcDefinition definition;
    for (const SettingRow &row : *rows) {
        switch (classifyKey(row.key, name)) {
        case KeyField::VersionComp:
            definition.version = row.value;
            break;
        case KeyField::Name:
            definition.name = row.value;
            break;
        case KeyField::GroupFile:
            definition.groupFile = row.value;
            break;
        case KeyField::GameCon:
            definition.gameCon = row.value;
            break;
        case KeyField::TextFile:
            definition.textFile = row.value;
            break;
        case KeyField::OtherFile:
            // In enumeration order, not by number: a save writes them in number order.
            definition.otherFiles.append(row.value);
            break;
        case KeyField::None:
            break;
        }
    }
    return definition;
}

void DefinitionStore::save(const TcDefinition &definition, SaveKind kind)
{
    const QString &name = definition.name;
    auto write = [&](KeyField field, const QString &value, int number = 0) {
        m_store.SaveSetting(kApp, kSection, definitionKey(name, field, number), value);
    };
    m_store.Transact([&] {
        write(KeyField::VersionComp, definition.version);
        // The name key is written once, by the first save; a later save keeps it in place.
        if (kind == SaveKind::New)
            write(KeyField::Name, name);
        else
            RemoveOtherFileSettings(name);
        write(KeyField::GroupFile, definition.groupFile);
        write(KeyField::GameCon, definition.gameCon);
        write(KeyField::TextFile, definition.textFile);
        for (qsizetype i = 0; i < definition.otherFiles.size(); ++i)
            write(KeyField::OtherFile, definition.otherFiles[i], int(i + 1));
    });
}

// Removed entries leave no key behind, and the numbers of the fresh run have no gaps.
void DefinitionStore::RemoveOtherFileSettings(const QString &name)
{
    const auto rows = definitionRows(m_store);
    if (!rows)
        return;
    for (const SettingRow &row : *rows) {
        if (classifyKey(row.key, name) == KeyField::OtherFile)
            m_store.DeleteSetting(kApp, kSection, row.key);
    }
}

bool DefinitionStore::remove(const QString &name)
{
    const auto rows = definitionRows(m_store);
    if (!rows)
        return false;
    m_store.Transact([&] {
        for (const SettingRow &row : *rows) {
            if (classifyKey(row.key, name) != KeyField::None)
                m_store.DeleteSetting(kApp, kSection, row.key);
        }
    });
    return true;
}

QString DefinitionStore::cleanupPreference() const
{
    // No choice stored yet is the default, which the TC manager shows as chosen.
    return m_store.GetSetting(
        kApp, kTCSettings.toString(), kDirectoryCleanup.toString(), cleanupPreferenceText(kDefaultCleanupPreference));
}

void DefinitionStore::setCleanupPreference(const QString &value)
{
    // The TC manager writes the stored choice back at every start, in its own spelling;
    // mostly it is spelt so already, and a durable commit (several waits for the disk) would
    // change nothing.
    const QString section = kTCSettings.toString(), key = kDirectoryCleanup.toString();
    if (!value.isEmpty() && m_store.GetSetting(kApp, section, key, QString()) == value)
        return;
    m_store.SaveSetting(kApp, section, key, value);
}

} // namespace ostrel
