#include "host/hostsettings.h"

#include <store/appnames.h>

#include <store/settingsstore.h>

#include <QJsonArray>
#include <QJsonDocument>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

const QString kApp = kApplication.toString();
// The host's own section: the control owns "DefinedTCs" and "TCSettings".
const QString kSection = kHostName.toString();
const QString kGameDir = u"Game Directory"_s;
const QString kAddedGameFolders = u"Added Game Folders"_s;
const QString kEngine = u"Engine"_s;
const QString kProgram = u"Engine Program"_s;
const QString kArguments = u"Engine Arguments"_s;
const QString kFlatpak = u"Prefer Flatpak"_s;
const QString kRestore = u"Restore On Exit"_s;

QString flag(bool on)
{
    return on ? u"1"_s : u"0"_s;
}

bool flagOf(const QString &stored, bool fallback)
{
    if (stored == u"1"_s)
        return true;
    if (stored == u"0"_s)
        return false;
    return fallback;
}

// A JSON array of strings: a path may hold any character a separator could be.
QString folderList(const QStringList &folders)
{
    return QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(folders)).toJson(QJsonDocument::Compact));
}

QStringList foldersOf(const QString &stored)
{
    QStringList folders;
    for (const QJsonValue &value : QJsonDocument::fromJson(stored.toUtf8()).array()) {
        if (value.isString() && !value.toString().isEmpty())
            folders << value.toString();
    }
    return folders;
}

} // namespace

HostSettings HostSettings::read(const SettingsStore &store)
{
    HostSettings settings;
    const auto get = [&](const QString &key, const QString &fallback) {
        return store.GetSetting(kApp, kSection, key, fallback);
    };
    settings.gameDir = get(kGameDir, settings.gameDir);
    settings.addedGameFolders = foldersOf(get(kAddedGameFolders, {}));
    settings.engine = engineKindFromName(get(kEngine, {})).value_or(settings.engine);
    settings.program = get(kProgram, settings.program);
    settings.argumentTemplate = get(kArguments, settings.argumentTemplate);
    settings.preferFlatpak = flagOf(get(kFlatpak, {}), settings.preferFlatpak);
    settings.restoreOnExit = flagOf(get(kRestore, {}), settings.restoreOnExit);
    return settings;
}

bool HostSettings::write(SettingsStore &store, QString *error) const
{
    try {
        store.Transact([&] {
            const auto set = [&](const QString &key, const QString &value) {
                store.SaveSetting(kApp, kSection, key, value);
            };
            set(kGameDir, gameDir);
            set(kAddedGameFolders, folderList(addedGameFolders));
            set(kEngine, engineKindName(engine));
            set(kProgram, program);
            set(kArguments, argumentTemplate);
            set(kFlatpak, flag(preferFlatpak));
            set(kRestore, flag(restoreOnExit));
        });
    } catch (const StoreError &e) {
        if (error)
            *error = e.message();
        return false;
    }
    return true;
}

LaunchSetup HostSettings::launchSetup() const
{
    LaunchSetup setup;
    setup.gameDir = gameDir;
    setup.engine.kind = engine;
    setup.engine.program = program;
    setup.engine.argumentTemplate = argumentTemplate;
    setup.engine.preferFlatpak = preferFlatpak;
    return setup;
}

GameSearchPlaces HostSettings::gameSearchPlaces() const
{
    GameSearchPlaces places = GameSearchPlaces::fromEnvironment();
    places.addedFolders = addedGameFolders;
    if (!gameDir.isEmpty())
        places.addedFolders << gameDir;
    return places;
}

} // namespace ostrel
