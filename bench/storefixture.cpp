#include "bench/storefixture.h"

#include "store/sqlitesettingsstore.h"
#include "store/definitionkeys.h"

#include <QTemporaryDir>

#include <map>
#include <memory>

using namespace Qt::StringLiterals;

namespace ostrel::bench {

namespace {

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

void writeDefinitions(const QString &path, int definitions)
{
    SqliteSettingsStore store(path);
    const QString app = kApplication.toString();
    const QString section = kDefinedTCs.toString();
    // One transaction: a durable commit per key would take minutes at 50,000 definitions.
    store.Transact([&] {
        store.SaveSetting(app, kTCSettings.toString(), kDirectoryCleanup.toString(), u"Rename"_s);
        for (int i = 0; i < definitions; ++i) {
            const QString name = definitionName(i);
            const QString folder = u"/home/player/games/duke3d/tc%1/"_s.arg(i);
            store.SaveSetting(app, section, definitionKey(name, KeyField::VersionComp),
                              versionCompatibilityItems().at(i % 3));
            store.SaveSetting(app, section, definitionKey(name, KeyField::Name), name);
            store.SaveSetting(app, section, definitionKey(name, KeyField::GroupFile), folder + u"CONV.GRP"_s);
            store.SaveSetting(app, section, definitionKey(name, KeyField::GameCon), folder + u"GAME.CON"_s);
            store.SaveSetting(app, section, definitionKey(name, KeyField::TextFile), folder + u"README.TXT"_s);
            store.SaveSetting(app, section, definitionKey(name, KeyField::OtherFile, 1), folder + u"E1L1.MAP"_s);
            store.SaveSetting(app, section, definitionKey(name, KeyField::OtherFile, 2), folder + u"TILES000.ART"_s);
        }
    });
}

} // namespace

QString definitionName(int index)
{
    return u"Conversion %1"_s.arg(index);
}

QString storeWithDefinitions(int definitions)
{
    static std::map<int, QString> built;
    auto found = built.find(definitions);
    if (found != built.end())
        return found->second;
    const QString path = folder().filePath(u"settings-%1.sqlite3"_s.arg(definitions));
    writeDefinitions(path, definitions);
    return built.emplace(definitions, path).first->second;
}

} // namespace ostrel::bench
