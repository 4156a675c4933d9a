#include "platform/sqlitesettingsstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <future>
#include <iterator>
#include <system_error>
#include <type_traits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

// Long enough for another instance or the launcher to finish its own write.
constexpr int kBusyTimeoutMs = 5000;

// How a connection waits for another program's transaction. SQLite's own busy timeout
// sleeps longer and longer between tries, so a program that commits and begins again at
// once can keep a waiting one out past its timeout; trying again every millisecond gives
// the waiting side its turn. Gives up after about kBusyTimeoutMs.
int retryWhileBusy(void *, int attempts)
{
    if (attempts >= kBusyTimeoutMs)
        return 0;
    sqlite3_sleep(1);
    return 1;
}

void waitWhileBusy(sqlite3 *db)
{
    sqlite3_busy_handler(db, retryWhileBusy, nullptr);
}

const char kCreateSchema[] =
    "CREATE TABLE settings ("
    " id INTEGER PRIMARY KEY,"
    " application TEXT NOT NULL, section TEXT NOT NULL, key TEXT NOT NULL,"
    " value TEXT NOT NULL,"
    " application_folded TEXT NOT NULL, section_folded TEXT NOT NULL, key_folded TEXT NOT NULL,"
    " UNIQUE (application_folded, section_folded, key_folded));"
    // Index entries of equal names are ordered by rowid, so a section is read in
    // creation order without a sort.
    "CREATE INDEX settings_by_section ON settings (application_folded, section_folded);";

const char kSelectValue[] =
    "SELECT value FROM settings"
    " WHERE application_folded = ?1 AND section_folded = ?2 AND key_folded = ?3";
const char kSelectSection[] =
    "SELECT id, key, value FROM settings"
    " WHERE application_folded = ?1 AND section_folded = ?2 ORDER BY id";
// The first and last row id of a section: two seeks in the section index.
const char kSelectSectionSpan[] =
    "SELECT (SELECT id FROM settings WHERE application_folded = ?1 AND section_folded = ?2"
    " ORDER BY id LIMIT 1),"
    " (SELECT id FROM settings WHERE application_folded = ?1 AND section_folded = ?2"
    " ORDER BY id DESC LIMIT 1)";
// Reserving ahead for more rows than this waits for the rows to be seen.
constexpr sqlite3_int64 kMostRowsReservedAhead = sqlite3_int64(1) << 20;
// An upsert keeps the row id, and with it the key's place in its section, and the
// names as first written.
const char kUpsert[] =
    "INSERT INTO settings (application, section, key, value,"
    " application_folded, section_folded, key_folded) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)"
    " ON CONFLICT (application_folded, section_folded, key_folded)"
    " DO UPDATE SET value = excluded.value RETURNING id";
const char kDelete[] =
    "DELETE FROM settings"
    " WHERE application_folded = ?1 AND section_folded = ?2 AND key_folded = ?3 RETURNING id";

QString notADatabase()
{
    return u"the file is not a settings database"_s;
}

QString reasonForErrno(int error)
{
    switch (error) {
    case ENOSPC: return u"the disk is full"_s;
    case EDQUOT: return u"the disk quota is used up"_s;
    case EACCES:
    case EPERM: return u"permission was denied"_s;
    case EROFS: return u"it is on a read-only disk"_s;
    case ENOTDIR: return u"a part of its path is a file, not a folder"_s;
    case EISDIR: return u"it is a folder, not a file"_s;
    case ENOENT: return u"its folder does not exist"_s;
    case ENAMETOOLONG: return u"its path is too long"_s;
    case ELOOP: return u"its path has too many symbolic links"_s;
    case EFBIG: return u"the file has grown too large"_s;
    case EIO: return u"the disk reported a read or write error"_s;
    default: return QString::fromLocal8Bit(std::strerror(error)).toLower();
    }
}

