// The control's shell: start-up state, toolbar dispatch, editing modes, pages, layout.

#include "controlharness.h"

#include "control/twips.h"

#include <QRadioButton>
#include <QSignalSpy>
#include <QToolBar>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ostrel;
using namespace ostrel::test;

namespace {

class Shell : public ::testing::Test
{
protected:
    void SetUp() override
    {
        storeDefinition(*h.fakes.store, {u"Foo"_s, u"1.3D"_s, u"/g/FOO.GRP"_s, u"/g/FOO.CON"_s, {}, {u"/g/a"_s}});
        h.start();
    }

    bool enabled(const QString &name) const { return h.find<QWidget>(name)->isEnabled(); }

    ControlHarness h;
};

const QStringList kEditorControls = {u"cboVersComp"_s, u"cmdGroupFile"_s, u"cmdGameCon"_s, u"cmdTextFile"_s,
                                     u"cmdViewTextFile"_s, u"cmdOtherFiles"_s, u"cmdOtherRemove"_s};

TEST_F(Shell, StartsInTheBrowseStateWithAnEmptyEditor)
{
    EXPECT_EQ(h.enabledButtons(), (QStringList{u"New"_s, u"Delete"_s, u"LoadScript"_s, u"Script"_s, u"ScriptView"_s}));
    EXPECT_FALSE(enabled(u"txtTCName"_s));
    for (const QString &name : kEditorControls)
        EXPECT_FALSE(enabled(name)) << name.toStdString();
    EXPECT_TRUE(enabled(u"cboTClist"_s));
    EXPECT_TRUE(enabled(u"lstOtherFiles"_s));
    EXPECT_EQ(h.find<QComboBox>(u"cboTClist"_s)->currentIndex(), -1);
    EXPECT_EQ(h.find<QComboBox>(u"cboVersComp"_s)->currentIndex(), -1);
    EXPECT_EQ(h.find<QComboBox>(u"cboVersComp"_s)->count(), 3);
}

TEST_F(Shell, ToolbarHasItsKeyedButtonsInOrderWithTooltips)
{
    QStringList keys, tips;
    for (QAction *a : h.find<QToolBar>(u"tbToolbar"_s)->actions()) {
        keys << (a->isSeparator() ? u"|"_s : a->objectName());
        if (!a->isSeparator()) {
            tips << a->toolTip();
            EXPECT_FALSE(a->icon().isNull()) << a->objectName().toStdString();
            EXPECT_TRUE(a->text().isEmpty());
        }
    }
    EXPECT_EQ(keys.join(u' '), u"New CancelNew | Save | Delete | LoadScript Script ScriptView");
    EXPECT_EQ(tips, (QStringList{u"Define New TC/Custom Group"_s, u"Cancel operation"_s, u"Save TC definition..."_s,
                                 u"Remove TC Definition"_s, u"Define TC using supplied script..."_s,
                                 u"Create new TC script..."_s, u"View TC script..."_s}));
}

TEST_F(Shell, NewAndCancelNewSwitchBetweenBrowseAndNewDefinition)
{
    h.choose(u"Foo"_s);
    h.click(u"New"_s);
    EXPECT_TRUE(h.text(u"txtTCName"_s).isEmpty());
    EXPECT_TRUE(h.text(u"lblGroupFile"_s).isEmpty());
    EXPECT_TRUE(h.otherFiles().isEmpty());
    EXPECT_TRUE(enabled(u"txtTCName"_s));
    for (const QString &name : kEditorControls)
        EXPECT_TRUE(enabled(name)) << name.toStdString();
    EXPECT_FALSE(enabled(u"cboTClist"_s));
    EXPECT_EQ(h.find<QComboBox>(u"cboTClist"_s)->currentIndex(), -1);
    EXPECT_EQ(h.enabledButtons(), (QStringList{u"CancelNew"_s, u"Save"_s, u"LoadScript"_s, u"ScriptView"_s}));

    // A change while entering a new definition leaves the toolbar as "New" set it.
    h.find<QComboBox>(u"cboVersComp"_s)->setCurrentIndex(1);
    EXPECT_EQ(h.enabledButtons(), (QStringList{u"CancelNew"_s, u"Save"_s, u"LoadScript"_s, u"ScriptView"_s}));

    h.click(u"CancelNew"_s);
    EXPECT_EQ(h.find<QComboBox>(u"cboVersComp"_s)->currentIndex(), -1);
    EXPECT_FALSE(enabled(u"txtTCName"_s));
    for (const QString &name : kEditorControls)
        EXPECT_FALSE(enabled(name)) << name.toStdString();
    EXPECT_TRUE(enabled(u"cboTClist"_s));
    EXPECT_EQ(h.enabledButtons(), (QStringList{u"New"_s, u"Delete"_s, u"LoadScript"_s, u"Script"_s, u"ScriptView"_s}));
}

TEST_F(Shell, FirstChangeToAStoredDefinitionEntersTheEditedState)
{
    h.choose(u"Foo"_s);
    ASSERT_EQ(h.text(u"txtTCName"_s), u"Foo");
    EXPECT_EQ(h.enabledButtons(), (QStringList{u"New"_s, u"Delete"_s, u"LoadScript"_s, u"Script"_s, u"ScriptView"_s}));

    h.find<QComboBox>(u"cboVersComp"_s)->setCurrentIndex(2);
    EXPECT_EQ(h.enabledButtons(), (QStringList{u"CancelNew"_s, u"Save"_s, u"LoadScript"_s, u"ScriptView"_s}));
    EXPECT_FALSE(enabled(u"txtTCName"_s));
    EXPECT_TRUE(enabled(u"cboTClist"_s));

    // In the edited state another choice drops the changes without a question.
    h.choose(u"Foo"_s);
    EXPECT_EQ(h.text(u"cboVersComp"_s), u"1.3D");
    EXPECT_EQ(h.enabledButtons(), (QStringList{u"New"_s, u"Delete"_s, u"LoadScript"_s, u"Script"_s, u"ScriptView"_s}));
    EXPECT_TRUE(h.fakes.messages->messages.empty());
}

TEST_F(Shell, LoadTCNamesFollowsOnlySaveAndDelete)
{
    QSignalSpy spy(h.control.get(), &ucTC::LoadTCNames);
    h.click(u"New"_s);
    h.click(u"CancelNew"_s);
    h.fakes.dialogs->cancel();
    h.click(u"LoadScript"_s);
    h.click(u"ScriptView"_s);
    EXPECT_EQ(spy.count(), 0);

    h.click(u"New"_s);
    h.click(u"Save"_s); // refused: no version
    EXPECT_EQ(spy.count(), 1);
    h.click(u"CancelNew"_s);

    h.fakes.messages->answers.push_back(false);
    h.click(u"Delete"_s); // answered No
    EXPECT_EQ(spy.count(), 2);
}

TEST_F(Shell, DispatchComparesKeysExactly)
{
    QSignalSpy spy(h.control.get(), &ucTC::LoadTCNames);
    auto *toolbar = h.find<QToolBar>(u"tbToolbar"_s);
    QAction *lower = toolbar->addAction(u"x"_s);
    lower->setObjectName(u"new"_s);
    QAction *save = toolbar->addAction(u"y"_s);
    save->setObjectName(u"save"_s);
    const QString before = h.editorState();
    lower->trigger();
    save->trigger();
    EXPECT_EQ(h.editorState(), before);
    EXPECT_EQ(spy.count(), 0);
}

TEST_F(Shell, TabsSwitchPagesAndResizeKeepsTheShownPage)
{
    auto *tabs = h.find<QWidget>(u"tbsTabStrip"_s);
    QWidget *editor = h.find<QWidget>(u"picTC0"_s);
    QWidget *cleanup = h.find<QWidget>(u"picTC1"_s);
    ASSERT_TRUE(tabs && editor && cleanup);
    EXPECT_EQ(twipsOf(editor).left, 120);
    EXPECT_EQ(twipsOf(cleanup).left, -20000);

    const QString before = h.editorState();
    auto *tabBar = tabs->findChild<QTabBar *>();
    Q_EMIT tabBar->tabBarClicked(1);
    EXPECT_EQ(twipsOf(cleanup).left, 120);
    EXPECT_TRUE(cleanup->isEnabled());
    EXPECT_EQ(twipsOf(editor).left, -20000);
    EXPECT_FALSE(editor->isEnabled());

    h.control->resize(700, 500);
    EXPECT_EQ(twipsOf(cleanup).left, 120);
    EXPECT_EQ(twipsOf(editor).left, -20000);
    EXPECT_EQ(twipsOf(tabs).width, 700 * 15 - 20);
    EXPECT_EQ(twipsOf(cleanup).width, 700 * 15 - 320);
    EXPECT_EQ(twipsOf(h.find<QWidget>(u"fraDiv"_s)).width, 700 * 15 - 335);

    Q_EMIT tabBar->tabBarClicked(0);
    EXPECT_EQ(twipsOf(editor).left, 120);
    EXPECT_TRUE(editor->isEnabled());
    EXPECT_EQ(twipsOf(cleanup).left, -20000);
    EXPECT_FALSE(cleanup->isEnabled());
    EXPECT_EQ(h.editorState(), before);
}

} // namespace
