#include "control/uctc.h"

#include "widgets/dialogfont.h"
#include "widgets/listentries.h"
#include "widgets/pathcaption.h"
#include "control/shelllayout.h"
#include "widgets/tabstrip.h"
#include "widgets/toolbaricons.h"
#include "widgets/twips.h"
#include "widgets/twipswidgets.h"
#include "platform/commondialog.h"
#include "platform/libraryfolder.h"
#include "platform/messageboxes.h"
#include "platform/platformservices.h"
#include "platform/runnablefile.h"
#include "store/settingsstore.h"
#include "platform/shell.h"
#include "scripts/scriptbuffer.h"
#include "store/definitionkeys.h"
#include "store/definitionstore.h"

#include <QAbstractButton>
#include <QScreen>
#include <QWindow>
#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QStringListModel>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

using namespace Qt::StringLiterals;
using namespace ostrel;

namespace {

const QString kTitle = u"Quillon"_s;

constexpr int kToolbarButtonWidth = 609;
constexpr int kToolbarButtonHeight = 582;

} // namespace

ucTC::ucTC(QWidget *parent)
    : ucTC(PlatformServices::defaults(), parent)
{
}

ucTC::ucTC(const PlatformServices &services, QWidget *parent)
    : QWidget(parent)
    , m_services(std::make_unique<PlatformServices>(services))
    , m_definitions(std::make_unique<DefinitionStore>(*m_services->store))
    , rtbScript(std::make_unique<ScriptBuffer>())
{
    setObjectName(u"ucTC"_s);
    setFont(dialogFont(font()));

    cdlCont = new CommonDialog(m_services->fileDialogs, this, this);
    cdlCont->setObjectName(u"cdlCont"_s);

    createToolbar();
    tbsTabStrip = makeAt<TabStrip>(this, u"tbsTabStrip"_s, {0, 360, 6495, 4545});
    tbsTabStrip->addTab(u"View/Add TCs and Custom Groups"_s);
    tbsTabStrip->addTab(u"Directory Clean-up"_s);
    picTC[0] = makeAt<QWidget>(this, u"picTC0"_s, {120, 720, 6252, 4092});
    picTC[1] = makeAt<QWidget>(this, u"picTC1"_s, {480, 5280, 6252, 4092});
    createEditorPage();
    createCleanupPage();
    sizeButtonsAndImages();
    wireEvents();
    setUpKeyboard();
    setUpAccessibility();
    setUpDrops();

    UserControl_Initialize();
    resize(twipsToPixelsX(this, 6495), twipsToPixelsY(this, 360 + 4545));
}

ucTC::~ucTC() = default;

void ucTC::createToolbar()
{
    tbToolbar = makeAt<QToolBar>(this, u"tbToolbar"_s, {0, 0, 6255, 360});
    tbToolbar->setMovable(false);
    tbToolbar->setFloatable(false);
    tbToolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);

    const auto images = toolbarImageList(palette());
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
        QAction *action = tbToolbar->addAction(image(b.key), QString());
        action->setObjectName(b.key);
        action->setToolTip(b.tip);
        action->setEnabled(b.enabled);
        if (QWidget *w = tbToolbar->widgetForAction(action))
            w->setObjectName(b.key);
    }
}

// The toolbar's buttons and the images have their sizes in twips too: 16 x 16 pixel images at
// 96 dpi, larger ones on a screen of more dots without Qt's scaling.
void ucTC::sizeButtonsAndImages()
{
    tbToolbar->setIconSize(QSize(twipsToPixelsX(this, 240), twipsToPixelsY(this, 240)));
    for (QAction *action : tbToolbar->actions()) {
        if (QWidget *w = action->isSeparator() ? nullptr : tbToolbar->widgetForAction(action))
            w->setFixedSize(twipsToPixelsX(this, kToolbarButtonWidth), twipsToPixelsY(this, kToolbarButtonHeight));
    }
    cmdViewTextFile->setIconSize(QSize(twipsToPixelsX(this, 180), twipsToPixelsY(this, 180)));
}

