#pragma once

#include "launcher/maingroup.h"

#include <QHash>
#include <QString>

namespace ostrel {

/// Identifies main groups and remembers each result by the file's path, size and modification
/// time (in ns) in a small file of the host's state, so that a file that did not change is
/// never read again, in this run or the next.
class MainGroupCache
{
public:
    /// file: where the results are kept; empty: fileIn() the default state folder
    /// ($XDG_STATE_HOME/quillon).
    explicit MainGroupCache(const QString &file = {});

    /// The file of the results in a state folder: stateDir/maingroups.
    static QString fileIn(const QString &stateDir);

    /// The identity of the main group at path: remembered when the file's size and modification
    /// time are those it had when it was read, otherwise read now, then remembered and saved.
    /// A size that no release has is told without reading the file, and is not remembered.
    MainGroupIdentity identify(const QString &path, CrcOfUnknownSizes unknownSizes = CrcOfUnknownSizes::Skip);

    QString file() const { return m_file; }
    /// Why the results could not be saved the last time; empty when they were. A result that
    /// was not saved is only read again in the next run.
    QString saveError() const { return m_saveError; }

private:
    struct Entry {
        qint64 size = 0;
        qint64 mtimeNs = 0;
        quint32 crc = 0;
        bool hasCrc = false;
    };

    void load();
    void save();

    QString m_file;
    QHash<QString, Entry> m_entries;
    bool m_loaded = false;
    QString m_saveError;
};

} // namespace ostrel
