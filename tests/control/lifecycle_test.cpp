// The life of a TC definition: start-up, loading, saving, deleting, the clean-up choice.

#include "controlharness.h"

#include "platform/sqlitesettingsstore.h"

#include <QRadioButton>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace ostrel;
using namespace ostrel::test;

namespace {

using Keys = std::vector<std::pair<QString, QString>>;

const QString kApp = u"Vantrel"_s;
const QString kSection = u"DefinedTCs"_s;
const QString kSettings = u"TCSettings"_s;
const QString kCleanup = u"Directory Cleanup"_s;

const StoredDefinition kFooBar{u"FooBar"_s, u"1.3D"_s, u"/games/fb/FB.GRP"_s, {}, {}, {u"/games/fb/X.MAP"_s}};
const Keys kFooBarKeys{{u"FooBarVersionComp"_s, u"1.3D"_s}, {u"FooBarNAME"_s, u"FooBar"_s},
                       {u"FooBarGroupFile"_s, u"/games/fb/FB.GRP"_s}, {u"FooBarGameCon"_s, u""_s},
                       {u"FooBarTextFile"_s, u""_s}, {u"FooBarOtherFile1"_s, u"/games/fb/X.MAP"_s}};

class Lifecycle : public ::testing::Test
{
protected:
    void save(const QString &key, const QString &value) { store.SaveSetting(kApp, kSection, key, value); }
    QString stored(const QString &key) const { return store.GetSetting(kApp, kSection, key, u"<missing>"_s); }
    QStringList shown() const
    {
        return QStringList{h.text(u"cboVersComp"_s), h.text(u"txtTCName"_s), h.text(u"lblGroupFile"_s),
                           h.text(u"lblGameCon"_s), h.text(u"lblTextFile"_s)} + h.otherFiles();
    }
    void enterNew(const QString &name, int version, const QString &group, const QStringList &others = {})
    {
        h.click(u"New"_s);
        h.find<QLineEdit>(u"txtTCName"_s)->setText(name);
        h.find<QComboBox>(u"cboVersComp"_s)->setCurrentIndex(version);
        if (!group.isEmpty())
            h.pick(u"cmdGroupFile"_s, group);
        for (const QString &file : others)
            h.pick(u"cmdOtherFiles"_s, file);
    }
    void removeOtherFile(int row)
    {
        h.find<QListWidget>(u"lstOtherFiles"_s)->setCurrentRow(row);
        h.clickButton(u"cmdOtherRemove"_s);
    }

