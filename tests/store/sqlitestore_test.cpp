// The file store's own duties: persistence, file safety, and how it fails.

#include "store/definitionstore.h"
#include "store/settingsschema.h"
#include "store/sqlitesettingsstore.h"
#include "tests/support/sandbox.h"
#include "tests/support/testfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>
#include <stdexcept>
#include <sys/stat.h>

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
    QStringList column(const char *sql) // the first column of every row
    {
        QStringList values;
        sqlite3_exec(
            db, sql,
            [](void *out, int, char **row, char **) {
                static_cast<QStringList *>(out)->append(QString::fromUtf8(row[0]));
                return 0;
            },
            &values, nullptr);
        return values;
    }
    // The application id and the layout version in the file's header, as "id/version".
    QString stamp() { return column("PRAGMA application_id").value(0) + u'/' + column("PRAGMA user_version").value(0); }
    sqlite3 *db = nullptr;
};

const QString kStamped = u"%1/%2"_s.arg(kSettingsApplicationId).arg(kSettingsLayoutVersion);

// Hands a test the first connection the process opens while it lives (the store's), after
// running sql on it: max_page_count holds per connection, so only the store's disk is "full".
struct FirstConnection {
    explicit FirstConnection(const char *sql = "")
    {
        s_db = nullptr;
        s_sql = sql;
        sqlite3_auto_extension(reinterpret_cast<void (*)()>(&onOpen));
    }
    ~FirstConnection() { sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(&onOpen)); }
    static int onOpen(sqlite3 *db, char **, const sqlite3_api_routines *)
    {
        if (!s_db)
            sqlite3_exec(s_db = db, s_sql, nullptr, nullptr, nullptr);
        return SQLITE_OK;
    }
    static inline sqlite3 *s_db = nullptr;
    static inline const char *s_sql = nullptr;
};

void expectWriteRefused(const std::function<void()> &write, const QString &path, const QString &reason)
{
    try {
        write();
        ADD_FAILURE() << "the write was not refused";
    } catch (const StoreError &error) {
        EXPECT_TRUE(error.message().contains(u'"' + path + u'"') && error.message().contains(reason)) << error.what();
    }
}

class SqliteStore : public ::testing::Test
{
protected:
    // Fills the store at path with Key0 ... Key<keys-1>, each of 100 'v'.
    void fill(int keys = 1)
    {
        SqliteSettingsStore store(path);
        store.Transact([&] {
            for (int i = 0; i < keys; ++i)
                store.SaveSetting(kApp, kSection, u"Key%1"_s.arg(i), QString(100, u'v'));
        });
    }
    test::Sandbox folder;
    const QString path = folder.file(u"settings.sqlite3"_s);
};

// The file and its folders appear with the first write, private. The file is plain SQLite for a
// client without our code: sound, in rollback-journal mode, marked as ours, with the rows in the
// order of their first creation. (Our own clients reopen stores in tests/reliability.)
TEST_F(SqliteStore, FileAppearsWithTheFirstWritePrivateAndPlainSqliteForAnyClient)
{
    const mode_t oldMask = ::umask(022);
    const QString file = folder.file(u"a/b/settings.sqlite3"_s);
    SqliteSettingsStore store(file);
    EXPECT_EQ(store.GetSetting(kApp, kSection, u"k"_s, u"d"_s), u"d"_s);
    store.Transact([] {});
    EXPECT_FALSE(QFileInfo::exists(folder.file(u"a"_s)));

    store.SaveSetting(kApp, kSection, u"b"_s, u"1"_s);
    ::umask(oldMask);
    store.SaveSetting(kApp, kSection, u"a"_s, u"2"_s);
    store.SaveSetting(kApp, kSection, u"B"_s, u"3"_s);
    for (const auto &[name, mode] :
        {std::pair(u"a"_s, 0700), std::pair(u"a/b"_s, 0700), std::pair(u"a/b/settings.sqlite3"_s, 0600)}) {
        struct stat info {
        };
        ::stat(QFile::encodeName(folder.file(name)).constData(), &info);
        EXPECT_EQ(info.st_mode & 07777, mode_t(mode)) << qPrintable(name);
    }
    EXPECT_EQ(QDir(folder.file(u"a/b"_s)).entryList(QDir::Files), QStringList{u"settings.sqlite3"_s});
    {
        OtherClient other(file);
        EXPECT_EQ(other.column("PRAGMA integrity_check"), QStringList{u"ok"_s});
        EXPECT_EQ(other.column("PRAGMA journal_mode"), QStringList{u"delete"_s});
        EXPECT_EQ(other.stamp(), kStamped);
        EXPECT_EQ(other.column("SELECT value FROM settings ORDER BY id"), (QStringList{u"3"_s, u"2"_s}));
    }

    QFile::remove(file); // deleted while open: made again by the next write
    store.SaveSetting(kApp, kSection, u"new"_s, u"2"_s);
    EXPECT_EQ(SqliteSettingsStore(file).GetAllSettings(kApp, kSection), (SettingRows{{u"new"_s, u"2"_s}}));
}

