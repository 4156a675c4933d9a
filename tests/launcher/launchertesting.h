#pragma once

#include "launcher/trash.h"

#include <QByteArray>
#include <QMultiMap>
#include <QString>

namespace ostrel::test {

/// What fake_engine recorded in the file its FAKE_ENGINE_RECORD names: "arg", "cwd", "pid" and
/// "entry" facts, the latest of a name first.
QMultiMap<QByteArray, QByteArray> fakeEngineRecord(const QString &path);

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
