// The control on stores and input that are not as they should be.
//
// DamagedStore: a damaged, read-only or full store. The control still comes up, each write the
// user asks for is answered with one warning naming the file and the reason, and the file stays
// as it was (that the store itself refuses such writes is checked in tests/store).
// Contention: a host saves through the store API while the control saves, neither pausing
// between saves. Neither is turned away, and every write of both lands.
// HostileNames: names and paths that break naive SQL, shell or text handling are saved, read back
// exactly by another control on the same file, and opened only through the shell hook.
// HostileScript: "LoadScript" on files that are no script or stop being one does not crash or
// hang, and where the file cannot be loaded the editor stays exactly as it was.

#include "taggedsave.h"

#include "../control/controlharness.h"
#include "platform/sqlitesettingsstore.h"
#include "scripts/scriptbuffer.h"

#include <QDir>
#include <QProcess>
#include <QRadioButton>
#include <QRandomGenerator>

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace ostrel;
using namespace ostrel::test;

namespace {

// Enters a new definition through the toolbar and saves it; paths go to the group file, game con,
// text file and other files pickers in turn (an empty one is not picked).
void saveNew(ControlHarness &h, const QString &name, int version, const QStringList &paths)
{
    h.click(u"New"_s);
    h.find<QLineEdit>(u"txtTCName"_s)->setText(name);
    h.find<QComboBox>(u"cboVersComp"_s)->setCurrentIndex(version);
    const char *buttons[] = {"cmdGroupFile", "cmdGameCon", "cmdTextFile"};
    for (int k = 0; k < paths.size(); ++k) {
        if (paths[k].isEmpty())
            continue;
        h.fakes.dialogs->answer(paths[k]);
        h.clickButton(QString::fromLatin1(k < 3 ? buttons[k] : "cmdOtherFiles"));
    }
    h.click(u"Save"_s);
}

// Caps every connection this process opens while it lives at the size its file has then, as a
// full disk would.
struct FileSizeCap {
    FileSizeCap() { sqlite3_auto_extension(reinterpret_cast<void (*)()>(&onOpen)); }
    ~FileSizeCap() { sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(&onOpen)); }
    static int onOpen(sqlite3 *db, char **, const sqlite3_api_routines *)
    {
        return sqlite3_exec(db, "PRAGMA max_page_count = 1", nullptr, nullptr, nullptr);
    }
};

QString storeWithFoo(TempFolder &t, int paddingKeys = 0)
{
    SqliteSettingsStore store(t.file(u"settings.sqlite3"_s));
    store.Transact([&] {
        storeDefinition(store, {u"Foo"_s, u"1.3D"_s, u"/g/FOO.GRP"_s, u"/g/GAME.CON"_s, {}, {u"/g/1"_s}});
        for (int i = 0; i < paddingKeys; ++i)
            store.SaveSetting(u"Vantrel"_s, u"Padding"_s, u"Key"_s + QString::number(i), QString(200, u'p'));
    });
    return t.file(u"settings.sqlite3"_s);
}

// Fills the store's last pages with rows of ever smaller values until not even an empty one fits.
QString storeFilledToTheLastByte(TempFolder &t)
{
    const QString path = storeWithFoo(t, 20);
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_exec(db, "PRAGMA max_page_count = 1; PRAGMA synchronous = OFF", nullptr, nullptr, nullptr);
    for (int size = 1024; size >= 0; size = size ? size / 2 : -1) {
        const QByteArray insert = "INSERT INTO settings (application, section, key, value, application_folded,"
                                  " section_folded, key_folded) SELECT 'Filler', 'F', k, hex(zeroblob("
            + QByteArray::number(size) + ")), 'filler', 'f', k FROM (SELECT 'k' || count(*) AS k FROM settings)";
        while (sqlite3_exec(db, insert.constData(), nullptr, nullptr, nullptr) == SQLITE_OK) {}
    }
    sqlite3_close(db);
    return path;
}

struct Damage {
    const char *label;
    QString (*makeStore)(TempFolder &);
    QString reason;
    bool readable = false; // whether the control can still list Foo
    SqliteSettingsStore::Access access = SqliteSettingsStore::Access::ReadWrite;
};
void PrintTo(const Damage &damage, std::ostream *os) { *os << damage.label; }

