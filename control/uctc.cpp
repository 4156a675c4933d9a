#include "control/uctc_p.h"

#include "store/appnames.h"

#include "control/shelllayout.h"
#include "platform/commondialog.h"
#include "platform/messageboxes.h"
#include "platform/platformservices.h"
#include "scripts/scriptbuffer.h"
#include "store/definitionkeys.h"
#include "store/definitionstore.h"
#include "store/settingsstore.h"
#include "widgets/dialogfont.h"
#include "widgets/tabstrip.h"
#include "widgets/toolstrip.h"
#include "widgets/twips.h"
#include "widgets/twipswidgets.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringListModel>
#include <QToolButton>

using namespace Qt::StringLiterals;
using namespace ostrel;

ucTC::ucTC(QWidget *parent)
    : ucTC(PlatformServices::defaults(), parent)
{
}

ucTC::ucTC(const PlatformServices &services, QWidget *parent)
    : QWidget(parent)
    , d(std::make_unique<ucTCPrivate>(this, services))
{
    setObjectName(u"ucTC"_s);
    setFont(dialogFont(font()));

    d->cdlCont = new CommonDialog(d->m_services->fileDialogs, this, this);
    d->cdlCont->setObjectName(u"cdlCont"_s);
    d->createToolbar();
    d->tbsTabStrip = makeAt<TabStrip>(this, u"tbsTabStrip"_s, {0, 360, 6495, 4545});
    d->tbsTabStrip->addTab(u"View/Add TCs and Custom Groups"_s);
    d->tbsTabStrip->addTab(u"Directory Clean-up"_s);
    d->picTC[0] = makeAt<QWidget>(this, u"picTC0"_s, {120, 720, 6252, 4092});
    d->picTC[1] = makeAt<QWidget>(this, u"picTC1"_s, {480, 5280, 6252, 4092});
    d->createEditorPage();
    d->createCleanupPage();
    d->sizeButtonsAndImages();
    d->wireEvents();
    d->setUpKeyboard();
    d->setUpAccessibility();
    d->setUpDrops();

    d->UserControl_Initialize();
    resize(twipsToPixelsX(this, 6495), twipsToPixelsY(this, 360 + 4545));
}

ucTC::~ucTC() = default;

void ucTC::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    d->UserControl_Resize();
}

void ucTC::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    d->followScreen();
}

void ucTC::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // The images are drawn in the palette's colours: a dark palette needs light ones. A new
    // application palette arrives here as PaletteChange, once this widget's is resolved.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        d->recolourImages();
}

ucTCPrivate::ucTCPrivate(ucTC *control, const PlatformServices &services)
    : q(control)
    , m_services(std::make_unique<PlatformServices>(services))
    , m_definitions(std::make_unique<DefinitionStore>(*m_services->store))
    , rtbScript(std::make_unique<ScriptBuffer>())
{
}

ucTCPrivate::~ucTCPrivate() = default;

void ucTCPrivate::wireEvents()
{
    QObject::connect(tbToolbar, &ToolStrip::actionTriggered, q,
        [this](QAction *action) { tbToolbar_ButtonClick(action->objectName()); });
    QObject::connect(tbsTabStrip, &TabStrip::Click, q, [this] { tbsTabStrip_Click(); });
    // The user's choice loads, also of the item already shown; code only ever clears the
    // choice, which loads nothing.
    QObject::connect(cboTClist, &QComboBox::activated, q, [this] { cboTClist_Click(); });
    QObject::connect(cboVersComp, &QComboBox::currentIndexChanged, q, [this](int index) {
        if (index != -1)
            cboVersComp_Click();
    });
    // Every click writes, also one on the option already chosen (mouse, Space, or the arrow
    // keys, which click the option they move to).
    QObject::connect(m_cleanupOptions, &QButtonGroup::buttonClicked, q,
        [this](QAbstractButton *option) { optCleanup_Click(cleanupValueOf(option)); });
    const std::pair<QAbstractButton *, void (ucTCPrivate::*)()> pickers[] = {
        {cmdGroupFile, &ucTCPrivate::cmdGroupFile_Click},
        {cmdGameCon, &ucTCPrivate::cmdGameCon_Click},
        {cmdTextFile, &ucTCPrivate::cmdTextFile_Click},
        {cmdOtherFiles, &ucTCPrivate::cmdOtherFiles_Click},
        {cmdOtherRemove, &ucTCPrivate::cmdOtherRemove_Click},
        {cmdViewTextFile, &ucTCPrivate::cmdViewTextFile_Click},
    };
    for (const auto &[picker, handler] : pickers)
        QObject::connect(picker, &QAbstractButton::clicked, q, [this, handler = handler] { (this->*handler)(); });
}

