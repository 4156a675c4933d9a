#include "launcher/fileops.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

using namespace Qt::StringLiterals;

namespace ostrel::fileops {

QByteArray encodePath(const QString &path)
{
    QByteArray out;
    out.reserve(path.size());
    const qsizetype n = path.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = path[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(path[i + 1].unicode())) {
            out += QStringView(path).sliced(i, 2).toUtf8();
            ++i;
        } else if (c >= 0xDC80 && c <= 0xDCFF) {
            out += char(c - 0xDC00);
        } else {
            out += QStringView(path).sliced(i, 1).toUtf8();
        }
    }
    return out;
}

QString decodePath(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const uchar b = uchar(bytes[i]);
        if (b < 0x80) {
            out += QLatin1Char(char(b));
            ++i;
            continue;
        }
        // Length and smallest code point of the sequence b starts; anything else is a raw byte.
        int length = 0;
        char32_t least = 0;
        if ((b & 0xE0) == 0xC0) {
            length = 2;
            least = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            length = 3;
            least = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            length = 4;
            least = 0x10000;
        }
        char32_t code = length ? char32_t(b & (0x7F >> length)) : 0;
        bool valid = length > 0 && i + length <= n;
        for (int k = 1; valid && k < length; ++k) {
            const uchar c = uchar(bytes[i + k]);
            valid = (c & 0xC0) == 0x80;
            code = (code << 6) | (c & 0x3F);
        }
        valid = valid && code >= least && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
        if (valid) {
            out += QString::fromUcs4(&code, 1);
            i += length;
        } else {
            out += QChar(char16_t(0xDC00 + b));
            ++i;
        }
    }
    return out;
}

std::optional<Stat> lstatPath(const QString &path)
{
    struct stat st;
    if (::lstat(encodePath(path).constData(), &st) != 0)
        return std::nullopt;
    Stat s;
    s.regular = S_ISREG(st.st_mode);
    s.directory = S_ISDIR(st.st_mode);
    s.symlink = S_ISLNK(st.st_mode);
    s.size = st.st_size;
    s.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    return s;
}

bool sameFile(const std::optional<Stat> &st, qint64 size, qint64 mtimeNs)
{
    return st && st->regular && st->size == size && st->mtimeNs == mtimeNs;
}

bool sameInode(const std::optional<Stat> &a, const std::optional<Stat> &b)
{
    return a && b && a->device == b->device && a->inode == b->inode;
}

