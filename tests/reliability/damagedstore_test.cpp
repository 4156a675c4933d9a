// Stores that cannot be read or written: the control still comes up, each write the user asks
// for is answered with one warning naming the file and the reason, and the file stays as it was.

#include "../control/controlharness.h"
#include "platform/sqlitesettingsstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRadioButton>
#include <QRandomGenerator>

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace ostrel;
using namespace ostrel::test;

namespace {

// Caps every connection this process opens at the size its file has then: the store's file
// cannot grow, as on a full disk.
class FileSizeCap
{
public:
    FileSizeCap() { sqlite3_auto_extension(reinterpret_cast<void (*)()>(&onOpen)); }
    ~FileSizeCap() { sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(&onOpen)); }

private:
    static int onOpen(sqlite3 *db, char **, const sqlite3_api_routines *)
    {
        sqlite3_exec(db, "PRAGMA max_page_count = 1", nullptr, nullptr, nullptr);
        return SQLITE_OK;
    }
};

QString makeStoreWithFoo(const QString &path, int fillerDefinitions = 0)
{
    SqliteSettingsStore store(path);
    store.Transact([&] {
        storeDefinition(store, {u"Foo"_s, u"1.3D"_s, u"/g/FOO.GRP"_s, u"/g/GAME.CON"_s, {}, {u"/g/1"_s}});
        for (int i = 0; i < fillerDefinitions; ++i)
            store.SaveSetting(u"Vantrel"_s, u"Padding"_s, u"Key"_s + QString::number(i), QString(200, u'p'));
    });
    return path;
}

// Fills the last page of the settings table so that no further row fits without a new page.
void fillToTheLastByte(const QString &path)
{
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    sqlite3_exec(db, "PRAGMA max_page_count = 1; PRAGMA synchronous = OFF", nullptr, nullptr, nullptr);
    int row = 0;
    for (int size = 2048; size >= 0; size /= 2) {
        for (;;) {
            const QByteArray sql = "INSERT INTO settings (application, section, key, value, application_folded,"
                                   " section_folded, key_folded) VALUES ('Filler', 'F', 'k" + QByteArray::number(row)
                + "', '" + QByteArray(size, 'f') + "', 'filler', 'f', 'k" + QByteArray::number(row) + "')";
            if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
                break;
            ++row;
        }
        if (size == 0)
            break;
    }
    sqlite3_close(db);
}

struct Damage {
    const char *label;
    std::function<QString(TempFolder &)> makeStore; // returns the store's path
    QString reason;
    bool readable = false; // whether the control can still list Foo
    SqliteSettingsStore::Access access = SqliteSettingsStore::Access::ReadWrite;
    bool capSize = false;
};

void PrintTo(const Damage &damage, std::ostream *os)
{
    *os << damage.label;
}

QString storePathIn(TempFolder &temp)
{
    return temp.file(u"settings.sqlite3"_s);
}

const Damage kDamages[] = {
    {"RandomBytes",
     [](TempFolder &t) {
         QByteArray bytes(16384, '\0');
         QRandomGenerator random(20261205);
         random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
         return t.write(u"settings.sqlite3"_s, bytes);
     },
     u"the file is not a settings database"_s},
    {"ZeroLength", [](TempFolder &t) { return t.write(u"settings.sqlite3"_s, {}); },
     u"the file is not a settings database"_s},
    {"Truncated",
     [](TempFolder &t) {
         const QString path = makeStoreWithFoo(storePathIn(t), 100);
         QFile file(path);
         file.resize(file.size() / 2);
         return path;
     },
     u"the file is damaged"_s},
    {"Directory",
     [](TempFolder &t) {
         QDir().mkpath(storePathIn(t));
         return storePathIn(t);
     },
     u"it is a folder, not a file"_s},
    {"ReadOnly", [](TempFolder &t) { return makeStoreWithFoo(storePathIn(t)); }, u"it is opened read-only"_s, true,
     SqliteSettingsStore::Access::ReadOnly},
    {"DiskFull",
     [](TempFolder &t) {
         const QString path = makeStoreWithFoo(storePathIn(t), 20);
         fillToTheLastByte(path);
         return path;
     },
     u"the disk is full"_s, true, SqliteSettingsStore::Access::ReadWrite, true},
};

class DamagedStore : public ::testing::TestWithParam<Damage>
{
};

