#include "host/launcherpanel.h"

#include <store/appnames.h>

#include "host/gamedirchooser.h"
#include "host/pathdialogs.h"

#include <launcher/maingroupcache.h>

#include <platform/formshower.h>
#include <platform/messageboxes.h>
#include <store/definitionstore.h>
#include <store/settingsstore.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

const QString kTitle = kHostName.toString();

// Item data: whether the group file was looked for, so a long list is checked only where
// the player looks.
constexpr int kCheckedRole = Qt::UserRole + 1;

} // namespace

LauncherPanel::LauncherPanel(const PlatformServices &services, std::shared_ptr<PathDialogs> pathDialogs,
    const QString &stateDir, QWidget *parent)
    : QWidget(parent)
    , m_services(services)
    , m_pathDialogs(std::move(pathDialogs))
    , m_launcher(new Launcher(*m_services.store, m_trash, stateDir, this))
    , cboGameDir(new GameDirChooser(MainGroupCache::fileIn(stateDir)))
{
    createWidgets();
    m_saved = HostSettings::read(*m_services.store);
    showSettings(m_saved);

    connect(txtFilter, &QLineEdit::textChanged, this, &LauncherPanel::applyFilter);
    connect(lstTCs, &QListWidget::itemDoubleClicked, this, &LauncherPanel::launchSelected);
    connect(lstTCs, &QListWidget::itemSelectionChanged, this, &LauncherPanel::updateControls);
    connect(lstTCs->verticalScrollBar(), &QScrollBar::valueChanged, this, &LauncherPanel::markVisibleItems);
    lstTCs->installEventFilter(this);
    lstTCs->viewport()->installEventFilter(this);
    connect(cboGameDir, &GameDirChooser::folderChosen, this, &LauncherPanel::keepChosenGameDir);
    connect(cboGameDir, &GameDirChooser::likeliestInstallChosen, this, &LauncherPanel::keepLikeliestGameDir);
    connect(cboGameDir, &GameDirChooser::otherFolderRequested, this, &LauncherPanel::chooseOtherGameDir);
    connect(cmdShortcut, &QPushButton::clicked, this, &LauncherPanel::createShortcut);
    connect(cmdProgram, &QToolButton::clicked, this, &LauncherPanel::chooseProgram);
    connect(cmdAddTc, &QPushButton::clicked, this, &LauncherPanel::chooseArchive);
    for (QLineEdit *field : {txtProgram, txtArguments})
        connect(field, &QLineEdit::editingFinished, this, &LauncherPanel::saveSettings);
    connect(cboEngine, &QComboBox::activated, this, [this] {
        updateControls();
        saveSettings();
    });
    for (QCheckBox *box : {chkFlatpak, chkRestore})
        connect(box, &QCheckBox::toggled, this, &LauncherPanel::saveSettings);
    connect(cmdLaunch, &QPushButton::clicked, this, &LauncherPanel::launchSelected);
    connect(cmdRestore, &QPushButton::clicked, this, &LauncherPanel::restoreByHand);
    connect(cmdShowLog, &QPushButton::clicked, this, &LauncherPanel::showLastLog);

    connect(m_launcher, &Launcher::started, this, [this](const QString &label, const QString &log) {
        lblStatus->setText(u"\"%1\" runs. Its output goes to %2."_s.arg(label, log));
        updateControls();
    });
    // Reported once the event loop is back, so that no dialog holds up the launcher.
    connect(m_launcher, &Launcher::ended, this, &LauncherPanel::showOutcome, Qt::QueuedConnection);
    connect(m_launcher, &Launcher::pendingChanged, this, &LauncherPanel::followPending);

    reloadTCNames();
}

LauncherPanel::~LauncherPanel()
{
    // A game still running is ended and its directory given back with the trash, which is a
    // member: the launcher goes first, not with the children after the members.
    delete m_launcher;
}

