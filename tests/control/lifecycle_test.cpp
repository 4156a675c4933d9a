// The life of a TC definition: start-up, loading, saving, deleting, the clean-up choice.

#include "../support/controlharness.h"

#include <QApplication>
#include <QRadioButton>
#include <QTest>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace ostrel;
using namespace ostrel::test;

namespace {

const TcDefinition kFooBar{u"FooBar"_s, u"1.3D"_s, u"/games/fb/FB.GRP"_s, {}, {}, {u"/games/fb/X.MAP"_s}};
const Keys kFooBarKeys{{u"FooBarVersionComp"_s, u"1.3D"_s}, {u"FooBarNAME"_s, u"FooBar"_s},
    {u"FooBarGroupFile"_s, u"/games/fb/FB.GRP"_s}, {u"FooBarGameCon"_s, u""_s}, {u"FooBarTextFile"_s, u""_s},
    {u"FooBarOtherFile1"_s, u"/games/fb/X.MAP"_s}};

class Lifecycle : public ::testing::Test
{
protected:
    void save(const QString &key, const QString &value)
    {
        store.SaveSetting(u"Vantrel"_s, u"DefinedTCs"_s, key, value);
    }
    QStringList shown() const
    {
        return QStringList{h.text(u"cboVersComp"_s), h.text(u"txtTCName"_s), h.text(u"lblGroupFile"_s),
                   h.text(u"lblGameCon"_s), h.text(u"lblTextFile"_s)}
        + h.otherFiles();
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
    save(u"FooOtherFileX"_s, u"lettered"_s);
    save(u"footextfile"_s, u"/x/README.TXT"_s);
    save(u"StrayNAME"_s, u"Stray"_s);
    h.start();
    // Names come from the values of keys ending in upper-case NAME, in store order.
    EXPECT_EQ(h.names(), (QStringList{u"FooBar"_s, u"Foo"_s, u"Stray"_s}));

    h.choose(u"Foo"_s);
    EXPECT_EQ(h.find<QComboBox>(u"cboVersComp"_s)->currentIndex(), 2);
    // Other files come in store order, not by number.
    EXPECT_EQ(shown(),
        (QStringList{u"1.3D and 1.4/1.5"_s, u"Foo"_s, u"/x/Y.GRP"_s, u"/x/GAME.CON"_s, u"/x/README.TXT"_s, u"second"_s,
            u"first"_s, u"lettered"_s}));
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
    h.enterNew(u"Foo"_s, 0, {u"/g/FOO.GRP"_s, {}, {}, u"/g/1"_s, u"/g/2"_s});
    h.click(u"Save"_s);
    EXPECT_EQ(h.fakes.messages->log(), QStringList{});
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
        h.enterNew(c.name, c.version, {c.group});
        const QString state = h.editorState();
        h.click(u"Save"_s);
        EXPECT_EQ(h.fakes.messages->log(), QStringList{u"Quillon! "_s + c.message});
        EXPECT_EQ(definedKeys(store), keys);
        EXPECT_EQ(h.editorState(), state);
        h.click(u"CancelNew"_s);
    }