void ucTC::createEditorPage()
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
    cmdViewTextFile->setIcon(viewTextFileIcon(palette()));
    cmdViewTextFile->setToolTip(u"View Text File..."_s);
    cmdTextFile = makeButton(page, u"cmdTextFile"_s, u"..."_s, {6000, 1560, 252, 252});
    lblOther = makeLabel(page, u"lblOther"_s, u"Other Files:"_s, {0, 1920, 855, 255});
    lstOtherFiles = makeAt<QListWidget>(page, u"lstOtherFiles"_s, {960, 1920, 4932, 1230});
    cmdOtherFiles = makeButton(page, u"cmdOtherFiles"_s, u"..."_s, {6000, 1920, 252, 252});
    cmdOtherRemove = makeButton(page, u"cmdOtherRemove"_s, u"X"_s, {6000, 2280, 252, 252});
    QFont bold = cmdOtherRemove->font();
    bold.setBold(true);
    cmdOtherRemove->setFont(bold);

    for (QWidget *w : std::initializer_list<QWidget *>{cboVersComp, txtTCName, cmdGroupFile, cmdGameCon,
                                                       cmdTextFile, cmdViewTextFile, cmdOtherFiles,
                                                       cmdOtherRemove})
        w->setEnabled(false);
}

void ucTC::createCleanupPage()
{
    QWidget *page = picTC[1];
    Label1 = makeLabel(page, u"Label1"_s,
                       u"Please select the type of directory clean-up you prefer when launching TC's:"_s,
                       {240, 240, 5772, 252});
    optDelete = makeAt<QRadioButton>(page, u"optDelete"_s, {360, 480, 4572, 372});
    optDelete->setText(u"Delete all files that duplicate any files in the TC"_s);
    optRename = makeAt<QRadioButton>(page, u"optRename"_s, {360, 840, 4572, 372});
    optRename->setText(u"Rename all files that duplicate any files in the TC (*.org)"_s);
    optNone = makeAt<QRadioButton>(page, u"optNone"_s, {360, 1200, 4572, 372});
    optNone->setText(u"Do not perform directory clean-up (Not Recommended)"_s);
    // Exactly one can be chosen: clicking the chosen one keeps it, and the arrow keys move the
    // choice as option buttons do. Only a stored text that matches none leaves all three off.
    m_cleanupOptions = new QButtonGroup(this);
    for (QRadioButton *option : {optDelete, optRename, optNone})
        m_cleanupOptions->addButton(option);
    lblNote = makeLabel(page, u"lblNote"_s,
                        u"* Note: When launching Zeffin Internet games, some files will always be renamed."_s,
                        {240, 1680, 6012, 372});
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

void ucTC::wireEvents()
{
    connect(tbToolbar, &QToolBar::actionTriggered, this,
            [this](QAction *action) { tbToolbar_ButtonClick(action->objectName()); });
    connect(tbsTabStrip, &TabStrip::Click, this, &ucTC::tbsTabStrip_Click);
    // The user's choice loads, also of the item already shown; code only ever clears the
    // choice, which loads nothing.
    connect(cboTClist, &QComboBox::activated, this, &ucTC::cboTClist_Click);
    connect(cboVersComp, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index != -1)
            cboVersComp_Click();
    });
    // Every click writes, also one on the option already chosen (mouse, Space, or the arrow
    // keys, which click the option they move to).
    connect(m_cleanupOptions, &QButtonGroup::buttonClicked, this,
            [this](QAbstractButton *option) { optCleanup_Click(cleanupValueOf(option)); });
    connect(cmdGroupFile, &QPushButton::clicked, this, &ucTC::cmdGroupFile_Click);
    connect(cmdGameCon, &QPushButton::clicked, this, &ucTC::cmdGameCon_Click);
    connect(cmdTextFile, &QPushButton::clicked, this, &ucTC::cmdTextFile_Click);
    connect(cmdOtherFiles, &QPushButton::clicked, this, &ucTC::cmdOtherFiles_Click);
    connect(cmdOtherRemove, &QPushButton::clicked, this, &ucTC::cmdOtherRemove_Click);
    connect(cmdViewTextFile, &QToolButton::clicked, this, &ucTC::cmdViewTextFile_Click);
}

QAction *ucTC::button(const QString &key) const
{
    for (QAction *action : tbToolbar->actions()) {
        if (action->objectName() == key)
            return action;
    }
    return nullptr;
}

// The buttons of the browse state, or those of the edited and new-definition states.
void ucTC::setModeButtons(bool browse)
{
    button(u"New"_s)->setEnabled(browse);
    button(u"Delete"_s)->setEnabled(browse);
    button(u"CancelNew"_s)->setEnabled(!browse);
    button(u"Save"_s)->setEnabled(!browse);
    button(u"Script"_s)->setEnabled(browse);
}

