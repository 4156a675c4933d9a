#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <optional>
#include <utility>

namespace ostrel::test {

/// A temporary folder that HOME, XDG_CONFIG_HOME, XDG_DATA_HOME and XDG_STATE_HOME point into
/// (home, config, data, state) for its lifetime, so nothing a test runs reaches the user's own
/// store, trash, saves or journal. Only the home folder is made: the trash, for one, must cope
/// without a data folder. Everything in the folder goes with the sandbox, names that are not
/// UTF-8 included.
class Sandbox
{
public:
    Sandbox();
    ~Sandbox();
    Sandbox(const Sandbox &) = delete;
    Sandbox &operator=(const Sandbox &) = delete;

    QString path() const { return m_dir.path(); }
    /// path() + "/" + name
    QString file(const QString &name) const { return path() + u'/' + name; }
    QString home() const { return file(QStringLiteral("home")); }
    QString dataHome() const { return file(QStringLiteral("data")); }
    /// Quillon's own folder in XDG_STATE_HOME: its journal, logs and caches.
    QString stateDir() const { return file(QStringLiteral("state/quillon")); }

    /// Sets an environment variable, or unsets it, until the sandbox goes.
    void setEnv(const char *name, const std::optional<QByteArray> &value);

private:
    QTemporaryDir m_dir;
    QList<std::pair<QByteArray, std::optional<QByteArray>>> m_saved;
};

/// Removes a folder and everything in it, names that are not UTF-8 included.
void removeTree(const QString &path);

} // namespace ostrel::test
