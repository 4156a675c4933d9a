#include "widgets/toolstrip.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionToolBar>
#include <QToolButton>

namespace ostrel {

namespace {

// The line between two groups of buttons, drawn by the style as a toolbar's separator.
class Separator : public QWidget
{
public:
    explicit Separator(QWidget *parent)
        : QWidget(parent)
    {
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Minimum);
    }

    QSize sizeHint() const override
    {
        const int extent = style()->pixelMetric(QStyle::PM_ToolBarSeparatorExtent, nullptr, this);
        return {extent, extent};
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        QStyleOption option;
        option.initFrom(this);
        option.state |= QStyle::State_Horizontal;
        style()->drawPrimitive(QStyle::PE_IndicatorToolBarSeparator, &option, &painter, this);
    }
};

} // namespace

ToolStrip::ToolStrip(QWidget *parent)
    : QWidget(parent)
    , m_layout(new QHBoxLayout(this))
{
    const int extent = style()->pixelMetric(QStyle::PM_ToolBarIconSize, nullptr, this);
    m_iconSize = QSize(extent, extent);
    m_layout->addStretch();
    applyStyleMetrics();
}

QAction *ToolStrip::addButton(const QIcon &icon, const QString &text)
{
    auto *action = new QAction(icon, text, this);
    addAction(action);
    // As a toolbar's buttons: flat until the pointer is over them, out of the focus chain
    // unless the owner puts them in.
    auto *button = new QToolButton(this);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setIconSize(m_iconSize);
    button->setDefaultAction(action);
    m_layout->insertWidget(m_layout->count() - 1, button);
    m_buttons.append({action, button});
    connect(action, &QAction::triggered, this, [this, action] { Q_EMIT actionTriggered(action); });
    return action;
}

void ToolStrip::addSeparator()
{
    auto *action = new QAction(this);
    action->setSeparator(true);
    addAction(action);
    m_layout->insertWidget(m_layout->count() - 1, new Separator(this));
}

QWidget *ToolStrip::widgetForAction(QAction *action) const
{
    for (const auto &[shown, button] : m_buttons) {
        if (shown == action)
            return button;
    }
    return nullptr;
}

void ToolStrip::setIconSize(const QSize &size)
{
    m_iconSize = size;
    for (const auto &[action, button] : std::as_const(m_buttons))
        button->setIconSize(size);
}

void ToolStrip::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::StyleChange)
        applyStyleMetrics();
    QWidget::changeEvent(event);
}

// A toolbar's frame and item margin around the buttons, its item spacing between them.
void ToolStrip::applyStyleMetrics()
{
    const int margin = style()->pixelMetric(QStyle::PM_ToolBarFrameWidth, nullptr, this)
        + style()->pixelMetric(QStyle::PM_ToolBarItemMargin, nullptr, this);
    m_layout->setContentsMargins(margin, margin, margin, margin);
    m_layout->setSpacing(style()->pixelMetric(QStyle::PM_ToolBarItemSpacing, nullptr, this));
}

void ToolStrip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOptionToolBar option;
    option.initFrom(this);
    option.state |= QStyle::State_Horizontal;
    option.lineWidth = style()->pixelMetric(QStyle::PM_ToolBarFrameWidth, nullptr, this);
    option.toolBarArea = Qt::NoToolBarArea;
    option.positionOfLine = QStyleOptionToolBar::OnlyOne;
    option.positionWithinLine = QStyleOptionToolBar::OnlyOne;
    style()->drawControl(QStyle::CE_ToolBar, &option, &painter, this);
}

} // namespace ostrel