// None of these may be written into, repaired or replaced, nor read from; a read-only store
// and one of a newer layout still read.
TEST_F(SqliteStore, UnusableReadOnlyOrNewerFilesAreLeftUntouchedAndRefuseWrites)
{
    fill(100);
    QFile::copy(path, folder.file(u"truncated"_s));
    QFile(folder.file(u"truncated"_s)).resize(QFileInfo(path).size() / 2);
    QFile::copy(path, folder.file(u"newer"_s));
    OtherClient(folder.file(u"newer"_s)).exec("PRAGMA user_version = 2");
    QFile::copy(path, folder.file(u"foreign id"_s));
    OtherClient(folder.file(u"foreign id"_s)).exec("PRAGMA application_id = 1179012932"); // another program's
    QByteArray random(8192, '\0');
    QRandomGenerator(42).fillRange(reinterpret_cast<quint32 *>(random.data()), random.size() / 4);
    OtherClient(test::writeFile(folder.file(u"foreign"_s), {})).exec("CREATE TABLE accounts (name TEXT)");
    QDir().mkpath(folder.file(u"folder"_s));
    const QString notOurs = u"the file is not a settings database"_s;
    using enum SqliteSettingsStore::Access;
    const std::tuple<QString, QString, SqliteSettingsStore::Access> cases[] = {
        {test::writeFile(folder.file(u"random"_s), random), notOurs, ReadWrite},
        {test::writeFile(folder.file(u"empty"_s), {}), notOurs, ReadWrite},
        {folder.file(u"foreign"_s), notOurs, ReadWrite},
        {folder.file(u"foreign id"_s), notOurs, ReadWrite},
        {folder.file(u"truncated"_s), u"the file is damaged"_s, ReadWrite},
        {folder.file(u"folder"_s), u"it is a folder, not a file"_s, ReadWrite},
        {test::writeFile(folder.file(u"plain"_s), "x") + u"/s.db"_s, u"a part of its path is a file, not a folder"_s,
            ReadWrite},
        {path, u"it is opened read-only"_s, ReadOnly},
        {folder.file(u"newer"_s), u"it was written by a newer version of Quillon and is left as it is"_s, ReadWrite},
    };
    const auto names = [&] { return QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot); };
    const QStringList namesBefore = names();

    for (const auto &[file, reason, access] : cases) {
        SCOPED_TRACE(file.toStdString());
        const bool readable = access == ReadOnly || file.endsWith(u"newer"_s);
        const QByteArray before = test::checksum(file);
        SqliteSettingsStore store(file, access);
        EXPECT_EQ(store.GetAllSettings(kApp, kSection).has_value(), readable);
        const QString problem = store.readProblem();
        EXPECT_TRUE(readable ? problem.isEmpty() : problem.contains(reason) && problem.contains(file))
            << problem.toStdString();
        EXPECT_EQ(store.GetSetting(kApp, kSection, u"key0"_s, u"d"_s), readable ? QString(100, u'v') : u"d"_s);
        expectWriteRefused([&] { store.SaveSetting(kApp, kSection, u"k"_s, u"v"_s); }, file, reason);
        expectWriteRefused([&] { store.DeleteSetting(kApp, kSection, u"Key1"_s); }, file, reason);
        expectWriteRefused([&] { store.DeleteSetting(kApp, kSection, u"missing"_s); }, file, reason);
        EXPECT_NO_THROW(store.Transact([&] { store.GetAllSettings(kApp, kSection); }));
        EXPECT_EQ(test::checksum(file), before);
    }
    EXPECT_EQ(names(), namesBefore);
    EXPECT_TRUE(QDir(folder.file(u"folder"_s)).isEmpty());
}

