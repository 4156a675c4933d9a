// The installed game found and told apart, in the panel and on the command line, and a desktop
// shortcut for each TC. Steam's and GOG's folders, with main groups of the releases' sizes and
// CRCs, are made in the scene's home.

#include "hosttesting.h"

#include "host/gamedirchooser.h"
#include "host/hostsettings.h"

#include "tests/support/crcfile.h"

#include <store/sqlitesettingsstore.h>

#include <QDialog>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>
#include <zlib.h>

using namespace Qt::StringLiterals;
using namespace ostrel;
using namespace ostrel::test;

namespace {

constexpr qint64 kAtomicSize = 44356548;

// The game three times: the World Tour in the native Steam's own library, the Atomic Edition's
// Megaton gameroot in a second library that the library list names, 1.3D from GOG.
struct Installs {
    explicit Installs(const LaunchScene &scene)
        : worldTour(
            scene.home() + u"/.local/share/Steam/steamapps/common/Duke Nukem 3D Twentieth Anniversary World Tour"_s)
        , atomic(scene.path() + u"/library two/steamapps/common/Duke Nukem 3D/gameroot"_s)
        , gog(scene.home() + u"/GOG Games/Duke Nukem 3D/data"_s)
    {
        const QString steam = scene.home() + u"/.local/share/Steam"_s;
        writeFile(steam + u"/steamapps/libraryfolders.vdf"_s,
            "\"libraryfolders\" { \"0\" { \"path\" \"" + QFile::encodeName(steam) + "\" } \"1\" { \"path\" \""
                + QFile::encodeName(scene.path()) + "/library two\" } }");
        EXPECT_TRUE(writeFileWithCrc(worldTour + u"/DUKE3D.GRP"_s, kAtomicSize, 0x982AFE4A));
        EXPECT_TRUE(writeFileWithCrc(atomic + u"/duke3d.grp"_s, kAtomicSize, 0xFD3DCFF1));
        EXPECT_TRUE(writeFileWithCrc(gog + u"/DUKE3D.GRP"_s, 26524524, 0xBBC9CE44));
    }
    const QString worldTour;
    const QString atomic;
    const QString gog;
};

bool searchEnds(GameDirChooser *games)
{
    return QTest::qWaitFor([&] { return !games->isSearching(); }, 20000);
}

QString validationOf(const QString &desktopFile)
{
    const QString validate = QStandardPaths::findExecutable(u"desktop-file-validate"_s);
    if (validate.isEmpty())
        return u"desktop-file-validate is not installed"_s;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(validate, {desktopFile});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAll()) + (process.exitCode() == 0 ? QString() : u"failed"_s);
}

