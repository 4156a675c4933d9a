// The control without a mouse, with a screen reader, with files dropped on it, and with
// files that are gone.

#include "../support/controlharness.h"
#include "../support/input.h"

#include "form/frmscript.h"
#include "widgets/toolstrip.h"

#include <QAccessible>
#include <QApplication>
#include <QListWidgetItem>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace ostrel;
using namespace ostrel::test;

namespace {

void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
}

// Define, save and delete a TC with the keyboard alone; a shortcut does what its button
// does, and nothing while the button is disabled.
TEST(Keyboard, DefineSaveAndDeleteWithoutAMouse)
{
    ControlHarness h;
    h.start();
    QSignalSpy stored(h.control.get(), &ucTC::LoadTCNames);
    h.find<QComboBox>(u"cboTClist"_s)->setFocus();
    press(Qt::Key_S, Qt::ControlModifier); // Save is disabled: nothing
    press(Qt::Key_Escape);                 // so is CancelNew
    EXPECT_EQ(stored.count(), 0);
    EXPECT_EQ(h.enabledButtons(), kBrowseButtons);

    press(Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(QApplication::focusWidget(), h.find<QWidget>(u"cboVersComp"_s));
    press(Qt::Key_Down); // the first version
    press(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), h.find<QWidget>(u"txtTCName"_s));
    QTest::keyClicks(QApplication::focusWidget(), u"Keyed"_s);
    press(Qt::Key_G, Qt::AltModifier);
    ASSERT_EQ(QApplication::focusWidget(), h.find<QWidget>(u"cmdGroupFile"_s));
    h.fakes.dialogs->answer(u"/g/KEYED.GRP"_s);
    press(Qt::Key_Space);
    press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(stored.count(), 1);
    EXPECT_EQ(h.names(), QStringList{u"Keyed"_s});
    EXPECT_EQ(definedKeys(*h.fakes.store).at(2), std::pair(u"KeyedGroupFile"_s, u"/g/KEYED.GRP"_s));

    // Back to the names list, choose the TC there, delete it with Delete.
    press(Qt::Key_Tab, Qt::ShiftModifier);
    ASSERT_EQ(QApplication::focusWidget(), h.find<QWidget>(u"cboTClist"_s));
    press(Qt::Key_Down);
    ASSERT_EQ(h.text(u"txtTCName"_s), u"Keyed");
    h.fakes.messages->answers.push_back(true);
    press(Qt::Key_Delete);
    EXPECT_EQ(h.fakes.messages->log(), QStringList{u"Quillon? Are you sure you want to remove this Definition?"_s});
    EXPECT_TRUE(h.names().isEmpty() && definedKeys(*h.fakes.store).empty());
    EXPECT_EQ(stored.count(), 2);
}

// Every control a user can reach has a name a screen reader says; the icon-only buttons
// say what they do; the file fields read out their paths.
TEST(ScreenReaders, EveryInteractiveWidgetHasAName)
{
    ControlHarness h;
    storeDefinition(*h.fakes.store, {u"Foo"_s, u"1.3D"_s, u"/g/F.GRP"_s, {}, {}, {}});
    h.start();
    h.choose(u"Foo"_s);
    frmScript form(h.fakes.services());
    QStringList nameless;
    for (QWidget *top : {static_cast<QWidget *>(h.control.get()), static_cast<QWidget *>(&form)}) {
        for (QWidget *w : top->findChildren<QWidget *>()) {
            const bool interactive = w->focusPolicy() != Qt::NoFocus && !w->objectName().isEmpty();
            QAccessibleInterface *face = QAccessible::queryAccessibleInterface(w);
            if (interactive && (!face || face->text(QAccessible::Name).isEmpty()))
                nameless << top->objectName() + u'.' + w->objectName();
        }
    }
    EXPECT_EQ(nameless, QStringList{});
    auto *toolbar = h.find<ToolStrip>(u"tbToolbar"_s);
    for (QAction *action : toolbar->actions()) {
        if (action->isSeparator())
            continue;
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(toolbar->widgetForAction(action));
        EXPECT_FALSE(face->text(QAccessible::Description).isEmpty()) << action->objectName().toStdString();
        EXPECT_EQ(action->toolTip(), face->text(QAccessible::Name)) << action->objectName().toStdString();
    }
    // The shortcuts are said, where the tool tips keep their own texts.
    QAction *save = toolbar->findChild<QAction *>(u"Save"_s, Qt::FindDirectChildrenOnly);
    const QString ctrlS = QKeySequence(QKeySequence::Save).toString(QKeySequence::NativeText);
    EXPECT_EQ(save->statusTip(), u"Save TC definition... ("_s + ctrlS + u')');
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(toolbar->widgetForAction(save))
                    ->text(QAccessible::Description)
                    .endsWith(u"Shortcut: "_s + ctrlS + u'.'));
    QAccessibleInterface *group = QAccessible::queryAccessibleInterface(h.find<QWidget>(u"lblGroupFile"_s));
    EXPECT_EQ(group->text(QAccessible::Name) + u'=' + group->text(QAccessible::Description),
        u"Group File=File not found: /g/F.GRP");
}

class Drops : public ::testing::Test
{
protected:
    void SetUp() override
    {
        grp = writeFile(h.temp.file(u"tc/MY.GRP"_s), "KenSilverman");
        storeDefinition(*h.fakes.store, {u"Foo"_s, u"1.3D"_s, grp, {}, {}, {}});
        h.start();
    }
    bool drop(const QString &target, const QStringList &paths)
    {
        return dropOn(h.find<QWidget>(target), fileUrls(paths));
    }

