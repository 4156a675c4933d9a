#include "sandbox.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <filesystem>

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

void removeTree(const QString &path)
{
    namespace fs = std::filesystem;
    // Byte names, which QDir cannot give for names that are not UTF-8; a folder that a test
    // made unwritable is made writable first, as its entries could not go otherwise.
    const fs::path top = QFile::encodeName(path).toStdString();
    std::error_code error, ignored;
    fs::permissions(top, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (fs::recursive_directory_iterator it(top, error), end; !error && it != end; it.increment(error)) {
        if (it->symlink_status(ignored).type() == fs::file_type::directory)
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(top, ignored);
}

} // namespace ostrel::test
