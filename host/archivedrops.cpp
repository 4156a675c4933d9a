#include "host/archivedrops.h"

#include <installer/tcinspection.h>
#include <widgets/filedrops.h>

#include <QDropEvent>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>

namespace ostrel {

namespace {

// The one TC source a drop holds, or nothing.
QString archiveIn(const QDropEvent *drop)
{
    const QStringList files = FileDrops::localFiles(drop->mimeData());
    if (files.size() != 1 || !isTcSourceFileName(files.first()) || !QFileInfo(files.first()).isFile())
        return {};
    return files.first();
}

} // namespace

ArchiveDrops::ArchiveDrops(QObject *parent, Dropped dropped)
    : QObject(parent)
    , m_dropped(std::move(dropped))
{
}

void ArchiveDrops::install(QWidget *root, Dropped dropped)
{
    auto *filter = new ArchiveDrops(root, std::move(dropped));
    root->setAcceptDrops(true);
    // Installed last, so asked first: before the widgets' own handling of drops.
    root->installEventFilter(filter);
    for (QWidget *child : root->findChildren<QWidget *>()) {
        if (child->acceptDrops())
            child->installEventFilter(filter);
    }
}

bool ArchiveDrops::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDropEvent *>(event);
        if (archiveIn(drag).isEmpty())
            return false;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QString file = archiveIn(drop);
        if (file.isEmpty())
            return false;
        drop->acceptProposedAction();
        QTimer::singleShot(0, this, [this, file] { m_dropped(file); });
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace ostrel
