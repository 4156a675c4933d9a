#pragma once

#include "launcher/trash.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

#include <optional>
#include <utility>

namespace ostrel::test {

/// A temporary folder that XDG_CONFIG_HOME, XDG_DATA_HOME and XDG_STATE_HOME point into for
/// its lifetime, so nothing reaches the user's own trash, saves or journal. The data folder is
/// not created: the trash must cope with that.
class LauncherSandbox
{
public:
    LauncherSandbox();
    ~LauncherSandbox();
    QString path() const { return m_dir.path(); }
    QString dataHome() const { return path() + QStringLiteral("/data"); }
    QString stateDir() const { return path() + QStringLiteral("/state/quillon"); }

private:
    QTemporaryDir m_dir;
    QList<std::pair<QByteArray, std::optional<QByteArray>>> m_saved;
};

/// Removes a folder and everything in it, names that are not UTF-8 included.
void removeTree(const QString &path);

/// A group file's bytes with the given members.
QByteArray grpBytes(const QList<std::pair<QByteArray, QByteArray>> &members);

/// Writes bytes to path (its folders created), with names as their bytes on disk.
void writeFile(const QString &path, const QByteArray &bytes);

/// Everything in a folder, recursively, as raw names: files by content, links by target,
/// folders as "<dir>". Two equal snapshots mean nothing was lost, added or changed.
using Snapshot = QMap<QByteArray, QByteArray>;
Snapshot snapshotOf(const QString &folder);

/// A trash in a folder of its own, laid out like the desktop trash and made by the first move,
/// that can be made to fail.
class FakeTrash : public Trash
{
public:
    explicit FakeTrash(const QString &folder);
    bool availableFor(const QString &, QString *why = nullptr) override;
    TrashOutcome moveToTrash(const QString &path) override;
    QStringList trashFoldersFor(const QString &) override { return {m_folder}; }

    bool available = true;
    bool failMoves = false;
    int moves = 0;

private:
    QString m_folder;
};

} // namespace ostrel::test