const Damage kDamages[] = {
    {"RandomBytes", [](TempFolder &t) {
         QByteArray bytes(16384, '\0');
         QRandomGenerator(20261205).fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
         return t.write(u"settings.sqlite3"_s, bytes);
     }, u"the file is not a settings database"_s},
    {"ZeroLength", [](TempFolder &t) { return t.write(u"settings.sqlite3"_s, {}); },
     u"the file is not a settings database"_s},
    {"Truncated", [](TempFolder &t) {
         const QString path = storeWithFoo(t, 100);
         QFile(path).resize(QFile(path).size() / 2);
         return path;
     }, u"the file is damaged"_s},
    {"Directory", [](TempFolder &t) {
         QDir().mkpath(t.file(u"settings.sqlite3"_s));
         return t.file(u"settings.sqlite3"_s);
     }, u"it is a folder, not a file"_s},
    {"ReadOnly", [](TempFolder &t) { return storeWithFoo(t); }, u"it is opened read-only"_s, true,
     SqliteSettingsStore::Access::ReadOnly},
    {"DiskFull", storeFilledToTheLastByte, u"the disk is full"_s, true},
};

class DamagedStore : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedStore, ControlComesUpAndEveryWriteIsRefusedWithOneWarning)
{
    const Damage &damage = GetParam();
    const bool diskFull = damage.makeStore == &storeFilledToTheLastByte;
    TempFolder temp;
    const QString path = damage.makeStore(temp);
    const QByteArray before = checksum(path);
    std::optional<FileSizeCap> cap;
    if (diskFull)
        cap.emplace();
    ControlHarness h(std::make_shared<SqliteSettingsStore>(path, damage.access));
    h.start();
    EXPECT_EQ(h.names(), damage.readable ? QStringList{u"Foo"_s} : QStringList{});
    EXPECT_EQ(h.fakes.messages->texts(), QStringList{});

    const auto expectOneWarning = [&](const QString &what) {
        const auto &messages = h.fakes.messages->messages;
        ASSERT_EQ(messages.size(), 1u) << h.fakes.messages->texts().join(u" / "_s).toStdString();
        EXPECT_EQ(messages[0].kind, RecordingMessageBoxes::Message::Kind::Exclamation);
        EXPECT_EQ(messages[0].title, u"Quillon");
        for (const QString &part : QStringList{what, u'"' + path + u'"', damage.reason})
            EXPECT_TRUE(messages[0].text.contains(part)) << messages[0].text.toStdString();
        h.fakes.messages->messages.clear();
    };

    saveNew(h, u"Bar"_s, 0, {u"/g/BAR.GRP"_s});
    expectOneWarning(u"\"Bar\" could not be saved"_s);
    h.click(u"CancelNew"_s);

    h.clickButton(u"optDelete"_s);
    expectOneWarning(u"clean-up preference could not be saved"_s);
    EXPECT_TRUE(h.find<QRadioButton>(u"optRename"_s)->isChecked());

    // Removing rows takes no new page, so a full disk does not stop a Delete; a store that lists
    // nothing offers nothing to delete.
    if (damage.readable && !diskFull) {
        h.choose(u"Foo"_s);
        h.fakes.messages->answers.push_back(true);
        h.click(u"Delete"_s);
        ASSERT_FALSE(h.fakes.messages->messages.empty());
        h.fakes.messages->messages.erase(h.fakes.messages->messages.begin()); // the question
        expectOneWarning(u"\"Foo\" could not be removed"_s);
        EXPECT_EQ(h.names(), QStringList{u"Foo"_s});
    }
    EXPECT_EQ(checksum(path), before);
    EXPECT_EQ(QFileInfo(path).isDir(), std::string_view(damage.label) == "Directory");
}

INSTANTIATE_TEST_SUITE_P(, DamagedStore, ::testing::ValuesIn(kDamages),
                         [](const auto &info) { return std::string(info.param.label); });

