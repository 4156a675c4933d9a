// The launcher window with real input on the offscreen platform: the panel's settings, the
// preview, the launch of the fake engine, the store that cannot be read, a leftover journal.

#include "hosttesting.h"

#include <launcher/launcher.h>
#include "host/hostsettings.h"
#include "host/launcherpanel.h"

#include <launcher/trash.h>
#include <store/sqlitesettingsstore.h>

#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QAbstractTextDocumentLayout>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ostrel;
using namespace ostrel::test;

namespace {

// The options ("-x", "--save") that a line of the command box ends inside, at its width now.
QStringList optionsBrokenAcrossLines(QPlainTextEdit *box)
{
    QStringList broken;
    for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next()) {
        box->document()->documentLayout()->blockBoundingRect(block); // lays the block out
        const QString text = block.text();
        for (int i = 1; i < block.layout()->lineCount(); ++i) {
            const int at = block.layout()->lineAt(i).textStart();
            if (at == 0 || text[at - 1].isSpace() || text[at].isSpace())
                continue;
            const qsizetype start = text.lastIndexOf(u' ', at - 1) + 1;
            if (text[start] == u'-')
                broken << text.mid(start, at - start) + u'|' + text.mid(at).section(u' ', 0, 0);
        }
    }
    return broken;
}

class LauncherPanel : public ::testing::Test
{
protected:
    LaunchScene scene;
};

TEST_F(LauncherPanel, ThePlayerSetsUpTheEngineAndTheStoreKeepsIt)
{
    scene.fillStore({}, u"Rename"_s, false);
    QuillonWindow l(scene);
    EXPECT_FALSE(l.find<QFrame>(u"fraStoreProblem"_s)->isVisible());

    l.paths->answers = {scene.gameDir, QStringLiteral(OSTREL_FAKE_ENGINE)};
    auto *gameDir = l.find<QComboBox>(u"cboGameDir"_s);
    chooseItem(gameDir, gameDir->count() - 1); // "Other folder…"
    EXPECT_TRUE(gameDir->currentText().endsWith(u"Duke Nukem 3D"_s)) << gameDir->currentText().toStdString();
    auto *arguments = l.find<QLineEdit>(u"txtArguments"_s);
    EXPECT_FALSE(arguments->isEnabled());
    chooseItem(l.find<QComboBox>(u"cboEngine"_s), 3);
    EXPECT_TRUE(arguments->isEnabled());
    // Custom finds no program by itself: the empty field must not say it does.
    EXPECT_FALSE(l.find<QLineEdit>(u"txtProgram"_s)->placeholderText().contains(u"PATH"_s));
    clickOn(l.find<QToolButton>(u"cmdProgram"_s));
    clickOn(arguments);
    QTest::keyClick(arguments, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(arguments, LaunchScene::argumentTemplate());
    QTest::keyClick(arguments, Qt::Key_Return);
    // Kept in the store, where the next start and the command line read it.
    const HostSettings stored = HostSettings::read(SqliteSettingsStore(scene.storePath()));
    EXPECT_TRUE(stored.gameDir == scene.gameDir && stored.engine == EngineKind::Custom
        && stored.program == QStringLiteral(OSTREL_FAKE_ENGINE)
        && stored.argumentTemplate == LaunchScene::argumentTemplate());
}

TEST_F(LauncherPanel, ThePreviewShowsWhatTheLaunchWouldDoAndCancelChangesNothing)
{
    scene.fillStore();
    const Snapshot before = snapshotOf(scene.gameDir);
    QuillonWindow l(scene);
    QStringList renamed;
    QString command, saves;
    l.fakes.forms->onShow = [&](QDialog *preview) {
        ASSERT_EQ(preview->objectName(), u"launchPreview"_s);
        renamed = itemsOf(child<QListWidget>(preview, u"previewRenamed"_s));
        saves = child<QLabel>(preview, u"previewSaves"_s)->text();
        auto *box = child<QPlainTextEdit>(preview, u"previewCommand"_s);
        command = box->toPlainText();
        // However narrow the player makes the preview, an option stays whole on its line.
        for (int width = 760; width >= 200; width -= 3) {
            preview->resize(width, preview->height());
            QApplication::sendPostedEvents();
            ASSERT_EQ(optionsBrokenAcrossLines(box), QStringList()) << "at " << box->width() << " pixels";
        }
        press(preview, u"previewCopy"_s);
        press(preview, u"previewCancel"_s);
        EXPECT_FALSE(preview->isVisible());
    };
    l.choose(u"Odd TC"_s);
    l.launch();
    EXPECT_EQ(l.fakes.forms->shown, 1);
    EXPECT_EQ(renamed, (QStringList{u"GAME.CON → GAME.CON.org"_s, u"e1l1.map → e1l1.map.org"_s}));
    EXPECT_TRUE(command.startsWith(u"cd '"_s + scene.gameDir + u"' && "_s)) << command.toStdString();
    EXPECT_EQ(saves,
        u"Saves: \""_s + scene.dataHome()
            + u"/quillon/saves/Odd TC\", given to the engine as {savedir}: kept apart if "
              "the engine writes its saves where it is told."_s);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), command);
    EXPECT_EQ(snapshotOf(scene.gameDir), before);
    EXPECT_FALSE(QFile::exists(scene.recordPath()));
}