// A store written before files were stamped is read as it is, and stamped by the transaction
// of its first change: not by reads, nor by a delete of nothing, nor by a change refused for a
// full disk, which is rolled back whole. Once there is room again the same store writes.
TEST_F(SqliteStore, FullDiskRollsTheChangeBackAndAStoreFromBeforeTheStampGetsItWithItsFirstChange)
{
    OtherClient(test::writeFile(folder.file(u"settings.sqlite3"_s), {}))
        .exec( // the layout of every earlier release
            "CREATE TABLE settings (id INTEGER PRIMARY KEY, application TEXT NOT NULL,"
            " section TEXT NOT NULL, key TEXT NOT NULL, value TEXT NOT NULL,"
            " application_folded TEXT NOT NULL, section_folded TEXT NOT NULL, key_folded TEXT NOT NULL,"
            " UNIQUE (application_folded, section_folded, key_folded));"
            "CREATE INDEX settings_by_section ON settings (application_folded, section_folded);"
            "INSERT INTO settings VALUES (7, 'Vantrel', 'DefinedTCs', 'Old', 'old', 'vantrel', 'definedtcs', 'old')");
    const QByteArray before = test::checksum(path);
    ASSERT_EQ(OtherClient(path).stamp(), u"0/0"_s);
    FirstConnection hook("PRAGMA max_page_count = 1"); // the file may not grow
    SqliteSettingsStore store(path);
    EXPECT_EQ(store.GetAllSettings(kApp, kSection), (SettingRows{{u"Old"_s, u"old"_s}}));
    store.Transact([&] { store.GetSetting(kApp, kSection, u"old"_s, {}); });
    store.DeleteSetting(kApp, kSection, u"missing"_s);
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
    EXPECT_EQ(test::checksum(path), before);

    ASSERT_NE(hook.s_db, nullptr);
    sqlite3_exec(hook.s_db, "PRAGMA max_page_count = 1000000", nullptr, nullptr, nullptr);
    store.SaveSetting(kApp, kSection, u"big"_s, big);
    OtherClient other(path);
    EXPECT_EQ(other.stamp(), kStamped);
    EXPECT_EQ(other.column("PRAGMA integrity_check"), QStringList{u"ok"_s});
    EXPECT_EQ(
        SqliteSettingsStore(path).GetAllSettings(kApp, kSection), (SettingRows{{u"Old"_s, u"old"_s}, {u"big"_s, big}}));
}

TEST_F(SqliteStore, LockedFileRefusesWritesAndCommitsThenRecovers)
{
    fill();
    FirstConnection hook;
    SqliteSettingsStore store(path);
    store.GetSetting(kApp, kSection, u"Key0"_s, {}); // opens the store's connection
    ASSERT_NE(hook.s_db, nullptr);
    sqlite3_busy_timeout(hook.s_db, 50); // keeps the refusals fast
    OtherClient other(path);
    const QString inUse = u"it is in use by another program"_s;

    ASSERT_EQ(other.exec("BEGIN EXCLUSIVE"), SQLITE_OK);
    expectWriteRefused([&] { store.SaveSetting(kApp, kSection, u"k"_s, u"v"_s); }, path, inUse);
    other.exec("COMMIT");

    expectWriteRefused(
        [&] {
            store.Transact([&] {
                store.SaveSetting(kApp, kSection, u"k"_s, u"v"_s);
                other.exec("BEGIN"); // a reader's lock keeps the store from committing
                other.column("SELECT count(*) FROM settings");
            });
        },
        path, inUse);
    other.exec("COMMIT");
    EXPECT_EQ(store.GetSetting(kApp, kSection, u"k"_s, u"gone"_s), u"gone"_s);
    EXPECT_EQ(other.column("SELECT count(*) FROM settings"), QStringList{u"1"_s});

    store.SaveSetting(kApp, kSection, u"k"_s, u"v"_s);
    EXPECT_EQ(other.column("SELECT value FROM settings WHERE key = 'k'"), QStringList{u"v"_s});
}

