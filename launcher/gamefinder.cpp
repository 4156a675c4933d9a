#include "launcher/gamefinder.h"

#include "launcher/fileops.h"
#include "launcher/installhints.h"
#include "launcher/maingroupcache.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

const QString kMainGroup = u"DUKE3D.GRP"_s;
// A library list holds a few kilobytes a library and a desktop entry less: larger files are not
// what they claim to be, and are not read.
constexpr qint64 kMaxListSize = 4 << 20;
constexpr qint64 kMaxDesktopEntrySize = 64 << 10;
constexpr int kMaxDesktopEntries = 2000;

QByteArray readCapped(const QString &path, qint64 cap, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return {};
    }
    if (file.size() > cap) {
        *error = u"larger than %1 bytes"_s.arg(cap);
        return {};
    }
    return file.readAll();
}

class Search
{
public:
    Search(const GameSearchPlaces &places, MainGroupCache &cache)
        : m_places(places)
        , m_cache(cache)
    {
    }

    GameSearch run()
    {
        // The native Steam is reached by several names; each folder is searched once.
        const QStringList nativeSteam{m_places.dataHome + u"/Steam"_s, m_places.home + u"/.local/share/Steam"_s,
            m_places.home + u"/.steam/steam"_s};
        for (const QString &root : nativeSteam)
            searchSteam(root, InstallSource::Steam);
        searchSteam(
            m_places.home + u"/.var/app/com.valvesoftware.Steam/.local/share/Steam"_s, InstallSource::SteamFlatpak);
        searchGog();
        for (const QString &folder : m_places.addedFolders)
            consider(QDir::cleanPath(folder), InstallSource::AddedByPlayer);

        std::stable_sort(
            m_result.installs.begin(), m_result.installs.end(), [](const GameInstall &a, const GameInstall &b) {
                return a.source != b.source ? a.source < b.source : a.folder < b.folder;
            });
        return m_result;
    }

private:
    void searchSteam(const QString &root, InstallSource source)
    {
        const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
        if (canonicalRoot.isEmpty() || m_steamRoots.contains(canonicalRoot))
            return;
        m_steamRoots.insert(canonicalRoot);
        // The Steam folder is a library itself; older lists do not name it.
        QStringList libraries{canonicalRoot};
        const QString list = canonicalRoot + u"/steamapps/libraryfolders.vdf"_s;
        if (QFileInfo::exists(list)) {
            QString error;
            const QByteArray text = readCapped(list, kMaxListSize, &error);
            if (error.isEmpty())
                libraries << steamLibraryFolders(text, &error);
            if (!error.isEmpty())
                m_result.problems << u"Cannot read the Steam library list %1: %2"_s.arg(list, error);
        }
        for (const QString &library : std::as_const(libraries)) {
            const QString common = library + u"/steamapps/common/"_s;
            const QString megaton = common + u"Duke Nukem 3D/gameroot"_s;
            if (GameInstall *install = consider(megaton, source)) {
                for (const char *addon : {"dc", "nw", "vacation"}) {
                    const QString folder = install->folder + u"/addons/"_s + QLatin1StringView(addon);
                    if (QFileInfo(folder).isDir())
                        install->addonFolders << folder;
                }
            }
            consider(common + u"Duke Nukem 3D Twentieth Anniversary World Tour"_s, source);
        }
    }

    void searchGog()
    {
        const QDir gogGames(m_places.home + u"/GOG Games"_s);
        for (const QString &name : gogGames.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
            considerGogFolder(gogGames.filePath(name));
        // The installer's desktop entries name the folder it was installed to, wherever that is.
        int read = 0;
        for (const QString &folder :
            QStringList{m_places.dataHome + u"/applications"_s, m_places.home + u"/Desktop"_s}) {
            const QDir dir(folder);
            for (const QString &name : dir.entryList({u"*.desktop"_s}, QDir::Files, QDir::Name)) {
                if (++read > kMaxDesktopEntries)
                    return;
                QString error;
                const QByteArray entry = readCapped(dir.filePath(name), kMaxDesktopEntrySize, &error);
                for (const QString &named : foldersNamedByDesktopEntry(entry)) {
                    // Only GOG's layout counts, so that the player's own entry for an engine
                    // does not pass for a GOG install.
                    if (name.startsWith(u"gog_com-"_s) || QFileInfo::exists(named + u"/start.sh"_s)
                        || QFileInfo::exists(named + u"/gameinfo"_s))
                        considerGogFolder(named);
                }
            }
        }
    }

    void considerGogFolder(const QString &folder)
    {
        if (!consider(folder + u"/data"_s, InstallSource::Gog))
            consider(folder, InstallSource::Gog);
    }

    // Adds the folder when it holds a main group and was not found before under any name.
    GameInstall *consider(const QString &folder, InstallSource source)
    {
        const QString canonical = QFileInfo(folder).canonicalFilePath();
        if (canonical.isEmpty() || m_folders.contains(canonical) || !QFileInfo(canonical).isDir())
            return nullptr;
        const QString mainGroup = mainGroupIn(canonical);
        if (mainGroup.isEmpty())
            return nullptr;
        m_folders.insert(canonical);
        GameInstall install;
        install.folder = canonical;
        install.mainGroup = mainGroup;
        install.source = source;
        install.identity = m_cache.identify(mainGroup);
        m_result.installs.append(install);
        return &m_result.installs.last();
    }

    const GameSearchPlaces &m_places;
    MainGroupCache &m_cache;
    GameSearch m_result;
    QSet<QString> m_steamRoots;
    QSet<QString> m_folders;
};

} // namespace

// An exact "DUKE3D.GRP" wins over other spellings when a folder holds several.
QString mainGroupIn(const QString &folder)
{
    QStringList matches;
    for (const QString &name : fileops::namesIn(folder)) {
        if (name.compare(kMainGroup, Qt::CaseInsensitive) == 0 && QFileInfo(folder + u'/' + name).isFile())
            matches.append(name);
    }
    if (matches.isEmpty())
        return {};
    std::sort(matches.begin(), matches.end());
    return folder + u'/' + (matches.contains(kMainGroup) ? kMainGroup : matches.first());
}

QString installSourceName(InstallSource source)
{
    switch (source) {
    case InstallSource::Steam:
        return u"Steam"_s;
    case InstallSource::SteamFlatpak:
        return u"Steam (Flatpak)"_s;
    case InstallSource::Gog:
        return u"GOG"_s;
    case InstallSource::AddedByPlayer:
        break;
    }
    return u"added by the player"_s;
}

GameSearchPlaces GameSearchPlaces::fromEnvironment(const QProcessEnvironment &environment)
{
    GameSearchPlaces places;
    places.home = environment.value(u"HOME"_s, QDir::homePath());
    places.dataHome = environment.value(u"XDG_DATA_HOME"_s);
    if (!QDir::isAbsolutePath(places.dataHome))
        places.dataHome = places.home + u"/.local/share"_s;
    return places;
}

GameSearch findGameInstalls(const GameSearchPlaces &places, MainGroupCache &cache)
{
    return Search(places, cache).run();
}

QString likeliestInstall(const QList<GameInstall> &installs)
{
    const auto atomic = std::find_if(installs.cbegin(), installs.cend(),
        [](const GameInstall &install) { return install.identity.edition == GameEdition::V15Atomic; });
    if (atomic != installs.cend())
        return atomic->folder;
    for (const GameInstall &install : installs) {
        const GameEdition edition = install.identity.edition;
        if (edition != GameEdition::Unknown && edition != GameEdition::Shareware)
            return install.folder;
    }
    return {};
}

} // namespace ostrel
