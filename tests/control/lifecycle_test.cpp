// The life of a TC definition: start-up, loading, saving, deleting, the clean-up choice.

#include "controlharness.h"

#include "platform/sqlitesettingsstore.h"
#include "store/definitionkeys.h"

#include <QRadioButton>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ostrel;
using namespace ostrel::test;

namespace {

using Keys = std::vector<std::pair<QString, QString>>;

const QString kApp = u"Vantrel"_s;
const QString kSection = u"DefinedTCs"_s;
const QString kSettings = u"TCSettings"_s;
const QString kCleanup = u"Directory Cleanup"_s;

const StoredDefinition kFoo{u"Foo"_s, u"1.4/1.5 Atomic"_s, u"/games/foo/FOO.GRP"_s, u"/games/foo/GAME.CON"_s,
                            u"/games/foo/README.TXT"_s, {u"/games/foo/A.MAP"_s, u"/games/foo/B.ART"_s}};
const StoredDefinition kFooBar{u"FooBar"_s, u"1.3D"_s, u"/games/fb/FB.GRP"_s, {}, {}, {u"/games/fb/X.MAP"_s}};

// ---- Start-up and loading

TEST(StartUp, ListsNamesFromUpperCaseNameKeysInStoreOrder)
{
    ControlHarness h;
    SettingsStore &s = *h.fakes.store;
    storeDefinition(s, kFooBar);
    s.SaveSetting(kApp, kSection, u"lowername"_s, u"not listed"_s);
    storeDefinition(s, kFoo);
    s.SaveSetting(kApp, kSection, u"StrayNAME"_s, u"Stray"_s);
    h.start();
    EXPECT_EQ(h.names(), (QStringList{u"FooBar"_s, u"Foo"_s, u"Stray"_s}));
}

TEST(StartUp, EmptyStoreGivesEmptyListsButTheVersions)
{
    ControlHarness h;
    h.start();
    EXPECT_TRUE(h.names().isEmpty());
    EXPECT_EQ(h.find<QComboBox>(u"cboVersComp"_s)->count(), 3);
}

TEST(Loading, TakesOnlyTheChosenDefinitionsKeys)
{
    ControlHarness h;
    storeDefinition(*h.fakes.store, kFooBar);
    storeDefinition(*h.fakes.store, kFoo);
    h.start();
    h.choose(u"Foo"_s);
    EXPECT_EQ(h.text(u"cboVersComp"_s), u"1.4/1.5 Atomic");
    EXPECT_EQ(h.text(u"txtTCName"_s), u"Foo");
    EXPECT_EQ(h.text(u"lblGroupFile"_s), kFoo.groupFile);
    EXPECT_EQ(h.text(u"lblGameCon"_s), kFoo.gameCon);
    EXPECT_EQ(h.text(u"lblTextFile"_s), kFoo.textFile);
    EXPECT_EQ(h.otherFiles(), kFoo.otherFiles);
    EXPECT_EQ(h.find<QComboBox>(u"cboTClist"_s)->currentIndex(), -1);
    EXPECT_TRUE(h.find<QWidget>(u"cmdOtherRemove"_s)->isEnabled());
    EXPECT_FALSE(h.find<QWidget>(u"txtTCName"_s)->isEnabled());
    EXPECT_EQ(h.enabledButtons(), (QStringList{u"New"_s, u"Delete"_s, u"LoadScript"_s, u"Script"_s, u"ScriptView"_s}));

    h.choose(u"FooBar"_s);
    EXPECT_EQ(h.text(u"lblGroupFile"_s), kFooBar.groupFile);
    EXPECT_TRUE(h.text(u"lblGameCon"_s).isEmpty());
    EXPECT_EQ(h.otherFiles(), kFooBar.otherFiles);
}

TEST(Loading, MatchesKeysAndVersionsWithoutRegardToCase)
{
    ControlHarness h;
    SettingsStore &s = *h.fakes.store;
    s.SaveSetting(kApp, kSection, u"fooversioncomp"_s, u"1.3d AND 1.4/1.5"_s);
    s.SaveSetting(kApp, kSection, u"FooNAME"_s, u"Foo"_s);
    s.SaveSetting(kApp, kSection, u"FOOGROUPFILE"_s, u"/x/Y.GRP"_s);
    s.SaveSetting(kApp, kSection, u"fooOtherFile2"_s, u"second"_s);
    s.SaveSetting(kApp, kSection, u"FooOtherFile1"_s, u"first"_s);
    h.start();
    h.choose(u"Foo"_s);
    EXPECT_EQ(h.find<QComboBox>(u"cboVersComp"_s)->currentIndex(), 2);
    EXPECT_EQ(h.text(u"lblGroupFile"_s), u"/x/Y.GRP");
    // Other files come in store order, not by number.
    EXPECT_EQ(h.otherFiles(), (QStringList{u"second"_s, u"first"_s}));
}

TEST(Loading, UnknownVersionAndSingleKeySectionLeaveFieldsEmpty)
{
    ControlHarness h;
    h.fakes.store->SaveSetting(kApp, kSection, u"FooNAME"_s, u"Foo"_s);
    h.start();
    h.choose(u"Foo"_s);
    // A section of one key is treated as empty: nothing is loaded and nothing enabled.
    EXPECT_TRUE(h.text(u"txtTCName"_s).isEmpty());
    EXPECT_FALSE(h.find<QWidget>(u"cboVersComp"_s)->isEnabled());

    h.fakes.store->SaveSetting(kApp, kSection, u"FooVersionComp"_s, u"1.3D "_s);
    h.choose(u"Foo"_s);
    EXPECT_EQ(h.text(u"txtTCName"_s), u"Foo");
    EXPECT_EQ(h.find<QComboBox>(u"cboVersComp"_s)->currentIndex(), -1);
    EXPECT_TRUE(h.find<QWidget>(u"cboVersComp"_s)->isEnabled());
}

// ---- Saving

class Saving : public ::testing::Test
{
protected:
    void SetUp() override { h.start(); }