QString reasonForSqlite(int code, int systemErrno)
{
    switch (code & 0xff) {
    case SQLITE_NOTADB: return notADatabase();
    case SQLITE_CORRUPT: return u"the file is damaged"_s;
    case SQLITE_FULL: return u"the disk is full"_s;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_PROTOCOL: return u"it is in use by another program"_s;
    case SQLITE_READONLY: return u"it is read-only"_s;
    case SQLITE_PERM:
    case SQLITE_AUTH: return u"permission was denied"_s;
    case SQLITE_NOMEM: return u"there is not enough memory"_s;
    case SQLITE_TOOBIG: return u"a value is too large"_s;
    case SQLITE_CANTOPEN:
        return systemErrno ? reasonForErrno(systemErrno) : u"the file could not be opened"_s;
    case SQLITE_IOERR:
        return systemErrno ? reasonForErrno(systemErrno)
                           : u"the disk reported a read or write error"_s;
    default: return QString::fromUtf8(sqlite3_errstr(code));
    }
}

QString reasonFor(sqlite3 *db, int code)
{
    return reasonForSqlite(code, db ? sqlite3_system_errno(db) : 0);
}

// Text is bound without a copy: every use of a statement goes through StatementUse,
// which drops the bindings before the bound strings go away.
void bindText(sqlite3_stmt *statement, int index, const QString &text)
{
    sqlite3_bind_text16(statement, index, text.utf16(), int(text.size() * sizeof(char16_t)),
                        SQLITE_STATIC);
}

// Whether text holds exactly the given UTF-8 bytes, all of them ASCII.
bool holdsAscii(const QString &text, const char *utf8, int size)
{
    if (text.size() != size)
        return false;
    const QChar *units = text.constData();
    for (int i = 0; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte >= 0x80 || units[i].unicode() != byte)
            return false;
    }
    return true;
}

// The column's text; kept itself when it holds that text already (checked for ASCII
// text only, which nearly every key and path is).
QString columnText(sqlite3_stmt *statement, int column, const QString *kept = nullptr)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    const int size = sqlite3_column_bytes(statement, column);
    if (kept && holdsAscii(*kept, text, size))
        return *kept;
    return QString::fromUtf8(text, size);
}

class StatementUse
{
public:
    explicit StatementUse(sqlite3_stmt *statement) : m_statement(statement) {}
    ~StatementUse()
    {
        // A read left unfinished would keep its lock on the file.
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
    StatementUse(const StatementUse &) = delete;
    StatementUse &operator=(const StatementUse &) = delete;

private:
    sqlite3_stmt *m_statement;
};

struct FoldedNames {
    QString application, section, key;
};

// The last section enumerated, kept so that a caller who reads the same section again
// and again (the control does, for every load, save and delete) does not pay for a
// walk through the file each time. It holds while the file is unchanged: another
// connection's commit moves PRAGMA data_version, and this connection's own writes are
// applied to it as they succeed. A rolled-back transaction drops it.
struct SectionCache {
    bool valid = false;
    sqlite3_int64 dataVersion = 0;
    QString application, section; // folded
    // In creation order; a deleted key stays as a dead entry until the next read, so a
    // delete costs no shift of the rows after it.
    std::vector<sqlite3_int64> ids;
    SettingRows rows;
    std::vector<bool> dead;
    size_t deadCount = 0;

    void clear()
    {
        valid = false;
        ids.clear();
        rows.clear();
        dead.clear();
        deadCount = 0;
    }

    bool holds(const QString &foldedApplication, const QString &foldedSection) const
    {
        return valid && application == foldedApplication && section == foldedSection;
    }

    void compact()
    {
        if (deadCount == 0)
            return;
        size_t kept = 0;
        for (size_t i = 0; i < ids.size(); ++i) {
            if (dead[i])
                continue;
            ids[kept] = ids[i];
            rows[qsizetype(kept)] = std::move(rows[qsizetype(i)]);
            ++kept;
        }
        ids.resize(kept);
        rows.resize(qsizetype(kept));
        dead.assign(kept, false);
        deadCount = 0;
    }

    size_t find(sqlite3_int64 id) const
    {
        return size_t(std::lower_bound(ids.begin(), ids.end(), id) - ids.begin());
    }

    void saved(sqlite3_int64 id, const QString &key, const QString &value)
    {
        const size_t at = find(id);
        if (at < ids.size() && ids[at] == id) {
            // A replaced value keeps the key as first written; a dead entry whose id
            // SQLite handed out again is a new key in the same place.
            if (dead[at]) {
                rows[at].key = key;
                dead[at] = false;
                --deadCount;
            }
            rows[at].value = value;
            return;
        }
        ids.insert(ids.begin() + qsizetype(at), id);
        rows.insert(rows.begin() + qsizetype(at), SettingRow{key, value});
        dead.insert(dead.begin() + qsizetype(at), false);
    }