// A combo box chooses the first item added to it by itself; the names list must not,
// since choosing a name loads it.
void ucTC::appendName(const QString &name)
{
    const int chosen = cboTClist->currentIndex();
    const QSignalBlocker quiet(cboTClist);
    cboTClist->addItem(name);
    cboTClist->setCurrentIndex(chosen);
}

// ---- Start-up, layout, pages, dispatch

void ucTC::UserControl_Initialize()
{
    // Start-up never fails: a store that cannot be read leaves the lists empty.
    try {
        // All at once: one by one, tens of thousands of names take seconds. As with
        // appendName, the list must not choose the first of them by itself.
        const QStringList names = m_definitions->names();
        const QSignalBlocker quiet(cboTClist);
        m_names->setStringList(names);
        cboTClist->setCurrentIndex(-1);
    } catch (...) {
    }
    try {
        // Choosing the stored option writes it back in its own spelling.
        if (QRadioButton *option = cleanupOptionFor(m_definitions->cleanupPreference())) {
            option->setChecked(true);
            m_definitions->setCleanupPreference(cleanupValueOf(option));
        }
    } catch (...) {
    }
    const QSignalBlocker quiet(cboVersComp);
    cboVersComp->addItems(versionCompatibilityItems());
    cboVersComp->setCurrentIndex(-1);
}

void ucTC::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    UserControl_Resize();
}

void ucTC::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    followScreen();
}

// Once the control is in a window on a screen: a move to a screen of another DPI, or a new
// DPI of the same screen, changes how many pixels a twip is.
void ucTC::followScreen()
{
    QWindow *window = this->window()->windowHandle();
    if (!window || window == m_window)
        return;
    if (m_window)
        disconnect(m_window, nullptr, this, nullptr);
    m_window = window;
    connect(window, &QWindow::screenChanged, this, [this](QScreen *screen) {
        watchScreen(screen);
        applyDpi();
    });
    watchScreen(window->screen());
}

void ucTC::watchScreen(QScreen *screen)
{
    disconnect(m_screenDpi);
    if (screen)
        m_screenDpi = connect(screen, &QScreen::logicalDotsPerInchChanged, this, &ucTC::applyDpi);
}

void ucTC::applyDpi()
{
    for (QWidget *page : picTC)
        reapplyTwips(page);
    sizeButtonsAndImages();
    UserControl_Resize();
}

void ucTC::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // The images are drawn in the palette's colours: a dark palette needs light ones. A new
    // application palette arrives here as PaletteChange, once this widget's is resolved.
    const bool recolour = event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange;
    if (recolour && cmdViewTextFile) {
        for (const auto &[key, icon] : toolbarImageList(palette())) {
            if (QAction *action = button(key))
                action->setIcon(icon);
        }
        cmdViewTextFile->setIcon(viewTextFileIcon(palette()));
    }
}

