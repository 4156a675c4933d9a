// The command line's view of the installed game and of the TCs' desktop shortcuts.

#include "host/consolerun.h"

#include "host/exitstatus.h"
#include "host/hostsettings.h"
#include "host/tcshortcut.h"

#include <launcher/gamefinder.h>
#include <launcher/maingroupcache.h>
#include <store/sqlitesettingsstore.h>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

// The release as a word a script can compare; a group no release has keeps its size.
QString releaseColumn(MainGroupIdentity identity)
{
    if (!identity.ok())
        return u"unreadable"_s;
    if (identity.edition != GameEdition::Unknown)
        return gameEditionName(identity.edition);
    identity.hasCrc = false; // the CRC has a column of its own
    return describeMainGroup(identity);
}

} // namespace

int ConsoleRun::findGames()
{
    SqliteSettingsStore store(m_line.storePath.isEmpty() ? SqliteSettingsStore::defaultPath() : m_line.storePath);
    if (!storeReadable(store))
        return kExitStoreUnreadable;
    MainGroupCache cache;
    const GameSearch search = findGameInstalls(HostSettings::read(store).gameSearchPlaces(), cache);
    QString lines;
    QStringList unreadable;
    for (const GameInstall &install : search.installs) {
        MainGroupIdentity identity = install.identity;
        // A group no release has is read too, so that its CRC can be told to whoever knows it.
        if (identity.ok() && !identity.hasCrc)
            identity = cache.identify(install.mainGroup, CrcOfUnknownSizes::Compute);
        if (!identity.ok())
            unreadable << identity.error;
        lines += QStringList{oneLine(install.folder), releaseColumn(identity),
                     identity.hasCrc ? crcText(identity.crc) : u"-"_s, installSourceName(install.source)}
                     .join(u'\t')
            + u'\n';
    }
    out(lines);
    for (const QString &problem : search.problems + unreadable)
        say(problem);
    if (search.installs.isEmpty())
        say(u"no install of Duke Nukem 3D was found in the Steam libraries, the GOG installs, the added folders or the "
            "game directory."_s);
    return kExitSuccess;
}

int ConsoleRun::createShortcut()
{
    SqliteSettingsStore store(m_line.storePath.isEmpty() ? SqliteSettingsStore::defaultPath() : m_line.storePath);
    if (!storeReadable(store))
        return kExitStoreUnreadable;
    const TcShortcut shortcut = createTcShortcut(store, m_line.tcName);
    if (!shortcut.ok()) {
        say(shortcut.message);
        return shortcut.problem == TcShortcut::Problem::NoSuchTc ? kExitNoSuchTc : kExitNotWritten;
    }
    out(oneLine(shortcut.written.path) + u'\n');
    say(u"%1 the shortcut of \"%2\"; it opens Quillon's window with the TC chosen and begins its launch."_s.arg(
        shortcut.written.replaced ? u"replaced"_s : u"wrote"_s, shortcut.tcName));
    return kExitSuccess;
}

// No game directory was ever chosen: the install the window would choose, said aloud. The window
// keeps its choice; a run from here only uses it.
void ConsoleRun::useLikeliestInstall(HostSettings &settings)
{
    MainGroupCache cache;
    const GameSearch search = findGameInstalls(settings.gameSearchPlaces(), cache);
    settings.gameDir = likeliestInstall(search.installs);
    for (const GameInstall &install : search.installs) {
        if (install.folder == settings.gameDir)
            say(u"no game directory is set: using %1, the %2 found in %3."_s.arg(
                install.folder, describeMainGroup(install.identity), installSourceName(install.source)));
    }
}

} // namespace ostrel
