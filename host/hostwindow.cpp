#include "host/hostwindow.h"

#include "platform/platformservices.h"
#include "store/settingsstore.h"
#include "store/definitionstore.h"

#include <control/uctc.h>

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

HostWindow::HostWindow(const ostrel::PlatformServices &services, QWidget *parent)
    : QMainWindow(parent)
    , m_store(services.store)
    , m_control(new ucTC(services))
    , m_count(new QLabel)
    , m_names(new QListWidget)
{
    setWindowTitle(u"Quillon"_s);
    auto *central = new QWidget;
    auto *row = new QHBoxLayout(central);
    row->addWidget(m_control, 3);

    auto *launcher = new QGroupBox(u"Launcher's TC list"_s);
    auto *column = new QVBoxLayout(launcher);
    m_names->setObjectName(u"launcherNames"_s);
    m_count->setObjectName(u"launcherCount"_s);
    column->addWidget(m_count);
    column->addWidget(m_names);
    row->addWidget(launcher, 1);
    setCentralWidget(central);

    connect(m_control, &ucTC::LoadTCNames, this, &HostWindow::reloadTCNames);
    reloadTCNames();
    resize(820, 420);
}

// What the launcher does on LoadTCNames: read the definitions' names from the store.
void HostWindow::reloadTCNames()
{
    m_names->clear();
    m_names->addItems(ostrel::DefinitionStore(*m_store).names());
    m_count->setText(m_names->count() == 1 ? u"1 TC stored"_s : u"%1 TCs stored"_s.arg(m_names->count()));
}
