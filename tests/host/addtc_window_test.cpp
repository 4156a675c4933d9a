// A TC from its archive in the launcher window, with real input on the offscreen platform: the
// panel's button and drops on the panel and the TC manager, the preview answered by the test,
// both lists showing the TC at once, and the offer to clear away what a deleted TC leaves.

#include "addtctesting.h"
#include "hosttesting.h"

#include "host/launcherpanel.h"
#include "host/tcremovals.h"

#include <control/uctc.h>
#include <installer/tcinstaller.h>
#include <installer/tcroot.h>
#include <launcher/desktopshortcut.h>
#include <store/definitionstore.h>
#include <store/memorysettingsstore.h>
#include <store/sqlitesettingsstore.h>

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ostrel;
using namespace ostrel::test;

namespace {

// The launcher window and both lists of the TCs' names.
struct Window : QuillonWindow {
    using QuillonWindow::QuillonWindow;
    QStringList panelNames() { return itemsOf(find<QListWidget>(u"lstTCs"_s)); }
    QString panelChoice()
    {
        auto *item = find<QListWidget>(u"lstTCs"_s)->currentItem();
        return item ? item->text() : QString();
    }
    QStringList managerNames() { return itemsOf(child<QComboBox>(window.control(), u"cboTClist"_s)); }
    bool previews(int count)
    {
        return QTest::qWaitFor([&] { return fakes.forms->shown == count; }, 5000);
    }
};

void typeName(QDialog *preview, const QString &name)
{
    auto *field = child<QLineEdit>(preview, u"txtAddName"_s);
    clickOn(field);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, name);
}

TEST(AddTcWindow, TheButtonPreviewsTheArchiveAndTheTcIsInBothListsAtOnce)
{
    LaunchScene scene;
    scene.fillStore();
    const QString zip =
        writeArchive(scene.path() + u"/downloads"_s, u"Harbour Strike.zip"_s, ArchiveFormat::Zip, harbourEntries());
    const QString folder = scene.path() + u"/data/quillon/tcs/"_s;
    Window w(scene);
    const auto before = snapshotOf(scene.path());

    QStringList shown;
    w.fakes.forms->onShow = [&](QDialog *preview) {
        for (const char *name : {"txtAddName", "lblAddNameWhy", "lblAddFolder", "lblAddReadMe", "lblAddVersionWhy"})
            shown << textOf(preview, QString::fromLatin1(name));
        for (const char *name : {"cboAddGroup", "cboAddCon", "cboAddVersion"})
            shown << child<QComboBox>(preview, QString::fromLatin1(name))->currentText();
        shown << itemsOf(child<QListWidget>(preview, u"lstAddOther"_s))
              << itemsOf(child<QListWidget>(preview, u"lstAddSkipped"_s));
        clickOn(child<QPushButton>(preview, u"cmdAddTcCancel"_s));
    };
    w.paths->answers = {zip};
    clickOn(child<QPushButton>(&w.window, u"cmdAddTc"_s));
    ASSERT_EQ(shown.size(), 11) << shown.join(u'|').toStdString();
    EXPECT_EQ(shown.mid(0, 4),
        (QStringList{
            u"Harbour Strike"_s, u"the archive's file name"_s, folder + u"Harbour Strike"_s, u"README.TXT"_s}));
    EXPECT_TRUE(shown[4].startsWith(u"README.TXT says \"Atomic"_s)) << shown[4].toStdString();
    EXPECT_EQ(shown.mid(5, 5),
        (QStringList{u"HARBOUR.GRP"_s, u"GAME.CON"_s, u"1.4/1.5 Atomic"_s, u"DEFS.CON"_s, u"E2L1.MAP"_s}));
    EXPECT_TRUE(shown[10].startsWith(u"harbour/../../outside.txt: "_s)) << shown[10].toStdString();
    EXPECT_EQ(snapshotOf(scene.path()), before) << "Cancel wrote something";
    EXPECT_TRUE(w.status().contains(u"Nothing was added"_s)) << w.status().toStdString();

    // The player's version and name: the preview follows them before anything is written, and
    // a name typed just before Add counts.
    bool folderFollowed = false;
    w.fakes.forms->onShow = [&](QDialog *preview) {
        chooseItem(child<QComboBox>(preview, u"cboAddVersion"_s), 0);
        typeName(preview, u"Harbour Redu"_s);
        folderFollowed =
            QTest::qWaitFor([&] { return textOf(preview, u"lblAddFolder"_s) == folder + u"Harbour Redu"_s; }, 3000);
        QTest::keyClicks(child<QLineEdit>(preview, u"txtAddName"_s), u"x"_s);
        clickOn(child<QPushButton>(preview, u"cmdAddTcAdd"_s));
    };
    w.paths->answers = {zip};
    clickOn(child<QPushButton>(&w.window, u"cmdAddTc"_s));
    EXPECT_TRUE(folderFollowed);
    EXPECT_EQ(w.panelNames(), (QStringList{u"Odd TC"_s, u"Harbour Redux"_s}));
    EXPECT_EQ(w.panelChoice(), u"Harbour Redux"_s);
    EXPECT_EQ(w.managerNames(), (QStringList{u"Odd TC"_s, u"Harbour Redux"_s}));
    EXPECT_TRUE(child<QPushButton>(&w.window, u"cmdLaunch"_s)->isEnabled());
    SqliteSettingsStore store(scene.storePath());
    const auto tc = DefinitionStore(store).load(u"Harbour Redux"_s);
    ASSERT_TRUE(tc);
    EXPECT_EQ(tc->version, u"1.3D"_s);
    EXPECT_TRUE(QFile::exists(tc->groupFile) && tc->groupFile.startsWith(folder + u"Harbour Redux/"_s));
}

