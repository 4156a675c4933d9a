#include "control/tabstrip.h"

#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>
#include <QTabBar>

namespace ostrel {

TabStrip::TabStrip(QWidget *parent)
    : QWidget(parent)
    , m_tabs(new QTabBar(this))
{
    m_tabs->setDrawBase(false);
    m_tabs->setExpanding(false);
    connect(m_tabs, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index >= 0) {
            m_tabs->setCurrentIndex(index);
            Q_EMIT Click();
        }
    });
}

void TabStrip::addTab(const QString &caption)
{
    m_tabs->addTab(caption);
    m_tabs->resize(m_tabs->sizeHint());
}

int TabStrip::SelectedItem() const
{
    return m_tabs->currentIndex() + 1;
}

void TabStrip::setSelectedItem(int index)
{
    m_tabs->setCurrentIndex(index - 1);
    Q_EMIT Click();
}

void TabStrip::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_tabs->setGeometry(2, 0, qMin(m_tabs->sizeHint().width(), width() - 4), m_tabs->sizeHint().height());
}

void TabStrip::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    const int tabHeight = m_tabs->sizeHint().height();
    frame.rect = rect().adjusted(0, tabHeight - 1, 0, 0);
    frame.shape = QTabBar::RoundedNorth;
    frame.tabBarSize = m_tabs->size();
    frame.tabBarRect = m_tabs->geometry();
    frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, frame);
}

} // namespace ostrel
