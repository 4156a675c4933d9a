// The control's view: its widgets at their places in twips, their sizes on screens of any
// DPI, the layout at every resize and the switching of pages.

#include "control/uctc_p.h"

#include "control/shelllayout.h"
#include "widgets/tabstrip.h"
#include "widgets/toolstrip.h"
#include "widgets/toolbaricons.h"
#include "widgets/twips.h"
#include "widgets/twipswidgets.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStringListModel>
#include <QToolButton>
#include <QWindow>

#include <cmath>

using namespace Qt::StringLiterals;
using namespace ostrel;

namespace {

constexpr int kToolbarButtonWidth = 609;
constexpr int kToolbarButtonHeight = 582;

} // namespace

void ucTCPrivate::createToolbar()
{
    tbToolbar = makeAt<ToolStrip>(q, u"tbToolbar"_s, {0, 0, 6255, 360});

    const auto images = toolbarImageList(q->palette());
    auto image = [&images](const QString &key) {
        for (const auto &[imageKey, icon] : images) {
            if (imageKey == key)
                return icon;
        }
        return QIcon();
    };
    struct Button {
        QString key;
        QString tip;
        bool enabled;
    };
    const Button layout[] = {
        {u"New"_s, u"Define New TC/Custom Group"_s, true},
        {u"CancelNew"_s, u"Cancel operation"_s, false},
        {QString(), QString(), false},
        {u"Save"_s, u"Save TC definition..."_s, false},
        {QString(), QString(), false},
        {u"Delete"_s, u"Remove TC Definition"_s, true},
        {QString(), QString(), false},
        {u"LoadScript"_s, u"Define TC using supplied script..."_s, true},
        {u"Script"_s, u"Create new TC script..."_s, true},
        {u"ScriptView"_s, u"View TC script..."_s, true},
    };
    for (const Button &b : layout) {
        if (b.key.isEmpty()) {
            tbToolbar->addSeparator();
            continue;
        }
        QAction *action = tbToolbar->addButton(image(b.key), QString());
        action->setObjectName(b.key);
        action->setToolTip(b.tip);
        action->setEnabled(b.enabled);
        if (QWidget *w = tbToolbar->widgetForAction(action))
            w->setObjectName(b.key);
    }
}

// The toolbar's buttons and the images have their sizes in twips too: 16 x 16 pixel images at
// 96 dpi, larger ones on a screen of more dots without Qt's scaling.
void ucTCPrivate::sizeButtonsAndImages()
{
    tbToolbar->setIconSize(QSize(twipsToPixelsX(q, 240), twipsToPixelsY(q, 240)));
    for (QAction *action : tbToolbar->actions()) {
        if (QWidget *w = action->isSeparator() ? nullptr : tbToolbar->widgetForAction(action))
            w->setFixedSize(twipsToPixelsX(q, kToolbarButtonWidth), twipsToPixelsY(q, kToolbarButtonHeight));
    }
    cmdViewTextFile->setIconSize(QSize(twipsToPixelsX(q, 180), twipsToPixelsY(q, 180)));
}