void ucTC::UserControl_Resize()
{
    if (!tbToolbar)
        return;
    ShellLayoutInput in;
    in.controlWidth = int(std::lround(pixelsToTwipsX(this, width())));
    in.clientWidth = pixelsToTwipsX(this, width());
    in.clientHeight = pixelsToTwipsY(this, height());
    // The toolbar takes the height its buttons need.
    const TwipsRect toolbar = twipsOf(tbToolbar);
    in.toolbarTop = toolbar.top;
    in.toolbarHeight = int(std::lround(pixelsToTwipsY(this, tbToolbar->sizeHint().height())));
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

void ucTC::tbsTabStrip_Click()
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

void ucTC::tbToolbar_ButtonClick(const QString &key)
{
    if (key == u"New") {
        BeginNewDefinition();
    } else if (key == u"CancelNew") {
        CancelNewDefinition();
    } else if (key == u"Save") {
        SaveDefinition();
        Q_EMIT LoadTCNames();
    } else if (key == u"Delete") {
        DeleteDefinition();
        Q_EMIT LoadTCNames();
    } else if (key == u"LoadScript") {
        LoadScriptFile();
    } else if (key == u"Script") {
        CreateScript();
    } else if (key == u"ScriptView") {
        ViewScript();
    }
}

// ---- Editing modes

void ucTC::ClearDefinitionFields()
{
    cboVersComp->setCurrentIndex(-1);
    txtTCName->setText(QString());
    setPathCaption(lblGroupFile, QString());
    setPathCaption(lblGameCon, QString());
    setPathCaption(lblTextFile, QString());
    lstOtherFiles->clear();
    markMissingFiles();
}

void ucTC::BeginNewDefinition()
{
    ClearDefinitionFields();
    for (QWidget *w : std::initializer_list<QWidget *>{cboVersComp, txtTCName, cmdGroupFile, cmdGameCon,
                                                       cmdTextFile, cmdViewTextFile, cmdOtherFiles,
                                                       cmdOtherRemove})
        w->setEnabled(true);
    cboTClist->setCurrentIndex(-1);
    cboTClist->setEnabled(false);
    setModeButtons(false);
    cboVersComp->setFocus();
}

void ucTC::CancelNewDefinition()
{
    ClearDefinitionFields();
    for (QWidget *w : std::initializer_list<QWidget *>{cboVersComp, txtTCName, cmdGroupFile, cmdGameCon,
                                                       cmdTextFile, cmdViewTextFile, cmdOtherFiles,
                                                       cmdOtherRemove})
        w->setEnabled(false);
    cboTClist->setEnabled(true);
    setModeButtons(true);
}

// A page that is not shown is disabled, and with it every control on it: the editing mode
// and the pickers' states are the controls' own, whichever page is shown.
bool ucTC::isSwitchedOn(const QWidget *control)
{
    return !control->testAttribute(Qt::WA_ForceDisabled);
}

bool ucTC::isNewDefinition() const
{
    return isSwitchedOn(txtTCName);
}

void ucTC::MarkDefinitionChanged()
{
    // A new definition is already being entered: Save and CancelNew are on.
    if (isNewDefinition())
        return;
    setModeButtons(false);
}

// ---- Loading

void ucTC::chooseVersion(const QString &value)
{
    for (int i = 0; i < cboVersComp->count(); ++i) {
        if (cboVersComp->itemText(i).toUpper() == value.toUpper()) {
            cboVersComp->setCurrentIndex(i);
            return;
        }
    }
}

void ucTC::cboTClist_Click()
{
    if (cboTClist->currentIndex() == -1)
        return;
    const QString name = cboTClist->currentText();
    ClearDefinitionFields();
    const std::optional<TcDefinition> stored = m_definitions->load(name);
    if (!stored)
        return;
    chooseVersion(stored->version);
    txtTCName->setText(stored->name);
    setPathCaption(lblGroupFile, stored->groupFile);
    setPathCaption(lblGameCon, stored->gameCon);
    setPathCaption(lblTextFile, stored->textFile);
    lstOtherFiles->addItems(stored->otherFiles);
    markMissingFiles();
    for (QWidget *w : std::initializer_list<QWidget *>{cboVersComp, cmdGroupFile, cmdGameCon, cmdTextFile,
                                                       cmdViewTextFile, cmdOtherFiles, cmdOtherRemove})
        w->setEnabled(true);
    cboTClist->setCurrentIndex(-1);
    setModeButtons(true);
}

void ucTC::cboVersComp_Click()
{
    MarkDefinitionChanged();
}

// ---- Clean-up preference

void ucTC::optCleanup_Click(const QString &value)
{
    try {
        m_definitions->setCleanupPreference(value);
    } catch (const StoreError &error) {
        // The page shows what the launcher will read.
        showCleanup(m_definitions->cleanupPreference());
        reportStoreFailure(u"The directory clean-up preference could not be saved."_s, error.message());
    }
}

QRadioButton *ucTC::cleanupOptionFor(const QString &stored) const
{
    const QString upper = stored.toUpper();
    for (QRadioButton *option : {optDelete, optRename, optNone}) {
        if (upper == cleanupValueOf(option).toUpper())
            return option;
    }
    return nullptr;
}

QString ucTC::cleanupValueOf(const QAbstractButton *option) const
{
    if (option == optDelete)
        return u"Delete"_s;
    if (option == optRename)
        return u"Rename"_s;
    return u"None"_s;
}

// Shows the stored text's option, or none for a text that matches none of them.
void ucTC::showCleanup(const QString &stored)
{
    QRadioButton *chosen = cleanupOptionFor(stored);
    m_cleanupOptions->setExclusive(false);
    for (QAbstractButton *option : m_cleanupOptions->buttons())
        option->setChecked(option == chosen);
    m_cleanupOptions->setExclusive(true);
}

void ucTC::reportStoreFailure(const QString &what, const QString &why)
{
    m_services->messages->exclamation(this, kTitle, what + u"\n\n"_s + why);
}

// ---- File pickers

QString ucTC::initialFolder() const
{
    return cdlCont->FileName.isEmpty() ? libraryVolumeRoot() : cdlCont->folderOfFileName();
}

void ucTC::pickFile(const QString &filter, const std::function<void(const QString &)> &putPath)
{
    cdlCont->Filter = filter;
    cdlCont->FilterIndex = 1;
    cdlCont->InitDir = initialFolder();
    cdlCont->FileName = QString();
    if (!cdlCont->ShowOpen())
        return;
    putPath(cdlCont->FileName);
    markMissingFiles();
    MarkDefinitionChanged();
}

void ucTC::cmdGroupFile_Click()
{
    pickFile(u"Group Files (*.grp)|*.grp"_s, [this](const QString &path) { setPathCaption(lblGroupFile, path); });
}

void ucTC::cmdGameCon_Click()
{
    pickFile(u"Con Files (*.con)|*.con"_s, [this](const QString &path) { setPathCaption(lblGameCon, path); });
}

void ucTC::cmdTextFile_Click()
{
    pickFile(u"Text Files (*.txt)|*.txt"_s, [this](const QString &path) { setPathCaption(lblTextFile, path); });
}

void ucTC::cmdOtherFiles_Click()
{
    pickFile(u"All Files (*.*)|*.*"_s, [this](const QString &path) { lstOtherFiles->addItem(path); });
}

void ucTC::cmdOtherRemove_Click()
{
    if (removeSelectedEntry(lstOtherFiles))
        MarkDefinitionChanged();
}

void ucTC::cmdViewTextFile_Click()
{
    const QString path = lblTextFile->text();
    if (path.isEmpty())
        return;
    // The script that defined the TC chose this name; some desktops run a program or a
    // launcher when asked to open it.
    if (const QString danger = whyOpeningCouldRun(path); !danger.isEmpty()) {
        m_services->messages->exclamation(
            this, kTitle, u"The text file \"%1\" was not opened: %2, and opening it could run it."_s.arg(path, danger));
        return;
    }
    m_services->shell->open(this, path);
}

// ---- Saving and removing

bool ucTC::ValidateDefinition()
{
    if (!isNewDefinition())
        return false;
    const QString name = txtTCName->text();
    QString problem;
    const QStringList names = m_names->stringList();
    if (std::any_of(names.cbegin(), names.cend(), SameDefinitionName(name)))
        problem = u"TC and Custom Group names must be unique. Save aborted."_s;
    if (problem.isEmpty() && cboVersComp->currentText().isEmpty())
        problem = u"Please set the Version Compatibility."_s;
    if (problem.isEmpty() && lblGroupFile->text().isEmpty())
        problem = u"Please select a group file."_s;
    if (problem.isEmpty())
        return false;
    m_services->messages->exclamation(this, kTitle, problem);
    return true;
}

// The definition as the editor shows it.
TcDefinition ucTC::editedDefinition() const
{
    TcDefinition definition;
    definition.name = txtTCName->text();
    definition.version = cboVersComp->currentText();
    definition.groupFile = lblGroupFile->text();
    definition.gameCon = lblGameCon->text();
    definition.textFile = lblTextFile->text();
    for (int i = 0; i < lstOtherFiles->count(); ++i)
        definition.otherFiles << lstOtherFiles->item(i)->text();
    return definition;
}

void ucTC::SaveDefinition()
{
    if (ValidateDefinition())
        return;
    const TcDefinition definition = editedDefinition();
    const bool isNew = isNewDefinition();
    try {
        m_definitions->save(definition, isNew ? DefinitionStore::SaveKind::New : DefinitionStore::SaveKind::Existing);
    } catch (const StoreError &error) {
        reportStoreFailure(u"The TC definition \"%1\" could not be saved."_s.arg(definition.name), error.message());
        return;
    }
    if (isNew)
        appendName(definition.name);
    markMissingFiles();
    txtTCName->setEnabled(false);
    cboTClist->setEnabled(true);
    setModeButtons(true);
}

void ucTC::DeleteDefinition()
{
    const QString name = txtTCName->text();
    if (!m_services->messages->question(this, kTitle, u"Are you sure you want to remove this Definition?"_s, false))
        return;
    try {
        if (!m_definitions->remove(name))
            return;
    } catch (const StoreError &error) {
        reportStoreFailure(u"The TC definition \"%1\" could not be removed."_s.arg(name), error.message());
        return;
    }
    const QStringList names = m_names->stringList();
    const auto listed = std::find_if(names.cbegin(), names.cend(), SameDefinitionName(name));
    if (listed != names.cend())
        cboTClist->removeItem(int(listed - names.cbegin()));
    CancelNewDefinition();
}
