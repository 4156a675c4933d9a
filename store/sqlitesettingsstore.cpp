#include "store/sqlitesettingsstore.h"

#include "store/failurereasons.h"
#include "store/sectioncache.h"
#include "store/settingsschema.h"
#include "store/statements.h"
#include "store/storefile.h"

#include <QDir>
#include <QFile>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <future>
#include <system_error>
#include <sys/stat.h>

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

// Reserving ahead for more rows than this waits for the rows to be seen.
constexpr sqlite3_int64 kMostRowsReservedAhead = sqlite3_int64(1) << 20;

struct FoldedNames {
    QString application, section, key;
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

} // namespace

struct SqliteSettingsStore::Impl {
    enum class OpenState {
        Open,
        Absent,
        Unusable
    };

    QString path;
    Access access;
    sqlite3 *db = nullptr;
    // The integrity check of the file, begun when the connection opens; nothing read is
    // handed out and nothing is changed before it has passed.
    std::future<IntegrityCheck> pendingCheck;
    bool intact = false;
    int transactionDepth = 0;
    bool transactionBegun = false;
    // What the file's header says it is, read when the connection opens and again when a
    // write transaction begins: from then until its end no other program can change it.
    SchemaStamp stamp;

    StoreStatements statements;
    SectionCache cache;

    Impl(const QString &path, Access access)
        : path(path)
        , access(access)
    {
    }
    ~Impl() { close(); }

    StoreError writeError(const QString &reason) const
    {
        return StoreError(
            u"The settings store \"%1\" could not be written: %2."_s.arg(QDir::toNativeSeparators(path), reason));
    }

    int readStamp() { return readSchemaStamp(statements.readApplicationId, statements.readLayoutVersion, &stamp); }