void ucTCPrivate::createEditorPage()
{
    QWidget *page = picTC[0];
    lblVersComp = makeLabel(page, u"lblVersComp"_s, u"Duke Nukem 3D Version Compatibilty:"_s, {1320, 120, 2895, 255});
    cboVersComp = makeAt<QComboBox>(page, u"cboVersComp"_s, {4200, 120, 1692, 315});
    lblTC = makeLabel(page, u"lblTC"_s, u"TC Name:"_s, {0, 480, 855, 255});
    txtTCName = makeAt<QLineEdit>(page, u"txtTCName"_s, {960, 480, 2292, 300});
    cboTClist = makeAt<QComboBox>(page, u"cboTClist"_s, {3360, 480, 2532, 315});
    // A plain list of names: a standard item per name costs several allocations, which
    // with tens of thousands of names is most of filling the list at start-up.
    m_names = new QStringListModel(cboTClist);
    cboTClist->setModel(m_names);
    lblGroup = makeLabel(page, u"lblGroup"_s, u"Group File:"_s, {0, 840, 855, 255});
    lblGroupFile = makeDisplay(page, u"lblGroupFile"_s, {960, 840, 4935, 255});
    cmdGroupFile = makeButton(page, u"cmdGroupFile"_s, u"..."_s, {6000, 840, 252, 252});
    lblGame = makeLabel(page, u"lblGame"_s, u"Game Con:"_s, {0, 1200, 855, 255});
    lblGameCon = makeDisplay(page, u"lblGameCon"_s, {960, 1200, 4935, 255});
    cmdGameCon = makeButton(page, u"cmdGameCon"_s, u"..."_s, {6000, 1185, 252, 252});
    lblTCText = makeLabel(page, u"lblTCText"_s, u"Text File:"_s, {0, 1560, 855, 255});
    lblTextFile = makeDisplay(page, u"lblTextFile"_s, {960, 1560, 4575, 255});
    cmdViewTextFile = makeAt<QToolButton>(page, u"cmdViewTextFile"_s, {5640, 1560, 252, 252});
    cmdViewTextFile->setIcon(viewTextFileIcon(q->palette()));
    cmdViewTextFile->setToolTip(u"View Text File..."_s);
    cmdTextFile = makeButton(page, u"cmdTextFile"_s, u"..."_s, {6000, 1560, 252, 252});
    lblOther = makeLabel(page, u"lblOther"_s, u"Other Files:"_s, {0, 1920, 855, 255});
    lstOtherFiles = makeAt<QListWidget>(page, u"lstOtherFiles"_s, {960, 1920, 4932, 1230});
    cmdOtherFiles = makeButton(page, u"cmdOtherFiles"_s, u"..."_s, {6000, 1920, 252, 252});
    cmdOtherRemove = makeButton(page, u"cmdOtherRemove"_s, u"X"_s, {6000, 2280, 252, 252});
    QFont bold = cmdOtherRemove->font();
    bold.setBold(true);
    cmdOtherRemove->setFont(bold);

    for (QWidget *w : std::initializer_list<QWidget *>{cboVersComp, txtTCName, cmdGroupFile, cmdGameCon, cmdTextFile,
             cmdViewTextFile, cmdOtherFiles, cmdOtherRemove})
        w->setEnabled(false);
}

