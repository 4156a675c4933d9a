// Which stored keys belong to a definition, and when two names are the same name.

#include "store/definitionindex.h"
#include "store/definitionkeys.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace ostrel;
using namespace Qt::StringLiterals;

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

// Keys and names made of pieces where case folding is tricky: a name must find every key
// classifyKey gives it, whatever the letters' case, the suffixes' case or the characters.
TEST(DefinitionKeys, TheIndexOffersEveryKeyOfEveryName)
{
    const QStringList pieces{u"a"_s, u"A"_s, u"k"_s, u"K"_s, QString(QChar(0x212A)) /* KELVIN SIGN */, u"ß"_s, u"ſ"_s,
        u"s"_s, u"Σ"_s, u"σ"_s, u"ς"_s, u"é"_s, u"É"_s, QStringLiteral("\U00010400"), QStringLiteral("\U00010428"),
        QString(QChar(0xD800)), QString(QChar(0xDC00)), u"0"_s, u"1"_s, u"7"_s, u" "_s, u"Name"_s, u"NAME"_s,
        u"OtherFile"_s, u"otherfile"_s, u"OTHERFILE"_s, u"GroupFile"_s, u"versioncomp"_s, u"GameCon"_s, u"TextFile"_s};
    QRandomGenerator random(20261206);
    auto text = [&](int most) {
        QString made;
        for (int n = random.bounded(most + 1); n > 0; --n)
            made += pieces[random.bounded(int(pieces.size()))];
        return made;
    };
    int keysFound = 0;
    for (int round = 0; round < 300; ++round) {
        SettingRows rows;
        QStringList names;
        const QStringList suffixes{u"VersionComp"_s, u"NAME"_s, u"GroupFile"_s, u"GameCon"_s, u"TextFile"_s,
            u"OtherFile1"_s, u"OtherFile10"_s, u"OtherFileX"_s, u"OtherFile"_s + pieces[13]};
        for (int n = 0; n < 40; ++n) {
            const QString name = text(3);
            // The name as the player typed it again, in other letters' case.
            names << name << name.toUpper() << name.toLower();
            QString suffix = suffixes[random.bounded(int(suffixes.size()))];
            if (random.bounded(2))
                suffix = suffix.toLower();
            rows.append({name + (random.bounded(3) ? suffix : text(2)), QString()});
        }
        const DefinitionIndex index(rows);
        for (const QString &name : names) {
            const std::span<const qsizetype> offered = index.candidates(name);
            EXPECT_TRUE(std::is_sorted(offered.begin(), offered.end()));
            for (qsizetype at = 0; at < rows.size(); ++at) {
                if (classifyKey(rows[at].key, name) != KeyField::None) {
                    ++keysFound;
                    EXPECT_NE(std::find(offered.begin(), offered.end(), at), offered.end())
                        << rows[at].key.toStdString() << " of " << name.toStdString();
                }
            }
        }
    }
    EXPECT_GT(keysFound, 20000); // the keys were mostly well formed
}

} // namespace
