// A store that refuses writes: nothing half-written, the editor as before, one warning.

#include "../support/controlharness.h"

#include <QRadioButton>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace ostrel;
using namespace ostrel::test;

namespace {

/// A memory store whose n-th write (counted from 1) and every later one fail, as a full
/// disk would.
class RefusingStore : public MemorySettingsStore
{
public:
    int failFromWrite = 0; // 0: never
    int writes = 0;

    void SaveSetting(const QString &a, const QString &s, const QString &k, const QString &v) override
    {
        refuse();
        MemorySettingsStore::SaveSetting(a, s, k, v);
    }
    void DeleteSetting(const QString &a, const QString &s, const QString &k) override
    {
        refuse();
        MemorySettingsStore::DeleteSetting(a, s, k);
    }

private:
    void refuse()
    {
        if (failFromWrite > 0 && ++writes >= failFromWrite)
            throw StoreError(u"The settings store \"test\" could not be written: the disk is full."_s);
    }
};

class StoreFailure : public ::testing::Test
{
protected:
    void SetUp() override
    {
        storeDefinition(*store, {u"Foo"_s, u"1.3D"_s, u"/g/FOO.GRP"_s, {}, {}, {u"/g/1"_s, u"/g/2"_s}});
        h.start();
    }

    // Runs act against a store that fails from its failAt-th write on: the store and the
    // editor stay as they were, and one warning says what failed and why.
    void expectRefused(int failAt, const std::function<void()> &act, const QString &what)
    {
        const auto keys = definedKeys(*store);
        const QString state = h.editorState();
        h.fakes.messages->messages.clear();
        store->writes = 0;
        store->failFromWrite = failAt;
        act();
        store->failFromWrite = 0;
        EXPECT_EQ(definedKeys(*store), keys) << failAt;
        EXPECT_EQ(h.editorState(), state) << failAt;
        const QStringList warnings = h.fakes.messages->log().filter(u"Quillon! "_s);
        EXPECT_TRUE(warnings.size() == 1 && warnings[0].contains(what) && warnings[0].contains(u"the disk is full"_s))
            << failAt << ": " << warnings.join(u'/').toStdString();
    }

    std::shared_ptr<RefusingStore> store = std::make_shared<RefusingStore>();
    ControlHarness h{store};
};

TEST_F(StoreFailure, RefusedSavesChangeNothingUntilTheStoreRecovers)
{
    h.choose(u"Foo"_s);
    h.chooseVersion(1);
    h.pick(u"cmdOtherFiles"_s, u"/g/3"_s);
    QSignalSpy spy(h.control.get(), &ucTC::LoadTCNames);
    // Fail at once, after the version, and after the removal of the old other files.
    for (int failAt : {1, 4, 7})
        expectRefused(
            failAt, [&] { h.click(u"Save"_s); }, u"\"Foo\" could not be saved"_s);
    EXPECT_EQ(spy.count(), 3);

    h.choose(u"Foo"_s);
    h.enterNew(u"Bar"_s, 0, {u"/g/BAR.GRP"_s});
    expectRefused(
        3, [&] { h.click(u"Save"_s); }, u"\"Bar\" could not be saved"_s);
    // Once the store takes writes again, the same Save goes through.
    h.fakes.messages->messages.clear();
    h.click(u"Save"_s);
    EXPECT_EQ(h.fakes.messages->log(), QStringList{});
    EXPECT_EQ(h.names(), (QStringList{u"Foo"_s, u"Bar"_s}));
}

TEST_F(StoreFailure, RefusedDeleteAndCleanupChoiceChangeNothing)
{
    h.choose(u"Foo"_s);
    h.fakes.messages->answers.push_back(true);
    expectRefused(
        2, [&] { h.click(u"Delete"_s); }, u"\"Foo\" could not be removed"_s);

    h.clickTab(2);
    expectRefused(
        1, [&] { h.clickButton(u"optDelete"_s); }, u"clean-up preference could not be saved"_s);
    EXPECT_TRUE(h.find<QRadioButton>(u"optRename"_s)->isChecked());
    EXPECT_FALSE(h.find<QRadioButton>(u"optDelete"_s)->isChecked());
    EXPECT_EQ(storedCleanup(*store), u"Rename");
}

TEST(StoreFailureAtStartUp, IsIgnored)
{
    auto store = std::make_shared<RefusingStore>();
    store->failFromWrite = 1;
    ControlHarness h(store);
    h.start();
    EXPECT_EQ(h.fakes.messages->log(), QStringList{});
    EXPECT_EQ(h.find<QComboBox>(u"cboVersComp"_s)->count(), 3);
    // The option is chosen though writing it back was refused; the store was left alone.
    EXPECT_TRUE(h.find<QRadioButton>(u"optRename"_s)->isChecked());
    EXPECT_EQ(storedCleanup(*store), u"<missing>");
}

} // namespace