    void deleted(sqlite3_int64 id)
    {
        const size_t at = find(id);
        if (at < ids.size() && ids[at] == id && !dead[at]) {
            dead[at] = true;
            ++deadCount;
        }
    }
};

struct IntegrityCheck {
    int code = SQLITE_OK;
    QString reason;
};

int quickCheck(sqlite3 *db, QString *reason)
{
    sqlite3_stmt *check = nullptr;
    int rc = sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &check, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(check);
        if (rc == SQLITE_ROW) {
            const bool intact = columnText(check, 0) == "ok"_L1;
            rc = intact ? SQLITE_OK : SQLITE_CORRUPT;
        }
    }
    sqlite3_finalize(check);
    if (rc != SQLITE_OK)
        *reason = reasonFor(db, rc);
    return rc;
}

// Runs on a thread of its own, with a connection of its own.
IntegrityCheck checkFileIntegrity(QByteArray path, int flags)
{
    IntegrityCheck result;
    sqlite3 *db = nullptr;
    result.code = sqlite3_open_v2(path.constData(), &db, flags, nullptr);
    if (result.code == SQLITE_OK) {
        waitWhileBusy(db);
        // Mapped, the pages are read without a copy each, which shortens the check on
        // a large store. Its shared lock keeps other SQLite clients from shrinking the file
        // meanwhile.
        sqlite3_exec(db, "PRAGMA mmap_size = 268435456", nullptr, nullptr, nullptr);
        result.code = quickCheck(db, &result.reason);
    } else {
        result.reason = reasonFor(db, result.code);
    }
    sqlite3_close(db);
    return result;
}

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

struct SqliteSettingsStore::Impl {
    enum class OpenState { Open, Absent, Unusable };

    QString path;
    Access access;
    sqlite3 *db = nullptr;
    bool hasTable = false;
    // The integrity check of the file, begun when the connection opens; nothing read is
    // handed out and nothing is changed before it has passed.
    std::future<IntegrityCheck> pendingCheck;
    bool intact = false;
    int transactionDepth = 0;
    bool transactionBegun = false;

    sqlite3_stmt *selectValue = nullptr;
    sqlite3_stmt *selectSection = nullptr;
    sqlite3_stmt *selectSectionSpan = nullptr;
    sqlite3_stmt *upsert = nullptr;
    sqlite3_stmt *remove = nullptr;
    sqlite3_stmt *dataVersion = nullptr;
    sqlite3_stmt *begin = nullptr;
    sqlite3_stmt *commit = nullptr;
    sqlite3_stmt *rollback = nullptr;

    SectionCache cache;

    Impl(const QString &path, Access access) : path(path), access(access) {}
    ~Impl() { close(); }

    StoreError writeError(const QString &reason) const
    {
        return StoreError(u"The settings store \"%1\" could not be written: %2."_s.arg(
            QDir::toNativeSeparators(path), reason));
    }

    sqlite3_stmt **tableStatements[5] = {&selectValue, &selectSection, &selectSectionSpan, &upsert,
                                         &remove};

    void finalizeTableStatements()
    {
        for (sqlite3_stmt **statement : tableStatements) {
            sqlite3_finalize(*statement);
            *statement = nullptr;
        }
        hasTable = false;
    }

    void close()
    {
        finalizeTableStatements();
        for (sqlite3_stmt **statement : {&dataVersion, &begin, &commit, &rollback}) {
            sqlite3_finalize(*statement);
            *statement = nullptr;
        }
        sqlite3_close(db);
        db = nullptr;
        transactionBegun = false;
        if (pendingCheck.valid())
            pendingCheck.wait();
        pendingCheck = {};
        intact = false;
        // Versions are counted per connection.
        cache.clear();
    }

