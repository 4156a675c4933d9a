// The control's shell: start-up state, toolbar dispatch, editing modes, pages, layout.

#include "../support/controlharness.h"

#include "../support/input.h"
#include "control/shelllayout.h"
#include "widgets/twips.h"
#include "widgets/toolstrip.h"

#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QWindow>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>

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

// Start-up browses with an empty editor under a toolbar of icons.
TEST_F(Shell, StartsBrowsingAndChangesNewAndCancelNewSwitchTheEditingMode)
{
    QStringList keys, tips;
    for (QAction *a : h.find<ToolStrip>(u"tbToolbar"_s)->actions()) {
        keys << (a->isSeparator() ? u"|"_s : a->objectName());
        if (!a->isSeparator()) {
            EXPECT_TRUE(!a->icon().isNull() && a->text().isEmpty()) << keys.back().toStdString();
            tips << a->toolTip();
        }
    }
    EXPECT_EQ(keys.join(u' '), u"New CancelNew | Save | Delete | LoadScript Script ScriptView");
    EXPECT_EQ(tips,
        (QStringList{u"Define New TC/Custom Group"_s, u"Cancel operation"_s, u"Save TC definition..."_s,
            u"Remove TC Definition"_s, u"Define TC using supplied script..."_s, u"Create new TC script..."_s,
            u"View TC script..."_s}));
    EXPECT_EQ(h.enabledButtons(), kBrowseButtons);
    EXPECT_EQ(enabledControls(), u"cboTClist lstOtherFiles");

    // The first change to a stored definition enters the edited state...
    h.choose(u"Foo"_s);
    ASSERT_EQ(h.text(u"txtTCName"_s), u"Foo");
    EXPECT_EQ(h.enabledButtons(), kBrowseButtons);
    h.chooseVersion(2);
    EXPECT_EQ(h.enabledButtons(), kEntryButtons);
    EXPECT_EQ(enabledControls(), u"cboTClist "_s + QString(kAllEditing).remove(u"txtTCName "_s));
    // ...where another choice drops the changes without a question.
    h.choose(u"Foo"_s);
    EXPECT_EQ(h.text(u"cboVersComp"_s), u"1.3D");
    EXPECT_EQ(h.enabledButtons(), kBrowseButtons);
    EXPECT_TRUE(h.fakes.messages->messages.empty());
    // CancelNew drops an edit with the definition; the store still has it as it was.
    h.chooseVersion(1);
    h.click(u"CancelNew"_s);
    EXPECT_TRUE(h.text(u"txtTCName"_s).isEmpty() && h.text(u"cboVersComp"_s).isEmpty());
    h.choose(u"Foo"_s);
    EXPECT_EQ(h.text(u"cboVersComp"_s) + h.text(u"lblGroupFile"_s), u"1.3D/g/FOO.GRP");

    h.click(u"New"_s);
    EXPECT_TRUE(h.text(u"txtTCName"_s).isEmpty() && h.text(u"lblGroupFile"_s).isEmpty() && h.otherFiles().isEmpty());
    EXPECT_EQ(h.find<QComboBox>(u"cboTClist"_s)->currentIndex(), -1);
    // "New" enables the whole editor; a change then leaves that mode as it is.
    EXPECT_EQ(enabledControls(), kAllEditing);
    EXPECT_EQ(h.enabledButtons(), kEntryButtons);
    for (int version : {0, 1}) {
        h.chooseVersion(version);
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

// Every way a user changes the selected tab shows its page; right and middle clicks change
// nothing. The row of tabs ends where the pages begin, so its lowest pixels are the tabs'.
TEST_F(Shell, EveryWayOfChangingTheTabSwitchesPages)
{
    QWidget *editor = h.find<QWidget>(u"picTC0"_s), *cleanup = h.find<QWidget>(u"picTC1"_s);
    auto pages = [&] {
        return u"%1 %2, %3 %4"_s.arg(twipsOf(editor).left)
            .arg(editor->isEnabled())
            .arg(twipsOf(cleanup).left)
            .arg(cleanup->isEnabled());
    };
    auto *strip = h.find<QWidget>(u"tbsTabStrip"_s);
    auto *tabs = strip->findChild<QTabBar *>();
    // The same test runs once more on a screen of 192 dpi (tests/control/CMakeLists.txt).
    if (const int dpi = qEnvironmentVariableIntValue("OSTREL_TEST_EXPECT_DPI")) {
        ASSERT_EQ(tabs->logicalDpiY(), dpi);
    }
    EXPECT_EQ(tabs->mapTo(h.control.get(), QPoint(0, tabs->height())).y(), editor->y());
    const QString before = h.editorState();

    // The selected tab clicked again is a click all the same: the page it shows stays, the
    // clean-up page (enabled until the first click) is put away.
    ASSERT_EQ(pages(), u"120 1, -20000 1");
    clickAt(tabs, tabs->tabRect(0).center());
    EXPECT_EQ(pages(), u"120 1, -20000 0");

    clickAt(tabs, QPoint(tabs->tabRect(1).center().x(), tabs->height() - 1));
    EXPECT_EQ(pages(), u"-20000 0, 120 1");
    for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton})
        clickAt(tabs, tabs->tabRect(0).center(), button);
    EXPECT_EQ(pages(), u"-20000 0, 120 1");
    h.control->resize(700, 500);
    EXPECT_EQ(pages(), u"-20000 0, 120 1");
    const int width = roundHalfToEven(pixelsToTwipsX(h.control.get(), 700));
    EXPECT_EQ(twipsOf(strip).width, width - 20);
    EXPECT_EQ(twipsOf(cleanup).width, width - 320);
    EXPECT_EQ(twipsOf(h.find<QWidget>(u"fraDiv"_s)).width, width - 335);

    // A click leaves the keyboard on the tabs.
    ASSERT_EQ(QApplication::focusWidget(), tabs);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    EXPECT_EQ(pages(), u"120 1, -20000 0");
    wheelOver(tabs, tabs->tabRect(0).center(), -1);
    EXPECT_EQ(pages(), u"-20000 0, 120 1");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    EXPECT_EQ(pages(), u"120 1, -20000 0");
    EXPECT_EQ(h.editorState(), before);
}