void ucTCPrivate::createCleanupPage()
{
    QWidget *page = picTC[1];
    Label1 = makeLabel(page, u"Label1"_s,
        u"Please select the type of directory clean-up you prefer when launching TC's:"_s, {240, 240, 5772, 252});
    optDelete = makeAt<QRadioButton>(page, u"optDelete"_s, {360, 480, 4572, 372});
    optDelete->setText(u"Delete all files that duplicate any files in the TC"_s);
    optRename = makeAt<QRadioButton>(page, u"optRename"_s, {360, 840, 4572, 372});
    optRename->setText(u"Rename all files that duplicate any files in the TC (*.org)"_s);
    optNone = makeAt<QRadioButton>(page, u"optNone"_s, {360, 1200, 4572, 372});
    optNone->setText(u"Do not perform directory clean-up (Not Recommended)"_s);
    // Exactly one can be chosen: clicking the chosen one keeps it, and the arrow keys move the
    // choice as option buttons do. Only a stored text that matches none leaves all three off.
    m_cleanupOptions = new QButtonGroup(q);
    for (QRadioButton *option : {optDelete, optRename, optNone})
        m_cleanupOptions->addButton(option);
    lblNote = makeLabel(page, u"lblNote"_s,
        u"* Note: When launching Zeffin Internet games, some files will always be renamed."_s, {240, 1680, 6012, 372});
    fraDiv = makeAt<QFrame>(page, u"fraDiv"_s, {120, 1920, 6372, 132});
    fraDiv->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    lblLaunchInfo = makeLabel(page, u"lblLaunchInfo"_s,
        u"Duke3d will use a file located in the Duke3d directory instead of a file by the "
        "same name in the group. This may cause the TC to act strangely or even crash Duke3d."_s,
        {240, 2160, 6012, 612});
    lblLaunchInfo2 = makeLabel(page, u"lblLaunchInfo2"_s,
        u"Typically, extra files in the Duke3d directory are from other TC's, User Maps, or "
        "Specialty Cons and can safely be deleted when launching a new TC or Custom Group. "_s,
        {240, 2760, 6012, 732});
    for (QLabel *label : {lblNote, lblLaunchInfo, lblLaunchInfo2}) {
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
}

// Once the control is in a window on a screen: a move to a screen of another DPI, or a new
// DPI of the same screen, changes how many pixels a twip is.
void ucTCPrivate::followScreen()
{
    QWindow *window = q->window()->windowHandle();
    if (!window || window == m_window)
        return;
    if (m_window)
        QObject::disconnect(m_window, nullptr, q, nullptr);
    m_window = window;
    QObject::connect(window, &QWindow::screenChanged, q, [this](QScreen *screen) {
        watchScreen(screen);
        applyDpi();
    });
    watchScreen(window->screen());
}

void ucTCPrivate::watchScreen(QScreen *screen)
{
    QObject::disconnect(m_screenDpi);
    if (screen)
        m_screenDpi = QObject::connect(screen, &QScreen::logicalDotsPerInchChanged, q, [this] { applyDpi(); });
}

void ucTCPrivate::applyDpi()
{
    for (QWidget *page : picTC)
        reapplyTwips(page);
    sizeButtonsAndImages();
    UserControl_Resize();
}

void ucTCPrivate::recolourImages()
{
    if (!cmdViewTextFile)
        return;
    for (const auto &[key, icon] : toolbarImageList(q->palette())) {
        if (QAction *action = button(key))
            action->setIcon(icon);
    }
    cmdViewTextFile->setIcon(viewTextFileIcon(q->palette()));
}

void ucTCPrivate::UserControl_Resize()
{
    if (!tbToolbar)
        return;
    ShellLayoutInput in;
    in.controlWidth = int(std::lround(pixelsToTwipsX(q, q->width())));
    in.clientWidth = pixelsToTwipsX(q, q->width());
    in.clientHeight = pixelsToTwipsY(q, q->height());
    // The toolbar takes the height its buttons need.
    const TwipsRect toolbar = twipsOf(tbToolbar);
    in.toolbarTop = toolbar.top;
    in.toolbarHeight = int(std::lround(pixelsToTwipsY(q, tbToolbar->sizeHint().height())));
    in.tabStripLeft = twipsOf(tbsTabStrip).left;
    for (QWidget *page : picTC)
        in.pageLefts.push_back(twipsOf(page).left);

    const ShellLayout out = computeShellLayout(in);
    placeTwips(tbToolbar, {toolbar.left, toolbar.top, out.toolbarWidth, in.toolbarHeight});
    placeTwips(tbsTabStrip, out.tabStrip);
    for (size_t i = 0; i < out.pages.size(); ++i) {
        placeTwips(picTC[i], out.pages[i]);
        picTC[i]->raise();
    }
    TwipsRect divider = twipsOf(fraDiv);
    divider.width = out.dividerWidth;
    placeTwips(fraDiv, divider);
}

void ucTCPrivate::tbsTabStrip_Click()
{
    const int selected = tbsTabStrip->SelectedItem();
    for (int i = 0; i < 2; ++i) {
        TwipsRect r = twipsOf(picTC[i]);
        const bool shown = i == selected - 1;
        r.left = shown ? kShownPageLeft : kHiddenPageLeft;
        placeTwips(picTC[i], r);
        picTC[i]->setEnabled(shown);
    }
}