    int prepare(const char *sql, sqlite3_stmt **statement)
    {
        return sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, statement, nullptr);
    }

    // Connects to an existing file, after making sure it is an intact database; it is
    // never created here. Nothing is cached on failure, so a later call tries again.
    OpenState connect(QString *reason)
    {
        if (db && !transactionBegun) {
            // A store file deleted or replaced by the user while we had it open would
            // swallow our writes; let go of it and look at the path afresh.
            int moved = 0;
            sqlite3_file_control(db, "main", SQLITE_FCNTL_HAS_MOVED, &moved);
            if (moved)
                close();
        }
        if (db)
            return OpenState::Open;
        const QByteArray native = QFile::encodeName(path);
        struct stat info;
        if (::stat(native.constData(), &info) != 0) {
            if (errno == ENOENT)
                return OpenState::Absent;
            *reason = reasonForErrno(errno);
            return OpenState::Unusable;
        }
        if (S_ISDIR(info.st_mode)) {
            *reason = reasonForErrno(EISDIR);
            return OpenState::Unusable;
        }
        // An empty file is someone else's (or a crash's) and not ours to fill: our
        // own files appear only complete, with their table.
        if (!S_ISREG(info.st_mode) || info.st_size == 0) {
            *reason = notADatabase();
            return OpenState::Unusable;
        }
        // A store, like its connection, is used by one thread at a time; without the
        // connection's own mutex, reading a section costs about 15 % less.
        const int flags = (access == Access::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE)
            | SQLITE_OPEN_NOMUTEX;
        int rc = sqlite3_open_v2(native.constData(), &db, flags, nullptr);
        if (rc == SQLITE_OK) {
            waitWhileBusy(db);
            // A setting of this connection only; the file is not touched.
            rc = sqlite3_exec(db, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr);
        }
        if (rc == SQLITE_OK) {
            // The check reads every page of the file (tens of milliseconds for 10,000
            // definitions): on a connection of its own, it runs while the first read does
            // its work. Without a thread to spare, it runs when its result is needed.
            try {
                pendingCheck = std::async(std::launch::async, checkFileIntegrity, native, flags);
            } catch (const std::system_error &) {
                pendingCheck = std::async(std::launch::deferred, checkFileIntegrity, native, flags);
            }
        }
        if (rc == SQLITE_OK) {
            rc = prepare("BEGIN IMMEDIATE", &begin);
            if (rc == SQLITE_OK)
                rc = prepare("COMMIT", &commit);
            if (rc == SQLITE_OK)
                rc = prepare("ROLLBACK", &rollback);
            if (rc == SQLITE_OK)
                rc = prepare("PRAGMA data_version", &dataVersion);
        }
        if (rc != SQLITE_OK && reason->isEmpty())
            *reason = reasonFor(db, rc);
        if (rc == SQLITE_OK && !findTable(reason))
            rc = SQLITE_NOTADB;
        if (rc != SQLITE_OK) {
            close();
            return OpenState::Unusable;
        }
        return OpenState::Open;
    }

    // Looks for the settings table. A database holding only other tables belongs to
    // someone else and is refused.
    bool findTable(QString *reason)
    {
        if (hasTable)
            return true;
        sqlite3_stmt *tables = nullptr;
        int rc = sqlite3_prepare_v2(
            db, "SELECT name FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE 'sqlite%'",
            -1, &tables, nullptr);
        bool found = false, foreign = false;
        while (rc == SQLITE_OK && (rc = sqlite3_step(tables)) == SQLITE_ROW) {
            if (columnText(tables, 0).compare("settings"_L1, Qt::CaseInsensitive) == 0)
                found = true;
            else
                foreign = true;
            rc = SQLITE_OK;
        }
        sqlite3_finalize(tables);
        if (rc != SQLITE_DONE) {
            *reason = reasonFor(db, rc);
            return false;
        }
        if (foreign && !found) {
            *reason = notADatabase();
            return false;
        }
        return !found || prepareTableStatements(reason);
    }

    bool prepareTableStatements(QString *reason)
    {
        const char *sql[] = {kSelectValue, kSelectSection, kSelectSectionSpan, kUpsert, kDelete};
        static_assert(std::size(sql) == std::extent_v<decltype(tableStatements)>);
        for (size_t i = 0; i < std::size(sql); ++i) {
            if (prepare(sql[i], tableStatements[i]) != SQLITE_OK) {
                // A settings table of another shape: not one of ours.
                finalizeTableStatements();
                *reason = notADatabase();
                return false;
            }
        }
        hasTable = true;
        return true;
    }

    // Waits for the integrity check of the connection. A file that fails it is let go
    // of; the next use opens and checks it again.
    bool confirmIntact(QString *reason)
    {
        if (intact)
            return true;
        const IntegrityCheck check = pendingCheck.get();
        int rc = check.code;
        *reason = check.reason;
        // The journal mode is a change to the file, made only once it is known intact.
        if (rc == SQLITE_OK && access == Access::ReadWrite && !sqlite3_db_readonly(db, "main")) {
            rc = sqlite3_exec(db, "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr);
            if (rc != SQLITE_OK)
                *reason = reasonFor(db, rc);
        }
        if (rc != SQLITE_OK) {
            close();
            return false;
        }
        intact = true;
        return true;
    }

    // Ready to read the table, with or without waiting for the integrity check.
    bool readyToRead(bool awaitCheck = true)
    {
        QString reason;
        return connect(&reason) == OpenState::Open && (!awaitCheck || confirmIntact(&reason))
            && findTable(&reason) && hasTable;
    }

    // Builds a complete, empty store under a temporary name and moves it into place,
    // so that no other program ever sees a half-made file at the store's path.
    void createFile()
    {
        const QString folder = QFileInfo(path).absolutePath();
        int error = 0;
        if (!makeFolders(folder, &error))
            throw writeError(u"its folder could not be created: "_s + reasonForErrno(error));

        QByteArray temporary = QFile::encodeName(path) + ".XXXXXX";
        const int fd = ::mkstemp(temporary.data());
        if (fd < 0)
            throw writeError(reasonForErrno(errno));
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
            rc = sqlite3_exec(fresh, kCreateSchema, nullptr, nullptr, nullptr);
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
            throw writeError(reason);
        if (error != 0)
            throw writeError(reasonForErrno(error));
        syncFolder(folder);
    }

    // Readies the connection for a write of the open transaction: creates the file if
    // needed, begins the transaction on the first write and makes sure of the table.
    void beginWriting()
    {
        if (access == Access::ReadOnly)
            throw writeError(u"it is opened read-only"_s);
        if (transactionBegun) {
            // SQLite rolls a transaction back by itself after some failures (a full
            // disk, an I/O error); later writes must not land outside of it.
            if (sqlite3_get_autocommit(db))
                throw writeError(u"an earlier part of the same change failed"_s);
            return;
        }
        QString reason;
        OpenState state = connect(&reason);
        if (state == OpenState::Absent) {
            createFile();
            state = connect(&reason);
        }
        if (state == OpenState::Open && !confirmIntact(&reason))
            state = OpenState::Unusable;
        if (state != OpenState::Open)
            throw writeError(reason.isEmpty() ? reasonForErrno(ENOENT) : reason);
        if (sqlite3_db_readonly(db, "main") == 1)
            throw writeError(reasonForSqlite(SQLITE_READONLY, 0));
        const int rc = sqlite3_step(begin);
        sqlite3_reset(begin);
        if (rc != SQLITE_DONE)
            throw writeError(reasonFor(db, rc));
        transactionBegun = true;
        if (!hasTable) {
            // Inside the transaction, so two programs cannot both create the table.
            if (!findTable(&reason))
                throw writeError(reason);
            if (!hasTable) {
                const int created = sqlite3_exec(db, kCreateSchema, nullptr, nullptr, nullptr);
                if (created != SQLITE_OK)
                    throw writeError(reasonFor(db, created));
                if (!prepareTableStatements(&reason))
                    throw writeError(reason);
            }
        }
    }

    // Runs an upsert or a delete; the id of the row it touched, or 0 when none was.
    sqlite3_int64 runWrite(sqlite3_stmt *statement)
    {
        int rc = sqlite3_step(statement);
        sqlite3_int64 id = 0;
        if (rc == SQLITE_ROW) {
            id = sqlite3_column_int64(statement, 0);
            rc = sqlite3_step(statement);
        }
        if (rc != SQLITE_DONE)
            throw writeError(reasonFor(db, rc));
        return id;
    }

    // How many rows a section can hold at most, from the span of its row ids: its rows
    // lie mostly side by side, so this is close to their number. 0 when unknown.
    qsizetype sectionRowBound(const QString &foldedApplication, const QString &foldedSection)
    {
        StatementUse use(selectSectionSpan);
        bindText(selectSectionSpan, 1, foldedApplication);
        bindText(selectSectionSpan, 2, foldedSection);
        if (sqlite3_step(selectSectionSpan) != SQLITE_ROW
            || sqlite3_column_type(selectSectionSpan, 0) != SQLITE_INTEGER)
            return 0;
        const sqlite3_int64 span = sqlite3_column_int64(selectSectionSpan, 1)
            - sqlite3_column_int64(selectSectionSpan, 0) + 1;
        return qsizetype(std::clamp<sqlite3_int64>(span, 0, kMostRowsReservedAhead));
    }

    // The data version of the file as this connection last saw it committed by others;
    // nullopt when it cannot be read.
    std::optional<sqlite3_int64> currentDataVersion()
    {
        StatementUse use(dataVersion);
        if (sqlite3_step(dataVersion) != SQLITE_ROW)
            return std::nullopt;
        return sqlite3_column_int64(dataVersion, 0);
    }

    void rollBack()
    {
        if (db && !sqlite3_get_autocommit(db)) {
            sqlite3_step(rollback);
            sqlite3_reset(rollback);
        }
        transactionBegun = false;
        // The table may have been created by the transaction just undone; the next
        // use looks for it again.
        finalizeTableStatements();
        // It may hold writes that were just undone.
        cache.clear();
    }

    void commitTransaction()
    {
        if (!transactionBegun)
            return;
        if (sqlite3_get_autocommit(db)) {
            transactionBegun = false;
            throw writeError(u"an earlier part of the same change failed"_s);
        }
        // A refused COMMIT leaves the transaction open; the caller rolls it back.
        const int rc = sqlite3_step(commit);
        sqlite3_reset(commit);
        if (rc != SQLITE_DONE)
            throw writeError(reasonFor(db, rc));
        transactionBegun = false;
    }
};

