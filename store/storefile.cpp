#include "store/storefile.h"

#include "store/failurereasons.h"
#include "store/settingsschema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

// Folders of the path that do not exist yet are made private to the user.
bool makeFolders(const QString &folder, int *error)
{
    const QByteArray native = QFile::encodeName(QDir::cleanPath(folder));
    for (qsizetype end = 1; end <= native.size(); ++end) {
        if (end < native.size() && native.at(end) != '/')
            continue;
        const QByteArray part = native.left(end);
        struct stat info;
        if (::stat(part.constData(), &info) == 0) {
            if (!S_ISDIR(info.st_mode)) {
                *error = ENOTDIR;
                return false;
            }
            continue;
        }
        if (::mkdir(part.constData(), 0700) != 0 && errno != EEXIST) {
            *error = errno;
            return false;
        }
        ::chmod(part.constData(), 0700); // the umask may have taken bits away
    }
    return true;
}

// Moves a finished file into place unless something already took the name.
int renameWithoutReplacing(const QByteArray &from, const QByteArray &to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // File systems without RENAME_NOREPLACE: link() refuses an existing name too.
    if (::link(from.constData(), to.constData()) != 0)
        return errno;
    ::unlink(from.constData());
    return 0;
}

void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

// The store is built under a temporary name and moved into place, so that no other
// program ever sees a half-made file at the store's path.
QString createStoreFile(const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    int error = 0;
    if (!makeFolders(folder, &error))
        return u"its folder could not be created: "_s + reasonForErrno(error);

    QByteArray temporary = QFile::encodeName(path) + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return reasonForErrno(errno);
    ::fchmod(fd, 0600);
    ::close(fd);

    sqlite3 *fresh = nullptr;
    int rc = sqlite3_open_v2(temporary.constData(), &fresh, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_exec(fresh,
            "PRAGMA journal_mode = DELETE; PRAGMA synchronous = FULL;"
            "BEGIN;",
            nullptr, nullptr, nullptr);
    }
    if (rc == SQLITE_OK)
        rc = createSchema(fresh);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(fresh, "COMMIT", nullptr, nullptr, nullptr);
    const QString reason = rc == SQLITE_OK ? QString() : reasonFor(fresh, rc);
    sqlite3_close(fresh);
    if (rc == SQLITE_OK) {
        error = renameWithoutReplacing(temporary, QFile::encodeName(path));
        if (error == EEXIST)
            error = 0; // another program made the store meanwhile: use theirs
    }
    ::unlink(temporary.constData());
    ::unlink(QByteArray(temporary + "-journal").constData());
    if (rc != SQLITE_OK)
        return reason;
    if (error != 0)
        return reasonForErrno(error);
    syncFolder(folder);
    return {};
}

} // namespace ostrel