void LauncherPanel::createWidgets()
{
    txtFilter = new QLineEdit;
    txtFilter->setObjectName(u"txtFilter"_s);
    txtFilter->setPlaceholderText(u"Filter the TCs"_s);
    // The clear button shows only over text, and making it loads the style's icon images: it
    // is made with the first text typed, not at every start.
    connect(
        txtFilter, &QLineEdit::textEdited, txtFilter, [this] { txtFilter->setClearButtonEnabled(true); },
        Qt::SingleShotConnection);
    lstTCs = new QListWidget;
    lstTCs->setObjectName(u"lstTCs"_s);
    lstTCs->setSelectionMode(QAbstractItemView::SingleSelection);
    // One line of text each, the warning sign or none: one height, measured once.
    lstTCs->setUniformItemSizes(true);
    const int smallIcon = style()->pixelMetric(QStyle::PM_SmallIconSize);
    lstTCs->setIconSize(QSize(smallIcon, smallIcon));
    lblCount = new QLabel;
    lblCount->setObjectName(u"lblCount"_s);
    cmdShortcut = new QPushButton(u"Create &shortcut"_s);
    cmdShortcut->setObjectName(u"cmdShortcut"_s);
    cmdShortcut->setToolTip(u"Put the chosen TC in the desktop's application menu: it opens Quillon with the TC chosen "
                            "and begins its launch"_s);
    cmdAddTc = new QPushButton(u"Add TC f&rom archive…"_s);
    cmdAddTc->setObjectName(u"cmdAddTc"_s);
    cmdAddTc->setToolTip(u"Add a TC from its downloaded archive (.zip, .7z, .rar, .tar...) or a .grpinfo file: see "
                         "what Quillon finds in it, then add it into a folder of its own. Dropping the archive on "
                         "the window does the same."_s);

    cboGameDir->setObjectName(u"cboGameDir"_s);
    cboEngine = new QComboBox;
    cboEngine->setObjectName(u"cboEngine"_s);
    for (EngineKind kind : {EngineKind::EDuke32, EngineKind::Raze, EngineKind::DosBox, EngineKind::Custom})
        cboEngine->addItem(engineKindName(kind), int(kind));
    txtProgram = new QLineEdit;
    txtProgram->setObjectName(u"txtProgram"_s);
    cmdProgram = new QToolButton;
    cmdProgram->setObjectName(u"cmdProgram"_s);
    cmdProgram->setText(u"..."_s);
    cmdProgram->setToolTip(u"Choose the engine program"_s);
    txtArguments = new QLineEdit;
    txtArguments->setObjectName(u"txtArguments"_s);
    txtArguments->setToolTip(u"The custom engine's arguments. Placeholders:\n"
                             "{gamedir}  the game directory\n"
                             "{maingroup}  the game's DUKE3D.GRP\n"
                             "{group}  the TC's group file\n"
                             "{con}  the TC's game con\n"
                             "{tcdir}  the folder of the TC's group file\n"
                             "{savedir}  the TC's own save folder\n"
                             "An option in brackets, as in [-x {con}], is left out when its placeholder is empty.\n"
                             "\"Double quotes\" keep words together; a path never splits, whatever it holds."_s);
    chkFlatpak = new QCheckBox(u"Use the &Flatpak app"_s);
    chkFlatpak->setObjectName(u"chkFlatpak"_s);
    chkRestore = new QCheckBox(u"&Give the game directory back when the game ends"_s);
    chkRestore->setObjectName(u"chkRestore"_s);
    cmdLaunch = new QPushButton(u"&Launch"_s);
    cmdLaunch->setObjectName(u"cmdLaunch"_s);
    cmdRestore = new QPushButton(u"Give the game directory &back"_s);
    cmdRestore->setObjectName(u"cmdRestore"_s);
    cmdShowLog = new QPushButton(u"Show l&og"_s);
    cmdShowLog->setObjectName(u"cmdShowLog"_s);
    lblStatus = new QLabel;
    lblStatus->setObjectName(u"lblStatus"_s);
    lblStatus->setWordWrap(true);
    lblStatus->setTextFormat(Qt::PlainText);
    lblStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Room for the longest message from the start, so the buttons never move under the mouse.
    lblStatus->setMinimumHeight(lblStatus->fontMetrics().lineSpacing() * 3);

    const auto labelFor = [](const QString &text, QWidget *buddy) {
        auto *label = new QLabel(text);
        label->setBuddy(buddy);
        return label;
    };
    const auto withButton = [](QLineEdit *field, QToolButton *button) {
        auto *row = new QHBoxLayout;
        row->setContentsMargins(0, 0, 0, 0);
        row->addWidget(field, 1);
        row->addWidget(button);
        return row;
    };
    auto *tcs = new QGroupBox(u"TCs"_s);
    auto *tcColumn = new QVBoxLayout(tcs);
    tcColumn->addWidget(txtFilter);
    tcColumn->addWidget(lstTCs, 1);
    auto *belowList = new QHBoxLayout;
    belowList->addWidget(lblCount, 1);
    belowList->addWidget(cmdAddTc);
    belowList->addWidget(cmdShortcut);
    tcColumn->addLayout(belowList);

    auto *game = new QGroupBox(u"Game and engine"_s);
    auto *form = new QFormLayout(game);
    form->addRow(labelFor(u"Game &directory:"_s, cboGameDir), cboGameDir);
    form->addRow(u"&Engine:"_s, cboEngine);
    form->addRow(labelFor(u"&Program:"_s, txtProgram), withButton(txtProgram, cmdProgram));
    form->addRow(u"&Arguments:"_s, txtArguments);
    form->addRow(chkFlatpak);
    form->addRow(chkRestore);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdLaunch);
    buttons->addWidget(cmdRestore);
    buttons->addWidget(cmdShowLog);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(tcs, 1);
    column->addWidget(game);
    column->addLayout(buttons);
    column->addWidget(lblStatus);
}

