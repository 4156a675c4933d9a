#include "launcher/gamefinder.h"
#include "launcher/installhints.h"
#include "launcher/maingroupcache.h"

#include "tests/support/crcfile.h"
#include "tests/support/sandbox.h"
#include "tests/support/testfiles.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ostrel;

namespace {

constexpr quint32 kAtomicCrc = 0xFD3DCFF1;

void group(const QString &path, qint64 size = 44356548, quint32 crc = kAtomicCrc)
{
    ASSERT_TRUE(test::writeFileWithCrc(path, size, crc)) << path.toStdString();
}

QString row(const GameInstall &install, const QString &root)
{
    QStringList addons;
    for (const QString &addon : install.addonFolders)
        addons << QDir(install.folder).relativeFilePath(addon);
    return QStringList{installSourceName(install.source), QDir(root).relativeFilePath(install.folder),
        QFileInfo(install.mainGroup).fileName(), describeMainGroup(install.identity), addons.join(u',')}
        .join(u" | ");
}

// A home with every kind of install, built in the sandbox: the native Steam reached by two
// names, with a library of its own and others; the Flatpak Steam with the older library list
// and a library the native one lists too; GOG installs in ~/GOG Games and elsewhere; folders
// the player added, one of them found already.
TEST(GameFinder, FindsEveryInstallOnceWithItsSourceAndRelease)
{
    const test::Sandbox sandbox;
    const QString root = sandbox.path();
    const QString home = root + u"/home"_s;
    const QString steam = home + u"/.local/share/Steam"_s;
    const QString flatpakSteam = home + u"/.var/app/com.valvesoftware.Steam/.local/share/Steam"_s;
    const QString megaton = steam + u"/steamapps/common/Duke Nukem 3D/gameroot"_s;

    test::writeFile(steam + u"/steamapps/libraryfolders.vdf"_s,
        "\"libraryfolders\"\n{\n"
        "\t\"0\" { \"path\" \""
            + QFile::encodeName(steam)
            + "\" \"apps\" { \"225140\" \"1\" } }\n"
              "\t\"1\" { \"path\" \""
            + QFile::encodeName(root)
            + "/lib1/\" }\n"
              "\t\"2\" { \"path\" \""
            + QFile::encodeName(root) + "/gone\" }\n}\n");
    group(megaton + u"/DUKE3D.GRP"_s);
    QDir().mkpath(megaton + u"/addons/dc"_s);
    QDir().mkpath(megaton + u"/addons/vacation"_s);
    QDir().mkpath(home + u"/.steam"_s);
    ASSERT_TRUE(QFile::link(steam, home + u"/.steam/steam"_s));
    group(root + u"/lib1/steamapps/common/Duke Nukem 3D Twentieth Anniversary World Tour/duke3d.grp"_s, 44356548,
        0x982AFE4A);

    test::writeFile(flatpakSteam + u"/steamapps/libraryfolders.vdf"_s,
        "\"LibraryFolders\" { \"ContentStatsID\" \"7\" \"1\" \"" + QFile::encodeName(root) + "/lib3\" \"2\" \""
            + QFile::encodeName(root) + "/lib1\" }");
    group(root + u"/lib3/steamapps/common/Duke Nukem 3D/gameroot/Duke3D.grp"_s, 26524524, 0xBBC9CE44);

    group(home + u"/GOG Games/Duke Nukem 3D Atomic Edition/data/DUKE3D.GRP"_s, 44348015, 0xF514A6AC);
    group(home + u"/GOG Games/Duke Beside/DUKE3D.GRP"_s, 26385383, 0xAA4F6A40);
    test::writeFile(home + u"/GOG Games/Another Game/start.sh"_s, "#!/bin/sh\n");
    const QString elsewhere = root + u"/games/duke \"gog\""_s;
    test::writeFile(elsewhere + u"/start.sh"_s, "#!/bin/sh\n");
    group(elsewhere + u"/data/DUKE3D.GRP"_s, 11035779, 0x983AD923);
    test::writeFile(home + u"/.local/share/applications/gog_com-Duke_Nukem_3D_1.desktop"_s,
        "[Desktop Entry]\nName=Duke\nExec=\"" + QFile::encodeName(elsewhere).replace("\"", "\\\\\"")
            + "/start.sh\" \"\"\n");
    const QString ownGame = root + u"/my game"_s;
    group(ownGame + u"/DUKE3D.GRP"_s, 1234, 1);
    test::writeFile(home + u"/Desktop/eduke32.desktop"_s,
        "[Desktop Entry]\nExec=eduke32\nPath=" + QFile::encodeName(ownGame) + "\n");

    GameSearchPlaces places;
    places.home = home;
    places.dataHome = home + u"/.local/share"_s;
    places.addedFolders = {ownGame, megaton + u"/"_s, root + u"/empty"_s, root + u"/gone"_s};
    QDir().mkpath(root + u"/empty"_s);
    MainGroupCache cache;
    const GameSearch search = findGameInstalls(places, cache);

    QStringList rows;
    for (const GameInstall &install : search.installs)
        rows << row(install, root);
    const QStringList expected{
        u"Steam | home/.local/share/Steam/steamapps/common/Duke Nukem 3D/gameroot | DUKE3D.GRP | 1.5 Atomic Edition | addons/dc,addons/vacation"_s,
        u"Steam | lib1/steamapps/common/Duke Nukem 3D Twentieth Anniversary World Tour | duke3d.grp | 20th Anniversary World Tour | "_s,
        u"Steam (Flatpak) | lib3/steamapps/common/Duke Nukem 3D/gameroot | Duke3D.grp | 1.3D | "_s,
        u"GOG | games/duke \"gog\"/data | DUKE3D.GRP | shareware 1.3D | "_s,
        u"GOG | home/GOG Games/Duke Beside | DUKE3D.GRP | 1.3D (South Korean, censored) | "_s,
        u"GOG | home/GOG Games/Duke Nukem 3D Atomic Edition/data | DUKE3D.GRP | 1.4 Plutonium Pak | "_s,
        u"added by the player | my game | DUKE3D.GRP | unknown (1,234 bytes) | "_s,
    };
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(search.problems, QStringList());
}

// Once, although the Steam folder is reached by two names.
TEST(GameFinder, ABrokenLibraryListIsReportedOnceAndTheSteamFolderStillSearched)
{
    const test::Sandbox sandbox;
    const QString steam = sandbox.path() + u"/home/.local/share/Steam"_s;
    test::writeFile(steam + u"/steamapps/libraryfolders.vdf"_s, "\"libraryfolders\" {\n \"1\" \"/mnt/a\"\n");
    group(steam + u"/steamapps/common/Duke Nukem 3D/gameroot/DUKE3D.GRP"_s);
    QDir().mkpath(sandbox.path() + u"/home/.steam"_s);
    ASSERT_TRUE(QFile::link(steam, sandbox.path() + u"/home/.steam/steam"_s));
    GameSearchPlaces places;
    places.home = sandbox.path() + u"/home"_s;
    places.dataHome = sandbox.path() + u"/elsewhere"_s;
    MainGroupCache cache;
    const GameSearch search = findGameInstalls(places, cache);
    ASSERT_EQ(search.installs.size(), 1);
    EXPECT_EQ(search.installs[0].identity.edition, GameEdition::V15Atomic);
    EXPECT_EQ(search.problems,
        QStringList{
            u"Cannot read the Steam library list %1/steamapps/libraryfolders.vdf: The block opened on line 1 is never closed."_s
                .arg(steam)});
}

TEST(GameFinder, TakesHomeAndDataFolderFromTheEnvironment)
{
    const struct {
        QStringList variables;
        QString home;
        QString dataHome;
    } cases[] = {
        {{u"HOME=/home/p"_s}, u"/home/p"_s, u"/home/p/.local/share"_s},
        {{u"HOME=/home/p"_s, u"XDG_DATA_HOME=/data"_s}, u"/home/p"_s, u"/data"_s},
        {{u"HOME=/home/p"_s, u"XDG_DATA_HOME=relative"_s}, u"/home/p"_s, u"/home/p/.local/share"_s},
    };
    for (const auto &c : cases) {
        QProcessEnvironment environment;
        for (const QString &variable : c.variables)
            environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        const GameSearchPlaces places = GameSearchPlaces::fromEnvironment(environment);
        EXPECT_EQ(places.home, c.home);
        EXPECT_EQ(places.dataHome, c.dataHome);
    }
}

TEST(GameFinder, ReadsTheFoldersADesktopEntryNames)
{
    const struct {
        const char *what;
        QByteArray entry;
        QStringList folders;
    } cases[] = {
        {"GOG's entry", "[Desktop Entry]\nExec=\"/home/p/GOG Games/Duke/start.sh\" \"\"\nPath=/home/p/GOG Games/Duke\n",
            {u"/home/p/GOG Games/Duke"_s}},
        {"quoting and string escapes", R"([Desktop Entry]
Exec="/g/a \\"b\\" \\$c\\\\d/start.sh"
Path = /p\sq\\r/)",
            {u"/g/a \"b\" $c\\d"_s, u"/p q\\r"_s}},
        {"unquoted program", "[Desktop Entry]\nExec=/opt/duke/run.sh %U\n", {u"/opt/duke"_s}},
        {"other groups and relative paths", "[Desktop Action x]\nPath=/x\n[Desktop Entry]\nExec=duke\nPath=rel\n", {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(foldersNamedByDesktopEntry(c.entry), c.folders);
    }
}

} // namespace
