#include "store/failurereasons.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

namespace ostrel {

QString notADatabase()
{
    return u"the file is not a settings database"_s;
}

QString writtenByNewerVersion()
{
    return u"it was written by a newer version of Quillon and is left as it is"_s;
}

QString reasonForErrno(int error)
{
    switch (error) {
    case ENOSPC:
        return u"the disk is full"_s;
    case EDQUOT:
        return u"the disk quota is used up"_s;
    case EACCES:
    case EPERM:
        return u"permission was denied"_s;
    case EROFS:
        return u"it is on a read-only disk"_s;
    case ENOTDIR:
        return u"a part of its path is a file, not a folder"_s;
    case EISDIR:
        return u"it is a folder, not a file"_s;
    case ENOENT:
        return u"its folder does not exist"_s;
    case ENAMETOOLONG:
        return u"its path is too long"_s;
    case ELOOP:
        return u"its path has too many symbolic links"_s;
    case EFBIG:
        return u"the file has grown too large"_s;
    case EIO:
        return u"the disk reported a read or write error"_s;
    default:
        return QString::fromLocal8Bit(std::strerror(error)).toLower();
    }
}

QString reasonForSqlite(int code, int systemErrno)
{
    switch (code & 0xff) {
    case SQLITE_NOTADB:
        return notADatabase();
    case SQLITE_CORRUPT:
        return u"the file is damaged"_s;
    case SQLITE_FULL:
        return u"the disk is full"_s;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_PROTOCOL:
        return u"it is in use by another program"_s;
    case SQLITE_READONLY:
        return u"it is read-only"_s;
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return u"permission was denied"_s;
    case SQLITE_NOMEM:
        return u"there is not enough memory"_s;
    case SQLITE_TOOBIG:
        return u"a value is too large"_s;
    case SQLITE_CANTOPEN:
        return systemErrno ? reasonForErrno(systemErrno) : u"the file could not be opened"_s;
    case SQLITE_IOERR:
        return systemErrno ? reasonForErrno(systemErrno) : u"the disk reported a read or write error"_s;
    default:
        return QString::fromUtf8(sqlite3_errstr(code));
    }
}

QString reasonFor(sqlite3 *db, int code)
{
    return reasonForSqlite(code, db ? sqlite3_system_errno(db) : 0);
}

} // namespace ostrel
