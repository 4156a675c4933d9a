// Which stored keys belong to a definition, and when two names are the same name.

#include "store/definitionkeys.h"

#include <gtest/gtest.h>

using namespace ostrel;

namespace {

TEST(DefinitionKeys, ClassifyRecognisesOnlyTheDefinitionsOwnKeys)
{
    const struct {
        const char16_t *key, *name;
        KeyField expected;
    } cases[] = {
        // Foo and FooBar: a longer name that starts alike is never mistaken for Foo.
        {u"FooVersionComp", u"Foo", KeyField::VersionComp},
        {u"FooNAME", u"Foo", KeyField::Name},
        {u"FooGroupFile", u"Foo", KeyField::GroupFile},
        {u"FooGameCon", u"Foo", KeyField::GameCon},
        {u"FooTextFile", u"Foo", KeyField::TextFile},
        {u"FooOtherFile1", u"Foo", KeyField::OtherFile},
        {u"FooBarVersionComp", u"Foo", KeyField::None},
        {u"FooBarNAME", u"Foo", KeyField::None},
        {u"FooBarOtherFile1", u"Foo", KeyField::None},
        {u"FooBarGroupFile", u"FooBar", KeyField::GroupFile},
        {u"FooVersionComp", u"FooBar", KeyField::None},
        // Letter case of name and suffix does not matter.
        {u"fooversioncomp", u"Foo", KeyField::VersionComp},
        {u"FOOname", u"foo", KeyField::Name},
        {u"fOoOTHERFILE3", u"Foo", KeyField::OtherFile},
        {u"ÉtéGroupFile", u"été", KeyField::GroupFile},
        // Exact lengths; other-file numbers of any length but without a leading zero, or
        // exactly one character of any kind.
        {u"FooOtherFile12", u"Foo", KeyField::OtherFile},
        {u"FooOtherFile120", u"Foo", KeyField::OtherFile},
        {u"FooOtherFile01", u"Foo", KeyField::None},
        {u"FooOtherFile0", u"Foo", KeyField::OtherFile},
        {u"FooOtherFileX", u"Foo", KeyField::OtherFile},
        {u"FooOtherFile ", u"Foo", KeyField::OtherFile},
        {u"FooOtherFile\U0001F600", u"Foo", KeyField::OtherFile},
        {u"FooOtherFileXY", u"Foo", KeyField::None},
        {u"FooOtherFile", u"Foo", KeyField::None},
        {u"FooOtherFile1x", u"Foo", KeyField::None},
        {u"FooOtherFile-1", u"Foo", KeyField::None},
        {u"FooVersionCompX", u"Foo", KeyField::None},
        {u"FoVersionComp", u"Foo", KeyField::None},
        {u"Foo", u"Foo", KeyField::None},
        {u"FooOtherFile1NAME", u"Foo", KeyField::None},
        {u"FooOtherFile1NAME", u"FooOtherFile1", KeyField::Name},
        // Keys of no definition.
        {u"FooColour", u"Foo", KeyField::None},
        {u"NAME", u"", KeyField::Name},
        {u"FooNAME", u"", KeyField::None},
        {u"", u"Foo", KeyField::None},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(classifyKey(QStringView(c.key), QStringView(c.name)), c.expected)
            << QString::fromUtf16(c.key).toStdString() << " of " << QString::fromUtf16(c.name).toStdString();
    }
}

TEST(DefinitionKeys, NameListKeyEndsInUpperCaseName)
{
    for (const char16_t *key : {u"FooNAME", u"NAME", u"WhateverNAME"})
        EXPECT_TRUE(isNameListKey(QStringView(key))) << QString::fromUtf16(key).toStdString();
    for (const char16_t *key : {u"Fooname", u"FooName", u"FooNAMEx"})
        EXPECT_FALSE(isNameListKey(QStringView(key))) << QString::fromUtf16(key).toStdString();
}

// The quick comparison of ASCII names must agree with upper-casing and case folding.
TEST(DefinitionKeys, SameDefinitionNameUpperCasesOrFolds)
{
    const struct {
        const char16_t *a, *b;
        bool same;
    } cases[] = {
        {u"Duke It Out", u"DUKE it out", true},
        {u"Foo", u"Foo ", false},
        {u"Foo", u"Fo", false},
        {u"Foo1", u"Foo2", false},
        {u"@[`{", u"@[`{", true},
        {u"@", u"`", false},
        {u"", u"", true},
        // Non-ASCII characters that become ASCII or change length.
        {u"Straße", u"STRASSE", true},
        {u"ı", u"I", true},
        {u"ſun", u"SUN", true},
        {u"k", u"K", true},
        {u"Ångstr", u"Ångstr", true},
        {u"été", u"ÉTÉ", true},
        {u"été", u"ete", false},
    };
    for (const auto &c : cases) {
        const QString a = QString::fromUtf16(c.a), b = QString::fromUtf16(c.b);
        EXPECT_EQ(SameDefinitionName(a)(b), c.same) << a.toStdString() << " / " << b.toStdString();
        EXPECT_EQ(SameDefinitionName(b)(a), c.same) << b.toStdString() << " / " << a.toStdString();
    }
}

} // namespace
