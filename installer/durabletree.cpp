#include "installer/durabletree.h"

#include "launcher/fileops.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace ostrel {

DurableTree::DurableTree(const QString &root)
    : m_root(fileops::encodePath(root))
{
}

DurableTree::~DurableTree() = default;

bool DurableTree::fail(const QString &what, int error)
{
    if (m_error.isEmpty())
        m_error =
            error == ENOSPC ? u"%1: the disk is full"_s.arg(what) : u"%1: %2"_s.arg(what, fileops::errorText(error));
    return false;
}

bool DurableTree::makeFolder(const QByteArray &relative)
{
    qsizetype from = 0;
    while (from <= relative.size()) {
        qsizetype slash = relative.indexOf('/', from);
        if (slash < 0)
            slash = relative.size();
        const QByteArray part = relative.left(slash);
        from = slash + 1;
        if (m_known.contains(part))
            continue;
        const QByteArray full = m_root + '/' + part;
        if (::mkdir(full.constData(), 0755) != 0) {
            const int error = errno;
            struct stat st;
            // Only a real folder made by this tree may be gone through: never a link.
            if (error != EEXIST || ::lstat(full.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
                return fail(u"The folder \"%1\" could not be made"_s.arg(fileops::decodePath(part)),
                    error == EEXIST ? ENOTDIR : error);
        }
        m_known.insert(part);
    }
    return true;
}

int DurableTree::createFile(const QByteArray &relative)
{
    const qsizetype slash = relative.lastIndexOf('/');
    if (slash > 0 && !makeFolder(relative.left(slash)))
        return -1;
    const QByteArray full = m_root + '/' + relative;
    const int fd = ::open(full.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        fail(u"The file \"%1\" could not be made"_s.arg(fileops::decodePath(relative)), errno);
    return fd;
}

bool DurableTree::write(int fd, const char *data, qint64 size, qint64 offset)
{
    while (size > 0) {
        const ssize_t done = ::pwrite(fd, data, size_t(size), offset);
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return fail(u"A file could not be written"_s, errno);
        }
        data += done;
        size -= done;
        offset += done;
    }
    return true;
}

bool DurableTree::finishFile(int fd, qint64 mtimeSeconds)
{
    if (mtimeSeconds >= 0) {
        const timespec times[2] = {{0, UTIME_OMIT}, {time_t(mtimeSeconds), 0}};
        ::futimens(fd, times);
    }
    // The data goes to the disk while the next file is unpacked; finish() only waits for it.
    ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    const bool closed = ::close(fd) == 0;
    return closed || fail(u"A file could not be written"_s, errno);
}

bool DurableTree::finish()
{
    // One flush of the file system for the whole tree: every file's data and every name in
    // every folder reach the disk, and a write-back that failed is reported (Linux 5.8 on).
    // An fsync of each file would cost a flush of the disk's cache each, a second for 500.
    const int fd = ::open(m_root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return fail(u"The TC's folder could not be opened"_s, errno);
    const bool synced = ::syncfs(fd) == 0;
    const int error = errno;
    ::close(fd);
    return synced || fail(u"The TC's files could not be flushed to disk"_s, error);
}

} // namespace ostrel
