#pragma once

#include "printers.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace ostrel::test {

/// A temporary folder for a test's store files and script files, removed afterwards.
/// Also points XDG_CONFIG_HOME into it, so nothing can reach the user's real store.
class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    QString path() const { return m_dir.path(); }
    /// path() + "/" + name
    QString file(const QString &name) const;
    /// Writes bytes to the named file (creating folders) and returns its full path.
    QString write(const QString &name, const QByteArray &bytes) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_oldConfigHome;
    bool m_hadConfigHome;
};

QByteArray readBytes(const QString &path);
/// SHA-256 of a file's contents, empty when it cannot be read.
QByteArray checksum(const QString &path);

} // namespace ostrel::test
