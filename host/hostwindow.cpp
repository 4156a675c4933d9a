#include "host/hostwindow.h"

#include <store/appnames.h>

#include "host/addtcflow.h"
#include "host/archivedrops.h"
#include "host/launcherpanel.h"
#include "host/pathdialogs.h"
#include "host/tcremovals.h"

#include <control/uctc.h>
#include <installer/tcinstaller.h>
#include <installer/tcroot.h>
#include <platform/messageboxes.h>
#include <platform/platformservices.h>
#include <store/settingsstore.h>

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

HostWindow::HostWindow(const ostrel::PlatformServices &services, QWidget *parent)
    : HostWindow(services, ostrel::PathDialogs::qtDialogs(), ostrel::LaunchJournal::defaultStateDir(), parent)
{
}

HostWindow::HostWindow(const ostrel::PlatformServices &services, std::shared_ptr<ostrel::PathDialogs> pathDialogs,
    const QString &stateDir, QWidget *parent)
    : QMainWindow(parent)
    , m_services(services)
    , m_store(services.store)
    , m_messages(services.messages)
    , fraStoreProblem(new QFrame)
    , lblStoreProblem(new QLabel)
    , lblStoreProblemIcon(new QLabel)
    , m_control(new ucTC(services))
    , m_launcher(new ostrel::LauncherPanel(services, std::move(pathDialogs), stateDir))
{
    setWindowTitle(ostrel::kHostName.toString());
    auto *central = new QWidget;
    auto *column = new QVBoxLayout(central);

    // A store that cannot be read lists no TCs; the strip says why, so an empty list is not
    // taken for lost definitions.
    fraStoreProblem->setObjectName(u"fraStoreProblem"_s);
    fraStoreProblem->setFrameShape(QFrame::StyledPanel);
    fraStoreProblem->setAutoFillBackground(true);
    fraStoreProblem->setBackgroundRole(QPalette::ToolTipBase);
    fraStoreProblem->setForegroundRole(QPalette::ToolTipText);
    auto *strip = new QHBoxLayout(fraStoreProblem);
    lblStoreProblemIcon->setObjectName(u"lblStoreProblemIcon"_s);
    strip->addWidget(lblStoreProblemIcon, 0, Qt::AlignTop);
    lblStoreProblem->setObjectName(u"lblStoreProblem"_s);
    lblStoreProblem->setWordWrap(true);
    lblStoreProblem->setTextFormat(Qt::PlainText);
    lblStoreProblem->setTextInteractionFlags(Qt::TextSelectableByMouse);
    strip->addWidget(lblStoreProblem, 1);
    column->addWidget(fraStoreProblem);

    m_row = new QHBoxLayout;
    m_row->addWidget(m_control, 3);
    m_row->addWidget(m_launcher, 2);
    column->addLayout(m_row, 1);
    setCentralWidget(central);
    // The toolbar's status tips tell each command's key here.
    statusBar()->setObjectName(u"statusBar"_s);

    // A TC folder whose install was cut short is no TC: it goes before anyone sees it. Without
    // a TC installed this is one lstat.
    const ostrel::CleanupReport leftovers = ostrel::removeUnfinishedInstalls(ostrel::defaultTcRoot(), *m_store);
    if (!leftovers.problems.isEmpty())
        statusBar()->showMessage(leftovers.problems.join(u' '));
    m_removals = std::make_unique<ostrel::TcRemovals>(
        *m_store, ostrel::defaultTcRoot(), QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation));

    watchControl();
    connect(m_launcher, &ostrel::LauncherPanel::addTcRequested, this, &HostWindow::addTcFrom);
    ostrel::ArchiveDrops::install(m_launcher, [this](const QString &file) { addTcFrom(file); });
    showStoreProblem();
    resize(1040, 520);
}

HostWindow::~HostWindow() = default;

// A TC archive dropped on the TC manager is the window's; a TC script stays the control's.
void HostWindow::watchControl()
{
    connect(m_control, &ucTC::LoadTCNames, this, &HostWindow::reloadTCNames);
    ostrel::ArchiveDrops::install(m_control, [this](const QString &file) { addTcFrom(file); });
}

// Its toolbar's "Save" is enabled exactly while a definition is being edited or made.
bool HostWindow::controlIsEditing() const
{
    const auto *save = m_control->findChild<QAction *>(u"Save"_s);
    return save && save->isEnabled();
}

// The control lists only the names it saves itself: made anew, in the same place and on the
// same services, it reads them all.
void HostWindow::replaceControl()
{
    auto *fresh = new ucTC(m_services);
    delete m_row->replaceWidget(m_control, fresh);
    // The old one may be handing over the drop that led here.
    m_control->hide();
    m_control->deleteLater();
    m_control = fresh;
    m_control->show();
    watchControl();
}

void HostWindow::addTcFrom(const QString &source)
{
    // Checked before the preview, so that the player does not make choices only to be refused.
    if (controlIsEditing()) {
        m_messages->exclamation(this, ostrel::kHostName.toString(),
            u"The TC manager is in the middle of a definition. Save it (\"Save TC definition...\") or "
            "cancel it (\"Cancel operation\") first, then add the TC from %1 again: the TC manager "
            "is made anew to list the added TC, which would lose what you entered."_s.arg(
                QFileInfo(source).fileName()));
        return;
    }
    const ostrel::AddTcOutcome outcome = ostrel::addTcsFrom(source, m_services, this);
    if (!outcome.added.isEmpty())
        replaceControl();
    reloadTCNames();
    m_launcher->showAddedTcs(outcome.added, outcome.status);
}

void HostWindow::reloadTCNames()
{
    m_launcher->reloadTCNames();
    showStoreProblem();
    ostrel::offerToClearAway(m_removals->update(), *m_messages, m_trash, this);
}

void HostWindow::showStoreProblem()
{
    const QString problem = m_store->readProblem();
    fraStoreProblem->setVisible(!problem.isEmpty());
    // Drawn only when shown: the style's icons load image plugins, which a start-up without a
    // problem does not need.
    if (!problem.isEmpty() && lblStoreProblemIcon->pixmap().isNull()) {
        const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
        lblStoreProblemIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(iconSize, iconSize));
    }
    lblStoreProblem->setText(problem.isEmpty() ? QString()
                                               : problem
                + u"\nQuillon left it as it is: nothing in it was changed or "
                  "replaced. The TC list is empty because the file cannot be "
                  "read, not because your TCs are gone. Repair or move the "
                  "file, then start Quillon again."_s);
}

// Closing the launcher ends the game (the session gives the directory back as it goes).
void HostWindow::closeEvent(QCloseEvent *event)
{
    if (m_launcher->isRunning()
        && !m_messages->question(this, ostrel::kHostName.toString(),
            u"A game is running. Closing Quillon ends it and gives the game directory "
            "back.\n\nClose anyway?"_s,
            false)) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}
