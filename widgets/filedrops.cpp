#include "widgets/filedrops.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace ostrel {

FileDrops::FileDrops(QObject *parent, Accepts accepts, Dropped dropped)
    : QObject(parent)
    , m_accepts(std::move(accepts))
    , m_dropped(std::move(dropped))
{
}

void FileDrops::install(QWidget *target, Accepts accepts, Dropped dropped)
{
    target->setAcceptDrops(true);
    target->installEventFilter(new FileDrops(target, std::move(accepts), std::move(dropped)));
}

void FileDrops::installFileField(QWidget *field, QWidget *picker, const QString &extension,
    std::function<void(const QString &path)> take, std::function<bool()> canTake)
{
    Accepts accepts = [extension, canTake = std::move(canTake)](const QStringList &files) {
        return files.size() == 1 && hasExtension(files.first(), extension) && (!canTake || canTake());
    };
    Dropped dropped = [take = std::move(take)](const QStringList &files) { take(files.first()); };
    install(field, accepts, dropped);
    install(picker, std::move(accepts), std::move(dropped));
}

QStringList FileDrops::localFiles(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    QStringList files;
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile())
            return {};
        const QString path = url.toLocalFile();
        // A folder is no file of a TC.
        if (QFileInfo(path).isDir())
            return {};
        files << path;
    }
    return files;
}

bool FileDrops::hasExtension(const QString &path, const QString &extension)
{
    return path.endsWith(extension, Qt::CaseInsensitive);
}

bool FileDrops::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDropEvent *>(event);
        const QStringList files = localFiles(drag->mimeData());
        if (!files.isEmpty() && m_accepts(files))
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QStringList files = localFiles(drop->mimeData());
        // Asked again: the widget may have been disabled while the drag hovered.
        if (files.isEmpty() || !m_accepts(files)) {
            drop->ignore();
            return true;
        }
        drop->acceptProposedAction();
        m_dropped(files);
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace ostrel
