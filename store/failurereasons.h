#pragma once

#include <QString>

struct sqlite3;

namespace ostrel {

// Why a store operation failed, in words a user understands; each completes a sentence
// such as "The settings store ... could not be written: <reason>."

/// A file that is no database, or someone else's.
QString notADatabase();
/// A store whose layout is newer than this code knows: read, never written.
QString writtenByNewerVersion();
/// The reason for a system error number (errno).
QString reasonForErrno(int error);
/// The reason for an SQLite result code; systemErrno (0 when unknown) refines
/// the failures to open, read or write the file.
QString reasonForSqlite(int code, int systemErrno);
/// The reason for an SQLite result code of the connection db (which may be null).
QString reasonFor(sqlite3 *db, int code);

} // namespace ostrel