TEST(Contention, ControlAndHostBothGetEveryWriteIn)
{
    constexpr int kHostSaves = 150;
    TempFolder temp;
    const QString path = temp.file(u"settings.sqlite3"_s);
    ControlHarness h(std::make_shared<SqliteSettingsStore>(path));
    h.start();
    QProcess host;
    host.start(QStringLiteral(OSTREL_STORE_WRITER), {u"host"_s, path, QString::number(kHostSaves), u"0"_s});
    ASSERT_TRUE(host.waitForReadyRead(30000)) << host.errorString().toStdString();

    // The control saves for as long as the host does, and at least 40 times.
    QStringList saved;
    while (saved.size() < 40 || (!host.waitForFinished(0) && saved.size() < 2000)) {
        saved << u"Ctl"_s + QString::number(saved.size());
        saveNew(h, saved.back(), 2, {u"/g/"_s + saved.back() + u".GRP"_s, {}, {}, u"/g/"_s + saved.back() + u".MAP"_s});
    }
    host.waitForFinished(-1);
    const std::string hostErrors = host.readAllStandardError().toStdString();
    EXPECT_EQ(host.exitCode(), 0) << hostErrors; // it prints every refused write, locked or not
    EXPECT_EQ(h.fakes.messages->texts(), QStringList{});

    // Read back by programs that open the file afresh.
    QStringList hostNames;
    for (int i = 0; i < kHostSaves; ++i)
        hostNames << u"Host"_s + QString::number(i);
    EXPECT_EQ(reliability::damageIn(SqliteSettingsStore(path), hostNames).filter(u"Host"_s), QStringList{});
    ControlHarness reader(std::make_shared<SqliteSettingsStore>(path));
    reader.start();
    QStringList names = reader.names(), expected = hostNames + saved;
    names.sort();
    expected.sort();
    EXPECT_EQ(names, expected);
    for (const QString &name : saved) {
        reader.choose(name);
        ASSERT_EQ(reader.text(u"lblGroupFile"_s), u"/g/"_s + name + u".GRP"_s);
        ASSERT_EQ(reader.otherFiles(), QStringList{u"/g/"_s + name + u".MAP"_s});
    }
}

const QStringList kNames{
    u"O'Brien \"The Quoted\""_s, u"100% _done_ *?[a-z]"_s, u"back\\slash\\"_s,
    u"x'); DROP TABLE settings; --"_s, u"' OR '1'='1"_s, u"Ωmega Ünïcödé 中文 한국어 עברית"_s,
    // One character of each plane with assigned or private-use characters: 1, 2, 3, 14, 15, 16.
    u"\U0001F600 \U00020000 \U00030000 \U000E0041 \U000F0000 \U0010FFFD"_s,
    u"\u0301 starts with a combining mark e\u0301\u0301 a\u0308"_s, QString(10000, u'Z'), u"NAME"_s, QString(),
};

const QStringList kPaths{
    u"/games/with space/DUKE3D.GRP"_s, u"/games/\"double\" 'single'/GAME.CON"_s,
    u"/games/$(touch pwned)/`id`; rm -rf ~ & echo $HOME|README.TXT"_s, u"/games/new\nline/E1L1.MAP"_s,
    QFile::decodeName("/games/\xff\xfe\x80 latin1 \xe9t\xe9/E1L2.MAP"), u"C:\\Games\\%PATH%\\<b>bold</b>&amp;.dat"_s,
    u"/games/\U0001F600/\u0301.voc"_s,
};

// Definition i's group file, game con, text file and four other files.
QStringList pathsFor(int i)
{
    QStringList paths;
    for (int k = 0; k < 7; ++k)
        paths << kPaths.at((i + k) % kPaths.size());
    return paths;
}