void LauncherPanel::showSettings(const HostSettings &settings)
{
    cboGameDir->setFolder(settings.gameDir);
    m_addedGameFolders = settings.addedGameFolders;
    cboEngine->setCurrentIndex(cboEngine->findData(int(settings.engine)));
    txtProgram->setText(settings.program);
    txtArguments->setText(settings.argumentTemplate);
    // A long path shows its start, where the player recognises it.
    for (QLineEdit *field : {txtProgram, txtArguments})
        field->setCursorPosition(0);
    const QSignalBlocker flatpak(chkFlatpak);
    const QSignalBlocker restore(chkRestore);
    chkFlatpak->setChecked(settings.preferFlatpak);
    chkRestore->setChecked(settings.restoreOnExit);
    updateControls();
}

HostSettings LauncherPanel::shownSettings() const
{
    HostSettings settings;
    settings.gameDir = cboGameDir->folder();
    settings.addedGameFolders = m_addedGameFolders;
    settings.engine = EngineKind(cboEngine->currentData().toInt());
    settings.program = txtProgram->text().trimmed();
    settings.argumentTemplate = txtArguments->text();
    settings.preferFlatpak = chkFlatpak->isChecked();
    settings.restoreOnExit = chkRestore->isChecked();
    return settings;
}

// Written as soon as a field is left, so the next start and the command line see it.
void LauncherPanel::saveSettings()
{
    const HostSettings settings = shownSettings();
    if (settings == m_saved)
        return;
    QString error;
    if (!settings.write(*m_services.store, &error)) {
        // Shown as the player left it, so a second try is possible; not written yet.
        warn(u"The launcher's settings could not be saved: %1"_s.arg(error));
        return;
    }
    m_saved = settings;
}

void LauncherPanel::reloadTCNames()
{
    const QString selected = lstTCs->currentItem() ? lstTCs->currentItem()->text() : QString();
    lstTCs->clear();
    const QStringList names = DefinitionStore(*m_services.store).names();
    for (const QString &name : names) {
        auto *item = new QListWidgetItem(name, lstTCs);
        if (name == selected)
            lstTCs->setCurrentItem(item);
    }
    applyFilter();
    // A first start: the empty list, the empty fields and the disabled Launch button say nothing
    // of where to begin. Not when the store cannot be read: the window says that instead.
    const QString firstSteps =
        u"No TC is stored yet. To begin, define one in the TC manager: \"Define New TC/Custom "
        "Group\" (the first button of its toolbar), or \"Define TC using supplied script\" for a "
        ".tcs file; or add a downloaded TC: drop its archive on this window, or click \"Add TC "
        "from archive…\". Then choose the game directory and the engine here, and launch it."_s;
    if (names.isEmpty() && lblStatus->text().isEmpty() && m_services.store->readProblem().isEmpty())
        lblStatus->setText(firstSteps);
    else if (!names.isEmpty() && lblStatus->text() == firstSteps)
        lblStatus->clear();
}

