// The behaviour every settings store shares, run on the in-memory and the file store.

#include "store/memorysettingsstore.h"
#include "store/sqlitesettingsstore.h"
#include "tests/support/sandbox.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <type_traits>

using namespace Qt::StringLiterals;

namespace ostrel {
namespace {

template<typename Store>
class StoreContract : public ::testing::Test
{
protected:
    static std::unique_ptr<SettingsStore> make()
    {
        if constexpr (std::is_same_v<Store, SqliteSettingsStore>) // a fresh file in the folder below
            return std::make_unique<Store>(SqliteSettingsStore::defaultPath());
        else
            return std::make_unique<Store>();
    }
    SettingRows all(const QString &section = u"DefinedTCs"_s) const
    {
        return store->GetAllSettings(u"Vantrel"_s, section).value_or(SettingRows{});
    }
    QString get(const QString &key) const { return store->GetSetting(u"Vantrel"_s, u"DefinedTCs"_s, key, u"d"_s); }
    void save(const QString &key, const QString &value)
    {
        store->SaveSetting(u"Vantrel"_s, u"DefinedTCs"_s, key, value);
    }
    void remove(const QString &key) { store->DeleteSetting(u"Vantrel"_s, u"DefinedTCs"_s, key); }

    test::Sandbox folder; // points HOME and the XDG folders into itself
    std::unique_ptr<SettingsStore> store = make();
};

using StoreKinds = ::testing::Types<MemorySettingsStore, SqliteSettingsStore>;
TYPED_TEST_SUITE(StoreContract, StoreKinds);

TYPED_TEST(StoreContract, KeysKeepThePlaceAndNameOfTheirFirstCreation)
{
    this->save(u"FooVersionComp"_s, u"1.3D"_s);
    this->save(u"FooNAME"_s, u"Foo"_s);
    this->save(u"FooGroupFile"_s, u"/g/foo.grp"_s);
    this->store->SaveSetting(u"VANTREL"_s, u"definedtcs"_s, u"FOOVERSIONCOMP"_s, u"1.4/1.5 Atomic"_s);
    this->remove(u"fooname"_s);
    this->save(u"FooName"_s, u"Foo"_s); // created again: now the last key

    EXPECT_EQ(this->all(),
        (SettingRows{{u"FooVersionComp"_s, u"1.4/1.5 Atomic"_s}, {u"FooGroupFile"_s, u"/g/foo.grp"_s},
            {u"FooName"_s, u"Foo"_s}}));
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
    const QString awkward[] = {
        u"it's \"quoted\""_s, u"100%"_s, u"a_c"_s, u"x'); DROP TABLE settings; --"_s, u"Space Key \U0001F600"_s};
    SettingRows expected;
    for (const QString &key : awkward) {
        this->save(key, key + u" value"_s);
        expected.push_back({key, key + u" value"_s});
    }
    this->save(u"empty"_s, QString());
    expected.push_back({u"empty"_s, QString()});

    EXPECT_EQ(this->all(), expected);
    EXPECT_EQ(this->get(u"abc"_s), u"d"_s); // no pattern matching: "_" and "%" match only themselves
    EXPECT_EQ(this->get(u"1%"_s), u"d"_s);
    EXPECT_EQ(this->get(u"empty"_s), QString());
}

TYPED_TEST(StoreContract, SectionWithoutKeysReadsAsNothing)
{
    this->save(u"only"_s, u"1"_s);
    this->store->SaveSetting(u"Vantrel"_s, u"TCSettings"_s, u"Directory Cleanup"_s, u"None"_s);
    this->remove(u"ONLY"_s);

    EXPECT_FALSE(this->store->GetAllSettings(u"Vantrel"_s, u"DefinedTCs"_s).has_value());
    EXPECT_EQ(this->get(u"only"_s), u"d"_s);
    EXPECT_EQ(this->all(u"TCSettings"_s), (SettingRows{{u"Directory Cleanup"_s, u"None"_s}}));
}

TYPED_TEST(StoreContract, TransactionWhoseWorkThrowsLeavesNothingBehind)
{
    this->save(u"kept"_s, u"1"_s);
    this->save(u"doomed"_s, u"2"_s);
    const SettingRows before = this->all();

    EXPECT_THROW(this->store->Transact([this] {
        this->save(u"kept"_s, u"changed"_s);
        this->remove(u"doomed"_s);
        this->store->Transact([this] { this->save(u"inner"_s, u"3"_s); }); // joins the outer one
        EXPECT_EQ(this->all(), (SettingRows{{u"kept"_s, u"changed"_s}, {u"inner"_s, u"3"_s}}));
        throw std::logic_error("work failed");
    }),
        std::logic_error);

    EXPECT_EQ(this->all(), before);
    this->store->Transact([this] { this->save(u"after"_s, u"4"_s); });
    EXPECT_EQ(this->get(u"after"_s), u"4"_s);
}

} // namespace
} // namespace ostrel