    void enterNew(const QString &name, int version, const QString &group, const QStringList &others = {})
    {
        h.click(u"New"_s);
        h.find<QLineEdit>(u"txtTCName"_s)->setText(name);
        h.find<QComboBox>(u"cboVersComp"_s)->setCurrentIndex(version);
        if (!group.isEmpty()) {
            h.fakes.dialogs->answer(group);
            h.clickButton(u"cmdGroupFile"_s);
        }
        for (const QString &file : others) {
            h.fakes.dialogs->answer(file);
            h.clickButton(u"cmdOtherFiles"_s);
        }
    }

    ControlHarness h;
};

TEST_F(Saving, NewDefinitionWritesItsKeysInOrder)
{
    enterNew(u"Foo"_s, 0, u"/g/FOO.GRP"_s, {u"/g/1"_s, u"/g/2"_s});
    h.click(u"Save"_s);
    EXPECT_TRUE(h.fakes.messages->messages.empty());
    EXPECT_EQ(definedKeys(*h.fakes.store),
              (Keys{{u"FooVersionComp"_s, u"1.3D"_s}, {u"FooNAME"_s, u"Foo"_s}, {u"FooGroupFile"_s, u"/g/FOO.GRP"_s},
                    {u"FooGameCon"_s, u""_s}, {u"FooTextFile"_s, u""_s}, {u"FooOtherFile1"_s, u"/g/1"_s},
                    {u"FooOtherFile2"_s, u"/g/2"_s}}));
    EXPECT_EQ(h.names(), QStringList{u"Foo"_s});
    // Now a stored definition: name fixed, pickers still on, Save off until the next change.
    EXPECT_FALSE(h.find<QWidget>(u"txtTCName"_s)->isEnabled());
    EXPECT_TRUE(h.find<QWidget>(u"cboTClist"_s)->isEnabled());
    EXPECT_TRUE(h.find<QWidget>(u"cmdGroupFile"_s)->isEnabled());
    EXPECT_EQ(h.enabledButtons(), (QStringList{u"New"_s, u"Delete"_s, u"LoadScript"_s, u"Script"_s, u"ScriptView"_s}));
}

TEST_F(Saving, ValidationReportsTheFirstFailingCheckOnly)
{
    storeDefinition(*h.fakes.store, kFoo);
    h.control.reset();
    h.start();
    struct Case {
        QString name;
        int version;
        QString group;
        QString message;
    };
    const Case cases[] = {
        {u"foo"_s, 0, u"/g/x.grp"_s, u"TC and Custom Group names must be unique. Save aborted."_s},
        {u"Bar"_s, -1, QString(), u"Please set the Version Compatibility."_s},
        {u"Bar"_s, 1, QString(), u"Please select a group file."_s},
    };
    for (const Case &c : cases) {
        h.fakes.messages->messages.clear();
        enterNew(c.name, c.version, c.group);
        const Keys before = definedKeys(*h.fakes.store);
        const QString state = h.editorState();
        h.click(u"Save"_s);
        ASSERT_EQ(h.fakes.messages->messages.size(), 1u) << c.message.toStdString();
        const auto &m = h.fakes.messages->messages.front();
        EXPECT_EQ(m.kind, RecordingMessageBoxes::Message::Kind::Exclamation);
        EXPECT_EQ(m.title, u"Quillon");
        EXPECT_EQ(m.text, c.message);
        EXPECT_EQ(definedKeys(*h.fakes.store), before);
        EXPECT_EQ(h.editorState(), state);
        h.click(u"CancelNew"_s);
    }
}

TEST_F(Saving, ResavingRenumbersOtherFilesAndKeepsTheNameKey)
{
    storeDefinition(*h.fakes.store, {u"Foo"_s, u"1.3D"_s, u"/g/F.GRP"_s, {}, {}, {u"a"_s, u"b"_s, u"c"_s}});
    storeDefinition(*h.fakes.store, kFooBar);
    h.control.reset();
    h.start();
    h.choose(u"Foo"_s);
    auto *list = h.find<QListWidget>(u"lstOtherFiles"_s);
    for (int row : {0, 1}) {
        list->setCurrentRow(row);
        h.clickButton(u"cmdOtherRemove"_s);
    }
    ASSERT_EQ(h.otherFiles(), QStringList{u"b"_s});
    h.click(u"Save"_s);
    const Keys keys = definedKeys(*h.fakes.store);
    EXPECT_EQ(keys,
              (Keys{{u"FooVersionComp"_s, u"1.3D"_s}, {u"FooNAME"_s, u"Foo"_s}, {u"FooGroupFile"_s, u"/g/F.GRP"_s},
                    {u"FooGameCon"_s, u""_s}, {u"FooTextFile"_s, u""_s}, {u"FooBarVersionComp"_s, u"1.3D"_s},
                    {u"FooBarNAME"_s, u"FooBar"_s}, {u"FooBarGroupFile"_s, u"/games/fb/FB.GRP"_s},
                    {u"FooBarGameCon"_s, u""_s}, {u"FooBarTextFile"_s, u""_s},
                    {u"FooBarOtherFile1"_s, u"/games/fb/X.MAP"_s}, {u"FooOtherFile1"_s, u"b"_s}}));
    EXPECT_EQ(h.names(), (QStringList{u"Foo"_s, u"FooBar"_s}));
}

TEST_F(Saving, StoredDefinitionIsSavedWithoutChecks)
{
    storeDefinition(*h.fakes.store, {u"Foo"_s, u"odd"_s, u""_s, {}, {}, {}});
    h.control.reset();
    h.start();
    h.choose(u"Foo"_s);
    h.find<QComboBox>(u"cboVersComp"_s)->setCurrentIndex(0);
    h.click(u"Save"_s);
    EXPECT_TRUE(h.fakes.messages->messages.empty());
    EXPECT_EQ(h.fakes.store->GetSetting(kApp, kSection, u"FooVersionComp"_s, {}), u"1.3D");
    EXPECT_EQ(h.fakes.store->GetSetting(kApp, kSection, u"FooGroupFile"_s, u"missing"_s), u"");
}

TEST_F(Saving, TwelveOtherFilesSaveReloadAndDeleteCompletely)
{
    QStringList files;
    for (int i = 1; i <= 12; ++i)
        files << u"/g/file%1.dat"_s.arg(i);
    enterNew(u"Big"_s, 1, u"/g/BIG.GRP"_s, files);
    h.click(u"Save"_s);
    EXPECT_EQ(h.fakes.store->GetSetting(kApp, kSection, u"BigOtherFile12"_s, {}), u"/g/file12.dat");

    h.click(u"New"_s);
    h.click(u"CancelNew"_s);
    h.choose(u"Big"_s);
    EXPECT_EQ(h.otherFiles(), files);

    // A re-save after removing one renumbers them all and leaves no twelfth key behind.
    auto *list = h.find<QListWidget>(u"lstOtherFiles"_s);
    list->setCurrentRow(0);
    h.clickButton(u"cmdOtherRemove"_s);
    h.click(u"Save"_s);
    EXPECT_EQ(h.fakes.store->GetSetting(kApp, kSection, u"BigOtherFile1"_s, {}), u"/g/file2.dat");
    EXPECT_EQ(h.fakes.store->GetSetting(kApp, kSection, u"BigOtherFile12"_s, u"gone"_s), u"gone");

    h.fakes.messages->answers.push_back(true);
    h.click(u"Delete"_s);
    EXPECT_TRUE(definedKeys(*h.fakes.store).empty());
}

// ---- Deleting

TEST(Deleting, RemovesOnlyTheShownDefinitionAfterYes)
{
    ControlHarness h;
    storeDefinition(*h.fakes.store, kFoo);
    storeDefinition(*h.fakes.store, kFooBar);
    h.start();
    const Keys fooBarKeys = [&] {
        Keys keys;
        for (const auto &kv : definedKeys(*h.fakes.store)) {
            if (kv.first.startsWith(u"FooBar"))
                keys.push_back(kv);
        }
        return keys;
    }();
    h.choose(u"Foo"_s);

    h.fakes.messages->answers.push_back(false);
    h.click(u"Delete"_s);
    ASSERT_EQ(h.fakes.messages->messages.size(), 1u);
    const auto &question = h.fakes.messages->messages.front();
    EXPECT_EQ(question.kind, RecordingMessageBoxes::Message::Kind::Question);
    EXPECT_EQ(question.title, u"Quillon");
    EXPECT_EQ(question.text, u"Are you sure you want to remove this Definition?");
    EXPECT_EQ(h.text(u"txtTCName"_s), u"Foo");
    EXPECT_EQ(definedKeys(*h.fakes.store).size(), 7u + 6u);

    h.fakes.messages->answers.push_back(true);
    h.click(u"Delete"_s);
    EXPECT_EQ(definedKeys(*h.fakes.store), fooBarKeys);
    EXPECT_EQ(h.names(), QStringList{u"FooBar"_s});
    EXPECT_TRUE(h.text(u"txtTCName"_s).isEmpty());
    EXPECT_FALSE(h.find<QWidget>(u"cboVersComp"_s)->isEnabled());
    EXPECT_EQ(h.enabledButtons(), (QStringList{u"New"_s, u"Delete"_s, u"LoadScript"_s, u"Script"_s, u"ScriptView"_s}));
}

TEST(Deleting, WithAnEmptyEditorRemovesOnlyBareSuffixKeys)
{
    ControlHarness h;
    storeDefinition(*h.fakes.store, kFoo);
    h.fakes.store->SaveSetting(kApp, kSection, u"NAME"_s, u""_s);
    h.start();
    ASSERT_EQ(h.names(), (QStringList{u"Foo"_s, u""_s}));
    h.fakes.messages->answers.push_back(true);
    h.click(u"Delete"_s);
    EXPECT_EQ(definedKeys(*h.fakes.store).size(), 7u);
    EXPECT_EQ(h.names(), QStringList{u"Foo"_s});
}

// ---- Clean-up preference

struct CleanupCase {
    const char16_t *stored; // nullptr: no key
    const char *chosen;     // objectName of the chosen button, "" for none
    const char16_t *after;
};

void PrintTo(const CleanupCase &c, std::ostream *os)
{
    *os << (c.stored ? QString::fromUtf16(c.stored).toStdString() : "(none)");
}

class Cleanup : public ::testing::TestWithParam<CleanupCase>
{
};

TEST_P(Cleanup, StartUpChoosesAndRewritesTheStoredValue)
{
    const CleanupCase &c = GetParam();
    ControlHarness h;
    if (c.stored)
        h.fakes.store->SaveSetting(kApp, kSettings, kCleanup, QString::fromUtf16(c.stored));
    h.start();
    for (const char *name : {"optDelete", "optRename", "optNone"})
        EXPECT_EQ(h.find<QRadioButton>(QString::fromLatin1(name))->isChecked(), qstrcmp(name, c.chosen) == 0) << name;
    EXPECT_EQ(h.fakes.store->GetSetting(kApp, kSettings, kCleanup, u"<missing>"_s), QString::fromUtf16(c.after));
}

INSTANTIATE_TEST_SUITE_P(Values, Cleanup,
                         ::testing::Values(CleanupCase{nullptr, "optRename", u"Rename"},
                                           CleanupCase{u"delete", "optDelete", u"Delete"},
                                           CleanupCase{u"NONE", "optNone", u"None"},
                                           CleanupCase{u"Off", "", u"Off"}));

TEST(CleanupClick, WritesTheChoiceAtOnce)
{
    ControlHarness h;
    h.fakes.store->SaveSetting(kApp, kSettings, kCleanup, u"Off"_s);
    h.start();
    QSignalSpy spy(h.control.get(), &ucTC::LoadTCNames);
    h.clickButton(u"optNone"_s);
    EXPECT_EQ(h.fakes.store->GetSetting(kApp, kSettings, kCleanup, {}), u"None");
    h.clickButton(u"optDelete"_s);
    EXPECT_EQ(h.fakes.store->GetSetting(kApp, kSettings, kCleanup, {}), u"Delete");
    EXPECT_FALSE(h.find<QRadioButton>(u"optNone"_s)->isChecked());
    EXPECT_EQ(spy.count(), 0);
}

// ---- The whole life, on a real store file

TEST(Lifecycle, DefineSaveReopenEditAndDeleteOnAStoreFile)
{
    TempFolder temp;
    const QString file = temp.file(u"store/settings.sqlite3"_s);
    {
        ControlHarness h(std::make_shared<SqliteSettingsStore>(file));
        storeDefinition(*h.fakes.store, kFooBar);
        h.start();
        QSignalSpy spy(h.control.get(), &ucTC::LoadTCNames);
        h.click(u"New"_s);
        h.find<QComboBox>(u"cboVersComp"_s)->setCurrentIndex(2);
        h.find<QLineEdit>(u"txtTCName"_s)->setText(u"Foo"_s);
        for (auto [button, path] : {std::pair{u"cmdGroupFile"_s, u"/d/FOO.GRP"_s},
                                    std::pair{u"cmdGameCon"_s, u"/d/GAME.CON"_s},
                                    std::pair{u"cmdTextFile"_s, u"/d/readme.txt"_s},
                                    std::pair{u"cmdOtherFiles"_s, u"/d/E1L1.MAP"_s}}) {
            h.fakes.dialogs->answer(path);
            h.clickButton(button);
        }
        h.click(u"Save"_s);
        EXPECT_EQ(spy.count(), 1);
    }
    {
        ControlHarness h(std::make_shared<SqliteSettingsStore>(file));
        h.start();
        EXPECT_EQ(h.names(), (QStringList{u"FooBar"_s, u"Foo"_s}));
        h.choose(u"Foo"_s);
        EXPECT_EQ(h.text(u"lblTextFile"_s), u"/d/readme.txt");
        h.fakes.dialogs->answer(u"/e/OTHER.CON"_s);
        h.clickButton(u"cmdGameCon"_s);
        h.fakes.dialogs->answer(u"/e/E1L2.MAP"_s);
        h.clickButton(u"cmdOtherFiles"_s);
        h.click(u"Save"_s);
    }
    SqliteSettingsStore reread(file);
    const Keys afterEdit = definedKeys(reread);
    const Keys expected{{u"FooBarVersionComp"_s, u"1.3D"_s}, {u"FooBarNAME"_s, u"FooBar"_s},
                        {u"FooBarGroupFile"_s, u"/games/fb/FB.GRP"_s}, {u"FooBarGameCon"_s, u""_s},
                        {u"FooBarTextFile"_s, u""_s}, {u"FooBarOtherFile1"_s, u"/games/fb/X.MAP"_s},
                        {u"FooVersionComp"_s, u"1.3D and 1.4/1.5"_s}, {u"FooNAME"_s, u"Foo"_s},
                        {u"FooGroupFile"_s, u"/d/FOO.GRP"_s}, {u"FooGameCon"_s, u"/e/OTHER.CON"_s},
                        {u"FooTextFile"_s, u"/d/readme.txt"_s}, {u"FooOtherFile1"_s, u"/d/E1L1.MAP"_s},
                        {u"FooOtherFile2"_s, u"/e/E1L2.MAP"_s}};
    EXPECT_EQ(afterEdit, expected);
    {
        ControlHarness h(std::make_shared<SqliteSettingsStore>(file));
        h.start();
        h.choose(u"Foo"_s);
        h.fakes.messages->answers.push_back(true);
        h.click(u"Delete"_s);
        EXPECT_EQ(h.names(), QStringList{u"FooBar"_s});
    }
    SqliteSettingsStore final(file);
    EXPECT_EQ(definedKeys(final), Keys(expected.begin(), expected.begin() + 6));
}

} // namespace
