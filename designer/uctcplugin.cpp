#include "uctcplugin.h"

#include <control/uctc.h>

#include <QIcon>
#include <QPainter>
#include <QPixmap>

using namespace Qt::StringLiterals;

namespace {

// A small picture of the control: a toolbar strip over a list and an editor pane.
QIcon controlIcon()
{
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x3a, 0x3f, 0x46), 1.0));
    p.setBrush(QColor(0xfb, 0xfb, 0xf8));
    p.drawRect(QRectF(1.5, 1.5, 19, 19));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xc0, 0x3a, 0x1c));
    p.drawRect(QRectF(2, 2, 18, 4));
    p.setBrush(QColor(0x2f, 0x6d, 0xc4));
    p.drawRect(QRectF(4, 8, 6, 2));
    p.setPen(QPen(QColor(0x8a, 0x93, 0x9e), 1.0));
    for (qreal y : {12.5, 15.5, 18.5}) {
        p.drawLine(QPointF(4, y), QPointF(9, y));
        p.drawLine(QPointF(12, y), QPointF(18, y));
    }
    p.end();
    return QIcon(pixmap);
}

} // namespace

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

QIcon UcTCDesignerPlugin::icon() const
{
    return controlIcon();
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