SqliteSettingsStore::SqliteSettingsStore(const QString &path, Access access)
    : d(std::make_unique<Impl>(path, access))
{
}

SqliteSettingsStore::~SqliteSettingsStore() = default;

QString SqliteSettingsStore::defaultPath()
{
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    // A relative value is invalid by the XDG rules and is ignored like an empty one.
    if (configHome.isEmpty() || QDir::isRelativePath(configHome))
        configHome = QDir::homePath() + u"/.config"_s;
    return configHome + u"/ostrel/settings.sqlite3"_s;
}

QString SqliteSettingsStore::GetSetting(const QString &application, const QString &section,
                                        const QString &key, const QString &defaultValue) const
{
    if (!d->readyToRead())
        return defaultValue;
    const FoldedNames folded{application.toCaseFolded(), section.toCaseFolded(),
                             key.toCaseFolded()};
    StatementUse use(d->selectValue);
    bindText(d->selectValue, 1, folded.application);
    bindText(d->selectValue, 2, folded.section);
    bindText(d->selectValue, 3, folded.key);
    if (sqlite3_step(d->selectValue) != SQLITE_ROW)
        return defaultValue;
    return columnText(d->selectValue, 0);
}

void SqliteSettingsStore::SaveSetting(const QString &application, const QString &section,
                                      const QString &key, const QString &value)
{
    if (d->transactionDepth == 0) {
        Transact([&] { SaveSetting(application, section, key, value); });
        return;
    }
    d->beginWriting();
    const FoldedNames folded{application.toCaseFolded(), section.toCaseFolded(),
                             key.toCaseFolded()};
    StatementUse use(d->upsert);
    bindText(d->upsert, 1, application);
    bindText(d->upsert, 2, section);
    bindText(d->upsert, 3, key);
    bindText(d->upsert, 4, value);
    bindText(d->upsert, 5, folded.application);
    bindText(d->upsert, 6, folded.section);
    bindText(d->upsert, 7, folded.key);
    const sqlite3_int64 id = d->runWrite(d->upsert);
    if (d->cache.holds(folded.application, folded.section))
        d->cache.saved(id, key, value);
}