TEST(FindGames, ThePanelOffersTheInstallsFoundAndAsksBeforeA13DTcOnTheWorldTour)
{
    LaunchScene scene;
    const Installs installs(scene);
    TcDefinition old = scene.tcNamed(u"Old TC"_s);
    old.version = u"1.3D"_s;
    scene.fillStore({old});
    Fakes fakes(std::make_shared<SqliteSettingsStore>(scene.storePath()));
    const auto paths = std::make_shared<AnsweredPaths>();
    HostWindow window(fakes.services(), paths, scene.stateDir());
    auto *games = child<GameDirChooser>(&window, u"cboGameDir"_s);
    EXPECT_EQ(games->currentText(), scene.gameDir) << "the stored choice waits for the search";

    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(searchEnds(games));
    const QString steamCommon = u"~/.local/share/Steam/steamapps/common/"_s;
    EXPECT_EQ(itemsOf(games),
        (QStringList{u"20th Anniversary World Tour — Steam — "_s + steamCommon
                + u"Duke Nukem 3D Twentieth Anniversary World Tour"_s,
            u"1.5 Atomic Edition — Steam — "_s + installs.atomic, u"1.3D — GOG — ~/GOG Games/Duke Nukem 3D/data"_s,
            u"unknown (20 bytes) — added by the player — "_s + scene.gameDir, QString(), u"Other folder…"_s}));
    EXPECT_EQ(games->currentIndex(), 3);

    // Alt+D to the field, Home to the first install: kept, and the folder chosen before stays listed.
    QTest::keyClick(&window, Qt::Key_D, Qt::AltModifier);
    ASSERT_TRUE(games->hasFocus());
    QTest::keyClick(games, Qt::Key_Home);
    const HostSettings chosen = HostSettings::read(SqliteSettingsStore(scene.storePath()));
    EXPECT_EQ(chosen.gameDir, installs.worldTour);
    EXPECT_EQ(chosen.addedGameFolders, QStringList{scene.gameDir});

    // A TC for 1.3D: asked first, naming the World Tour; No launches nothing, Yes shows the preview.
    auto *list = child<QListWidget>(&window, u"lstTCs"_s);
    clickAt(list->viewport(), list->visualItemRect(list->findItems(u"Old TC"_s, Qt::MatchExactly).value(0)).center());
    clickOn(child<QPushButton>(&window, u"cmdLaunch"_s));
    const QString question =
        u"Quillon? This TC is made for Duke Nukem 3D 1.3D, and the game directory holds the 20th "
        "Anniversary World Tour's main group. The game is the 20th Anniversary World Tour, whose main "
        "group is not the Atomic Edition's: TCs made before it may not run on it.\n\nLaunch it anyway?"_s;
    EXPECT_EQ(fakes.messages->log(), QStringList{question});
    EXPECT_EQ(fakes.forms->shown, 0);
    fakes.messages->answers = {true};
    QString game;
    fakes.forms->onShow = [&](QDialog *preview) {
        game = child<QLabel>(preview, u"previewGame"_s)->text();
        press(preview, u"previewCancel"_s);
    };
    clickOn(child<QPushButton>(&window, u"cmdLaunch"_s));
    EXPECT_EQ(game, u"The game there: Duke Nukem 3D 20th Anniversary World Tour (CRC 982AFE4A)"_s);

    // "Other folder…" with the mouse: a folder without the game is refused, one with it listed.
    const QString cdCopy = scene.path() + u"/from the CD"_s;
    ASSERT_TRUE(writeFileWithCrc(cdCopy + u"/Duke3d.Grp"_s, 44348015, 0xF514A6AC));
    paths->answers = {scene.path(), cdCopy};
    chooseItem(games, games->count() - 1);
    EXPECT_TRUE(fakes.messages->log().constLast().startsWith(u"Quillon! "_s + scene.path() + u" holds no DUKE3D.GRP"_s))
        << fakes.messages->log().constLast().toStdString();
    EXPECT_EQ(games->currentIndex(), 0);
    chooseItem(games, games->count() - 1);
    ASSERT_TRUE(searchEnds(games));
    EXPECT_EQ(games->currentText(), u"1.4 Plutonium Pak — added by the player — "_s + cdCopy);
    const HostSettings added = HostSettings::read(SqliteSettingsStore(scene.storePath()));
    EXPECT_EQ(added.gameDir, cdCopy);
    EXPECT_EQ(added.addedGameFolders, (QStringList{scene.gameDir, cdCopy}));

    // A shortcut for the chosen TC, in the applications folder of the scene's data folder.
    clickOn(child<QPushButton>(&window, u"cmdShortcut"_s));
    const QStringList entries = QDir(scene.path() + u"/data/applications"_s).entryList({u"*.desktop"_s});
    ASSERT_EQ(entries.size(), 1);
    const QString entry = scene.path() + u"/data/applications/"_s + entries.constFirst();
    EXPECT_EQ(validationOf(entry), QString());
    EXPECT_TRUE(readBytes(entry).contains(" --launch \"Old TC\" --window\n")) << readBytes(entry).toStdString();
}

TEST(FindGames, APlayerWhoNeverChoseGetsTheAtomicInstallAndKeepsIt)
{
    LaunchScene scene;
    const Installs installs(scene);
    scene.fillStore({}, u"Rename"_s, false);
    const QuillonRun dryRun = quillon(scene,
        {u"--launch"_s, u"Odd TC"_s, u"--dry-run"_s, u"--engine"_s, u"custom"_s, u"--program"_s,
            QStringLiteral(OSTREL_FAKE_ENGINE), u"--arguments"_s, scene.argumentTemplate()});
    EXPECT_EQ(dryRun.status, 0) << dryRun;
    EXPECT_TRUE(dryRun.out.contains(u"Game directory: "_s + installs.atomic + u'\n')) << dryRun;
    EXPECT_TRUE(dryRun.err.contains(u"no game directory is set: using "_s + installs.atomic)) << dryRun;

    const QString atomicShown = u"1.5 Atomic Edition — Steam — "_s + installs.atomic;
    {
        QuillonWindow w(scene);
        EXPECT_EQ(w.find<GameDirChooser>(u"cboGameDir"_s)->currentText(), atomicShown);
        EXPECT_EQ(HostSettings::read(SqliteSettingsStore(scene.storePath())).gameDir, installs.atomic);
        EXPECT_EQ(w.messages(), QStringList{});
    }

    // A store that cannot keep it (a damaged file, which the window's strip explains) stops
    // nobody with a dialog: the choice holds for this run, and the status line says so.
    const QByteArray damaged = QByteArray("this is not a database").repeated(200);
    writeFile(scene.storePath(), damaged);
    QuillonWindow refused(scene);
    EXPECT_EQ(refused.find<GameDirChooser>(u"cboGameDir"_s)->currentText(), atomicShown);
    EXPECT_EQ(refused.messages(), QStringList{});
    EXPECT_TRUE(refused.status().startsWith(u"The game directory Quillon chose could not be saved: "_s))
        << refused.status().toStdString();
    EXPECT_EQ(readBytes(scene.storePath()), damaged);
}

