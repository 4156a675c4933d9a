#include "bench/storefixture.h"

#include "store/sqlitesettingsstore.h"
#include "store/definitionkeys.h"
#include "store/definitionstore.h"

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
    DefinitionStore stored(store);
    // One transaction: a durable commit per definition would take minutes at 50,000.
    store.Transact([&] {
        stored.setCleanupPreference(u"Rename"_s);
        for (int i = 0; i < definitions; ++i) {
            const QString folder = u"/home/player/games/duke3d/tc%1/"_s.arg(i);
            stored.save({definitionName(i), versionCompatibilityItems().at(i % 3), folder + u"CONV.GRP"_s,
                            folder + u"GAME.CON"_s, folder + u"README.TXT"_s,
                            {folder + u"E1L1.MAP"_s, folder + u"TILES000.ART"_s}},
                DefinitionStore::SaveKind::New);
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
