#pragma once

#include <QList>
#include <QSize>
#include <QWidget>

#include <utility>

class QAction;
class QHBoxLayout;
class QIcon;
class QToolButton;

namespace ostrel {

/// A row of tool buttons, one for each of its actions, in groups set apart by separators: as
/// much of a toolbar as the control shows, which never moves, floats or overflows. QToolBar
/// loads the image of its overflow button as it is built, and reading an image from a file
/// makes Qt open every image format plugin to ask whether it reads it: a millisecond of every
/// start of a program that shows the control.
///
/// The actions are the strip's own (QWidget::actions(), separators included), so their
/// shortcuts work wherever the strip's window has the focus.
class ToolStrip : public QWidget
{
    Q_OBJECT
public:
    explicit ToolStrip(QWidget *parent = nullptr);

    /// Adds a button that shows a new action, whose parent is the strip.
    QAction *addButton(const QIcon &icon, const QString &text);
    void addSeparator();
    /// The button that shows action; nullptr for a separator or an action not on the strip.
    QWidget *widgetForAction(QAction *action) const;

    QSize iconSize() const { return m_iconSize; }
    void setIconSize(const QSize &size);

Q_SIGNALS:
    /// One of the strip's actions was triggered: by its button or by its shortcut.
    void actionTriggered(QAction *action);

protected:
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void applyStyleMetrics();

    QHBoxLayout *m_layout;
    QList<std::pair<QAction *, QToolButton *>> m_buttons;
    QSize m_iconSize;
};

} // namespace ostrel
