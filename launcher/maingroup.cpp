#include "launcher/maingroup.h"

#include "launcher/fileops.h"

#include <QLocale>
#include <QScopeGuard>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <zlib.h>

#include <cerrno>
#include <memory>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

struct Release {
    GameEdition edition;
    qint64 size;
    quint32 crc;
};

// The main groups as the releases shipped them. Atomic and the World Tour's group have the same
// size, so the CRC is what tells them apart.
constexpr Release kReleases[] = {
    {GameEdition::V13D, 26524524, 0xBBC9CE44},
    {GameEdition::V13DCensored, 26385383, 0xAA4F6A40},
    {GameEdition::V14Plutonium, 44348015, 0xF514A6AC},
    {GameEdition::V15Atomic, 44356548, 0xFD3DCFF1},
    {GameEdition::WorldTour, 44356548, 0x982AFE4A},
    {GameEdition::Shareware, 11035779, 0x983AD923},
};

// Large enough that the system call per read is lost in the CRC's own work, small enough to
// stay in the cache of the core that computes it.
constexpr qsizetype kReadSize = 1 << 20;

MainGroupIdentity unreadable(const QString &path, int error)
{
    MainGroupIdentity identity;
    identity.error = u"Cannot read %1: %2."_s.arg(path, fileops::errorText(error));
    return identity;
}

qint64 mtimeOf(const struct stat &st)
{
    return qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

} // namespace

GameEdition gameEditionOf(qint64 size, quint32 crc)
{
    for (const Release &release : kReleases) {
        if (release.size == size && release.crc == crc)
            return release.edition;
    }
    return GameEdition::Unknown;
}

bool isMainGroupSize(qint64 size)
{
    for (const Release &release : kReleases) {
        if (release.size == size)
            return true;
    }
    return false;
}

MainGroupIdentity identifyMainGroup(const QString &path, CrcOfUnknownSizes unknownSizes, qint64 *mtimeNs)
{
    // Non-blocking, so that a FIFO put in the file's place cannot hang the launcher.
    const int fd = ::open(fileops::encodePath(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return unreadable(path, errno);
    const auto closer = qScopeGuard([fd] { ::close(fd); });
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return unreadable(path, errno);
    if (!S_ISREG(st.st_mode)) {
        MainGroupIdentity identity;
        identity.error = u"%1 is not a file."_s.arg(path);
        return identity;
    }
    if (mtimeNs)
        *mtimeNs = mtimeOf(st);

    MainGroupIdentity identity;
    identity.size = st.st_size;
    if (!isMainGroupSize(identity.size) && unknownSizes == CrcOfUnknownSizes::Skip)
        return identity;

    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    const std::unique_ptr<Bytef[]> buffer(new Bytef[kReadSize]);
    uLong crc = ::crc32(0, nullptr, 0);
    qint64 total = 0;
    for (;;) {
        const ssize_t got = ::read(fd, buffer.get(), kReadSize);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return unreadable(path, errno);
        if (got == 0)
            break;
        crc = ::crc32(crc, buffer.get(), uInt(got));
        total += got;
    }
    struct stat after;
    if (total != identity.size || ::fstat(fd, &after) != 0 || mtimeOf(after) != mtimeOf(st)) {
        MainGroupIdentity changed;
        changed.error = u"%1 changed while it was read."_s.arg(path);
        return changed;
    }
    identity.crc = quint32(crc);
    identity.hasCrc = true;
    identity.edition = gameEditionOf(identity.size, identity.crc);
    return identity;
}

QString gameEditionName(GameEdition edition)
{
    switch (edition) {
    case GameEdition::V13D:
        return u"1.3D"_s;
    case GameEdition::V13DCensored:
        return u"1.3D (South Korean, censored)"_s;
    case GameEdition::V14Plutonium:
        return u"1.4 Plutonium Pak"_s;
    case GameEdition::V15Atomic:
        return u"1.5 Atomic Edition"_s;
    case GameEdition::WorldTour:
        return u"20th Anniversary World Tour"_s;
    case GameEdition::Shareware:
        return u"shareware 1.3D"_s;
    case GameEdition::Unknown:
        break;
    }
    return u"unknown"_s;
}

QString crcText(quint32 crc)
{
    return u"%1"_s.arg(crc, 8, 16, QChar(u'0')).toUpper();
}

QString describeMainGroup(const MainGroupIdentity &identity)
{
    if (!identity.ok())
        return u"unreadable"_s;
    if (identity.edition != GameEdition::Unknown)
        return gameEditionName(identity.edition);
    QLocale locale = QLocale::c();
    locale.setNumberOptions({});
    const QString size = locale.toString(identity.size);
    if (!identity.hasCrc)
        return u"unknown (%1 bytes)"_s.arg(size);
    return u"unknown (%1 bytes, CRC %2)"_s.arg(size, crcText(identity.crc));
}

} // namespace ostrel
