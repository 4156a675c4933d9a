#pragma once

#include <QWidget>

class QTabBar;

namespace ostrel {

/// A row of tabs over a framed client area. The pages are not its children: they lie
/// over the client area and the owner moves them on Click.
class TabStrip : public QWidget
{
    Q_OBJECT
public:
    explicit TabStrip(QWidget *parent = nullptr);

    void addTab(const QString &caption);
    /// The selected tab, counted from 1.
    int SelectedItem() const;
    void setSelectedItem(int index);
    QTabBar *tabBar() const { return m_tabs; }

Q_SIGNALS:
    void Click();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QTabBar *m_tabs;
};

} // namespace ostrel