// The store's folders do not exist yet: the control comes up empty and the first save makes them.
TEST(HostileNames, SavedThroughTheControlAndReadBackExactly)
{
    TempFolder temp;
    const QString path = temp.file(u"not yet/there/settings.sqlite3"_s);
    {
        ControlHarness writer(std::make_shared<SqliteSettingsStore>(path));
        writer.start();
        ASSERT_EQ(writer.names(), QStringList{});
        for (int i = 0; i < kNames.size(); ++i) {
            saveNew(writer, kNames[i], i % 3, pathsFor(i));
            ASSERT_EQ(writer.fakes.messages->texts(), QStringList{}) << i;
        }
        // A second save of each replaces its other files, which finds them by their keys.
        for (const QString &name : kNames) {
            writer.choose(name);
            writer.find<QListWidget>(u"lstOtherFiles"_s)->setCurrentRow(0);
            writer.clickButton(u"cmdOtherRemove"_s);
            writer.click(u"Save"_s);
        }
        ASSERT_EQ(writer.fakes.messages->texts(), QStringList{});
    }

    ControlHarness reader(std::make_shared<SqliteSettingsStore>(path));
    reader.start();
    ASSERT_EQ(reader.names(), kNames);
    for (int i = 0; i < kNames.size(); ++i) {
        SCOPED_TRACE(i);
        const QStringList paths = pathsFor(i);
        reader.choose(kNames[i]);
        EXPECT_EQ(reader.text(u"txtTCName"_s), kNames[i]);
        EXPECT_EQ(reader.find<QComboBox>(u"cboVersComp"_s)->currentIndex(), i % 3);
        EXPECT_EQ((QStringList{reader.text(u"lblGroupFile"_s), reader.text(u"lblGameCon"_s),
                               reader.text(u"lblTextFile"_s)} + reader.otherFiles()),
                  paths.mid(0, 3) + paths.mid(4));
        reader.fakes.shell->opened.clear();
        reader.clickButton(u"cmdViewTextFile"_s);
        EXPECT_EQ(reader.fakes.shell->opened, QStringList{paths[2]});
    }

    // Removing each in turn takes its keys and no other definition's.
    for (int i = 0; i < kNames.size(); ++i) {
        reader.choose(kNames[i]);
        reader.fakes.messages->answers.push_back(true);
        reader.click(u"Delete"_s);
        ControlHarness check(std::make_shared<SqliteSettingsStore>(path));
        check.start();
        ASSERT_EQ(check.names(), kNames.mid(i + 1)) << i;
    }
    EXPECT_EQ(definedKeys(SqliteSettingsStore(path)).size(), 0u);
}

// The store compares names after case folding, the names list after upper-casing, and the two
// disagree on a few characters: KELVIN SIGN and ANGSTROM SIGN fold to "k" and "å" but are their
// own upper case; "ß" upper-cases to "SS". A second definition must never take over the first
// one's keys: either it is refused as a duplicate, or both stay whole and apart.
TEST(HostileNames, NamesTheStoreFoldsTogetherNeverOverwriteEachOther)
{
    const std::pair<QString, QString> pairs[] = {
        {u"k"_s, u"\u212A"_s}, {u"\u00C5ngstr"_s, u"\u212Bngstr"_s}, {u"Stra\u00DFe"_s, u"STRASSE"_s}};
    for (const auto &[first, second] : pairs) {
        SCOPED_TRACE(second.toStdString());
        TempFolder temp;
        const QString path = temp.file(u"settings.sqlite3"_s);
        ControlHarness writer(std::make_shared<SqliteSettingsStore>(path));
        writer.start();
        for (const QString &name : {first, second})
            saveNew(writer, name, 0, {u"/g/"_s + name + u".GRP"_s});

        ControlHarness reader(std::make_shared<SqliteSettingsStore>(path));
        reader.start();
        const QStringList names = reader.names();
        ASSERT_FALSE(names.isEmpty());
        EXPECT_EQ(names.front(), first);
        for (const QString &name : names) {
            reader.choose(name);
            EXPECT_EQ(reader.text(u"lblGroupFile"_s), u"/g/"_s + name + u".GRP"_s) << name.toStdString();
        }
        if (names.size() == 1) {
            EXPECT_EQ(writer.fakes.messages->texts(),
                      QStringList{u"TC and Custom Group names must be unique. Save aborted."_s});
        }
    }
}

// Answers like the fake, then lets something happen to the chosen file before the control reads it.
class MeddlingDialogs : public FakeFileDialogs
{
public:
    std::optional<QString> show(QWidget *parent, const FileDialogRequest &request) override
    {
        std::optional<QString> answer = FakeFileDialogs::show(parent, request);
        if (answer && meanwhile)
            meanwhile(*answer);
        return answer;
    }
    std::function<void(const QString &)> meanwhile;
};

