// The file store's own duties: persistence, file safety, and how it fails.

#include "platform/sqlitesettingsstore.h"
#include "tests/support/tempstore.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <functional>
#include <random>
#include <stdexcept>
#include <sys/stat.h>
#include <thread>

using namespace Qt::StringLiterals;

namespace ostrel {
namespace {

const QString kApp = u"Vantrel"_s;
const QString kSection = u"DefinedTCs"_s;

// A second, plain SQLite client of the same file, as another program would be.
struct OtherClient {
    explicit OtherClient(const QString &path)
    {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~OtherClient() { sqlite3_close(db); }
    int exec(const char *sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
    QStringList column(const char *sql)
    {
        QStringList values;
        sqlite3_stmt *statement = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
        while (sqlite3_step(statement) == SQLITE_ROW)
            values << QString::fromUtf8(sqlite3_column_text(statement, 0));
        sqlite3_finalize(statement);
        return values;
    }
    sqlite3 *db = nullptr;
};

// Hands a test the store's own connection, to make the disk "full" (max_page_count
// holds per connection) or to shorten the busy wait. An auto-extension runs for every
// connection the process opens; the first one to the watched file is the store's.
class StoreConnectionHook
{
public:
    explicit StoreConnectionHook(const QString &path) : m_path(QFileInfo(path).canonicalFilePath())
    {
        s_active = this;
        sqlite3_auto_extension(reinterpret_cast<void (*)()>(&onOpen));
    }
    ~StoreConnectionHook()
    {
        sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(&onOpen));
        s_active = nullptr;
    }
    sqlite3 *connection = nullptr;
    const char *sqlOnOpen = nullptr;

private:
    static int onOpen(sqlite3 *db, char **, const sqlite3_api_routines *)
    {
        StoreConnectionHook *hook = s_active;
        const QString file = QString::fromUtf8(sqlite3_db_filename(db, "main"));
        if (hook && !hook->connection && QFileInfo(file).canonicalFilePath() == hook->m_path) {
            hook->connection = db;
            if (hook->sqlOnOpen)
                sqlite3_exec(db, hook->sqlOnOpen, nullptr, nullptr, nullptr);
        }
        return SQLITE_OK;
    }
    static inline StoreConnectionHook *s_active = nullptr;
    QString m_path;
};

void expectWriteRefused(const std::function<void()> &write, const QString &path,
                        const QString &reason)
{
    try {
        write();
        ADD_FAILURE() << "the write was not refused";
    } catch (const StoreError &error) {
        EXPECT_TRUE(error.message().contains(u'"' + path + u'"')) << error.what();
        EXPECT_TRUE(error.message().contains(reason)) << error.what();
    }
}

QString makeStore(const QString &path, int keys = 1)
{
    SqliteSettingsStore store(path);
    store.Transact([&] {
        for (int i = 0; i < keys; ++i)
            store.SaveSetting(kApp, kSection, u"Key%1"_s.arg(i), QString(100, u'v'));
    });
    return path;
}

QByteArray randomBytes(int size)
{
    std::mt19937 generator(42);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(generator());
    return bytes;
}

TEST(SqliteStore, ReopenedFileKeepsValuesAndOrderForAnyClient)
{
    test::TempFolder folder;
    const QString path = folder.file(u"settings.sqlite3"_s);
    {
        SqliteSettingsStore store(path);
        store.Transact([&] {
            store.SaveSetting(kApp, kSection, u"b"_s, u"1"_s);
            store.SaveSetting(kApp, kSection, u"a"_s, u"2"_s);
        });
        store.SaveSetting(kApp, kSection, u"B"_s, u"3"_s);
    }
    EXPECT_EQ(SqliteSettingsStore(path).GetAllSettings(u"VANTREL"_s, kSection),
              (SettingRows{{u"b"_s, u"3"_s}, {u"a"_s, u"2"_s}}));

    // Readable, checkable and in rollback-journal mode for a client without our code.
    OtherClient other(path);
    EXPECT_EQ(other.column("PRAGMA integrity_check"), QStringList{u"ok"_s});
    EXPECT_EQ(other.column("PRAGMA journal_mode"), QStringList{u"delete"_s});
    EXPECT_EQ(other.column("SELECT value FROM settings ORDER BY id"),
              (QStringList{u"3"_s, u"2"_s}));
}

TEST(SqliteStore, FileDeletedWhileOpenIsMadeAgainOnTheNextWrite)
{
    test::TempFolder folder;
    const QString path = folder.file(u"settings.sqlite3"_s);
    SqliteSettingsStore store(path);
    store.SaveSetting(kApp, kSection, u"old"_s, u"1"_s);
    QFile::remove(path);

    store.SaveSetting(kApp, kSection, u"new"_s, u"2"_s);
    EXPECT_EQ(SqliteSettingsStore(path).GetAllSettings(kApp, kSection),
              (SettingRows{{u"new"_s, u"2"_s}}));
}

TEST(SqliteStore, EmptyDatabaseGetsItsTableEvenAfterAnUndoneFirstChange)
{
    test::TempFolder folder;
    const QString path = folder.write(u"settings.sqlite3"_s, {});
    OtherClient(path).exec("PRAGMA user_version = 7"); // a valid database without tables
    SqliteSettingsStore store(path);
    EXPECT_THROW(store.Transact([&] {
        store.SaveSetting(kApp, kSection, u"k"_s, u"1"_s);
        throw std::runtime_error("work failed");
    }),
                 std::runtime_error);

    store.SaveSetting(kApp, kSection, u"k"_s, u"2"_s);
    EXPECT_EQ(store.GetSetting(kApp, kSection, u"k"_s, u"d"_s), u"2"_s);
}

TEST(SqliteStore, FileAndFoldersAppearOnlyOnFirstWriteAndArePrivate)
{
    test::TempFolder folder;
    const mode_t oldMask = ::umask(022);
    const QString path = folder.file(u"a/b/settings.sqlite3"_s);
    SqliteSettingsStore store(path);
    EXPECT_EQ(store.GetSetting(kApp, kSection, u"k"_s, u"d"_s), u"d"_s);
    store.Transact([] {});
    EXPECT_FALSE(QFileInfo::exists(folder.file(u"a"_s)));

    store.SaveSetting(kApp, kSection, u"k"_s, u"v"_s);
    ::umask(oldMask);
    for (const auto &[name, mode] : {std::pair(u"a"_s, 0700), std::pair(u"a/b"_s, 0700),
                                     std::pair(u"a/b/settings.sqlite3"_s, 0600)}) {
        struct stat info{};
        ::stat(QFile::encodeName(folder.file(name)).constData(), &info);
        EXPECT_EQ(info.st_mode & 07777, mode_t(mode)) << qPrintable(name);
    }
    EXPECT_EQ(QDir(folder.file(u"a/b"_s)).entryList(QDir::Files),
              QStringList{u"settings.sqlite3"_s});
}

// None of these may be written into, repaired or replaced.
TEST(SqliteStore, UnusableFilesAreLeftUntouchedAndRefuseWrites)
{
    test::TempFolder folder;
    QByteArray damaged = test::readBytes(makeStore(folder.file(u"damaged"_s), 200));
    damaged.replace(4096 * 2, 4096, randomBytes(4096));
    OtherClient(folder.write(u"foreign"_s, {})).exec("CREATE TABLE accounts (name TEXT)");
    QDir().mkpath(folder.file(u"folder"_s));
    const QString notOurs = u"the file is not a settings database"_s;
    const std::pair<QString, QString> cases[] = {
        {folder.write(u"random"_s, randomBytes(8192)), notOurs},
        {folder.write(u"empty"_s, {}), notOurs},
        {folder.file(u"foreign"_s), notOurs},
        {folder.write(u"damaged"_s, damaged), u"the file is damaged"_s},
        {folder.file(u"folder"_s), u"it is a folder, not a file"_s},
        {folder.write(u"plain"_s, "x") + u"/s.db"_s,
         u"a part of its path is a file, not a folder"_s},
    };
    const auto names = [&] {
        return QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    };
    const QStringList namesBefore = names();

    for (const auto &[path, reason] : cases) {
        SCOPED_TRACE(path.toStdString());
        const QByteArray before = test::checksum(path);
        SqliteSettingsStore store(path);
        EXPECT_EQ(store.GetSetting(kApp, kSection, u"Key0"_s, u"d"_s), u"d"_s);
        EXPECT_FALSE(store.GetAllSettings(kApp, kSection).has_value());
        expectWriteRefused([&] { store.SaveSetting(kApp, kSection, u"k"_s, u"v"_s); }, path,
                           reason);
        EXPECT_EQ(test::checksum(path), before);
    }
    EXPECT_EQ(names(), namesBefore);
    EXPECT_TRUE(QDir(folder.file(u"folder"_s)).isEmpty());
}

TEST(SqliteStore, ReadOnlyAccessReadsButNeverWrites)
{
    test::TempFolder folder;
    const QString path = makeStore(folder.file(u"settings.sqlite3"_s));
    const QByteArray before = test::checksum(path);

    SqliteSettingsStore store(path, SqliteSettingsStore::Access::ReadOnly);
    EXPECT_EQ(store.GetSetting(kApp, kSection, u"key0"_s, u"d"_s), QString(100, u'v'));
    expectWriteRefused([&] { store.SaveSetting(kApp, kSection, u"k"_s, u"v"_s); }, path,
                       u"it is opened read-only"_s);
    EXPECT_EQ(test::checksum(path), before);
}

TEST(SqliteStore, FullDiskRollsTheChangeBackAndTheStoreRecovers)
{
    test::TempFolder folder;
    const QString path = makeStore(folder.file(u"settings.sqlite3"_s));
    StoreConnectionHook hook(path);
    hook.sqlOnOpen = "PRAGMA max_page_count = 1"; // the file may not grow
    SqliteSettingsStore store(path);
    const QString big(20000, u'x');

    expectWriteRefused(
        [&] {
            store.Transact([&] {
                store.SaveSetting(kApp, kSection, u"small"_s, u"1"_s);
                store.SaveSetting(kApp, kSection, u"big"_s, big);
            });
        },
        path, u"the disk is full"_s);
    EXPECT_EQ(store.GetSetting(kApp, kSection, u"small"_s, u"d"_s), u"d"_s);

    ASSERT_NE(hook.connection, nullptr);
    sqlite3_exec(hook.connection, "PRAGMA max_page_count = 1000000", nullptr, nullptr, nullptr);
    store.SaveSetting(kApp, kSection, u"big"_s, big);
    EXPECT_EQ(SqliteSettingsStore(path).GetSetting(kApp, kSection, u"big"_s, u"d"_s), big);
}

TEST(SqliteStore, LockedFileRefusesWritesAndCommitsThenRecovers)
{
    test::TempFolder folder;
    const QString path = makeStore(folder.file(u"settings.sqlite3"_s));
    StoreConnectionHook hook(path);
    SqliteSettingsStore store(path);
    store.GetSetting(kApp, kSection, u"Key0"_s, {}); // opens the store's connection
    ASSERT_NE(hook.connection, nullptr);
    sqlite3_busy_timeout(hook.connection, 50); // keeps the refusals fast
    OtherClient other(path);

    ASSERT_EQ(other.exec("BEGIN EXCLUSIVE"), SQLITE_OK);
    expectWriteRefused([&] { store.SaveSetting(kApp, kSection, u"k"_s, u"v"_s); }, path,
                       u"it is in use by another program"_s);
    other.exec("COMMIT");

    expectWriteRefused(
        [&] {
            store.Transact([&] {
                store.SaveSetting(kApp, kSection, u"k"_s, u"v"_s);
                // A reader's lock keeps the store from committing.
                other.exec("BEGIN");
                other.column("SELECT count(*) FROM settings");
            });
        },
        path, u"it is in use by another program"_s);
    other.exec("COMMIT");
    EXPECT_EQ(store.GetSetting(kApp, kSection, u"k"_s, u"gone"_s), u"gone"_s);
    EXPECT_EQ(other.column("SELECT count(*) FROM settings"), QStringList{u"1"_s});

    store.SaveSetting(kApp, kSection, u"k"_s, u"v"_s);
    EXPECT_EQ(other.column("SELECT value FROM settings WHERE key = 'k'"), QStringList{u"v"_s});
}

TEST(SqliteStore, WriterWaitsForAnotherProgramToFinish)
{
    test::TempFolder folder;
    const QString path = makeStore(folder.file(u"settings.sqlite3"_s));
    OtherClient other(path);
    ASSERT_EQ(other.exec("BEGIN EXCLUSIVE"), SQLITE_OK);
    std::thread finisher([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        other.exec("COMMIT");
    });

    SqliteSettingsStore store(path);
    EXPECT_NO_THROW(store.SaveSetting(kApp, kSection, u"k"_s, u"v"_s));
    finisher.join();
}

} // namespace
} // namespace ostrel

namespace ostrel {
namespace {

// A section read again is served from memory while the file is unchanged; every change
// to it, another program's, this store's own and an undone one, must show in the next read.
TEST(SqliteStore, SectionReadAgainShowsEveryChange)
{
    test::TempFolder folder;
    const QString path = makeStore(folder.file(u"settings.sqlite3"_s), 3);
    SqliteSettingsStore store(path);
    const auto keysAndValues = [&] {
        QStringList result;
        for (const SettingRow &row : store.GetAllSettings(kApp, kSection).value_or(SettingRows{}))
            result << row.key + u'=' + row.value.left(3);
        return result;
    };
    ASSERT_EQ(keysAndValues(), (QStringList{u"Key0=vvv"_s, u"Key1=vvv"_s, u"Key2=vvv"_s}));

    OtherClient other(path);
    other.exec("UPDATE settings SET value = 'theirs' WHERE key = 'Key1';"
               "INSERT INTO settings (application, section, key, value, application_folded,"
               " section_folded, key_folded)"
               " VALUES ('Vantrel', 'DefinedTCs', 'New', 'new', 'vantrel', 'definedtcs', 'new')");
    EXPECT_EQ(keysAndValues(), (QStringList{u"Key0=vvv"_s, u"Key1=the"_s, u"Key2=vvv"_s, u"New=new"_s}));

    store.SaveSetting(kApp, kSection, u"KEY0"_s, u"mine"_s);
    store.DeleteSetting(kApp, kSection, u"key2"_s);
    store.SaveSetting(kApp, kSection, u"Last"_s, u"last"_s);
    EXPECT_EQ(keysAndValues(), (QStringList{u"Key0=min"_s, u"Key1=the"_s, u"New=new"_s, u"Last=las"_s}));

    EXPECT_THROW(store.Transact([&] {
        store.DeleteSetting(kApp, kSection, u"Key0"_s);
        store.SaveSetting(kApp, kSection, u"Undone"_s, u"undone"_s);
        EXPECT_EQ(keysAndValues(), (QStringList{u"Key1=the"_s, u"New=new"_s, u"Last=las"_s, u"Undone=und"_s}));
        throw std::runtime_error("undo");
    }), std::runtime_error);
    EXPECT_EQ(keysAndValues(), (QStringList{u"Key0=min"_s, u"Key1=the"_s, u"New=new"_s, u"Last=las"_s}));
}

} // namespace
} // namespace ostrel
