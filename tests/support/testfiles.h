#pragma once

#include "printers.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <utility>

namespace ostrel::test {

/// Writes bytes to path (its folders created), names as their bytes on disk, and returns path.
/// A file that cannot be written fails the test.
QString writeFile(const QString &path, const QByteArray &bytes);
QByteArray readBytes(const QString &path);
/// SHA-256 of a file's contents, empty when it cannot be read.
QByteArray checksum(const QString &path);

/// Everything in a folder, recursively, as raw names: files by content, links by target,
/// folders as "<dir>". Two equal snapshots mean nothing was lost, added or changed.
using Snapshot = QMap<QByteArray, QByteArray>;
Snapshot snapshotOf(const QString &folder);

/// Runs a fuzz harness on each seed of its corpus, which holds at least atLeast of them: the
/// checks it aborts on keep holding in every test run, not only in fuzzing sessions.
void expectEverySeedPasses(const QString &corpus, qsizetype atLeast, int (*harness)(const uint8_t *data, size_t size));

/// A group file's bytes with the given members, names and contents.
QByteArray grpBytes(const QList<std::pair<QByteArray, QByteArray>> &members);
/// A group file's bytes with members of the given names, each holding its name.
QByteArray grpBytesOfNames(const QList<QByteArray> &names);

} // namespace ostrel::test