TEST(AddTcWindow, ArchivesDroppedOnThePanelOrTheTcManagerArePreviewedAndScriptsStayTheManagers)
{
    LaunchScene scene;
    scene.fillStore();
    const QString downloads = scene.path() + u"/downloads"_s;
    const QString beach = writeArchive(downloads, u"Beach.7z"_s, ArchiveFormat::SevenZip,
        {{"BEACH.GRP", tinyGroup()}, {"GAME.CON", "x"}, {"README.TXT", "For 1.3D"}});
    const QString harbour = writeArchive(downloads, u"Harbour.tar"_s, ArchiveFormat::Tar, harbourEntries());
    const QString later = writeArchive(downloads, u"Later.tar.gz"_s, ArchiveFormat::TarGz, harbourEntries());
    writeFile(downloads + u"/notes.txt"_s, "not an archive");
    writeFile(downloads + u"/MY.GRP"_s, tinyGroup());
    writeFile(downloads + u"/MY.TCS"_s, "definedukeversion 1.3D\r\ndefinetcname Dropped\r\ndefinegroupfile MY.GRP\r\n");
    Window w(scene);
    w.fakes.forms->onShow = [](QDialog *preview) { clickOn(child<QPushButton>(preview, u"cmdAddTcAdd"_s)); };

    EXPECT_FALSE(dropOn(w.window.launcher(), fileUrls({downloads + u"/notes.txt"_s})));
    EXPECT_TRUE(dropOn(w.window.launcher(), fileUrls({beach})));
    ASSERT_TRUE(w.previews(1));
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.managerNames().contains(u"Beach"_s); }));
    EXPECT_EQ(w.panelNames(), (QStringList{u"Odd TC"_s, u"Beach"_s}));

    ucTC *first = w.window.control();
    EXPECT_TRUE(dropOn(first, fileUrls({harbour})));
    ASSERT_TRUE(w.previews(2));
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.managerNames().contains(u"Harbour"_s); }));
    EXPECT_NE(w.window.control(), first);
    EXPECT_EQ(w.panelNames(), (QStringList{u"Odd TC"_s, u"Beach"_s, u"Harbour"_s}));

    // A script dropped on the TC manager is the manager's: a definition to edit...
    EXPECT_TRUE(dropOn(w.window.control(), fileUrls({downloads + u"/MY.TCS"_s})));
    EXPECT_EQ(textOf(w.window.control(), u"txtTCName"_s), u"Dropped"_s);
    // ...which an archive dropped meanwhile must not lose: refused, with what to do.
    EXPECT_TRUE(dropOn(w.window.control(), fileUrls({later})));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.fakes.messages->messages.empty(); }, 2000));
    EXPECT_TRUE(w.fakes.messages->log().join(u'\n').contains(u"in the middle of a definition. Save it"_s))
        << w.fakes.messages->log().join(u'\n').toStdString();
    EXPECT_EQ(w.fakes.forms->shown, 2);
    EXPECT_EQ(textOf(w.window.control(), u"txtTCName"_s), u"Dropped"_s);
}