TEST_F(LauncherPanel, ALaunchRunsOneGameAtATimeAndGivesTheDirectoryBackWhenItEnds)
{
    scene.fillStore();
    const Snapshot before = snapshotOf(scene.gameDir);
    scene.setEnv("FAKE_ENGINE_SLEEP_MS", "300");
    QuillonWindow l(scene);
    l.fakes.forms->onShow = [&](QDialog *preview) { press(preview, u"previewLaunch"_s); };
    l.choose(u"Odd TC"_s);
    l.launch();
    EXPECT_TRUE(l.window.launcher()->isRunning());
    EXPECT_FALSE(l.find<QPushButton>(u"cmdLaunch"_s)->isEnabled());
    ASSERT_TRUE(l.backAsItWas()) << l.status().toStdString();
    EXPECT_EQ(scene.recordedArguments(), scene.expectedArguments());
    EXPECT_EQ(snapshotOf(scene.gameDir), before);
    EXPECT_TRUE(l.find<QPushButton>(u"cmdLaunch"_s)->isEnabled());
    EXPECT_FALSE(l.find<QPushButton>(u"cmdRestore"_s)->isEnabled());
    EXPECT_TRUE(l.messages().isEmpty()) << l.messages().join(u'\n').toStdString();
}

// Enter on the TC launches; the end of the log is shown with its path, and Show log opens it.
TEST_F(LauncherPanel, AnEngineThatFailsShowsTheEndOfItsLog)
{
    scene.fillStore();
    const Snapshot before = snapshotOf(scene.gameDir);
    scene.setEnv("FAKE_ENGINE_EXIT", "3");
    QuillonWindow l(scene);
    QString heading, logPath, logText;
    l.fakes.forms->onShow = [&](QDialog *dialog) {
        if (dialog->objectName() == u"logViewer"_s) {
            heading = child<QLabel>(dialog, u"logHeading"_s)->text();
            logPath = child<QLabel>(dialog, u"logPath"_s)->text();
            logText = child<QPlainTextEdit>(dialog, u"logText"_s)->toPlainText();
            press(dialog, u"logClose"_s);
            EXPECT_FALSE(dialog->isVisible());
        } else {
            press(dialog, u"previewLaunch"_s);
        }
    };
    l.choose(u"Odd TC"_s);
    QTest::keyClick(l.find<QListWidget>(u"lstTCs"_s), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !heading.isEmpty(); }, 20000));
    EXPECT_TRUE(heading.contains(u"status 3"_s)) << heading.toStdString();
    EXPECT_TRUE(logPath.contains(scene.stateDir() + u"/logs/"_s)) << logPath.toStdString();
    EXPECT_TRUE(logText.contains(u"fake engine: standard error"_s)) << logText.toStdString();
    EXPECT_EQ(snapshotOf(scene.gameDir), before);

    logText.clear();
    clickOn(l.find<QPushButton>(u"cmdShowLog"_s));
    EXPECT_TRUE(logText.contains(u"fake engine: standard output"_s)) << logText.toStdString();
}