void LauncherPanel::applyFilter()
{
    const QString filter = txtFilter->text().trimmed();
    int shown = 0;
    for (int row = 0; row < lstTCs->count(); ++row) {
        QListWidgetItem *item = lstTCs->item(row);
        const bool hide = !filter.isEmpty() && !item->text().contains(filter, Qt::CaseInsensitive);
        item->setHidden(hide);
        shown += hide ? 0 : 1;
        // A hidden TC cannot be launched by a key the player did not aim at it.
        if (hide && item->isSelected())
            item->setSelected(false);
    }
    const int stored = lstTCs->count();
    if (filter.isEmpty())
        lblCount->setText(stored == 1 ? u"1 TC stored"_s : u"%1 TCs stored"_s.arg(stored));
    else
        lblCount->setText(u"%1 of %2 TCs match the filter"_s.arg(shown).arg(stored));
    markVisibleItems();
    updateControls();
}

// Loading a definition reads the whole section, so only the rows in sight are checked: a
// list of thousands opens at once, and a row is checked once as it scrolls into view.
void LauncherPanel::markVisibleItems()
{
    // Before the first show the list has no size yet, and every row would count as in sight.
    if (lstTCs->count() == 0 || !lstTCs->isVisible())
        return;
    const QRect viewport = lstTCs->viewport()->rect();
    QModelIndex first = lstTCs->indexAt(viewport.topLeft());
    QModelIndex last = lstTCs->indexAt(QPoint(0, viewport.bottom()));
    const int from = first.isValid() ? first.row() : 0;
    const int to = last.isValid() ? last.row() : lstTCs->count() - 1;
    const DefinitionStore definitions(*m_services.store);
    for (int row = from; row <= to; ++row) {
        QListWidgetItem *item = lstTCs->item(row);
        if (item->isHidden() || item->data(kCheckedRole).toBool())
            continue;
        item->setData(kCheckedRole, true);
        const std::optional<TcDefinition> tc = definitions.load(item->text());
        const QString group = tc ? tc->groupFile : QString();
        if (!QFileInfo(group).isFile()) {
            item->setIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
            item->setToolTip(u"Group file not found: %1"_s.arg(group.isEmpty() ? u"(none is set)"_s : group));
        }
    }
}

void LauncherPanel::chooseProgram()
{
    const QString start =
        txtProgram->text().contains(u'/') ? QFileInfo(txtProgram->text()).absolutePath() : QDir::homePath();
    if (const auto program = m_pathDialogs->chooseProgram(this, u"Engine program"_s, start)) {
        txtProgram->setText(*program);
        txtProgram->setCursorPosition(0);
        saveSettings();
    }
}

void LauncherPanel::updateControls()
{
    const bool custom = EngineKind(cboEngine->currentData().toInt()) == EngineKind::Custom;
    txtArguments->setEnabled(custom);
    txtProgram->setPlaceholderText(
        custom ? u"The program to start (required for Custom)"_s : u"Found on PATH or as a Flatpak app"_s);
    chkFlatpak->setEnabled(!custom);
    const bool running = isRunning();
    cmdLaunch->setEnabled(!running && !lstTCs->selectedItems().isEmpty());
    cmdShortcut->setEnabled(!lstTCs->selectedItems().isEmpty());
    cmdRestore->setEnabled(!running && m_launcher->pending().has_value());
    cmdShowLog->setEnabled(!m_launcher->lastLogPath().isEmpty());
}

bool LauncherPanel::isRunning() const
{
    return m_launcher->isRunning();
}

void LauncherPanel::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    markVisibleItems();
    // Once the window is up, so the question has a window to belong to; a launch asked for on
    // the command line after it, so that the answer counts.
    if (!m_pendingOffered) {
        m_pendingOffered = true;
        searchForGames();
        QTimer::singleShot(0, this, [this] {
            offerPendingRestore();
            if (!m_launchWhenShown.isEmpty())
                launchNamed(std::exchange(m_launchWhenShown, QString()));
        });
    }
}

bool LauncherPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lstTCs && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            launchSelected();
            return true;
        }
    }
    if (watched == lstTCs->viewport() && event->type() == QEvent::Resize)
        QTimer::singleShot(0, this, &LauncherPanel::markVisibleItems);
    return QWidget::eventFilter(watched, event);
}

void LauncherPanel::warn(const QString &text)
{
    m_services.messages->exclamation(this, kTitle, text);
}

} // namespace ostrel
