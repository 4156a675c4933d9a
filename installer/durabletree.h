#pragma once

// Writing a new tree of files that survives a crash once finished. Internal to the installer.

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

namespace ostrel {

/// Files and folders created inside one new folder: never over anything that exists, never
/// through a link, all flushed to disk by finish().
class DurableTree
{
public:
    explicit DurableTree(const QString &root);
    ~DurableTree();
    DurableTree(const DurableTree &) = delete;
    DurableTree &operator=(const DurableTree &) = delete;

    /// Creates the folder at relative (bytes as on disk) and the parents it lacks.
    bool makeFolder(const QByteArray &relative);
    /// Creates the file at relative (its parents too) for writing; -1 on failure.
    int createFile(const QByteArray &relative);
    /// Writes size bytes at offset of a file createFile() opened; false on failure.
    bool write(int fd, const char *data, qint64 size, qint64 offset);
    /// Done with a file: starts writing it back and closes it.
    bool finishFile(int fd, qint64 mtimeSeconds = -1);
    /// Flushes every file and folder to disk; false when any could not be.
    bool finish();

    /// What went wrong first, for the player.
    QString error() const { return m_error; }

private:
    bool fail(const QString &what, int error);

    QByteArray m_root;
    QSet<QByteArray> m_known; ///< folders made or checked already
    QString m_error;
};

} // namespace ostrel