// Three TCs: Odd TC, "Gone TC" whose group file is not there, and "Another". (The question
// before a TC for another version is in findgames_test.cpp, on the installs found.)
class LauncherPanelList : public LauncherPanel
{
protected:
    void SetUp() override
    {
        gone.groupFile = scene.file(u"moved away/GONE.GRP"_s);
        scene.fillStore({gone, scene.tcNamed(u"Another"_s)});
    }

    TcDefinition gone = scene.tcNamed(u"Gone TC"_s);
};

TEST_F(LauncherPanelList, TheFilterKeepsTheNamesThatHoldItAndAHiddenTcCannotBeLaunched)
{
    QuillonWindow l(scene);
    auto *list = l.find<QListWidget>(u"lstTCs"_s);
    auto *filter = l.find<QLineEdit>(u"txtFilter"_s);
    auto *count = l.find<QLabel>(u"lblCount"_s);
    EXPECT_EQ(count->text(), u"3 TCs stored"_s);
    typeInto(filter, u"tc"_s);
    EXPECT_EQ(itemsOf(list), (QStringList{u"Odd TC"_s, u"Gone TC"_s}));
    EXPECT_EQ(count->text(), u"2 of 3 TCs match the filter"_s);
    l.choose(u"Gone TC"_s);
    typeInto(filter, u" O"_s); // "tc o": not a substring of any name
    EXPECT_EQ(itemsOf(list), QStringList());
    EXPECT_FALSE(l.find<QPushButton>(u"cmdLaunch"_s)->isEnabled()) << "a hidden TC can still be launched";
    QTest::keyClick(filter, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(filter, Qt::Key_Delete);
    EXPECT_EQ(itemsOf(list).size(), 3);
    EXPECT_EQ(count->text(), u"3 TCs stored"_s);
}

// Every refusal takes the same road to the player; the command line's exit statuses go through
// each kind of refusal.
TEST_F(LauncherPanelList, ATcWhoseGroupFileIsMissingIsMarkedAndItsLaunchRefusedSayingWhy)
{
    QuillonWindow l(scene);
    auto *list = l.find<QListWidget>(u"lstTCs"_s);
    const auto item = [&](const QString &name) { return list->findItems(name, Qt::MatchExactly).value(0); };
    EXPECT_EQ(item(u"Gone TC"_s)->toolTip(), u"Group file not found: "_s + gone.groupFile);
    EXPECT_FALSE(item(u"Gone TC"_s)->icon().isNull());
    EXPECT_TRUE(item(u"Odd TC"_s)->toolTip().isEmpty() && item(u"Odd TC"_s)->icon().isNull());
    l.choose(u"Gone TC"_s);
    l.launch();
    ASSERT_EQ(l.messages().size(), 1) << l.messages().join(u'\n').toStdString();
    EXPECT_TRUE(l.messages()[0].startsWith(
        u"Quillon! The launch of \"Gone TC\" was refused. The TC's files are missing: "_s + gone.groupFile));
    EXPECT_EQ(l.fakes.forms->shown, 0);
}

TEST_F(LauncherPanel, AStoreThatCannotBeReadIsShownAtTheTopAndLeftAsItIs)
{
    const QByteArray damaged = QByteArray("this is not a database").repeated(200);
    writeFile(scene.storePath(), damaged);
    QuillonWindow l(scene);
    const QString text = l.find<QLabel>(u"lblStoreProblem"_s)->text();
    EXPECT_TRUE(l.find<QFrame>(u"fraStoreProblem"_s)->isVisible());
    EXPECT_TRUE(text.contains(scene.storePath()) && text.contains(u"Quillon left it as it is"_s)) << text.toStdString();
    EXPECT_EQ(l.find<QListWidget>(u"lstTCs"_s)->count(), 0);
    EXPECT_FALSE(l.status().contains(u"No TC is stored yet"_s)) << "the TCs may well be there";
    // Leaving a field writes the settings: the store refuses, and says so.
    l.paths->answers = {scene.gameDir};
    auto *gameDir = l.find<QComboBox>(u"cboGameDir"_s);
    chooseItem(gameDir, gameDir->count() - 1); // "Other folder…"
    EXPECT_EQ(l.messages().size(), 1);
    EXPECT_EQ(readBytes(scene.storePath()), damaged);
}

TEST_F(LauncherPanel, AFirstStartWithAnEmptyStoreSaysWhereToBegin)
{
    QuillonWindow l(scene);
    EXPECT_TRUE(l.status().startsWith(
        u"No TC is stored yet. To begin, define one in the TC manager: \"Define New TC/Custom Group\""_s))
        << l.status().toStdString();
    EXPECT_EQ(l.find<QLabel>(u"lblCount"_s)->text(), u"0 TCs stored"_s);
}

// A launch told to leave its changes, as "Give the game directory back" unticked does: the
// next start finds its journal. The window answers No to the offer to give the directory back.
class LauncherPanelLeftover : public LauncherPanel
{
protected:
    void SetUp() override
    {
        scene.fillStore();
        SqliteSettingsStore store(scene.storePath());
        DesktopTrash trash;
        ostrel::Launcher launcher(store, trash, scene.stateDir());
        const StoredLaunch launch = launcher.prepare(u"Odd TC"_s, HostSettings::read(store).launchSetup());
        ASSERT_TRUE(launch.ok()) << launch.message.toStdString();
        launcher.setRestoreOnExit(false);
        bool ended = false;
        QObject::connect(&launcher, &ostrel::Launcher::ended, [&] { ended = true; });
        ASSERT_TRUE(launcher.start(launch.prepared));
        ASSERT_TRUE(QTest::qWaitFor([&] { return ended; }, 20000));
        ASSERT_TRUE(QFile::exists(scene.gameDir + u"/e1l1.map.org"_s));
    }

    const Snapshot before = snapshotOf(scene.gameDir);
};

// What cannot come back is listed, as the command line lists it.
TEST_F(LauncherPanelLeftover, ALeftoverJournalBlocksLaunchesUntilRestoreListsWhatCannotComeBack)
{
    QuillonWindow l(scene);
    EXPECT_NE(snapshotOf(scene.gameDir), before);
    auto *restore = l.find<QPushButton>(u"cmdRestore"_s);
    EXPECT_TRUE(restore->isEnabled());
    l.choose(u"Odd TC"_s);
    l.launch();
    QStringList said = l.messages();
    ASSERT_EQ(said.size(), 2);
    // The launch was told to leave its changes: no word of a launcher that stopped.
    EXPECT_TRUE(said[0].startsWith(u"Quillon?+ The launch of \"Odd TC\""_s) && said[0].contains(u"as it was told to"_s)
        && !said[0].contains(u"stopped"_s))
        << said[0].toStdString();
    EXPECT_TRUE(said[1].contains(u"give the game directory back first"_s)) << said[1].toStdString();
    EXPECT_EQ(l.fakes.forms->shown, 0);

    ASSERT_TRUE(QFile::remove(scene.gameDir + u"/e1l1.map.org"_s));
    clickOn(restore);
    said = l.messages();
    ASSERT_EQ(said.size(), 3);
    EXPECT_TRUE(said[2].contains(u"\nNot put back: \"e1l1.map\": it is gone"_s)) << said[2].toStdString();
    EXPECT_TRUE(l.status().startsWith(u"The game directory could not be fully given back"_s))
        << l.status().toStdString();
    Snapshot expected = before;
    expected.remove("e1l1.map");
    EXPECT_EQ(snapshotOf(scene.gameDir), expected);
    EXPECT_FALSE(restore->isEnabled());
}

TEST_F(LauncherPanel, TheGameOfAKilledQuillonKeepsItsDirectoryUntilItHasEnded)
{
    scene.fillStore();
    const Snapshot before = snapshotOf(scene.gameDir);
    OrphanedGame orphan(scene, 60000);
    ASSERT_GT(orphan.pid(), 0);
    const Snapshot during = snapshotOf(scene.gameDir);
    const QString stillRunning =
        u"Quillon! The game started for \"Odd TC\" (process %1) is still running"_s.arg(orphan.pid());

    QuillonWindow l(scene, {true});
    auto *restore = l.find<QPushButton>(u"cmdRestore"_s);
    ASSERT_TRUE(restore->isEnabled());
    clickOn(restore);
    ASSERT_EQ(l.messages().size(), 2);
    EXPECT_TRUE(l.messages()[0].startsWith(stillRunning)) << l.messages()[0].toStdString();
    EXPECT_TRUE(l.messages()[1].startsWith(stillRunning)) << l.messages()[1].toStdString();
    EXPECT_TRUE(restore->isEnabled());
    EXPECT_EQ(snapshotOf(scene.gameDir), during);

    // Once the game has ended, the window asks, and Yes gives the directory back.
    ASSERT_TRUE(orphan.end());
    ASSERT_TRUE(l.backAsItWas()) << l.status().toStdString();
    ASSERT_EQ(l.messages().size(), 3);
    EXPECT_TRUE(l.messages()[2].startsWith(u"Quillon?+ The launch of \"Odd TC\""_s)
        && l.messages()[2].contains(u"the launcher or the computer stopped while the game ran"_s))
        << l.messages()[2].toStdString();
    EXPECT_EQ(snapshotOf(scene.gameDir), before);
    EXPECT_FALSE(restore->isEnabled());
}

// The preference Delete, and no trash: the desktop trash lives in the data folder, which cannot
// be made under a file.
class LauncherPanelNoTrash : public LauncherPanel
{
protected:
    void SetUp() override
    {
        scene.fillStore({}, u"Delete"_s);
        // No {savedir}: the saves live in the data folder too.
        SqliteSettingsStore store(scene.storePath());
        HostSettings settings = HostSettings::read(store);
        settings.argumentTemplate = u"--game {gamedir} --group {group}"_s;
        ASSERT_TRUE(settings.write(store));
        writeFile(scene.file(u"not a folder"_s), "a file");
        scene.setEnv("XDG_DATA_HOME", QFile::encodeName(scene.file(u"not a folder/data"_s)));
    }

    const Snapshot before = snapshotOf(scene.gameDir);
};

// No stops there; Yes launches, and the files are said to be gone for good.
TEST_F(LauncherPanelNoTrash, ThePlayerIsAskedOnceMoreBeforeFilesAreDeletedForGood)
{
    QuillonWindow l(scene);
    l.choose(u"Odd TC"_s);
    l.launch(); // No
    ASSERT_EQ(l.messages().size(), 1);
    const QString question = l.messages()[0];
    EXPECT_TRUE(question.startsWith(u"Quillon? "_s) && question.contains(u"cannot be recovered"_s)
        && question.contains(u"\ne1l1.map"_s) && question.contains(u"\nGAME.CON"_s))
        << question.toStdString();
    EXPECT_EQ(l.fakes.forms->shown, 0);
    EXPECT_EQ(snapshotOf(scene.gameDir), before);
    EXPECT_FALSE(QFile::exists(scene.recordPath()));

    l.fakes.messages->answers = {true};
    QStringList deleted;
    l.fakes.forms->onShow = [&](QDialog *preview) {
        deleted = itemsOf(child<QListWidget>(preview, u"previewDeleted"_s));
        press(preview, u"previewLaunch"_s);
    };
    l.launch();
    ASSERT_TRUE(l.backAsItWas()) << l.status().toStdString();
    EXPECT_EQ(l.messages().size(), 2);
    EXPECT_EQ(deleted.size(), 2) << deleted.join(u'|').toStdString();
    const QString status = l.status();
    EXPECT_TRUE(
        status.contains(u"cannot be recovered"_s) && status.contains(u"e1l1.map"_s) && status.contains(u"GAME.CON"_s))
        << status.toStdString();
    const QList<QByteArray> seen = scene.record().values("entry");
    EXPECT_FALSE(seen.contains("e1l1.map") || seen.contains("GAME.CON"));
    Snapshot expected = before;
    expected.remove("e1l1.map");
    expected.remove("GAME.CON");
    EXPECT_EQ(snapshotOf(scene.gameDir), expected);
}

} // namespace
