#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QWidget;

namespace ostrel {

/// A TC archive or a .grpinfo file dropped from a file manager on a widget, or on any widget
/// inside it that takes drops, taken before their own handling; every other drop (a .tcs on
/// the TC manager, a path on a text field) is left to them. The file is handed over once the
/// drop has ended, so the drag's source is not kept waiting by what follows.
class ArchiveDrops : public QObject
{
public:
    using Dropped = std::function<void(const QString &file)>;

    static void install(QWidget *root, Dropped dropped);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ArchiveDrops(QObject *parent, Dropped dropped);

    Dropped m_dropped;
};

} // namespace ostrel