    ControlHarness h;
    QString grp;
};

TEST_F(Drops, FilesGoWhereTheirPickersPutThemWhileThePickersCanBeUsed)
{
    const QString con = writeFile(h.temp.file(u"tc/GAME.CON"_s), "x"),
                  map = writeFile(h.temp.file(u"tc/E1L1.MAP"_s), "m");
    EXPECT_FALSE(drop(u"lblGroupFile"_s, {grp})); // browsing with an empty editor: no pickers
    h.choose(u"Foo"_s);
    EXPECT_FALSE(drop(u"cmdGameCon"_s, {grp}));      // a group file is no con
    EXPECT_FALSE(drop(u"lblGameCon"_s, {con, con})); // one file to a field
    EXPECT_FALSE(dropOn(h.find<QListWidget>(u"lstOtherFiles"_s)->viewport(),
        fileUrls({map}) << QUrl(u"https://example.org/E2L1.MAP"_s)));
    EXPECT_EQ(h.enabledButtons(), kBrowseButtons);

    EXPECT_TRUE(drop(u"cmdGameCon"_s, {con}));
    EXPECT_EQ(h.text(u"lblGameCon"_s), con);
    EXPECT_EQ(h.enabledButtons(), kEntryButtons); // a change, as a pick is
    EXPECT_TRUE(dropOn(h.find<QListWidget>(u"lstOtherFiles"_s)->viewport(), fileUrls({map, con})));
    EXPECT_TRUE(drop(u"cmdOtherFiles"_s, {map}));
    EXPECT_EQ(h.otherFiles(), (QStringList{map, con, map}));
}

TEST_F(Drops, AScriptIsLoadedAsTheLoadScriptCommandLoadsIt)
{
    const QString script = writeFile(h.temp.file(u"tc/MY.TCS"_s),
        "definedukeversion 1.3D\r\ndefinetcname Dropped\r\n"
        "definegroupfile MY.GRP\r\n");
    const QString notAScript = writeFile(h.temp.file(u"tc/BIG.TCS"_s), QByteArray(2 * 1024 * 1024, 'x'));
    const QString state = h.editorState();
    EXPECT_TRUE(dropOn(h.control.get(), fileUrls({notAScript})));
    EXPECT_EQ(h.editorState(), state); // as silent as the command on a file it cannot load
    EXPECT_FALSE(dropOn(h.control.get(), fileUrls({grp})));
    EXPECT_TRUE(dropOn(h.control.get(), fileUrls({script})));
    EXPECT_EQ(h.text(u"txtTCName"_s) + u'|' + h.text(u"lblGroupFile"_s), u"Dropped|"_s + grp);
    EXPECT_EQ(h.enabledButtons(), kEntryButtons);
    // The control's dialog remembers the script, as after choosing it there.
    h.pick(u"cmdGameCon"_s, std::nullopt);
    EXPECT_EQ(h.fakes.dialogs->requests.back().initDir, h.temp.file(u"tc/"_s));
}

// Files that are gone are marked when the definition is shown, and the mark follows picks,
// saves and loads; it never stops a save and never changes what is stored.
TEST(MissingFiles, AreMarkedAndTheMarkFollowsTheFiles)
{
    ControlHarness h;
    const QString grp = writeFile(h.temp.file(u"tc/MY.GRP"_s), "g"), gone = h.temp.file(u"tc/GONE.CON"_s);
    const QString map = writeFile(h.temp.file(u"tc/E1L1.MAP"_s), "m");
    storeDefinition(*h.fakes.store, {u"Foo"_s, u"1.3D"_s, grp, gone, {}, {map, gone}});
    h.start();
    auto marked = [&]() -> QString {
        QStringList result;
        for (const char *name : {"lblGroupFile", "lblGameCon", "lblTextFile"}) {
            auto *field = h.find<QLabel>(QString::fromLatin1(name));
            auto *sign = field->findChild<QWidget *>(field->objectName() + u"Missing"_s);
            if (sign && !sign->isHidden())
                result << QString::fromLatin1(name) + u'=' + field->toolTip();
        }
        auto *list = h.find<QListWidget>(u"lstOtherFiles"_s);
        for (int i = 0; i < list->count(); ++i) {
            if (!list->item(i)->icon().isNull())
                result << u"item%1="_s.arg(i) + list->item(i)->toolTip();
        }
        return result.join(u", "_s);
    };
    h.choose(u"Foo"_s);
    EXPECT_EQ(marked(), u"lblGameCon=File not found: %1, item1=File not found: %1"_s.arg(gone));
    EXPECT_EQ(h.find<QLabel>(u"lblGroupFile"_s)->toolTip(), grp);
    const auto keys = definedKeys(*h.fakes.store);

    h.pick(u"cmdTextFile"_s, gone);
    EXPECT_EQ(marked(),
        u"lblGameCon=File not found: %1, lblTextFile=File not found: %1, item1=File not found: %1"_s.arg(gone));
    h.click(u"Save"_s);
    EXPECT_EQ(h.fakes.messages->log(), QStringList{});
    EXPECT_EQ(definedKeys(*h.fakes.store).at(4).second, gone);
    writeFile(h.temp.file(u"tc/GONE.CON"_s), "back");
    h.choose(u"Foo"_s);
    EXPECT_EQ(marked(), QString());
    h.click(u"New"_s);
    EXPECT_EQ(marked(), QString());
}

} // namespace
