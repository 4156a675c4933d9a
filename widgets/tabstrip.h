#pragma once

#include <QWidget>

class QTabBar;

namespace ostrel {

/// How far below the tab strip's top edge its pages begin: the height of the row of tabs.
inline constexpr int kTabRowTwips = 350;

/// A row of tabs over a framed client area. The pages are not its children: they lie
/// over the client area and the owner moves them on Click.
///
/// The tab row is kTabRowTwips high, so that it ends exactly where the pages begin.
class TabStrip : public QWidget
{
    Q_OBJECT
public:
    explicit TabStrip(QWidget *parent = nullptr);

    void addTab(const QString &caption);
    /// The selected tab, counted from 1.
    int SelectedItem() const;

Q_SIGNALS:
    /// The selected tab changed (mouse, keyboard, wheel), or the user clicked the selected one.
    void Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    int tabRowHeight() const;
    void layoutTabs();

    QTabBar *m_tabs;
};

} // namespace ostrel
