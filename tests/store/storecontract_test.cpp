// The behaviour every settings store shares, run on the in-memory and the file store.

#include "platform/memorysettingsstore.h"
#include "platform/sqlitesettingsstore.h"
#include "tests/support/tempstore.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace ostrel {
namespace {

struct InMemory {
    static std::unique_ptr<SettingsStore> make() { return std::make_unique<MemorySettingsStore>(); }
};
struct InFile {
    // The default path lies inside the test's temporary folder (TempFolder moves
    // XDG_CONFIG_HOME there), in a folder that does not exist yet.
    static std::unique_ptr<SettingsStore> make()
    {
        return std::make_unique<SqliteSettingsStore>(SqliteSettingsStore::defaultPath());
    }
};

template<typename Kind>
class StoreContract : public ::testing::Test
{
protected:
    SettingRows all(const QString &section = u"DefinedTCs"_s) const
    {
        return store->GetAllSettings(u"Vantrel"_s, section).value_or(SettingRows{});
    }
    void save(const QString &key, const QString &value)
    {
        store->SaveSetting(u"Vantrel"_s, u"DefinedTCs"_s, key, value);
    }

    test::TempFolder folder;
    std::unique_ptr<SettingsStore> store = Kind::make();
};

using StoreKinds = ::testing::Types<InMemory, InFile>;
TYPED_TEST_SUITE(StoreContract, StoreKinds);

TYPED_TEST(StoreContract, KeysKeepThePlaceAndNameOfTheirFirstCreation)
{
    this->save(u"FooVersionComp"_s, u"1.3D"_s);
    this->save(u"FooNAME"_s, u"Foo"_s);
    this->save(u"FooGroupFile"_s, u"/g/foo.grp"_s);
    this->store->SaveSetting(u"VANTREL"_s, u"definedtcs"_s, u"FOOVERSIONCOMP"_s,
                             u"1.4/1.5 Atomic"_s);
    this->store->DeleteSetting(u"Vantrel"_s, u"DefinedTCs"_s, u"fooname"_s);
    this->save(u"FooName"_s, u"Foo"_s); // created again: now the last key

    const SettingRows expected{{u"FooVersionComp"_s, u"1.4/1.5 Atomic"_s},
                               {u"FooGroupFile"_s, u"/g/foo.grp"_s},
                               {u"FooName"_s, u"Foo"_s}};
    EXPECT_EQ(this->all(), expected);
}

TYPED_TEST(StoreContract, NamesMatchWithoutLetterCaseBeyondAscii)
{
    this->store->SaveSetting(u"Vantrel"_s, u"Définis"_s, u"ÄrgerΟΔΟΣ"_s, u"v"_s);

    EXPECT_EQ(this->store->GetSetting(u"VANTREL"_s, u"DÉFINIS"_s, u"äRGERοδος"_s, u"d"_s), u"v"_s);
    EXPECT_TRUE(this->store->GetAllSettings(u"vantrel"_s, u"dÉfinis"_s).has_value());
    EXPECT_FALSE(this->store->GetAllSettings(u"Other"_s, u"Définis"_s).has_value());
    EXPECT_FALSE(this->store->GetAllSettings(u"Vantrel"_s, u"Definis"_s).has_value());
}

TYPED_TEST(StoreContract, KeysAndValuesAreStoredExactly)
{
    const QString awkward[] = {u"it's \"quoted\""_s, u"100%"_s, u"a_c"_s,
                               u"x'); DROP TABLE settings; --"_s, u"Space Key \U0001F600"_s};
    for (const QString &key : awkward)
        this->save(key, key + u" value"_s);
    this->save(u"empty"_s, QString());

    SettingRows expected;
    for (const QString &key : awkward)
        expected.push_back({key, key + u" value"_s});
    expected.push_back({u"empty"_s, QString()});
    EXPECT_EQ(this->all(), expected);
    // No pattern matching: wildcards in a name match only themselves.
    EXPECT_EQ(this->store->GetSetting(u"Vantrel"_s, u"DefinedTCs"_s, u"abc"_s, u"d"_s), u"d"_s);
    EXPECT_EQ(this->store->GetSetting(u"Vantrel"_s, u"DefinedTCs"_s, u"1%"_s, u"d"_s), u"d"_s);
    EXPECT_EQ(this->store->GetSetting(u"Vantrel"_s, u"DefinedTCs"_s, u"empty"_s, u"d"_s),
              QString());
}

TYPED_TEST(StoreContract, SectionWithoutKeysReadsAsNothing)
{
    EXPECT_FALSE(this->store->GetAllSettings(u"Vantrel"_s, u"DefinedTCs"_s).has_value());
    this->store->DeleteSetting(u"Vantrel"_s, u"DefinedTCs"_s, u"missing"_s);

    this->save(u"only"_s, u"1"_s);
    this->store->SaveSetting(u"Vantrel"_s, u"TCSettings"_s, u"Directory Cleanup"_s, u"None"_s);
    this->store->DeleteSetting(u"Vantrel"_s, u"DefinedTCs"_s, u"ONLY"_s);

    EXPECT_FALSE(this->store->GetAllSettings(u"Vantrel"_s, u"DefinedTCs"_s).has_value());
    EXPECT_EQ(this->store->GetSetting(u"Vantrel"_s, u"DefinedTCs"_s, u"only"_s, u"gone"_s),
              u"gone"_s);
    EXPECT_EQ(this->all(u"TCSettings"_s), (SettingRows{{u"Directory Cleanup"_s, u"None"_s}}));
}

TYPED_TEST(StoreContract, TransactionWhoseWorkThrowsLeavesNothingBehind)
{
    this->save(u"kept"_s, u"1"_s);
    this->save(u"doomed"_s, u"2"_s);
    const SettingRows before = this->all();

    EXPECT_THROW(this->store->Transact([this] {
        this->save(u"kept"_s, u"changed"_s);
        this->store->DeleteSetting(u"Vantrel"_s, u"DefinedTCs"_s, u"doomed"_s);
        this->store->Transact([this] { this->save(u"inner"_s, u"3"_s); });
        // The transaction's reads see its own writes.
        EXPECT_EQ(this->all(), (SettingRows{{u"kept"_s, u"changed"_s}, {u"inner"_s, u"3"_s}}));
        throw std::logic_error("work failed");
    }),
                 std::logic_error);

    EXPECT_EQ(this->all(), before);
    this->store->Transact([this] { this->save(u"after"_s, u"4"_s); });
    EXPECT_EQ(this->all().size(), 3u);
}

} // namespace
} // namespace ostrel
