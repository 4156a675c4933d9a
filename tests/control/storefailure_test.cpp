// A store that refuses writes: nothing half-written, the editor as before, one warning.

#include "controlharness.h"

#include <QRadioButton>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
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

    void expectOneWarningNaming(const QString &what) const
    {
        ASSERT_EQ(h.fakes.messages->messages.size(), 1u);
        const auto &m = h.fakes.messages->messages.front();
        EXPECT_EQ(m.kind, RecordingMessageBoxes::Message::Kind::Exclamation);
        EXPECT_EQ(m.title, u"Quillon");
        EXPECT_TRUE(m.text.contains(what)) << m.text.toStdString();
        EXPECT_TRUE(m.text.contains(u"the disk is full"_s)) << m.text.toStdString();
    }

    std::shared_ptr<RefusingStore> store = std::make_shared<RefusingStore>();
    ControlHarness h{store};
};

TEST_F(StoreFailure, RefusedSaveOfAStoredDefinitionChangesNothing)
{
    h.choose(u"Foo"_s);
    h.find<QComboBox>(u"cboVersComp"_s)->setCurrentIndex(1);
    h.fakes.dialogs->answer(u"/g/3"_s);
    h.clickButton(u"cmdOtherFiles"_s);
    const auto keys = definedKeys(*store);
    const QString state = h.editorState();
    QSignalSpy spy(h.control.get(), &ucTC::LoadTCNames);

    // Fail part-way through: after the version and the removal of the old other files.
    for (int failAt : {1, 4, 7}) {
        h.fakes.messages->messages.clear();
        store->writes = 0;
        store->failFromWrite = failAt;
        h.click(u"Save"_s);
        EXPECT_EQ(definedKeys(*store), keys) << failAt;
        EXPECT_EQ(h.editorState(), state) << failAt;
        expectOneWarningNaming(u"\"Foo\" could not be saved"_s);
    }
    EXPECT_EQ(spy.count(), 3);
}

TEST_F(StoreFailure, RefusedSaveOfANewDefinitionKeepsItInEntry)
{
    h.click(u"New"_s);
    h.find<QLineEdit>(u"txtTCName"_s)->setText(u"Bar"_s);
    h.find<QComboBox>(u"cboVersComp"_s)->setCurrentIndex(0);
    h.fakes.dialogs->answer(u"/g/BAR.GRP"_s);
    h.clickButton(u"cmdGroupFile"_s);
    const auto keys = definedKeys(*store);
    const QString state = h.editorState();
    store->failFromWrite = 3;
    h.click(u"Save"_s);
    EXPECT_EQ(definedKeys(*store), keys);
    EXPECT_EQ(h.editorState(), state);
    EXPECT_EQ(h.names(), QStringList{u"Foo"_s});
    expectOneWarningNaming(u"\"Bar\" could not be saved"_s);

    // Once the store takes writes again, the same Save goes through.
    store->failFromWrite = 0;
    h.fakes.messages->messages.clear();
    h.click(u"Save"_s);
    EXPECT_TRUE(h.fakes.messages->messages.empty());
    EXPECT_EQ(h.names(), (QStringList{u"Foo"_s, u"Bar"_s}));
}

TEST_F(StoreFailure, RefusedDeleteRemovesNothing)
{
    h.choose(u"Foo"_s);
    const auto keys = definedKeys(*store);
    const QString state = h.editorState();
    store->failFromWrite = 2;
    h.fakes.messages->answers.push_back(true);
    h.click(u"Delete"_s);
    EXPECT_EQ(definedKeys(*store), keys);
    EXPECT_EQ(h.editorState(), state);
    ASSERT_EQ(h.fakes.messages->messages.size(), 2u); // the question, then the warning
    EXPECT_TRUE(h.fakes.messages->messages.back().text.contains(u"\"Foo\" could not be removed"_s));
}

TEST_F(StoreFailure, RefusedCleanupChoiceShowsWhatTheStoreHolds)
{
    ASSERT_TRUE(h.find<QRadioButton>(u"optRename"_s)->isChecked());
    store->failFromWrite = 1;
    h.clickButton(u"optDelete"_s);
    EXPECT_TRUE(h.find<QRadioButton>(u"optRename"_s)->isChecked());
    EXPECT_FALSE(h.find<QRadioButton>(u"optDelete"_s)->isChecked());
    EXPECT_EQ(store->GetSetting(u"Vantrel"_s, u"TCSettings"_s, u"Directory Cleanup"_s, {}), u"Rename");
    expectOneWarningNaming(u"clean-up preference could not be saved"_s);
}

TEST(StoreFailureAtStartUp, IsIgnored)
{
    auto store = std::make_shared<RefusingStore>();
    store->failFromWrite = 1;
    ControlHarness h(store);
    h.start();
    EXPECT_TRUE(h.fakes.messages->messages.empty());
    EXPECT_EQ(h.find<QComboBox>(u"cboVersComp"_s)->count(), 3);
}

} // namespace