    ControlHarness h;
    SettingsStore &store = *h.fakes.store;
};

TEST_F(Lifecycle, StartUpListsNamesAndLoadingTakesOnlyTheChosenDefinitionsKeysInAnyCase)
{
    storeDefinition(store, kFooBar);
    save(u"lowername"_s, u"not listed"_s);
    save(u"fooversioncomp"_s, u"1.3d AND 1.4/1.5"_s);
    save(u"FooNAME"_s, u"Foo"_s);
    save(u"FOOGROUPFILE"_s, u"/x/Y.GRP"_s);
    save(u"fooOtherFile2"_s, u"second"_s);
    save(u"FooGameCon"_s, u"/x/GAME.CON"_s);
    save(u"FooOtherFile1"_s, u"first"_s);
    save(u"footextfile"_s, u"/x/README.TXT"_s);
    save(u"StrayNAME"_s, u"Stray"_s);
    h.start();
    // Names come from the values of keys ending in upper-case NAME, in store order.
    EXPECT_EQ(h.names(), (QStringList{u"FooBar"_s, u"Foo"_s, u"Stray"_s}));

    h.choose(u"Foo"_s);
    EXPECT_EQ(h.find<QComboBox>(u"cboVersComp"_s)->currentIndex(), 2);
    // Other files come in store order, not by number.
    EXPECT_EQ(shown(), (QStringList{u"1.3D and 1.4/1.5"_s, u"Foo"_s, u"/x/Y.GRP"_s, u"/x/GAME.CON"_s,
                                    u"/x/README.TXT"_s, u"second"_s, u"first"_s}));
    EXPECT_EQ(h.find<QComboBox>(u"cboTClist"_s)->currentIndex(), -1);
    h.choose(u"FooBar"_s);
    EXPECT_EQ(shown(), (QStringList{u"1.3D"_s, u"FooBar"_s, kFooBar.groupFile, u""_s, u""_s} + kFooBar.otherFiles));
}

TEST_F(Lifecycle, SingleKeySectionLoadsNothingAndUnknownVersionChoosesNone)
{
    save(u"FooNAME"_s, u"Foo"_s);
    h.start();
    h.choose(u"Foo"_s);
    EXPECT_TRUE(h.text(u"txtTCName"_s).isEmpty());
    EXPECT_FALSE(h.find<QWidget>(u"cboVersComp"_s)->isEnabled());

    save(u"FooVersionComp"_s, u"1.3D "_s);
    h.choose(u"Foo"_s);
    EXPECT_EQ(h.text(u"txtTCName"_s), u"Foo");
    EXPECT_EQ(h.find<QComboBox>(u"cboVersComp"_s)->currentIndex(), -1);
    EXPECT_TRUE(h.find<QWidget>(u"cboVersComp"_s)->isEnabled());
}

TEST_F(Lifecycle, SavingANewDefinitionChecksItThenWritesItsKeysInOrder)
{
    h.start();
    enterNew(u"Foo"_s, 0, u"/g/FOO.GRP"_s, {u"/g/1"_s, u"/g/2"_s});
    h.click(u"Save"_s);
    EXPECT_TRUE(h.fakes.messages->messages.empty());
    const Keys keys{{u"FooVersionComp"_s, u"1.3D"_s}, {u"FooNAME"_s, u"Foo"_s}, {u"FooGroupFile"_s, u"/g/FOO.GRP"_s},
                    {u"FooGameCon"_s, u""_s}, {u"FooTextFile"_s, u""_s}, {u"FooOtherFile1"_s, u"/g/1"_s},
                    {u"FooOtherFile2"_s, u"/g/2"_s}};
    EXPECT_EQ(definedKeys(store), keys);
    EXPECT_EQ(h.names(), QStringList{u"Foo"_s});
    // Now a stored definition: name fixed, Save off until the next change.
    EXPECT_FALSE(h.find<QWidget>(u"txtTCName"_s)->isEnabled());
    EXPECT_EQ(h.enabledButtons(), kBrowseButtons);

    // Only the first failing check is reported, and nothing is written.
    const struct {
        QString name;
        int version;
        QString group, message;
    } cases[] = {
        {u"foo"_s, 0, u"/g/x.grp"_s, u"TC and Custom Group names must be unique. Save aborted."_s},
        {u"Bar"_s, -1, QString(), u"Please set the Version Compatibility."_s},
        {u"Bar"_s, 1, QString(), u"Please select a group file."_s},
    };
    for (const auto &c : cases) {
        h.fakes.messages->messages.clear();
        enterNew(c.name, c.version, c.group);
        const QString state = h.editorState();
        h.click(u"Save"_s);
        ASSERT_EQ(h.fakes.messages->texts(), QStringList{c.message});
        EXPECT_EQ(h.fakes.messages->messages[0].kind, RecordingMessageBoxes::Message::Kind::Exclamation);
        EXPECT_EQ(h.fakes.messages->messages[0].title, u"Quillon");
        EXPECT_EQ(definedKeys(store), keys);
        EXPECT_EQ(h.editorState(), state);
        h.click(u"CancelNew"_s);
    }
}

TEST_F(Lifecycle, ResavingAStoredDefinitionSkipsChecksRenumbersOtherFilesAndKeepsTheNameKey)
{
    storeDefinition(store, {u"Foo"_s, u"odd"_s, u""_s, {}, {}, {u"a"_s, u"b"_s, u"c"_s}});
    storeDefinition(store, kFooBar);
    h.start();
    h.choose(u"Foo"_s);
    h.find<QComboBox>(u"cboVersComp"_s)->setCurrentIndex(0);
    removeOtherFile(0);
    removeOtherFile(1);
    ASSERT_EQ(h.otherFiles(), QStringList{u"b"_s});
    h.click(u"Save"_s); // no group file: a stored definition is saved without checks
    EXPECT_TRUE(h.fakes.messages->messages.empty());
    Keys expected{{u"FooVersionComp"_s, u"1.3D"_s}, {u"FooNAME"_s, u"Foo"_s}, {u"FooGroupFile"_s, u""_s},
                  {u"FooGameCon"_s, u""_s}, {u"FooTextFile"_s, u""_s}};
    expected.insert(expected.end(), kFooBarKeys.begin(), kFooBarKeys.end());
    expected.emplace_back(u"FooOtherFile1"_s, u"b"_s);
    EXPECT_EQ(definedKeys(store), expected);
    EXPECT_EQ(h.names(), (QStringList{u"Foo"_s, u"FooBar"_s}));
}

TEST_F(Lifecycle, TwelveOtherFilesSaveReloadAndDeleteCompletely)
{
    h.start();
    QStringList files;
    for (int i = 1; i <= 12; ++i)
        files << u"/g/file%1.dat"_s.arg(i);
    enterNew(u"Big"_s, 1, u"/g/BIG.GRP"_s, files);
    h.click(u"Save"_s);
    EXPECT_EQ(stored(u"BigOtherFile12"_s), u"/g/file12.dat");
    h.click(u"New"_s);
    h.click(u"CancelNew"_s);
    h.choose(u"Big"_s);
    EXPECT_EQ(h.otherFiles(), files);

    // A re-save after removing one renumbers them all and leaves no twelfth key behind.
    removeOtherFile(0);
    h.click(u"Save"_s);
    EXPECT_EQ(stored(u"BigOtherFile1"_s), u"/g/file2.dat");
    EXPECT_EQ(stored(u"BigOtherFile12"_s), u"<missing>");

    h.fakes.messages->answers.push_back(true);
    h.click(u"Delete"_s);
    EXPECT_TRUE(definedKeys(store).empty());
}

TEST_F(Lifecycle, DeleteWithAnEmptyEditorRemovesOnlyBareSuffixKeys)
{
    storeDefinition(store, {u"Foo"_s, u"1.3D"_s, u"/g/F.GRP"_s, {}, {}, {u"/g/1"_s, u"/g/2"_s}});
    save(u"NAME"_s, u""_s);
    h.start();
    ASSERT_EQ(h.names(), (QStringList{u"Foo"_s, u""_s}));
    h.fakes.messages->answers.push_back(true);
    h.click(u"Delete"_s);
    EXPECT_EQ(definedKeys(store).size(), 7u);
    EXPECT_EQ(h.names(), QStringList{u"Foo"_s});
}

TEST(Cleanup, StartUpChoosesAndRewritesTheStoredValue)
{
    const struct {
        const char16_t *stored; // nullptr: no key
        const char *chosen;     // objectName of the chosen button, "" for none
        const char16_t *after;
    } cases[] = {{nullptr, "optRename", u"Rename"}, {u"delete", "optDelete", u"Delete"},
                 {u"NONE", "optNone", u"None"}, {u"Off", "", u"Off"}};
    for (const auto &c : cases) {
        ControlHarness h;
        if (c.stored)
            h.fakes.store->SaveSetting(kApp, kSettings, kCleanup, QString::fromUtf16(c.stored));
        h.start();
        for (const char *name : {"optDelete", "optRename", "optNone"}) {
            EXPECT_EQ(h.find<QRadioButton>(QString::fromLatin1(name))->isChecked(), qstrcmp(name, c.chosen) == 0)
                << name << " for " << c.chosen;
        }
        EXPECT_EQ(h.fakes.store->GetSetting(kApp, kSettings, kCleanup, u"<missing>"_s), QString::fromUtf16(c.after));
    }
}

TEST(Cleanup, ClickWritesTheChoiceAtOnce)
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

// The whole life on a real store file, next to a definition with a longer, similar name.
TEST(LifecycleOnFile, DefineSaveReopenEditAndDelete)
{
    TempFolder temp;
    const auto open = [file = temp.file(u"store/settings.sqlite3"_s)] {
        return std::make_unique<ControlHarness>(std::make_shared<SqliteSettingsStore>(file));
    };
    auto h = open();
    storeDefinition(*h->fakes.store, kFooBar);
    h->start();
    h->click(u"New"_s);
    h->find<QComboBox>(u"cboVersComp"_s)->setCurrentIndex(2);
    h->find<QLineEdit>(u"txtTCName"_s)->setText(u"Foo"_s);
    h->pick(u"cmdGroupFile"_s, u"/d/FOO.GRP"_s);
    h->pick(u"cmdGameCon"_s, u"/d/GAME.CON"_s);
    h->pick(u"cmdTextFile"_s, u"/d/readme.txt"_s);
    h->pick(u"cmdOtherFiles"_s, u"/d/E1L1.MAP"_s);
    h->click(u"Save"_s);

    h = open();
    h->start();
    EXPECT_EQ(h->names(), (QStringList{u"FooBar"_s, u"Foo"_s}));
    h->choose(u"Foo"_s);
    EXPECT_EQ(h->text(u"lblTextFile"_s), u"/d/readme.txt");
    h->pick(u"cmdGameCon"_s, u"/e/OTHER.CON"_s);
    h->pick(u"cmdOtherFiles"_s, u"/e/E1L2.MAP"_s);
    h->click(u"Save"_s);

    Keys expected = kFooBarKeys;
    expected.insert(expected.end(),
                    {{u"FooVersionComp"_s, u"1.3D and 1.4/1.5"_s}, {u"FooNAME"_s, u"Foo"_s},
                     {u"FooGroupFile"_s, u"/d/FOO.GRP"_s}, {u"FooGameCon"_s, u"/e/OTHER.CON"_s},
                     {u"FooTextFile"_s, u"/d/readme.txt"_s}, {u"FooOtherFile1"_s, u"/d/E1L1.MAP"_s},
                     {u"FooOtherFile2"_s, u"/e/E1L2.MAP"_s}});
    h = open();
    h->start();
    EXPECT_EQ(definedKeys(*h->fakes.store), expected);
    h->choose(u"Foo"_s);
    h->click(u"Delete"_s); // answered No: nothing changes
    ASSERT_EQ(h->fakes.messages->messages.size(), 1u);
    const auto &question = h->fakes.messages->messages.front();
    EXPECT_EQ(question.kind, RecordingMessageBoxes::Message::Kind::Question);
    EXPECT_EQ(question.title + u'|' + question.text, u"Quillon|Are you sure you want to remove this Definition?");
    EXPECT_EQ(h->text(u"txtTCName"_s), u"Foo");
    EXPECT_EQ(definedKeys(*h->fakes.store), expected);
    // Yes removes Foo's keys and its name, but none of FooBar's.
    h->fakes.messages->answers.push_back(true);
    h->click(u"Delete"_s);
    EXPECT_EQ(h->names(), QStringList{u"FooBar"_s});
    EXPECT_TRUE(h->text(u"txtTCName"_s).isEmpty());
    h.reset();
    EXPECT_EQ(definedKeys(SqliteSettingsStore(temp.file(u"store/settings.sqlite3"_s))), kFooBarKeys);
}

} // namespace
