#include "store/definitionkeys.h"

#include <gtest/gtest.h>

using namespace ostrel;

namespace {

struct KeyCase {
    const char16_t *key;
    const char16_t *name;
    KeyField expected;
};

void PrintTo(const KeyCase &c, std::ostream *os)
{
    *os << QString::fromUtf16(c.key).toStdString() << " of " << QString::fromUtf16(c.name).toStdString();
}

class ClassifyKey : public ::testing::TestWithParam<KeyCase>
{
};

TEST_P(ClassifyKey, RecognisesOnlyTheDefinitionsOwnKeys)
{
    const KeyCase &c = GetParam();
    EXPECT_EQ(classifyKey(QStringView(c.key), QStringView(c.name)), c.expected)
        << QString::fromUtf16(c.key).toStdString() << " against " << QString::fromUtf16(c.name).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    FooAndFooBar, ClassifyKey,
    ::testing::Values(
        KeyCase{u"FooVersionComp", u"Foo", KeyField::VersionComp},
        KeyCase{u"FooNAME", u"Foo", KeyField::Name},
        KeyCase{u"FooGroupFile", u"Foo", KeyField::GroupFile},
        KeyCase{u"FooGameCon", u"Foo", KeyField::GameCon},
        KeyCase{u"FooTextFile", u"Foo", KeyField::TextFile},
        KeyCase{u"FooOtherFile1", u"Foo", KeyField::OtherFile},
        // A longer name that starts alike is never mistaken for Foo.
        KeyCase{u"FooBarVersionComp", u"Foo", KeyField::None},
        KeyCase{u"FooBarNAME", u"Foo", KeyField::None},
        KeyCase{u"FooBarOtherFile1", u"Foo", KeyField::None},
        KeyCase{u"FooBarGroupFile", u"FooBar", KeyField::GroupFile},
        KeyCase{u"FooVersionComp", u"FooBar", KeyField::None}));

INSTANTIATE_TEST_SUITE_P(
    LetterCase, ClassifyKey,
    ::testing::Values(KeyCase{u"fooversioncomp", u"Foo", KeyField::VersionComp},
                      KeyCase{u"FOOname", u"foo", KeyField::Name},
                      KeyCase{u"fOoOTHERFILE3", u"Foo", KeyField::OtherFile},
                      KeyCase{u"ÉtéGroupFile", u"été", KeyField::GroupFile}));

INSTANTIATE_TEST_SUITE_P(
    ExactLengthsAndNumbers, ClassifyKey,
    ::testing::Values(KeyCase{u"FooOtherFile12", u"Foo", KeyField::OtherFile},
                      KeyCase{u"FooOtherFile120", u"Foo", KeyField::OtherFile},
                      KeyCase{u"FooOtherFile01", u"Foo", KeyField::None},
                      KeyCase{u"FooOtherFile0", u"Foo", KeyField::None},
                      KeyCase{u"FooOtherFile", u"Foo", KeyField::None},
                      KeyCase{u"FooOtherFile1x", u"Foo", KeyField::None},
                      KeyCase{u"FooOtherFile-1", u"Foo", KeyField::None},
                      KeyCase{u"FooVersionCompX", u"Foo", KeyField::None},
                      KeyCase{u"FoVersionComp", u"Foo", KeyField::None},
                      KeyCase{u"Foo", u"Foo", KeyField::None},
                      // A definition whose name ends like a suffix keeps its own keys.
                      KeyCase{u"FooOtherFile1NAME", u"Foo", KeyField::None},
                      KeyCase{u"FooOtherFile1NAME", u"FooOtherFile1", KeyField::Name}));

INSTANTIATE_TEST_SUITE_P(
    KeysOfNoDefinition, ClassifyKey,
    ::testing::Values(KeyCase{u"FooColour", u"Foo", KeyField::None},
                      KeyCase{u"NAME", u"", KeyField::Name},
                      KeyCase{u"FooNAME", u"", KeyField::None},
                      KeyCase{u"", u"Foo", KeyField::None}));

TEST(DefinitionKey, WritesSuffixesInTheCaseTheHostReads)
{
    const QString name = QStringLiteral("Foo");
    EXPECT_EQ(definitionKey(name, KeyField::VersionComp), u"FooVersionComp");
    EXPECT_EQ(definitionKey(name, KeyField::Name), u"FooNAME");
    EXPECT_EQ(definitionKey(name, KeyField::OtherFile, 12), u"FooOtherFile12");
    // Every written key is recognised again as the same field.
    for (KeyField field : {KeyField::VersionComp, KeyField::Name, KeyField::GroupFile, KeyField::GameCon,
                           KeyField::TextFile, KeyField::OtherFile})
        EXPECT_EQ(classifyKey(definitionKey(name, field, 7), name), field);
}

TEST(NameListKey, IsCaseSensitiveAndLooksOnlyAtTheEnd)
{
    EXPECT_TRUE(isNameListKey(u"FooNAME"));
    EXPECT_TRUE(isNameListKey(u"NAME"));
    EXPECT_TRUE(isNameListKey(u"WhateverNAME"));
    EXPECT_FALSE(isNameListKey(u"Fooname"));
    EXPECT_FALSE(isNameListKey(u"FooName"));
    EXPECT_FALSE(isNameListKey(u"FooNAMEx"));
}

} // namespace
