// The control's shell: start-up state, toolbar dispatch, editing modes, pages, layout.

#include "controlharness.h"

#include "control/twips.h"

#include <QAction>
#include <QSignalSpy>
#include <QTabBar>
#include <QToolBar>

#include <gtest/gtest.h>

using namespace ostrel;
using namespace ostrel::test;

namespace {

const QString kAllEditing = u"lstOtherFiles txtTCName cboVersComp cmdGroupFile cmdGameCon cmdTextFile "
                            "cmdViewTextFile cmdOtherFiles cmdOtherRemove"_s;

class Shell : public ::testing::Test
{
protected:
    void SetUp() override
    {
        storeDefinition(*h.fakes.store, {u"Foo"_s, u"1.3D"_s, u"/g/FOO.GRP"_s, u"/g/FOO.CON"_s, {}, {u"/g/a"_s}});
        h.start();
    }

    // The enabled ones of the names list, the other-files list and the editor controls.
    QString enabledControls() const
    {
        QStringList on;
        for (const QString &name : QString(u"cboTClist "_s + kAllEditing).split(u' ')) {
            if (h.find<QWidget>(name)->isEnabled())
                on << name;
        }
        return on.join(u' ');
    }

    ControlHarness h;
};

TEST_F(Shell, StartsBrowsingWithAnEmptyEditorAndAnIconToolbar)
{
    EXPECT_EQ(h.enabledButtons(), kBrowseButtons);
    EXPECT_EQ(enabledControls(), u"cboTClist lstOtherFiles");
    EXPECT_EQ(h.find<QComboBox>(u"cboVersComp"_s)->count(), 3);

    QStringList keys;
    for (QAction *a : h.find<QToolBar>(u"tbToolbar"_s)->actions()) {
        keys << (a->isSeparator() ? u"|"_s : a->objectName());
        if (!a->isSeparator()) {
            EXPECT_TRUE(!a->icon().isNull() && a->text().isEmpty() && !a->toolTip().isEmpty()) << keys.back().toStdString();
        }
    }
    EXPECT_EQ(keys.join(u' '), u"New CancelNew | Save | Delete | LoadScript Script ScriptView");
}

TEST_F(Shell, ChangesNewAndCancelNewSwitchTheEditingMode)
{
    // The first change to a stored definition enters the edited state...
    h.choose(u"Foo"_s);
    ASSERT_EQ(h.text(u"txtTCName"_s), u"Foo");
    EXPECT_EQ(h.enabledButtons(), kBrowseButtons);
    h.find<QComboBox>(u"cboVersComp"_s)->setCurrentIndex(2);
    EXPECT_EQ(h.enabledButtons(), kEntryButtons);
    EXPECT_EQ(enabledControls(), u"cboTClist "_s + QString(kAllEditing).remove(u"txtTCName "_s));
    // ...where another choice drops the changes without a question.
    h.choose(u"Foo"_s);
    EXPECT_EQ(h.text(u"cboVersComp"_s), u"1.3D");
    EXPECT_EQ(h.enabledButtons(), kBrowseButtons);
    EXPECT_TRUE(h.fakes.messages->messages.empty());

    h.click(u"New"_s);
    EXPECT_TRUE(h.text(u"txtTCName"_s).isEmpty() && h.text(u"lblGroupFile"_s).isEmpty() && h.otherFiles().isEmpty());
    EXPECT_EQ(h.find<QComboBox>(u"cboTClist"_s)->currentIndex(), -1);
    // "New" enables the whole editor; a change then leaves that mode as it is.
    for (int version : {-1, 1}) {
        h.find<QComboBox>(u"cboVersComp"_s)->setCurrentIndex(version);
        EXPECT_EQ(enabledControls(), kAllEditing);
        EXPECT_EQ(h.enabledButtons(), kEntryButtons);
    }

    h.click(u"CancelNew"_s);
    EXPECT_EQ(h.find<QComboBox>(u"cboVersComp"_s)->currentIndex(), -1);
    EXPECT_EQ(enabledControls(), u"cboTClist lstOtherFiles");
    EXPECT_EQ(h.enabledButtons(), kBrowseButtons);
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
    h.click(u"Delete"_s); // answered No
    EXPECT_EQ(spy.count(), 2);
}

TEST_F(Shell, TabsSwitchPagesAndResizeKeepsTheShownPage)
{
    QWidget *editor = h.find<QWidget>(u"picTC0"_s), *cleanup = h.find<QWidget>(u"picTC1"_s);
    auto pages = [&] {
        return u"%1 %2, %3 %4"_s.arg(twipsOf(editor).left).arg(editor->isEnabled()).arg(twipsOf(cleanup).left)
            .arg(cleanup->isEnabled());
    };
    const QString before = h.editorState();
    auto *tabs = h.find<QWidget>(u"tbsTabStrip"_s);
    Q_EMIT tabs->findChild<QTabBar *>()->tabBarClicked(1);
    h.control->resize(700, 500);
    EXPECT_EQ(pages(), u"-20000 0, 120 1");
    EXPECT_EQ(twipsOf(tabs).width, 700 * 15 - 20);
    EXPECT_EQ(twipsOf(cleanup).width, 700 * 15 - 320);
    EXPECT_EQ(twipsOf(h.find<QWidget>(u"fraDiv"_s)).width, 700 * 15 - 335);

    Q_EMIT tabs->findChild<QTabBar *>()->tabBarClicked(0);
    EXPECT_EQ(pages(), u"120 1, -20000 0");
    EXPECT_EQ(h.editorState(), before);
}

} // namespace
