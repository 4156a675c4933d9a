#include "host/hostwindow.h"

#include <store/appnames.h>

#include "host/launcherpanel.h"
#include "host/pathdialogs.h"

#include <control/uctc.h>
#include <platform/messageboxes.h>
#include <platform/platformservices.h>
#include <store/settingsstore.h>

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
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

    auto *row = new QHBoxLayout;
    row->addWidget(m_control, 3);
    row->addWidget(m_launcher, 2);
    column->addLayout(row, 1);
    setCentralWidget(central);
    // The toolbar's status tips tell each command's key here.
    statusBar()->setObjectName(u"statusBar"_s);

    connect(m_control, &ucTC::LoadTCNames, this, &HostWindow::reloadTCNames);
    showStoreProblem();
    resize(1040, 520);
}

void HostWindow::reloadTCNames()
{
    m_launcher->reloadTCNames();
    showStoreProblem();
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
                                               : problem + u"\nQuillon left it as it is: nothing in it was changed or "
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
