// Pure rules: which stored keys belong to a definition, and the shell's layout in twips.

#include "control/shelllayout.h"
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
        {u"FooVersionComp", u"Foo", KeyField::VersionComp}, {u"FooNAME", u"Foo", KeyField::Name},
        {u"FooGroupFile", u"Foo", KeyField::GroupFile}, {u"FooGameCon", u"Foo", KeyField::GameCon},
        {u"FooTextFile", u"Foo", KeyField::TextFile}, {u"FooOtherFile1", u"Foo", KeyField::OtherFile},
        {u"FooBarVersionComp", u"Foo", KeyField::None}, {u"FooBarNAME", u"Foo", KeyField::None},
        {u"FooBarOtherFile1", u"Foo", KeyField::None}, {u"FooBarGroupFile", u"FooBar", KeyField::GroupFile},
        {u"FooVersionComp", u"FooBar", KeyField::None},
        // Letter case of name and suffix does not matter.
        {u"fooversioncomp", u"Foo", KeyField::VersionComp}, {u"FOOname", u"foo", KeyField::Name},
        {u"fOoOTHERFILE3", u"Foo", KeyField::OtherFile}, {u"ÉtéGroupFile", u"été", KeyField::GroupFile},
        // Exact lengths; other-file numbers of any length but without a leading zero.
        {u"FooOtherFile12", u"Foo", KeyField::OtherFile}, {u"FooOtherFile120", u"Foo", KeyField::OtherFile},
        {u"FooOtherFile01", u"Foo", KeyField::None}, {u"FooOtherFile0", u"Foo", KeyField::None},
        {u"FooOtherFile", u"Foo", KeyField::None}, {u"FooOtherFile1x", u"Foo", KeyField::None},
        {u"FooOtherFile-1", u"Foo", KeyField::None}, {u"FooVersionCompX", u"Foo", KeyField::None},
        {u"FoVersionComp", u"Foo", KeyField::None}, {u"Foo", u"Foo", KeyField::None},
        {u"FooOtherFile1NAME", u"Foo", KeyField::None}, {u"FooOtherFile1NAME", u"FooOtherFile1", KeyField::Name},
        // Keys of no definition.
        {u"FooColour", u"Foo", KeyField::None}, {u"NAME", u"", KeyField::Name}, {u"FooNAME", u"", KeyField::None},
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
        {u"Duke It Out", u"DUKE it out", true}, {u"Foo", u"Foo ", false}, {u"Foo", u"Fo", false},
        {u"Foo1", u"Foo2", false}, {u"@[`{", u"@[`{", true}, {u"@", u"`", false}, {u"", u"", true},
        // Non-ASCII characters that become ASCII or change length.
        {u"Straße", u"STRASSE", true}, {u"ı", u"I", true}, {u"ſun", u"SUN", true},
        {u"k", u"K", true}, {u"Ångstr", u"Ångstr", true}, {u"été", u"ÉTÉ", true},
        {u"été", u"ete", false},
    };
    for (const auto &c : cases) {
        const QString a = QString::fromUtf16(c.a), b = QString::fromUtf16(c.b);
        EXPECT_EQ(SameDefinitionName(a)(b), c.same) << a.toStdString() << " / " << b.toStdString();
        EXPECT_EQ(SameDefinitionName(b)(a), c.same) << b.toStdString() << " / " << a.toStdString();
    }
}

ShellLayout layout(double width, double height, std::vector<int> pageLefts = {120, 480})
{
    ShellLayoutInput in;
    in.controlWidth = int(width);
    in.clientWidth = width;
    in.clientHeight = height;
    in.toolbarTop = 0;
    in.toolbarHeight = 360;
    in.pageLefts = std::move(pageLefts);
    return computeShellLayout(in);
}

TEST(ShellLayout, FillsTheClientAreaBelowTheToolbar)
{
    ShellLayout out = layout(9000, 6000);
    EXPECT_EQ(out.toolbarWidth, 9000);
    EXPECT_EQ(out.tabStrip.width, 8980);
    EXPECT_EQ(out.tabStrip.top, 360);
    EXPECT_EQ(out.tabStrip.height, 5640);
    ASSERT_EQ(out.pages.size(), 2u);
    for (const TwipsRect &page : out.pages)
        EXPECT_TRUE(page.top == 710 && page.width == 8680 && page.height == 5240);
    EXPECT_EQ(out.dividerWidth, 8665);
    // The first layout moves the clean-up page off its design position.
    EXPECT_EQ(out.pages[0].left, kShownPageLeft);
    EXPECT_EQ(out.pages[1].left, kHiddenPageLeft);

    // The client width is rounded half to even; nothing gets a negative size.
    EXPECT_EQ(layout(4000.5, 6000).tabStrip.width, 3980);
    EXPECT_EQ(layout(4001.5, 6000).tabStrip.width, 3982);
    out = layout(100, 200);
    EXPECT_EQ(out.tabStrip.width, 80);
    EXPECT_TRUE(out.tabStrip.height == 0 && out.pages[0].width == 0 && out.pages[0].height == 0);
    EXPECT_EQ(out.dividerWidth, 0);
}

} // namespace
