#include "uctcplugin.h"

#include <control/uctc.h>

#include <widgets/svgiconengine.h>

#include <QApplication>
#include <QIcon>

using namespace Qt::StringLiterals;

UcTCDesignerPlugin::UcTCDesignerPlugin(QObject *parent)
    : QObject(parent)
{
}

QString UcTCDesignerPlugin::name() const
{
    return u"ucTC"_s;
}

QString UcTCDesignerPlugin::group() const
{
    return u"Ostrel"_s;
}

QString UcTCDesignerPlugin::toolTip() const
{
    return u"TC manager: TC definitions and TC scripts"_s;
}

QString UcTCDesignerPlugin::whatsThis() const
{
    return u"Keeps the list of TC definitions in the per-user settings store, imports, writes and "
           "views TC scripts, and raises LoadTCNames after every Save and Delete."_s;
}

QString UcTCDesignerPlugin::includeFile() const
{
    return u"control/uctc.h"_s;
}

// A small picture of the control, a toolbar strip over a list and an editor pane, from the
// resources of the Ostrel library, drawn in the colours of Designer's palette.
QIcon UcTCDesignerPlugin::icon() const
{
    return QIcon(new ostrel::SvgIconEngine(u":/ostrel/icons/uctc.svg"_s, QApplication::palette()));
}

bool UcTCDesignerPlugin::isContainer() const
{
    return false;
}

QWidget *UcTCDesignerPlugin::createWidget(QWidget *parent)
{
    return new ucTC(parent);
}

bool UcTCDesignerPlugin::isInitialized() const
{
    return m_initialized;
}

void UcTCDesignerPlugin::initialize(QDesignerFormEditorInterface *)
{
    m_initialized = true;
}

QString UcTCDesignerPlugin::domXml() const
{
    return uR"(<ui language="c++">
  <widget class="ucTC" name="tcManager"/>
  <customwidgets>
    <customwidget>
      <class>ucTC</class>
      <extends>QWidget</extends>
      <header>control/uctc.h</header>
    </customwidget>
  </customwidgets>
</ui>
)"_s;
}