TEST(HostileScript, NoCrashAndTheEditorUnchangedWhereTheFileCannotBeLoaded)
{
    const auto dialogs = std::make_shared<MeddlingDialogs>();
    ControlHarness h;
    h.fakes.dialogs = dialogs;
    storeDefinition(*h.fakes.store, {u"Foo"_s, u"1.3D"_s, u"/g/FOO.GRP"_s, {}, {}, {u"/g/1"_s}});
    h.start();
    h.choose(u"Foo"_s);
    const QString stateBefore = h.editorState();
    const auto keysBefore = definedKeys(*h.fakes.store);
    // Loads the bytes as a script; loaded or not, nothing is stored and nothing is said.
    const auto load = [&](const QString &name, const QByteArray &bytes) {
        dialogs->answer(h.temp.write(u"scripts/"_s + name, bytes));
        h.click(u"LoadScript"_s);
        EXPECT_EQ(definedKeys(*h.fakes.store), keysBefore);
        EXPECT_EQ(h.fakes.messages->texts(), QStringList{});
    };

    const QByteArray script = "definetcname Replaced\r\ndefinegroupfile R.GRP\r\n";
    QByteArray tooMany; // 100,000 other files, over the size limit
    for (int i = 0; i < 100000; ++i)
        tooMany += "defineotherfile E" + QByteArray::number(i) + ".MAP\r\n";
    // One line of keywords and values: each occurrence's value is the rest of the line, so the
    // values would add up to tens of thousands of times the file; the reader stops early.
    const QByteArray unit = "defineotherfile x ";
    const struct {
        const char *name;
        QByteArray bytes;
        std::function<void(const QString &)> meanwhile; // between the dialog and the load
    } cases[] = {
        {"too-many", tooMany, {}},
        {"one-line", unit.repeated(int(ScriptBuffer::MaxFileSize / unit.size())), {}},
        {"deleted", script, [](const QString &path) { QFile::remove(path); }},
        {"folder", script, [](const QString &path) { QFile::remove(path), QDir().mkpath(path); }},
        // Reading a pipe with no writer would block for ever.
        {"pipe", script, [](const QString &path) {
             QFile::remove(path), ::mkfifo(QFile::encodeName(path).constData(), 0600); }},
        {"grown", script, [](const QString &path) {
             QFile file(path);
             if (file.open(QIODevice::Append))
                 file.write(QByteArray(ScriptBuffer::MaxFileSize, ' '));
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        dialogs->meanwhile = c.meanwhile;
        load(QString::fromLatin1(c.name) + u".tcs"_s, c.bytes);
        const QString state = h.editorState();
        EXPECT_TRUE(state == stateBefore) << "now: " << state.left(400).toStdString();
    }

    // Binary, NUL bytes and the largest files are read as text.
    dialogs->meanwhile = {};
    QByteArray random(64 * 1024, '\0');
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(random.data()), random.size() / 4);
    load(u"random.tcs"_s, random);
    EXPECT_TRUE(h.find<QWidget>(u"txtTCName"_s)->isEnabled()); // a new definition in entry

    load(u"nul.tcs"_s, QByteArray(100000, '\0'));
    EXPECT_EQ(h.text(u"txtTCName"_s) + h.text(u"lblGroupFile"_s), QString());
    EXPECT_EQ(h.otherFiles(), QStringList{});

    const QString folder = h.temp.file(u"scripts/"_s);
    load(u"nul-in-value.tcs"_s, QByteArray("definegroupfile A\0B.GRP\r\n", 25)); // NUL is a character
    EXPECT_EQ(h.text(u"lblGroupFile"_s), folder + u"A\0B.GRP"_s);

    const QByteArray value(ScriptBuffer::MaxFileSize - 16, 'G'); // a line of exactly the limit
    load(u"long-line.tcs"_s, "definegroupfile " + value);
    EXPECT_EQ(h.text(u"lblGroupFile"_s), folder + QString::fromLatin1(value));

    const QByteArray line = "defineotherfile a\n";
    const int count = int(ScriptBuffer::MaxFileSize / line.size());
    load(u"many.tcs"_s, line.repeated(count));
    const QStringList others = h.otherFiles();
    ASSERT_EQ(others.size(), count);
    EXPECT_EQ(others.back(), folder + u"a"_s);
}

} // namespace