TEST_P(DamagedStore, ControlComesUpAndEveryWriteIsRefusedWithOneWarning)
{
    const Damage &damage = GetParam();
    TempFolder temp;
    const QString path = damage.makeStore(temp);
    const QByteArray before = checksum(path);
    std::optional<FileSizeCap> cap;
    if (damage.capSize)
        cap.emplace();
    ControlHarness h(std::make_shared<SqliteSettingsStore>(path, damage.access));
    h.start();
    EXPECT_EQ(h.names(), damage.readable ? QStringList{u"Foo"_s} : QStringList{});
    EXPECT_EQ(h.fakes.messages->texts(), QStringList{});

    auto expectOneWarning = [&](const char *command, const QString &what) {
        SCOPED_TRACE(command);
        const auto &messages = h.fakes.messages->messages;
        ASSERT_EQ(messages.size(), 1u) << h.fakes.messages->texts().join(u" / "_s).toStdString();
        EXPECT_EQ(messages.back().kind, RecordingMessageBoxes::Message::Kind::Exclamation);
        EXPECT_EQ(messages.back().title, u"Quillon");
        EXPECT_TRUE(messages.back().text.contains(what)) << messages.back().text.toStdString();
        EXPECT_TRUE(messages.back().text.contains(u'"' + path + u'"')) << messages.back().text.toStdString();
        EXPECT_TRUE(messages.back().text.contains(damage.reason)) << messages.back().text.toStdString();
        EXPECT_EQ(checksum(path), before);
        h.fakes.messages->messages.clear();
    };

    h.click(u"New"_s);
    h.find<QLineEdit>(u"txtTCName"_s)->setText(u"Bar"_s);
    h.find<QComboBox>(u"cboVersComp"_s)->setCurrentIndex(0);
    h.fakes.dialogs->answer(u"/g/BAR.GRP"_s);
    h.clickButton(u"cmdGroupFile"_s);
    h.click(u"Save"_s);
    expectOneWarning("Save", u"\"Bar\" could not be saved"_s);
    h.click(u"CancelNew"_s);

    h.clickButton(u"optDelete"_s);
    expectOneWarning("clean-up option", u"clean-up preference could not be saved"_s);
    EXPECT_TRUE(h.find<QRadioButton>(u"optRename"_s)->isChecked());

    // Removing rows takes no new page, so a capped file does not stop a Delete; a store that
    // lists nothing offers nothing to delete.
    if (damage.readable && !damage.capSize) {
        h.choose(u"Foo"_s);
        h.fakes.messages->answers.push_back(true);
        h.click(u"Delete"_s);
        ASSERT_FALSE(h.fakes.messages->messages.empty());
        h.fakes.messages->messages.erase(h.fakes.messages->messages.begin()); // the question
        expectOneWarning("Delete", u"\"Foo\" could not be removed"_s);
        EXPECT_EQ(h.names(), QStringList{u"Foo"_s});
    }
    EXPECT_EQ(checksum(path), before);
    EXPECT_EQ(QFileInfo(path).isDir(), std::string_view(damage.label) == "Directory");
}

INSTANTIATE_TEST_SUITE_P(, DamagedStore, ::testing::ValuesIn(kDamages),
                         [](const auto &info) { return std::string(info.param.label); });

TEST(NewStore, IsCreatedPrivateInFoldersMadeOnTheFirstSave)
{
    TempFolder temp;
    const QString path = temp.file(u"not yet/there/settings.sqlite3"_s);
    ControlHarness h(std::make_shared<SqliteSettingsStore>(path));
    h.start();
    EXPECT_EQ(h.names(), QStringList{});
    EXPECT_EQ(h.fakes.messages->texts(), QStringList{});

    h.click(u"New"_s);
    h.find<QLineEdit>(u"txtTCName"_s)->setText(u"Bar"_s);
    h.find<QComboBox>(u"cboVersComp"_s)->setCurrentIndex(0);
    h.fakes.dialogs->answer(u"/g/BAR.GRP"_s);
    h.clickButton(u"cmdGroupFile"_s);
    h.click(u"Save"_s);
    EXPECT_EQ(h.fakes.messages->texts(), QStringList{});

    struct stat info;
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    for (const QString &folder : {temp.file(u"not yet"_s), temp.file(u"not yet/there"_s)}) {
        ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u) << folder.toStdString();
    }
    ControlHarness reader(std::make_shared<SqliteSettingsStore>(path));
    reader.start();
    EXPECT_EQ(reader.names(), QStringList{u"Bar"_s});
}

} // namespace