    // From the clean-up page, where the editor's page is disabled, a new definition is still
    // new: checked, given its name key and listed.
    h.enterNew(u"FOO"_s, 1, {u"/g/other.grp"_s});
    h.clickTab(2);
    h.fakes.messages->messages.clear();
    QWidget *focus = QApplication::focusWidget();
    QTest::keySequence(focus ? focus : h.control.get(), QKeySequence::Save);
    EXPECT_EQ(
        h.fakes.messages->log(), QStringList{u"Quillon! TC and Custom Group names must be unique. Save aborted."_s});
    EXPECT_EQ(definedKeys(store), keys);
    h.clickTab(1);
    h.click(u"CancelNew"_s);
    h.enterNew(u"Bar"_s, 1, {u"/g/BAR.GRP"_s});
    h.clickTab(2);
    h.click(u"Save"_s);
    EXPECT_EQ(h.names(), (QStringList{u"Foo"_s, u"Bar"_s}));
    EXPECT_EQ(definedKeys(store)[keys.size() + 1], (std::pair{u"BarNAME"_s, u"Bar"_s}));
}

TEST_F(Lifecycle, ResavingAStoredDefinitionSkipsChecksRenumbersOtherFilesAndKeepsTheNameKey)
{
    storeDefinition(store, {u"Foo"_s, u"odd"_s, u""_s, {}, {}, {u"a"_s, u"b"_s, u"c"_s}});
    storeDefinition(store, kFooBar);
    h.start();
    h.choose(u"Foo"_s);
    h.chooseVersion(0);
    h.removeOtherFile(0);
    h.removeOtherFile(1);
    ASSERT_EQ(h.otherFiles(), QStringList{u"b"_s});
    h.click(u"Save"_s); // no group file: a stored definition is saved without checks
    EXPECT_EQ(h.fakes.messages->log(), QStringList{});
    Keys expected{{u"FooVersionComp"_s, u"1.3D"_s}, {u"FooNAME"_s, u"Foo"_s}, {u"FooGroupFile"_s, u""_s},
        {u"FooGameCon"_s, u""_s}, {u"FooTextFile"_s, u""_s}};
    expected.insert(expected.end(), kFooBarKeys.begin(), kFooBarKeys.end());
    expected.emplace_back(u"FooOtherFile1"_s, u"b"_s);
    EXPECT_EQ(definedKeys(store), expected);
    EXPECT_EQ(h.names(), (QStringList{u"Foo"_s, u"FooBar"_s}));
}

TEST_F(Lifecycle, DeleteAsksFirstThenRemovesOnlyThatDefinitionsKeys)
{
    storeDefinition(store, {u"Foo"_s, u"1.3D"_s, u"/g/F.GRP"_s, {}, {}, {u"/g/1"_s, u"/g/2"_s}});
    storeDefinition(store, kFooBar);
    save(u"FooOtherFile0"_s, u"/g/0"_s); // other files too, numbered by hand
    save(u"FOOOTHERFILEx"_s, u"/g/x"_s);
    save(u"NAME"_s, u""_s); // the name key of a definition with an empty name
    h.start();
    ASSERT_EQ(h.names(), (QStringList{u"Foo"_s, u"FooBar"_s, u""_s}));
    const Keys all = definedKeys(store);
    // With an empty editor, Delete takes the keys of the empty name: bare suffixes only.
    h.fakes.messages->answers.push_back(true);
    h.click(u"Delete"_s);
    EXPECT_EQ(definedKeys(store), Keys(all.begin(), all.end() - 1));
    EXPECT_EQ(h.names(), (QStringList{u"Foo"_s, u"FooBar"_s}));

    h.choose(u"Foo"_s);
    h.click(u"Delete"_s); // answered No: nothing changes
    EXPECT_EQ(h.fakes.messages->log(), QStringList(2, u"Quillon? Are you sure you want to remove this Definition?"_s));
    EXPECT_EQ(h.text(u"txtTCName"_s), u"Foo");
    EXPECT_EQ(definedKeys(store).size(), all.size() - 1);
    // Yes removes Foo's keys and its name, none of FooBar's, and empties the editor.
    h.fakes.messages->answers.push_back(true);
    h.click(u"Delete"_s);
    EXPECT_EQ(definedKeys(store), kFooBarKeys);
    EXPECT_EQ(h.names(), QStringList{u"FooBar"_s});
    EXPECT_TRUE(h.text(u"txtTCName"_s).isEmpty());
}

TEST(Cleanup, StartUpChoosesAndRewritesTheStoredValue)
{
    const struct {
        const char16_t *stored; // nullptr: no key
        const char *chosen;     // objectName of the chosen button, "" for none
        const char16_t *after;
        bool written;
    } cases[] = {{nullptr, "optRename", u"Rename", true}, {u"delete", "optDelete", u"Delete", true},
        {u"NONE", "optNone", u"None", true}, {u"Off", "", u"Off", false}, {u"Rename", "optRename", u"Rename", false}};
    // Counts the writes that reach the store.
    struct CountingStore : MemorySettingsStore {
        int saves = 0;
        void SaveSetting(
            const QString &application, const QString &section, const QString &key, const QString &value) override
        {
            ++saves;
            MemorySettingsStore::SaveSetting(application, section, key, value);
        }
    };
    for (const auto &c : cases) {
        auto store = std::make_shared<CountingStore>();
        ControlHarness h(store);
        if (c.stored)
            store->SaveSetting(u"Vantrel"_s, u"TCSettings"_s, u"Directory Cleanup"_s, QString::fromUtf16(c.stored));
        const int savesBefore = store->saves;
        h.start();
        // A value stored in the option's own spelling is left alone: no needless commit.
        EXPECT_EQ(store->saves > savesBefore, c.written) << c.chosen;
        for (const char *name : {"optDelete", "optRename", "optNone"}) {
            EXPECT_EQ(h.find<QRadioButton>(QString::fromLatin1(name))->isChecked(), qstrcmp(name, c.chosen) == 0)
                << name << " for " << c.chosen;
        }
        EXPECT_EQ(storedCleanup(*h.fakes.store), QString::fromUtf16(c.after));
    }
}

// After start-up exactly one option is chosen and stored, whatever the user does with the
// mouse or the keyboard; each choice is written at once.
TEST(Cleanup, EveryClickAndArrowKeyWritesTheOneChosenOption)
{
    ControlHarness h;
    h.fakes.store->SaveSetting(u"Vantrel"_s, u"TCSettings"_s, u"Directory Cleanup"_s, u"Off"_s);
    h.start();
    QSignalSpy spy(h.control.get(), &ucTC::LoadTCNames);
    h.clickTab(2);
    auto chosen = [&]() -> QString {
        QStringList on;
        for (const char *name : {"optDelete", "optRename", "optNone"}) {
            if (h.find<QRadioButton>(QString::fromLatin1(name))->isChecked())
                on << QString::fromLatin1(name);
        }
        return on.join(u' ') + u" stored "_s + storedCleanup(*h.fakes.store);
    };
    EXPECT_EQ(chosen(), u" stored Off");

    h.clickButton(u"optNone"_s);
    EXPECT_EQ(chosen(), u"optNone stored None");
    h.fakes.store->SaveSetting(u"Vantrel"_s, u"TCSettings"_s, u"Directory Cleanup"_s, u"Off"_s);
    h.clickButton(u"optNone"_s); // the chosen one again: still chosen, and written again
    EXPECT_EQ(chosen(), u"optNone stored None");
    auto *none = h.find<QRadioButton>(u"optNone"_s);
    ASSERT_TRUE(none->hasFocus());
    QTest::keyClick(none, Qt::Key_Space);
    EXPECT_EQ(chosen(), u"optNone stored None");

    // The arrow keys move the choice, as option buttons do.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_EQ(chosen(), u"optRename stored Rename");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_EQ(chosen(), u"optDelete stored Delete");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(chosen(), u"optRename stored Rename");
    EXPECT_EQ(spy.count(), 0);
}

} // namespace
