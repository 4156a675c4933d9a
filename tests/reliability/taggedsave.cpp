#include "taggedsave.h"

#include "store/settingsstore.h"
#include "store/definitionkeys.h"
#include "store/definitionstore.h"

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace ostrel::reliability {
namespace {

const QString kApp = kApplication.toString();
const QString kSection = kDefinedTCs.toString();
using Keys = std::vector<std::pair<QString, QString>>;

// The keys and values a save numbered serial leaves in the store.
Keys keysOfSave(const QString &name, qint64 serial)
{
    const QString tag = u'#' + QString::number(serial);
    Keys keys{{definitionKey(name, KeyField::VersionComp), versionCompatibilityItems().at(int(serial % 3)) + tag},
        {definitionKey(name, KeyField::Name), name},
        {definitionKey(name, KeyField::GroupFile), u"/tc/"_s + name + u".GRP"_s + tag},
        {definitionKey(name, KeyField::GameCon), u"/tc/GAME.CON"_s + tag},
        {definitionKey(name, KeyField::TextFile), u"/tc/README.TXT"_s + tag}};
    for (int i = 1; i <= int(serial % 5) + 1; ++i)
        keys.emplace_back(definitionKey(name, KeyField::OtherFile, i), u"/tc/E%1L1.MAP"_s.arg(i) + tag);
    return keys;
}

Keys storedKeys(const SettingsStore &store, const QString &name, KeyField only = KeyField::None)
{
    Keys keys;
    for (const SettingRow &row : store.GetAllSettings(kApp, kSection).value_or(SettingRows{})) {
        const KeyField field = classifyKey(row.key, name);
        if (field != KeyField::None && (only == KeyField::None || field == only))
            keys.emplace_back(row.key, row.value);
    }
    return keys;
}

} // namespace

void saveTagged(SettingsStore &store, const QString &name, qint64 serial)
{
    const QString tag = u'#' + QString::number(serial);
    TcDefinition definition{name, versionCompatibilityItems().at(int(serial % 3)) + tag,
        u"/tc/"_s + name + u".GRP"_s + tag, u"/tc/GAME.CON"_s + tag, u"/tc/README.TXT"_s + tag, {}};
    for (int i = 1; i <= int(serial % 5) + 1; ++i)
        definition.otherFiles << u"/tc/E%1L1.MAP"_s.arg(i) + tag;
    DefinitionStore definitions(store);
    // Whether it is a first save is decided in the same transaction as the save.
    store.Transact([&] {
        const bool isNew = storedKeys(store, name, KeyField::Name).empty();
        definitions.save(definition, isNew ? DefinitionStore::SaveKind::New : DefinitionStore::SaveKind::Existing);
    });
}

void removeDefinition(SettingsStore &store, const QString &name)
{
    DefinitionStore(store).remove(name);
}

QStringList damageIn(const SettingsStore &store, const QStringList &names)
{
    QStringList damage;
    std::set<QString> claimed;
    for (const QString &name : names) {
        Keys stored = storedKeys(store, name);
        if (stored.empty())
            continue;
        for (const auto &[key, value] : stored)
            claimed.insert(key);
        const Keys version = storedKeys(store, name, KeyField::VersionComp);
        bool ok = false;
        const qint64 serial = version.empty() ? -1 : version.front().second.section(u'#', -1).toLongLong(&ok);
        Keys expected = ok && serial >= 0 ? keysOfSave(name, serial) : Keys{};
        std::sort(stored.begin(), stored.end());
        std::sort(expected.begin(), expected.end());
        if (stored != expected)
            damage << u"definition \"%1\": %2 keys, not those of one save"_s.arg(name).arg(stored.size());
    }
    for (const SettingRow &row : store.GetAllSettings(kApp, kSection).value_or(SettingRows{})) {
        if (!claimed.count(row.key))
            damage << u"a key of no definition: "_s + row.key;
    }
    return damage;
}

} // namespace ostrel::reliability