TEST(AddTcWindow, ProblemsAreShownWithTheirReasonAndThePlayerFixesWhatIsTheirs)
{
    LaunchScene scene;
    scene.fillStore();
    const QString downloads = scene.path() + u"/downloads"_s;
    writeFile(downloads + u"/junk.zip"_s, QByteArray(4096, 'j'));
    const QString locked = writeArchive(downloads, u"locked.zip"_s, ArchiveFormat::Zip, harbourEntries(), "secret");
    const QString taken = writeArchive(downloads, u"odd tc.zip"_s, ArchiveFormat::Zip,
        {{"A.GRP", tinyGroup()}, {"B.GRP", tinyGroup()}, {"GAME.CON", "x"}});
    Window w(scene);
    const auto before = snapshotOf(scene.path());

    w.paths->answers = {downloads + u"/junk.zip"_s, locked};
    clickOn(child<QPushButton>(&w.window, u"cmdAddTc"_s));
    clickOn(child<QPushButton>(&w.window, u"cmdAddTc"_s));
    const QStringList said = w.fakes.messages->log();
    ASSERT_EQ(said.size(), 2);
    EXPECT_TRUE(said[0].contains(u"junk.zip\" cannot be added as a TC"_s)) << said[0].toStdString();
    EXPECT_TRUE(said[1].contains(u"password-protected"_s)) << said[1].toStdString();
    EXPECT_EQ(w.fakes.forms->shown, 0);
    EXPECT_EQ(snapshotOf(scene.path()), before);

    // A name the store holds in another case and two group files: both the player's to settle.
    QStringList problems;
    bool addableAtFirst = true;
    w.fakes.forms->onShow = [&](QDialog *preview) {
        auto *add = child<QPushButton>(preview, u"cmdAddTcAdd"_s);
        problems << textOf(preview, u"lblAddProblems"_s);
        addableAtFirst = add->isEnabled();
        typeName(preview, u"Another TC"_s);
        auto *groups = child<QComboBox>(preview, u"cboAddGroup"_s);
        problems << itemsOf(groups).join(u'|');
        chooseItem(groups, 2);
        problems << textOf(preview, u"lblAddProblems"_s);
        clickOn(add);
    };
    w.paths->answers = {taken};
    clickOn(child<QPushButton>(&w.window, u"cmdAddTc"_s));
    ASSERT_EQ(problems.size(), 3);
    EXPECT_FALSE(addableAtFirst);
    EXPECT_TRUE(
        problems[0].contains(kNameTakenMessage.toString()) && problems[0].contains(u"A.GRP, B.GRP. Choose one."_s))
        << problems[0].toStdString();
    EXPECT_EQ(problems[1], u"(choose the group file)|A.GRP|B.GRP"_s);
    EXPECT_EQ(problems[2], QString());
    SqliteSettingsStore store(scene.storePath());
    EXPECT_EQ(DefinitionStore(store).load(u"Another TC"_s).value_or(TcDefinition{}).groupFile,
        scene.path() + u"/data/quillon/tcs/Another TC/B.GRP"_s);
}