// A move to a screen of another DPI places everything again in twips (run on two screens of
// 96 and 192 dpi, without Qt's scaling, by tests/control/CMakeLists.txt).
TEST_F(Shell, MoveToAScreenOfAnotherDpiPlacesEverythingAgain)
{
    if (QGuiApplication::screens().size() < 2)
        GTEST_SKIP() << "needs a second screen";
    auto *picker = h.find<QWidget>(u"cmdGroupFile"_s);
    auto placedInTwips = [&] {
        const double dpi = picker->logicalDpiX();
        return picker->x() == qRound(6000 * dpi / 1440) && picker->width() == qRound(6252 * dpi / 1440) - picker->x();
    };
    ASSERT_TRUE(placedInTwips());
    for (QScreen *screen : QGuiApplication::screens()) {
        const int before = picker->logicalDpiX();
        h.control->windowHandle()->setScreen(screen);
        QCoreApplication::processEvents();
        EXPECT_EQ(h.control->logicalDpiX(), qRound(screen->logicalDotsPerInchX()));
        EXPECT_TRUE(placedInTwips()) << before << " to " << picker->logicalDpiX() << " dpi: " << picker->x();
    }
}

// The layout rule alone, in twips.
ShellLayout layout(double width, double height)
{
    ShellLayoutInput in;
    in.controlWidth = int(width);
    in.clientWidth = width;
    in.clientHeight = height;
    in.toolbarTop = 0;
    in.toolbarHeight = 360;
    in.pageLefts = {120, 480};
    return computeShellLayout(in);
}

TEST(ShellLayout, FillsTheClientAreaBelowTheToolbar)
{
    ShellLayout out = layout(9000, 6000);
    EXPECT_EQ(out.toolbarWidth, 9000);
    EXPECT_EQ(out.tabStrip.width, 8980);
    EXPECT_EQ(out.tabStrip.top, 360);
    EXPECT_EQ(out.tabStrip.height, 5640);
    ASSERT_EQ(out.pages.size(), 2u);
    for (const TwipsRect &page : out.pages)
        EXPECT_TRUE(page.top == 710 && page.width == 8680 && page.height == 5240);
    EXPECT_EQ(out.dividerWidth, 8665);
    // The first layout moves the clean-up page off its design position.
    EXPECT_EQ(out.pages[0].left, kShownPageLeft);
    EXPECT_EQ(out.pages[1].left, kHiddenPageLeft);

    // The client width is rounded half to even; nothing gets a negative size.
    EXPECT_EQ(layout(4000.5, 6000).tabStrip.width, 3980);
    EXPECT_EQ(layout(4001.5, 6000).tabStrip.width, 3982);
    out = layout(100, 200);
    EXPECT_EQ(out.tabStrip.width, 80);
    EXPECT_TRUE(out.tabStrip.height == 0 && out.pages[0].width == 0 && out.pages[0].height == 0);
    EXPECT_EQ(out.dividerWidth, 0);
}

} // namespace
