#include "sandbox.h"

#include <QDir>
#include <QFile>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace ostrel::test {

Sandbox::Sandbox()
{
    // Qt's move to the trash takes a home it cannot find for another volume's.
    QDir().mkpath(file(QStringLiteral("home")));
    setEnv("HOME", QFile::encodeName(file(QStringLiteral("home"))));
    setEnv("XDG_CONFIG_HOME", QFile::encodeName(file(QStringLiteral("config"))));
    setEnv("XDG_DATA_HOME", QFile::encodeName(dataHome()));
    setEnv("XDG_STATE_HOME", QFile::encodeName(file(QStringLiteral("state"))));
}

Sandbox::~Sandbox()
{
    removeTree(path());
    std::for_each(m_saved.crbegin(), m_saved.crend(), [](const auto &saved) {
        if (saved.second)
            qputenv(saved.first.constData(), *saved.second);
        else
            qunsetenv(saved.first.constData());
    });
}

void Sandbox::setEnv(const char *name, const std::optional<QByteArray> &value)
{
    if (std::none_of(m_saved.cbegin(), m_saved.cend(), [&](const auto &saved) { return saved.first == name; }))
        m_saved.append({name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt});
    if (value)
        qputenv(name, *value);
    else
        qunsetenv(name);
}

namespace {

// QDir cannot name files whose names are not UTF-8, so the tree is removed by hand.
void removeTreeBytes(const QByteArray &path)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return;
    if (S_ISDIR(st.st_mode)) {
        ::chmod(path.constData(), 0700);
        if (DIR *dir = ::opendir(path.constData())) {
            QList<QByteArray> names;
            while (const dirent *entry = ::readdir(dir)) {
                if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                    names.append(entry->d_name);
            }
            ::closedir(dir);
            for (const QByteArray &name : names)
                removeTreeBytes(path + '/' + name);
        }
        ::rmdir(path.constData());
    } else {
        ::unlink(path.constData());
    }
}

} // namespace

void removeTree(const QString &path)
{
    removeTreeBytes(QFile::encodeName(path));
}

} // namespace ostrel::test