TEST(AddTcWindow, DeletingAnInstalledTcOffersToTrashItsFolderAndItsShortcut)
{
    LaunchScene scene;
    scene.fillStore();
    const QString root = scene.path() + u"/data/quillon/tcs"_s;
    const QString applications = scene.path() + u"/data/applications/"_s;
    {
        SqliteSettingsStore store(scene.storePath());
        for (const QString &name : {u"Harbour"_s, u"Beach"_s}) {
            const QString zip = writeArchive(scene.path(), name + u".zip"_s, ArchiveFormat::Zip, harbourEntries());
            const TcSource source = inspectTcSource(zip, store);
            ASSERT_EQ(source.tcs.size(), 1);
            ASSERT_TRUE(installTc(source.tcs.first(), store).ok());
            const DesktopShortcut shortcut = desktopShortcutFor(name);
            writeFile(applications + shortcut.fileName, shortcut.text);
        }
    }
    // A leftover of an install cut short goes at start.
    writeFile(root + u'/' + kUnfinishedInstallPrefix + u"x/HALF.GRP"_s, "half");
    Window w(scene);
    EXPECT_FALSE(QFile::exists(root + u'/' + kUnfinishedInstallPrefix + u'x'));

    const auto remove = [&](const QString &name, std::deque<bool> answers) {
        w.fakes.messages->messages.clear();
        w.fakes.messages->answers = std::move(answers);
        auto *names = child<QComboBox>(w.window.control(), u"cboTClist"_s);
        chooseItem(names, names->findText(name));
        clickOn(child<QToolButton>(w.window.control(), u"Delete"_s));
        return w.fakes.messages->log();
    };
    const QString trash = scene.path() + u"/data/Trash/"_s;
    const QStringList asked = remove(u"Harbour"_s, {true, true, true});
    ASSERT_EQ(asked.size(), 3) << asked.join(u'\n').toStdString();
    EXPECT_TRUE(
        asked[1].contains(u"Move that folder to the trash as well?"_s) && asked[1].contains(root + u"/Harbour"_s));
    EXPECT_TRUE(asked[2].contains(u"Remove the shortcut as well?"_s));
    EXPECT_FALSE(QFile::exists(root + u"/Harbour"_s));
    EXPECT_TRUE(
        QFile::exists(trash + u"files/Harbour/HARBOUR.GRP"_s) && QFile::exists(trash + u"info/Harbour.trashinfo"_s));
    EXPECT_FALSE(QFile::exists(applications + desktopShortcutFor(u"Harbour"_s).fileName));
    EXPECT_EQ(w.panelNames(), (QStringList{u"Odd TC"_s, u"Beach"_s}));

    // No is kept; a TC Quillon did not install is asked about once, by the TC manager alone.
    EXPECT_EQ(remove(u"Beach"_s, {true, false, false}).size(), 3);
    EXPECT_TRUE(QFile::exists(root + u"/Beach/HARBOUR.GRP"_s));
    EXPECT_TRUE(QFile::exists(applications + desktopShortcutFor(u"Beach"_s).fileName));
    EXPECT_EQ(remove(u"Odd TC"_s, {true}).size(), 1);
    EXPECT_TRUE(w.panelNames().isEmpty());
}

// A store that cannot be read lists no names: they are unknown then, not deleted.
class StoreThatStopsReading : public MemorySettingsStore
{
public:
    QString readProblem() const override { return unreadable ? u"it is not a database"_s : QString(); }
    std::optional<SettingRows> GetAllSettings(const QString &application, const QString &section) const override
    {
        return unreadable ? std::nullopt : MemorySettingsStore::GetAllSettings(application, section);
    }
    bool unreadable = false;
};

TEST(AddTcWindow, TcsAreNotTakenForDeletedWhileTheStoreCannotBeRead)
{
    LaunchScene scene;
    const QString root = scene.path() + u"/tcs"_s;
    StoreThatStopsReading store;
    InspectOptions options;
    options.tcRoot = root;
    const QString zip = writeArchive(scene.path(), u"Cove.zip"_s, ArchiveFormat::Zip, harbourEntries());
    ASSERT_TRUE(installTc(inspectTcSource(zip, store, options).tcs.value(0), store).ok());
    TcRemovals removals(store, root, scene.path());
    store.unreadable = true;
    EXPECT_TRUE(removals.update().isEmpty());
    store.unreadable = false;
    EXPECT_TRUE(removals.update().isEmpty());
    DefinitionStore(store).remove(u"Cove"_s);
    const QList<RemovedTc> removed = removals.update();
    ASSERT_EQ(removed.size(), 1);
    EXPECT_EQ(removed.first().name + u'|' + removed.first().installedFolder, u"Cove|"_s + root + u"/Cove"_s);
}

} // namespace
