#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class QMimeData;
class QWidget;

namespace ostrel {

/// Files dropped on a widget from a file manager. Only local files count: a drop that holds
/// anything else (a web address, a file on a remote share) is refused whole.
class FileDrops : public QObject
{
public:
    /// Whether a drop of these files (full local paths) is taken, asked while it hovers.
    using Accepts = std::function<bool(const QStringList &files)>;
    using Dropped = std::function<void(const QStringList &files)>;

    /// Makes target take drops of files that accepts agrees to, handing them to dropped.
    static void install(QWidget *target, Accepts accepts, Dropped dropped);

    /// A file field: one file whose name ends in extension, dropped on the field or on its
    /// picker button, is handed to take, while canTake (when given) agrees.
    static void installFileField(QWidget *field, QWidget *picker, const QString &extension,
        std::function<void(const QString &path)> take, std::function<bool()> canTake = {});

    /// The local files a drop holds, or nothing when it holds anything else.
    static QStringList localFiles(const QMimeData *data);

    /// Whether path's name ends in the extension (".grp", any letter case).
    static bool hasExtension(const QString &path, const QString &extension);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    FileDrops(QObject *parent, Accepts accepts, Dropped dropped);

    Accepts m_accepts;
    Dropped m_dropped;
};

} // namespace ostrel