QAction *ucTCPrivate::button(const QString &key) const
{
    for (QAction *action : tbToolbar->actions()) {
        if (action->objectName() == key)
            return action;
    }
    return nullptr;
}

// The buttons of the browse state, or those of the edited and new-definition states.
void ucTCPrivate::setModeButtons(bool browse)
{
    button(u"New"_s)->setEnabled(browse);
    button(u"Delete"_s)->setEnabled(browse);
    button(u"CancelNew"_s)->setEnabled(!browse);
    button(u"Save"_s)->setEnabled(!browse);
    button(u"Script"_s)->setEnabled(browse);
}

// A combo box chooses the first item added to it by itself; the names list must not,
// since choosing a name loads it.
void ucTCPrivate::appendName(const QString &name)
{
    const int chosen = cboTClist->currentIndex();
    const QSignalBlocker quiet(cboTClist);
    cboTClist->addItem(name);
    cboTClist->setCurrentIndex(chosen);
}

// A page that is not shown is disabled, and with it every control on it: the editing mode
// and the pickers' states are the controls' own, whichever page is shown.
bool ucTCPrivate::isSwitchedOn(const QWidget *control)
{
    return !control->testAttribute(Qt::WA_ForceDisabled);
}

bool ucTCPrivate::isNewDefinition() const
{
    return isSwitchedOn(txtTCName);
}

void ucTCPrivate::reportStoreFailure(const QString &what, const QString &why)
{
    m_services->messages->exclamation(q, kHostName.toString(), what + u"\n\n"_s + why);
}

void ucTCPrivate::UserControl_Initialize()
{
    // Start-up never fails: a store that cannot be read leaves the lists empty.
    try {
        // All at once: one by one, tens of thousands of names take seconds. As with
        // appendName, the list must not choose the first of them by itself.
        const QStringList names = m_definitions->names();
        const QSignalBlocker quiet(cboTClist);
        m_names->setStringList(names);
        cboTClist->setCurrentIndex(-1);
    } catch (const StoreError &) {
    }
    try {
        // Choosing the stored option writes it back in its own spelling.
        if (QRadioButton *option = cleanupOptionFor(m_definitions->cleanupPreference())) {
            option->setChecked(true);
            m_definitions->setCleanupPreference(cleanupValueOf(option));
        }
    } catch (const StoreError &) {
    }
    const QSignalBlocker quiet(cboVersComp);
    cboVersComp->addItems(versionCompatibilityItems());
    cboVersComp->setCurrentIndex(-1);
}

void ucTCPrivate::tbToolbar_ButtonClick(const QString &key)
{
    if (key == u"New") {
        BeginNewDefinition();
    } else if (key == u"CancelNew") {
        CancelNewDefinition();
    } else if (key == u"Save") {
        SaveDefinition();
        Q_EMIT q->LoadTCNames();
    } else if (key == u"Delete") {
        DeleteDefinition();
        Q_EMIT q->LoadTCNames();
    } else if (key == u"LoadScript") {
        LoadScriptFile();
    } else if (key == u"Script") {
        CreateScript();
    } else if (key == u"ScriptView") {
        ViewScript();
    }
}

#include "moc_uctc.cpp"
