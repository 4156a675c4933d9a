#include "launcher/maingroupcache.h"

#include "launcher/fileops.h"
#include "launcher/launchjournal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <optional>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

// One result a line: size, modification time (ns), CRC-32 or "-", the path's bytes
// percent-encoded (names need not be UTF-8).
constexpr QByteArrayView kHeader = "quillon main groups 1";
// Far more than any player's installs; a larger file is not this cache's.
constexpr qint64 kMaxFileSize = 1 << 20;

struct FileStamp {
    qint64 size = 0;
    qint64 mtimeNs = 0;
};

std::optional<FileStamp> stampOf(const QString &path, int *error = nullptr)
{
    struct stat st;
    if (::stat(fileops::encodePath(path).constData(), &st) != 0) {
        if (error)
            *error = errno;
        return std::nullopt;
    }
    return FileStamp{st.st_size, qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

} // namespace

MainGroupCache::MainGroupCache(const QString &file)
    : m_file(file.isEmpty() ? fileIn(LaunchJournal::defaultStateDir()) : file)
{
}

QString MainGroupCache::fileIn(const QString &stateDir)
{
    return stateDir + u"/maingroups"_s;
}

MainGroupIdentity MainGroupCache::identify(const QString &path, CrcOfUnknownSizes unknownSizes)
{
    load();
    const QString key = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (const auto stamp = stampOf(key)) {
        const auto it = m_entries.constFind(key);
        if (it != m_entries.cend() && it->size == stamp->size && it->mtimeNs == stamp->mtimeNs
            && (it->hasCrc || (!isMainGroupSize(it->size) && unknownSizes == CrcOfUnknownSizes::Skip))) {
            MainGroupIdentity identity;
            identity.size = it->size;
            identity.crc = it->crc;
            identity.hasCrc = it->hasCrc;
            identity.edition = it->hasCrc ? gameEditionOf(it->size, it->crc) : GameEdition::Unknown;
            return identity;
        }
    }
    qint64 mtimeNs = 0;
    const MainGroupIdentity identity = identifyMainGroup(key, unknownSizes, &mtimeNs);
    // Only what took a read is worth a write: an unknown size is told again by stat alone.
    if (identity.ok() && identity.hasCrc) {
        m_entries.insert(key, Entry{identity.size, mtimeNs, identity.crc, identity.hasCrc});
        save();
    }
    return identity;
}

void MainGroupCache::load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    QFile file(m_file);
    // A damaged file is not fatal: what it held is read again and the file written anew.
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize)
        return;
    const QList<QByteArray> lines = file.readAll().split('\n');
    if (lines.isEmpty() || lines.first() != kHeader)
        return;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines[i].split(' ');
        if (fields.size() != 4 || fields[3].isEmpty())
            continue;
        Entry entry;
        bool sizeOk = false;
        bool mtimeOk = false;
        bool crcOk = fields[2] == "-";
        entry.size = fields[0].toLongLong(&sizeOk);
        entry.mtimeNs = fields[1].toLongLong(&mtimeOk);
        if (!crcOk && fields[2].size() == 8) {
            entry.crc = fields[2].toUInt(&crcOk, 16);
            entry.hasCrc = crcOk;
        }
        if (sizeOk && mtimeOk && crcOk && entry.size >= 0)
            m_entries.insert(fileops::decodePath(QByteArray::fromPercentEncoding(fields[3])), entry);
    }
}

void MainGroupCache::save()
{
    m_saveError.clear();
    QStringList paths;
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it) {
        int error = 0;
        // Results of files that are gone are forgotten, so the file does not grow forever.
        if (stampOf(it.key(), &error) || error != ENOENT)
            paths.append(it.key());
    }
    std::sort(paths.begin(), paths.end());

    QByteArray text = kHeader.toByteArray() + '\n';
    for (const QString &path : std::as_const(paths)) {
        const Entry &entry = m_entries[path];
        text += QByteArray::number(entry.size) + ' ' + QByteArray::number(entry.mtimeNs) + ' '
            + (entry.hasCrc ? crcText(entry.crc).toLatin1() : QByteArray("-")) + ' '
            + fileops::encodePath(path).toPercentEncoding() + '\n';
    }
    if (!fileops::makePrivateFolder(QFileInfo(m_file).path(), &m_saveError))
        return;
    QSaveFile file(m_file);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        m_saveError = u"Cannot write %1: %2"_s.arg(m_file, file.errorString());
}

} // namespace ostrel
