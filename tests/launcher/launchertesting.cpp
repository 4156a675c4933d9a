#include "tests/launcher/launchertesting.h"

#include "launcher/fileops.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace ostrel::test {

LauncherSandbox::LauncherSandbox()
{
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"}) {
        m_saved.append({name, qEnvironmentVariableIsSet(name) ? std::optional<QByteArray>(qgetenv(name)) : std::nullopt});
    }
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(path() + QStringLiteral("/config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome()));
    qputenv("XDG_STATE_HOME", QFile::encodeName(path() + QStringLiteral("/state")));
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
    removeTreeBytes(fileops::encodePath(path));
}

LauncherSandbox::~LauncherSandbox()
{
    removeTree(path());
    for (const auto &[name, value] : m_saved) {
        if (value)
            qputenv(name.constData(), *value);
        else
            qunsetenv(name.constData());
    }
}

QByteArray grpBytes(const QList<std::pair<QByteArray, QByteArray>> &members)
{
    QByteArray bytes("KenSilverman");
    char word[4];
    qToLittleEndian<quint32>(quint32(members.size()), word);
    bytes.append(word, 4);
    for (const auto &[name, data] : members) {
        bytes += name.leftJustified(12, '\0', true);
        qToLittleEndian<quint32>(quint32(data.size()), word);
        bytes.append(word, 4);
    }
    for (const auto &member : members)
        bytes += member.second;
    return bytes;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    fileops::makePrivateFolder(QFileInfo(path).path());
    const int fd = ::open(fileops::encodePath(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    [[maybe_unused]] const ssize_t written = ::write(fd, bytes.constData(), size_t(bytes.size()));
    ::close(fd);
}

namespace {

void snapshotInto(Snapshot &snapshot, const QByteArray &folder, const QByteArray &prefix)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray path = folder + '/' + name;
        struct stat st;
        if (::lstat(path.constData(), &st) != 0)
            continue;
        if (S_ISLNK(st.st_mode)) {
            char target[4096];
            const ssize_t n = ::readlink(path.constData(), target, sizeof target);
            snapshot.insert(prefix + name, "<link>" + QByteArray(target, n > 0 ? n : 0));
        } else if (S_ISDIR(st.st_mode)) {
            snapshot.insert(prefix + name, "<dir>");
            snapshotInto(snapshot, path, prefix + name + '/');
        } else {
            QByteArray contents;
            const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
            char buffer[65536];
            for (ssize_t n; fd >= 0 && (n = ::read(fd, buffer, sizeof buffer)) > 0;)
                contents.append(buffer, n);
            if (fd >= 0)
                ::close(fd);
            snapshot.insert(prefix + name, contents);
        }
    }
    ::closedir(dir);
}

} // namespace

Snapshot snapshotOf(const QString &folder)
{
    Snapshot snapshot;
    snapshotInto(snapshot, fileops::encodePath(folder), {});
    return snapshot;
}

FakeTrash::FakeTrash(const QString &folder)
    : m_folder(folder)
{
}

bool FakeTrash::availableFor(const QString &, QString *why)
{
    if (!available && why)
        *why = QStringLiteral("The fake trash is switched off.");
    return available;
}

TrashOutcome FakeTrash::moveToTrash(const QString &path)
{
    TrashOutcome outcome;
    if (failMoves) {
        outcome.error = QStringLiteral("The fake trash refuses \"%1\".").arg(path);
        return outcome;
    }
    fileops::makePrivateFolder(m_folder + QStringLiteral("/files"));
    const QString name = QFileInfo(path).fileName() + QStringLiteral(".") + QString::number(++moves);
    outcome.trashedPath = m_folder + QStringLiteral("/files/") + name;
    outcome.infoPath = m_folder + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo");
    writeFile(outcome.infoPath, "[Trash Info]\nPath=" + fileops::encodePath(path).toPercentEncoding("/") + "\n");
    if (fileops::renameNoReplace(path, outcome.trashedPath) != 0) {
        ::unlink(fileops::encodePath(outcome.infoPath).constData());
        return TrashOutcome{false, {}, {}, QStringLiteral("rename failed")};
    }
    outcome.ok = true;
    return outcome;
}

} // namespace ostrel::test
