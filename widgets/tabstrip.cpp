#include "widgets/tabstrip.h"

#include "widgets/twips.h"

#include <QMouseEvent>
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
    // A click on a tab leaves the keyboard on the tabs, so that the arrow keys go on from there.
    m_tabs->setFocusPolicy(Qt::StrongFocus);
    // Whatever changes the selected tab shows its page: a left click, the arrow keys, the
    // wheel. Right and middle clicks change nothing in the tab bar, so nothing here either.
    connect(m_tabs, &QTabBar::currentChanged, this, &TabStrip::Click);
    m_tabs->installEventFilter(this);
}

void TabStrip::addTab(const QString &caption)
{
    m_tabs->addTab(caption);
    layoutTabs();
}

int TabStrip::SelectedItem() const
{
    return m_tabs->currentIndex() + 1;
}

// A left click on the tab already selected changes nothing in the tab bar, but it is a click
// of the strip all the same: its page is shown and the others are put away.
bool TabStrip::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_tabs && event->type() == QEvent::MouseButtonPress) {
        const auto *press = static_cast<QMouseEvent *>(event);
        const int tab = m_tabs->tabAt(press->position().toPoint());
        if (press->button() == Qt::LeftButton && tab != -1 && tab == m_tabs->currentIndex())
            Q_EMIT Click();
    }
    return QWidget::eventFilter(watched, event);
}

// The pages begin kTabRowTwips below the strip's top edge. Both edges are rounded to pixels
// on their own, so the row's height in pixels depends on where the strip stands.
int TabStrip::tabRowHeight() const
{
    const int top = twipsOf(this).top;
    return twipsToPixelsY(this, top + kTabRowTwips) - twipsToPixelsY(this, top);
}

void TabStrip::layoutTabs()
{
    m_tabs->setGeometry(2, 0, qMin(m_tabs->sizeHint().width(), width() - 4), tabRowHeight());
}

void TabStrip::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    layoutTabs();
}

void TabStrip::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutTabs();
}

void TabStrip::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = rect().adjusted(0, m_tabs->height() - 1, 0, 0);
    frame.shape = QTabBar::RoundedNorth;
    frame.tabBarSize = m_tabs->size();
    frame.tabBarRect = m_tabs->geometry();
    frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, frame);
}

} // namespace ostrel

#include "moc_tabstrip.cpp"