    void close()
    {
        statements.finalizeAll();
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
        const int flags =
            (access == Access::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
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
        if (rc == SQLITE_OK)
            rc = statements.prepareConnection(db);
        if (rc == SQLITE_OK)
            rc = readStamp();
        if (rc != SQLITE_OK && reason->isEmpty())
            *reason = reasonFor(db, rc);
        if (rc == SQLITE_OK && stamp.isForeign()) {
            *reason = notADatabase();
            rc = SQLITE_NOTADB;
        }
        if (rc == SQLITE_OK && !findTable(reason)) {
            // A later layout need not keep a table this code knows.
            if (stamp.isNewer())
                *reason = writtenByNewerVersion();
            rc = SQLITE_NOTADB;
        }
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
        if (statements.tablePrepared())
            return true;
        sqlite3_stmt *tables = nullptr;
        int rc = sqlite3_prepare_v2(db,
            "SELECT name FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE 'sqlite%'", -1, &tables, nullptr);
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
        if (statements.prepareTable(db))
            return true;
        // A settings table of another shape: not one of ours.
        *reason = notADatabase();
        return false;
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
        // The journal mode is a change to the file, made only once it is known intact,
        // and never to a store of a newer layout, which is left as it is.
        if (rc == SQLITE_OK && access == Access::ReadWrite && !sqlite3_db_readonly(db, "main") && !stamp.isNewer()) {
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
        return connect(&reason) == OpenState::Open && (!awaitCheck || confirmIntact(&reason)) && findTable(&reason)
            && statements.tablePrepared();
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
            if (const QString failure = createStoreFile(path); !failure.isEmpty())
                throw writeError(failure);
            state = connect(&reason);
        }
        if (state == OpenState::Open && !confirmIntact(&reason))
            state = OpenState::Unusable;
        if (state != OpenState::Open)
            throw writeError(reason.isEmpty() ? reasonForErrno(ENOENT) : reason);
        if (sqlite3_db_readonly(db, "main") == 1)
            throw writeError(reasonForSqlite(SQLITE_READONLY, 0));
        const int rc = sqlite3_step(statements.begin);
        sqlite3_reset(statements.begin);
        if (rc != SQLITE_DONE)
            throw writeError(reasonFor(db, rc));
        transactionBegun = true;
        // Another program (an older or a newer release among them) may have written the
        // file since it was opened.
        if (const int read = readStamp(); read != SQLITE_OK)
            throw writeError(reasonFor(db, read));
        if (stamp.isForeign())
            throw writeError(notADatabase());
        if (!statements.tablePrepared() && !stamp.isNewer()) {
            // Inside the transaction, so two programs cannot both create the table.
            if (!findTable(&reason))
                throw writeError(reason);
            if (!statements.tablePrepared()) {
                const int created = createSchema(db);
                if (created != SQLITE_OK)
                    throw writeError(reasonFor(db, created));
                stamp = {kSettingsApplicationId, kSettingsLayoutVersion};
                if (!prepareTableStatements(&reason))
                    throw writeError(reason);
            }
        }
    }

    // Readies the connection for a change to the table. A store of a newer layout is
    // read, but a change made without knowing that layout could break it for the release
    // that wrote it.
    void beginChange()
    {
        beginWriting();
        if (stamp.isNewer())
            throw writeError(writtenByNewerVersion());
    }

    // A change to the table was made in the open transaction. A store from before the
    // stamp gets it with its first change, so that a change that fails leaves the file
    // as it was.
    void changed()
    {
        if (stamp.isCurrent())
            return;
        const int rc = stampSchema(db);
        if (rc != SQLITE_OK)
            throw writeError(reasonFor(db, rc));
        stamp = {kSettingsApplicationId, kSettingsLayoutVersion};
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
        sqlite3_stmt *const span = statements.selectSectionSpan;
        StatementUse use(span);
        bindText(span, 1, foldedApplication);
        bindText(span, 2, foldedSection);
        if (sqlite3_step(span) != SQLITE_ROW || sqlite3_column_type(span, 0) != SQLITE_INTEGER)
            return 0;
        const sqlite3_int64 rows = sqlite3_column_int64(span, 1) - sqlite3_column_int64(span, 0) + 1;
        return qsizetype(std::clamp<sqlite3_int64>(rows, 0, kMostRowsReservedAhead));
    }

    // The data version of the file as this connection last saw it committed by others;
    // nullopt when it cannot be read.
    std::optional<sqlite3_int64> currentDataVersion()
    {
        StatementUse use(statements.dataVersion);
        if (sqlite3_step(statements.dataVersion) != SQLITE_ROW)
            return std::nullopt;
        return sqlite3_column_int64(statements.dataVersion, 0);
    }

    void rollBack()
    {
        if (db && !sqlite3_get_autocommit(db)) {
            sqlite3_step(statements.rollback);
            sqlite3_reset(statements.rollback);
        }
        transactionBegun = false;
        // The table may have been created by the transaction just undone; the next
        // use looks for it again.
        statements.finalizeTable();
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
        const int rc = sqlite3_step(statements.commit);
        sqlite3_reset(statements.commit);
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

QString SqliteSettingsStore::GetSetting(
    const QString &application, const QString &section, const QString &key, const QString &defaultValue) const
{
    if (!d->readyToRead())
        return defaultValue;
    const FoldedNames folded{application.toCaseFolded(), section.toCaseFolded(), key.toCaseFolded()};
    sqlite3_stmt *const select = d->statements.selectValue;
    StatementUse use(select);
    bindText(select, 1, folded.application);
    bindText(select, 2, folded.section);
    bindText(select, 3, folded.key);
    if (sqlite3_step(select) != SQLITE_ROW)
        return defaultValue;
    return columnText(select, 0);
}

void SqliteSettingsStore::SaveSetting(
    const QString &application, const QString &section, const QString &key, const QString &value)
{
    if (d->transactionDepth == 0) {
        Transact([&] { SaveSetting(application, section, key, value); });
        return;
    }
    d->beginChange();
    const FoldedNames folded{application.toCaseFolded(), section.toCaseFolded(), key.toCaseFolded()};
    sqlite3_stmt *const upsert = d->statements.upsert;
    StatementUse use(upsert);
    bindText(upsert, 1, application);
    bindText(upsert, 2, section);
    bindText(upsert, 3, key);
    bindText(upsert, 4, value);
    bindText(upsert, 5, folded.application);
    bindText(upsert, 6, folded.section);
    bindText(upsert, 7, folded.key);
    const sqlite3_int64 id = d->runWrite(upsert);
    d->changed();
    if (d->cache.holds(folded.application, folded.section))
        d->cache.saved(id, key, value);
}

void SqliteSettingsStore::DeleteSetting(const QString &application, const QString &section, const QString &key)
{
    if (d->transactionDepth == 0) {
        Transact([&] { DeleteSetting(application, section, key); });
        return;
    }
    d->beginChange();
    const FoldedNames folded{application.toCaseFolded(), section.toCaseFolded(), key.toCaseFolded()};
    sqlite3_stmt *const remove = d->statements.remove;
    StatementUse use(remove);
    bindText(remove, 1, folded.application);
    bindText(remove, 2, folded.section);
    bindText(remove, 3, folded.key);
    const sqlite3_int64 id = d->runWrite(remove);
    if (id == 0)
        return; // nothing changed, so a store from before the stamp stays without it
    d->changed();
    if (d->cache.holds(folded.application, folded.section))
        d->cache.deleted(id);
}

std::optional<SettingRows> SqliteSettingsStore::GetAllSettings(const QString &application, const QString &section) const
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
    if (!cache.holds(foldedApplication, foldedSection, *version)) {
        // Read again after another program's commit, the section is mostly the rows kept:
        // their strings are taken over, which spares allocating new ones and freeing the
        // old: about a fifth of the read, at any size. Counting the rows first, to reserve
        // room for them, would cost more than the reservation saves; the span of their ids
        // costs two seeks.
        SectionCache::Refill refill(
            cache, foldedApplication, foldedSection, d->sectionRowBound(foldedApplication, foldedSection));
        sqlite3_stmt *const statement = d->statements.selectSection;
        StatementUse use(statement);
        bindText(statement, 1, foldedApplication);
        bindText(statement, 2, foldedSection);
        int rc;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            const sqlite3_int64 id = sqlite3_column_int64(statement, 0);
            const SettingRow *kept = refill.previous(id);
            refill.append(id,
                {columnText(statement, 1, kept ? &kept->key : nullptr),
                    columnText(statement, 2, kept ? &kept->value : nullptr)});
        }
        if (rc != SQLITE_DONE)
            return std::nullopt;
        refill.finish(*version);
    }
    QString reason;
    if (!d->confirmIntact(&reason))
        return std::nullopt;
    const SettingRows &rows = cache.rows();
    if (rows.empty())
        return std::nullopt;
    return rows;
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

QString SqliteSettingsStore::readProblem() const
{
    QString reason;
    const Impl::OpenState state = d->connect(&reason);
    if (state == Impl::OpenState::Absent)
        return {};
    if (state == Impl::OpenState::Open && d->confirmIntact(&reason) && d->findTable(&reason))
        return {};
    return u"The settings store \"%1\" cannot be read: %2."_s.arg(location(), reason);
}

QString SqliteSettingsStore::location() const
{
    return QDir::toNativeSeparators(d->path);
}

} // namespace ostrel