// A section read again is served from memory while the file is unchanged; every change to it,
// another program's, this store's own and an undone one, must show in the next read.
TEST_F(SqliteStore, SectionReadAgainShowsEveryChange)
{
    fill(3);
    SqliteSettingsStore store(path);
    const auto rows = [&] {
        QStringList result;
        for (const SettingRow &row : store.GetAllSettings(kApp, kSection).value_or(SettingRows{}))
            result << row.key + u'=' + row.value.left(3);
        return result.join(u' ');
    };
    ASSERT_EQ(rows(), u"Key0=vvv Key1=vvv Key2=vvv"_s);

    // Changes that keep a text's length are changes all the same. Far from the others,
    // the new row's id leaves a span no list could be reserved for.
    OtherClient(path).exec("UPDATE settings SET value = 'theirs' WHERE key = 'Key1';"
                           "UPDATE settings SET value = 'w' || substr(value, 2) WHERE key = 'Key0';"
                           "UPDATE settings SET key = 'KEY2' WHERE key = 'Key2';"
                           "INSERT INTO settings (id, application, section, key, value, application_folded,"
                           " section_folded, key_folded) VALUES (4000000000000,"
                           " 'Vantrel', 'DefinedTCs', 'New', 'new', 'vantrel', 'definedtcs', 'new')");
    EXPECT_EQ(rows(), u"Key0=wvv Key1=the KEY2=vvv New=new"_s);

    store.SaveSetting(kApp, kSection, u"KEY0"_s, u"mine"_s);
    store.DeleteSetting(kApp, kSection, u"key2"_s);
    store.SaveSetting(kApp, kSection, u"Last"_s, u"last"_s);
    EXPECT_EQ(rows(), u"Key0=min Key1=the New=new Last=las"_s);

    EXPECT_THROW(store.Transact([&] {
        store.DeleteSetting(kApp, kSection, u"Key0"_s);
        store.SaveSetting(kApp, kSection, u"Undone"_s, u"undone"_s);
        EXPECT_EQ(rows(), u"Key1=the New=new Last=las Undone=und"_s);
        throw std::runtime_error("undo");
    }),
        std::runtime_error);
    EXPECT_EQ(rows(), u"Key0=min Key1=the New=new Last=las"_s);
}

// With thousands of keys in the section, going through the definitions one by one reads
// them through an index of the section: what a load finds must stay what a walk through
// every key finds, after every save and removal.
TEST_F(SqliteStore, LoadsOfALargeSectionStayTrueThroughSavesAndRemovals)
{
    SqliteSettingsStore store(path);
    DefinitionStore definitions(store);
    auto stored = [](int i, int otherFiles) {
        const QString folder = u"/games/tc%1/"_s.arg(i);
        TcDefinition tc{
            u"TC %1"_s.arg(i), u"1.3D"_s, folder + u"TC.GRP"_s, folder + u"GAME.CON"_s, folder + u"README.TXT"_s, {}};
        for (int n = 0; n < otherFiles; ++n)
            tc.otherFiles << folder + u"E%1L1.MAP"_s.arg(n);
        return tc;
    };
    store.Transact([&] {
        for (int i = 0; i < 700; ++i)
            definitions.save(stored(i, 2), DefinitionStore::SaveKind::New);
    });
    // Three loads of each: the first walks the section, the second indexes it.
    auto loadedThrice = [&](const QString &name) {
        const std::optional<TcDefinition> first = definitions.load(name);
        EXPECT_EQ(definitions.load(name), first) << name.toStdString();
        EXPECT_EQ(definitions.load(name), first) << name.toStdString();
        return first;
    };
    // "TC 1", "TC 10" and "TC 100" start alike; names compare without regard to case.
    EXPECT_EQ(loadedThrice(u"tc 1"_s), stored(1, 2));
    EXPECT_EQ(loadedThrice(u"TC 10"_s), stored(10, 2));
    EXPECT_EQ(loadedThrice(u"TC 699"_s), stored(699, 2));

    definitions.save(stored(10, 1), DefinitionStore::SaveKind::Existing);
    EXPECT_EQ(loadedThrice(u"TC 10"_s), stored(10, 1));
    definitions.save(stored(10, 3), DefinitionStore::SaveKind::Existing);
    EXPECT_EQ(loadedThrice(u"TC 10"_s), stored(10, 3));
    ASSERT_TRUE(definitions.remove(u"TC 1"_s));
    EXPECT_EQ(loadedThrice(u"TC 1"_s), TcDefinition{});
    EXPECT_EQ(loadedThrice(u"TC 100"_s), stored(100, 2));
    definitions.save(stored(1, 2), DefinitionStore::SaveKind::New);
    EXPECT_EQ(loadedThrice(u"TC 1"_s), stored(1, 2));
    EXPECT_EQ(definitions.names().size(), 700);
}

} // namespace
} // namespace ostrel