QString absolutePath(const QString &path)
{
    return path.isEmpty() ? path : QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

bool openFile(QFile &file, const QString &path, int flags, unsigned permissions)
{
    const int fd = ::open(encodePath(path).constData(), flags, permissions);
    if (fd < 0)
        return false;
    QIODevice::OpenMode mode = QIODevice::Unbuffered;
    switch (flags & O_ACCMODE) {
    case O_RDONLY:
        mode |= QIODevice::ReadOnly;
        break;
    case O_WRONLY:
        mode |= QIODevice::WriteOnly;
        break;
    default:
        mode |= QIODevice::ReadWrite;
    }
    if (flags & O_APPEND)
        mode |= QIODevice::Append;
    if (file.open(fd, mode, QFileDevice::AutoCloseHandle))
        return true;
    ::close(fd);
    errno = EBADF;
    return false;
}

int renameNoReplace(const QString &from, const QString &to)
{
    const QByteArray src = encodePath(from);
    const QByteArray dst = encodePath(to);
    if (::renameat2(AT_FDCWD, src.constData(), AT_FDCWD, dst.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // File systems without RENAME_NOREPLACE: link(2) refuses an existing target just the
    // same; the source goes only once the target holds the file.
    if (::link(src.constData(), dst.constData()) != 0)
        return errno;
    if (::unlink(src.constData()) != 0) {
        const int saved = errno;
        ::unlink(dst.constData());
        return saved;
    }
    return 0;
}

bool syncFolder(const QString &folder)
{
    const int fd = ::open(encodePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

namespace {

bool writeAll(int fd, const QByteArray &bytes)
{
    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        written += n;
    }
    return true;
}

} // namespace

int writeWholeFile(const QString &path, const QByteArray &bytes, bool replace)
{
    const QByteArray target = encodePath(path);
    const QByteArray temp = target + ".new";
    const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return errno;
    int error = writeAll(fd, bytes) && ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    if (!error) {
        if (replace)
            error = ::rename(temp.constData(), target.constData()) == 0 ? 0 : errno;
        else
            error = renameNoReplace(decodePath(temp), path);
    }
    if (error) {
        ::unlink(temp.constData());
        return error;
    }
    syncFolder(QFileInfo(path).path());
    return 0;
}

int writeProblemIn(const QString &folder)
{
    QByteArray name = encodePath(folder) + "/.quillon-write-test-XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return errno;
    const int error = writeAll(fd, QByteArray(4096, '\0')) && ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    ::unlink(name.constData());
    return error;
}

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool makePrivateFolder(const QString &path, QString *error)
{
    const QString clean = QDir::cleanPath(path);
    if (QFileInfo(clean).isDir())
        return true;
    const QString parent = QFileInfo(clean).path();
    if (parent != clean && !makePrivateFolder(parent, error))
        return false;
    if (::mkdir(encodePath(clean).constData(), 0700) != 0 && errno != EEXIST) {
        if (error)
            *error = u"The folder \"%1\" cannot be created: %2."_s.arg(clean, errorText(errno));
        return false;
    }
    return true;
}

QStringList namesIn(const QString &folder)
{
    QStringList names;
    DIR *dir = ::opendir(encodePath(folder).constData());
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.append(decodePath(QByteArray(entry->d_name)));
    }
    ::closedir(dir);
    return names;
}

QByteArray readSmallFile(const QString &path)
{
    QByteArray bytes;
    const int fd = ::open(encodePath(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return bytes;
    char buffer[4096];
    for (ssize_t got; bytes.size() < (1 << 20) && (got = ::read(fd, buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            break;
        bytes.append(buffer, got);
    }
    ::close(fd);
    return bytes;
}

namespace {

// Reads in to its end, hashing it, and writes what it reads to out as well when there is one.
std::optional<Digest> readHashing(QFile &in, QFile *out, QString *why)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    Digest digest;
    QByteArray buffer(64 * 1024, Qt::Uninitialized);
    for (;;) {
        const qint64 got = in.read(buffer.data(), buffer.size());
        if (got < 0) {
            *why = in.errorString();
            return std::nullopt;
        }
        if (got == 0)
            break;
        hash.addData(QByteArrayView(buffer.constData(), got));
        digest.size += got;
        if (out && out->write(buffer.constData(), got) != got) {
            *why = out->errorString();
            return std::nullopt;
        }
    }
    digest.sha256 = hash.result().toHex();
    return digest;
}

} // namespace

std::optional<Digest> digestOf(const QString &path)
{
    QFile file;
    if (!openFile(file, path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW))
        return std::nullopt;
    QString why;
    return readHashing(file, nullptr, &why);
}

std::optional<Digest> copyToNewFile(const QString &source, const QString &target, QString *error)
{
    QFile in;
    if (!openFile(in, source, O_RDONLY | O_CLOEXEC)) {
        *error = u"\"%1\" cannot be read: %2"_s.arg(source, errorText(errno));
        return std::nullopt;
    }
    QFile out;
    if (!openFile(out, target, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644)) {
        *error = u"\"%1\" cannot be created: %2"_s.arg(target, errorText(errno));
        return std::nullopt;
    }
    QString why;
    std::optional<Digest> digest = readHashing(in, &out, &why);
    // The copy must be whole on disk before its name appears in the game directory.
    if (digest && ::fsync(out.handle()) != 0) {
        why = errorText(errno);
        digest.reset();
    }
    if (!digest)
        *error = u"\"%1\" cannot be copied: %2"_s.arg(source, why);
    return digest;
}

} // namespace ostrel::fileops
