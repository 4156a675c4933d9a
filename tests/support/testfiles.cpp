#include "testfiles.h"

#include "launcher/fileops.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

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

Snapshot snapshotOf(const QString &folder)
{
    namespace fs = std::filesystem;
    Snapshot snapshot;
    const fs::path top = fileops::encodePath(folder).toStdString();
    std::error_code error, ignored;
    for (fs::recursive_directory_iterator it(top, fs::directory_options::skip_permission_denied, error), end;
         !error && it != end; it.increment(error)) {
        const QByteArray name = QByteArray::fromStdString(it->path().lexically_relative(top).string());
        const fs::file_type type = it->symlink_status(ignored).type();
        if (type == fs::file_type::symlink)
            snapshot.insert(name, "<link>" + QByteArray::fromStdString(fs::read_symlink(it->path(), ignored).string()));
        else if (type == fs::file_type::directory)
            snapshot.insert(name, "<dir>");
        else if (std::ifstream file(it->path(), std::ios::binary); file)
            snapshot.insert(name, QByteArray::fromStdString(std::string(std::istreambuf_iterator<char>(file), {})));
        else
            snapshot.insert(name, "<unreadable>");
    }
    return snapshot;
}

void expectEverySeedPasses(const QString &corpus, qsizetype atLeast, int (*harness)(const uint8_t *data, size_t size))
{
    const QDir folder(corpus);
    const QStringList seeds = folder.entryList(QDir::Files, QDir::Name);
    ASSERT_GE(seeds.size(), atLeast) << corpus.toStdString();
    for (const QString &seed : seeds) {
        SCOPED_TRACE(seed.toStdString());
        const QByteArray bytes = readBytes(folder.filePath(seed));
        EXPECT_EQ(harness(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size())), 0);
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

QByteArray grpBytesOfNames(const QList<QByteArray> &names)
{
    QList<std::pair<QByteArray, QByteArray>> members;
    for (const QByteArray &name : names)
        members.append({name, name});
    return grpBytes(members);
}

} // namespace ostrel::test
