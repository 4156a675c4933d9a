// The Qt Designer plugin: its widget box entry, and a .ui file with a ucTC built by QUiLoader.

#include "../support/input.h"
#include "../support/tempstore.h"

#include <uctc.h>

#include <gtest/gtest.h>

#include <QAction>
#include <QBuffer>
#include <QComboBox>
#include <QTest>
#include <QToolBar>
#include <QDir>
#include <QPluginLoader>
#include <QUiLoader>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString kPluginDir = QStringLiteral(OSTREL_DESIGNER_PLUGIN_DIR);

TEST(DesignerPlugin, DescribesUcTCInTheOstrelGroup)
{
    const QStringList plugins = QDir(kPluginDir).entryList({u"*.so"_s}, QDir::Files);
    ASSERT_EQ(plugins.size(), 1) << kPluginDir.toStdString();
    QPluginLoader loader(QDir(kPluginDir).filePath(plugins.first()));
    auto *widget = qobject_cast<QDesignerCustomWidgetInterface *>(loader.instance());
    ASSERT_NE(widget, nullptr) << loader.errorString().toStdString();
    EXPECT_EQ(widget->name() + u'|' + widget->group() + u'|' + widget->includeFile(), u"ucTC|Ostrel|uctc.h"_s);
    EXPECT_FALSE(widget->icon().isNull());
    EXPECT_TRUE(widget->domXml().contains(uR"(<widget class="ucTC")"_s));
}

// QUiLoader makes the control through the plugin's createWidget.
TEST(DesignerPlugin, UiLoaderBuildsAWorkingControl)
{
    ostrel::test::TempFolder config; // the control opens the per-user store
    QUiLoader uiLoader;
    uiLoader.addPluginPath(kPluginDir);
    QByteArray ui = R"(<ui version="4.0"><class>LauncherForm</class>
 <widget class="QWidget" name="LauncherForm"><layout class="QVBoxLayout" name="layout">
  <item><widget class="ucTC" name="tcManager"/></item></layout></widget>
 <customwidgets><customwidget><class>ucTC</class><extends>QWidget</extends><header>uctc.h</header>
 </customwidget></customwidgets></ui>)";
    QBuffer buffer(&ui);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    std::unique_ptr<QWidget> form(uiLoader.load(&buffer));
    ASSERT_NE(form, nullptr) << uiLoader.errorString().toStdString();
    auto *control = form->findChild<ucTC *>(u"tcManager"_s);
    ASSERT_NE(control, nullptr);
    auto *names = control->findChild<QComboBox *>(u"cboTClist"_s);
    ASSERT_NE(names, nullptr);
    // The toolbar drives the control: "New" starts a definition, so the names list is locked.
    form->resize(700, 500);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    auto *toolbar = control->findChild<QToolBar *>(u"tbToolbar"_s);
    ostrel::test::clickOn(toolbar->widgetForAction(control->findChild<QAction *>(u"New"_s)));
    EXPECT_TRUE(control->findChild<QAction *>(u"CancelNew"_s)->isEnabled());
    EXPECT_FALSE(names->isEnabled());
}

} // namespace
