// The Qt Designer plugin: its widget box entry, and a .ui file with a ucTC built by QUiLoader.

#include <control/uctc.h>

#include "tests/support/sandbox.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QBuffer>
#include <QComboBox>
#include <QTest>
#include <QToolButton>
#include <QDir>
#include <QWindow>
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
    EXPECT_EQ(widget->name() + u'|' + widget->group() + u'|' + widget->includeFile(), u"ucTC|Ostrel|control/uctc.h"_s);
    EXPECT_FALSE(widget->icon().isNull());
    EXPECT_TRUE(widget->domXml().contains(uR"(<widget class="ucTC")"_s));
}

// QUiLoader makes the control through the plugin's createWidget.
TEST(DesignerPlugin, UiLoaderBuildsAWorkingControl)
{
    const ostrel::test::Sandbox sandbox; // the control opens the per-user store: a temporary one
    QUiLoader uiLoader;
    uiLoader.addPluginPath(kPluginDir);
    QByteArray ui = R"(<ui version="4.0"><class>LauncherForm</class>
 <widget class="QWidget" name="LauncherForm"><layout class="QVBoxLayout" name="layout">
  <item><widget class="ucTC" name="tcManager"/></item></layout></widget>
 <customwidgets><customwidget><class>ucTC</class><extends>QWidget</extends><header>control/uctc.h</header>
 </customwidget></customwidgets></ui>)";
    QBuffer buffer(&ui);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    std::unique_ptr<QWidget> form(uiLoader.load(&buffer));
    ASSERT_NE(form, nullptr) << uiLoader.errorString().toStdString();
    auto *control = form->findChild<ucTC *>(u"tcManager"_s);
    ASSERT_NE(control, nullptr);
    auto *names = control->findChild<QComboBox *>(u"cboTClist"_s);
    ASSERT_NE(names, nullptr);
    // The pictures are resources of the shared library.
    EXPECT_FALSE(control->findChild<QAction *>(u"Save"_s)->icon().isNull());
    // The toolbar drives the control: "New" starts a definition, so the names list is locked.
    form->resize(700, 500);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    auto *newButton = control->findChild<QToolButton *>(u"New"_s);
    QTest::mouseClick(
        form->windowHandle(), Qt::LeftButton, {}, newButton->mapTo(form.get(), newButton->rect().center()));
    EXPECT_TRUE(control->findChild<QAction *>(u"CancelNew"_s)->isEnabled());
    EXPECT_FALSE(names->isEnabled());
}

} // namespace
