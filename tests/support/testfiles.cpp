#include "testfiles.h"

#include "launcher/fileops.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ostrel::test {

QString writeFile(const QString &path, const QByteArray &bytes)
{
    fileops::makePrivateFolder(QFileInfo(path).path());
    const int fd = ::open(fileops::encodePath(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool written = fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    if (fd >= 0)
        ::close(fd);
    if (!written)
        ADD_FAILURE() << "cannot write " << path.toStdString();
    return path;
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray checksum(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&f);
    return hash.result().toHex();
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
            snapshot.insert(prefix + name, fd >= 0 ? contents : QByteArray("<unreadable>"));
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

QByteArray grpBytesOfNames(const QList<QByteArray> &names)
{
    QList<std::pair<QByteArray, QByteArray>> members;
    for (const QByteArray &name : names)
        members.append({name, name});
    return grpBytes(members);
}

} // namespace ostrel::test