TEST(FindGames, TheCommandLineListsTheInstallsAndLaunchesNoTcThatMayBreakUnseen)
{
    LaunchScene scene;
    const Installs installs(scene);
    TcDefinition old = scene.tcNamed(u"Old TC"_s);
    old.version = u"1.3D"_s;
    scene.fillStore({old});
    const QByteArray ownGroup = "the game's own group";
    const QString ownCrc =
        crcText(quint32(::crc32(0, reinterpret_cast<const Bytef *>(ownGroup.constData()), ownGroup.size())));

    const QuillonRun found = quillon(scene, {u"--find-games"_s});
    EXPECT_EQ(found.status, 0) << found;
    EXPECT_EQ(found.out,
        installs.worldTour + u"\t20th Anniversary World Tour\t982AFE4A\tSteam\n"_s + installs.atomic
            + u"\t1.5 Atomic Edition\tFD3DCFF1\tSteam\n"_s + installs.gog + u"\t1.3D\tBBC9CE44\tGOG\n"_s + scene.gameDir
            + u"\tunknown (20 bytes)\t"_s + ownCrc + u"\tadded by the player\n"_s)
        << found;

    // Made for 1.3D, on the World Tour: --yes does not agree to it, and without a terminal nobody can.
    const auto before = snapshotOf(scene.path() + u"/home"_s);
    const QuillonRun refused =
        quillon(scene, {u"--launch"_s, u"Old TC"_s, u"--yes"_s, u"--game-dir"_s, installs.worldTour});
    EXPECT_EQ(refused.status, 5) << refused;
    EXPECT_TRUE(refused.err.contains(u"the game directory holds the 20th Anniversary World Tour's main group"_s)
        && refused.err.contains(u"refused"_s))
        << refused;
    EXPECT_FALSE(QFile::exists(scene.recordPath())) << "the engine ran";
    // Made for either version: it runs, told what the World Tour may do to it.
    const QuillonRun runs =
        quillon(scene, {u"--launch"_s, u"Odd TC"_s, u"--yes"_s, u"--game-dir"_s, installs.worldTour});
    EXPECT_EQ(runs.status, 0) << runs;
    EXPECT_TRUE(runs.out.contains(u"The game is the 20th Anniversary World Tour"_s)) << runs;
    EXPECT_EQ(snapshotOf(scene.path() + u"/home"_s), before);

    const QString shareware = scene.path() + u"/shareware"_s;
    ASSERT_TRUE(writeFileWithCrc(shareware + u"/DUKE3D.GRP"_s, 11035779, 0x983AD923));
    const QuillonRun episodeOne = quillon(scene, {u"--launch"_s, u"Odd TC"_s, u"--yes"_s, u"--game-dir"_s, shareware});
    EXPECT_EQ(episodeOne.status, 5) << episodeOne;
    EXPECT_TRUE(episodeOne.err.contains(u"shareware 1.3D, which has only the first episode"_s)) << episodeOne;
}

TEST(FindGames, TheCommandLineWritesAShortcutThatOpensTheWindowOnTheTcsLaunch)
{
    LaunchScene scene;
    scene.fillStore();
    EXPECT_EQ(quillon(scene, {u"--create-shortcut"_s, u"Nobody"_s}).status, 4);
    const QuillonRun made = quillon(scene, {u"--create-shortcut"_s, u"odd tc"_s, u"--store"_s, scene.storePath()});
    ASSERT_EQ(made.status, 0) << made;
    const QString entry = made.out.trimmed();
    EXPECT_TRUE(entry.startsWith(scene.path() + u"/data/applications/quillon-tc-odd-tc-"_s)) << made;
    EXPECT_EQ(validationOf(entry), QString());
    const QByteArray text = readBytes(entry);
    EXPECT_TRUE(text.contains("\nName=Odd TC\n") && text.contains(" --launch \"Odd TC\" --window\n"))
        << text.toStdString();

    // What the shortcut runs: the window, with the TC's preview up.
    QProcessEnvironment env = scene.quillonEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    const QuillonRun window = quillon(env, {u"--launch"_s, u"Odd TC"_s, u"--window"_s, u"--quit-after"_s, u"4000"_s});
    EXPECT_EQ(window.status, 0) << window;
    EXPECT_TRUE(window.out.startsWith(u"quillon: closed \"Launch Odd TC\"\n"_s)) << window;
    EXPECT_FALSE(QFile::exists(scene.recordPath())) << "the engine ran";
    EXPECT_EQ(quillon(scene, {u"--launch"_s, u"Odd TC"_s, u"--window"_s, u"--yes"_s}).status, 2);
}

} // namespace