void SqliteSettingsStore::DeleteSetting(const QString &application, const QString &section,
                                        const QString &key)
{
    if (d->transactionDepth == 0) {
        Transact([&] { DeleteSetting(application, section, key); });
        return;
    }
    d->beginWriting();
    const FoldedNames folded{application.toCaseFolded(), section.toCaseFolded(),
                             key.toCaseFolded()};
    StatementUse use(d->remove);
    bindText(d->remove, 1, folded.application);
    bindText(d->remove, 2, folded.section);
    bindText(d->remove, 3, folded.key);
    const sqlite3_int64 id = d->runWrite(d->remove);
    if (id != 0 && d->cache.holds(folded.application, folded.section))
        d->cache.deleted(id);
}

std::optional<SettingRows> SqliteSettingsStore::GetAllSettings(const QString &application,
                                                               const QString &section) const
{
    // The first read of a connection runs while the integrity check does.
    if (!d->readyToRead(false))
        return std::nullopt;
    const QString foldedApplication = application.toCaseFolded();
    const QString foldedSection = section.toCaseFolded();
    SectionCache &cache = d->cache;
    const std::optional<sqlite3_int64> version = d->currentDataVersion();
    if (!version) {
        cache.clear();
        return std::nullopt;
    }
    if (!cache.holds(foldedApplication, foldedSection) || cache.dataVersion != *version) {
        // Read again after another program's commit, the section is mostly the rows kept:
        // their strings are taken over, which spares allocating new ones and freeing the
        // old: about a fifth of the read, at any size.
        SectionCache previous;
        if (cache.holds(foldedApplication, foldedSection))
            previous = std::move(cache);
        cache.clear();
        // Growing the lists row by row copies them again and again, into memory fresh
        // from the system each time: at 350,000 rows, about a fifth of the read. Counting
        // the rows first would cost more than that; the span of their ids costs two seeks.
        const qsizetype bound = d->sectionRowBound(foldedApplication, foldedSection);
        cache.ids.reserve(size_t(bound));
        cache.rows.reserve(bound);
        sqlite3_stmt *const statement = d->selectSection;
        StatementUse use(statement);
        bindText(statement, 1, foldedApplication);
        bindText(statement, 2, foldedSection);
        int rc;
        size_t at = 0; // in previous, the first row whose id is not below this row's
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            const sqlite3_int64 id = sqlite3_column_int64(statement, 0);
            while (at < previous.ids.size() && previous.ids[at] < id)
                ++at;
            const SettingRow *kept =
                at < previous.ids.size() && previous.ids[at] == id ? &previous.rows.at(qsizetype(at)) : nullptr;
            cache.ids.push_back(id);
            cache.rows.push_back({columnText(statement, 1, kept ? &kept->key : nullptr),
                                  columnText(statement, 2, kept ? &kept->value : nullptr)});
        }
        // Half a section is worse than none: a caller would take it for the whole.
        if (rc != SQLITE_DONE) {
            cache.clear();
            return std::nullopt;
        }
        // Rows of other sections between these, or many deleted, made the span too wide.
        if (cache.rows.capacity() > 2 * cache.rows.size() + 1024) {
            cache.ids.shrink_to_fit();
            cache.rows.squeeze();
        }
        cache.dead.assign(cache.rows.size(), false);
        cache.application = foldedApplication;
        cache.section = foldedSection;
        cache.dataVersion = *version;
        cache.valid = true;
    }
    QString reason;
    if (!d->confirmIntact(&reason))
        return std::nullopt;
    cache.compact();
    if (cache.rows.empty())
        return std::nullopt;
    return cache.rows;
}

void SqliteSettingsStore::Transact(const std::function<void()> &work)
{
    if (d->transactionDepth > 0) {
        work();
        return;
    }
    d->transactionDepth = 1;
    try {
        // An existing store is locked for writing from the start, so the reads of
        // work see the state its writes build on. A missing one is created only
        // when work writes.
        QString reason;
        if (d->access == Access::ReadWrite && d->connect(&reason) == Impl::OpenState::Open)
            d->beginWriting();
        work();
        d->commitTransaction();
    } catch (...) {
        d->rollBack();
        d->transactionDepth = 0;
        throw;
    }
    d->transactionDepth = 0;
}

QString SqliteSettingsStore::location() const
{
    return QDir::toNativeSeparators(d->path);
}

} // namespace ostrel
