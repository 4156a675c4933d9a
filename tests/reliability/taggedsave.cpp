#include "taggedsave.h"

#include "platform/settingsstore.h"
#include "store/definitionkeys.h"

#include <map>
#include <set>

using namespace Qt::StringLiterals;

namespace ostrel::reliability {

namespace {

QString app()
{
    return kApplication.toString();
}

QString section()
{
    return kDefinedTCs.toString();
}

QString tagged(const QString &what, qint64 serial)
{
    return what + u'#' + QString::number(serial);
}

// The serial a value carries, or -1 when it carries none.
qint64 serialOf(const QString &value)
{
    const qsizetype hash = value.lastIndexOf(u'#');
    bool ok = false;
    const qint64 serial = hash < 0 ? -1 : value.mid(hash + 1).toLongLong(&ok);
    return ok ? serial : -1;
}

} // namespace

int otherFileCountFor(qint64 serial)
{
    return int(serial % 5) + 1;
}

void saveTagged(SettingsStore &store, const QString &name, qint64 serial)
{
    store.Transact([&] {
        const bool isNew = store.GetSetting(app(), section(), definitionKey(name, KeyField::Name), {}).isEmpty();
        store.SaveSetting(app(), section(), definitionKey(name, KeyField::VersionComp),
                          tagged(versionCompatibilityItems().at(int(serial % 3)), serial));
        if (isNew) {
            store.SaveSetting(app(), section(), definitionKey(name, KeyField::Name), name);
        } else if (const auto rows = store.GetAllSettings(app(), section())) {
            for (const SettingRow &row : *rows) {
                if (classifyKey(row.key, name) == KeyField::OtherFile)
                    store.DeleteSetting(app(), section(), row.key);
            }
        }
        store.SaveSetting(app(), section(), definitionKey(name, KeyField::GroupFile),
                          tagged(u"/tc/"_s + name + u".GRP"_s, serial));
        store.SaveSetting(app(), section(), definitionKey(name, KeyField::GameCon),
                          tagged(u"/tc/GAME.CON"_s, serial));
        store.SaveSetting(app(), section(), definitionKey(name, KeyField::TextFile),
                          tagged(u"/tc/README.TXT"_s, serial));
        for (int i = 1; i <= otherFileCountFor(serial); ++i)
            store.SaveSetting(app(), section(), definitionKey(name, KeyField::OtherFile, i),
                              tagged(u"/tc/E%1L1.MAP"_s.arg(i), serial));
    });
}

void removeDefinition(SettingsStore &store, const QString &name)
{
    store.Transact([&] {
        if (const auto rows = store.GetAllSettings(app(), section())) {
            for (const SettingRow &row : *rows) {
                if (classifyKey(row.key, name) != KeyField::None)
                    store.DeleteSetting(app(), section(), row.key);
            }
        }
    });
}

QStringList damageIn(const SettingsStore &store, const QStringList &names)
{
    QStringList damage;
    const auto rows = store.GetAllSettings(app(), section());
    if (!rows)
        return damage;
    std::set<QString> claimed;
    for (const QString &name : names) {
        std::map<KeyField, QString> fixed;
        std::map<int, QString> others;
        for (const SettingRow &row : *rows) {
            const KeyField field = classifyKey(row.key, name);
            if (field == KeyField::None)
                continue;
            claimed.insert(row.key);
            if (field == KeyField::OtherFile)
                others[row.key.mid(name.size() + 9).toInt()] = row.value;
            else
                fixed[field] = row.value;
        }
        if (fixed.empty() && others.empty())
            continue;
        const QString what = u"definition \""_s + name + u"\": "_s;
        if (fixed.count(KeyField::Name) == 0 || fixed[KeyField::Name] != name) {
            damage << what + u"no name key"_s;
            continue;
        }
        fixed.erase(KeyField::Name);
        if (fixed.size() != 4) {
            damage << what + u"%1 of its 4 tagged keys"_s.arg(fixed.size());
            continue;
        }
        std::set<qint64> serials;
        for (const auto &[field, value] : fixed)
            serials.insert(serialOf(value));
        for (const auto &[number, value] : others)
            serials.insert(serialOf(value));
        if (serials.size() != 1 || *serials.begin() < 0) {
            damage << what + u"values of %1 different saves"_s.arg(serials.size());
            continue;
        }
        const int expected = otherFileCountFor(*serials.begin());
        if (int(others.size()) != expected || others.begin()->first != 1 || others.rbegin()->first != expected)
            damage << what + u"%1 other files where its save wrote %2"_s.arg(others.size()).arg(expected);
    }
    for (const SettingRow &row : *rows) {
        if (!claimed.count(row.key))
            damage << u"a key of no definition: "_s + row.key;
    }
    return damage;
}

} // namespace ostrel::reliability
