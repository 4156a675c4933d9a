#include "control/shelllayout.h"

#include <gtest/gtest.h>

using namespace ostrel;

namespace {

ShellLayoutInput client(double width, double height, std::vector<int> pageLefts = {120, 480})
{
    ShellLayoutInput in;
    in.controlWidth = int(width);
    in.clientWidth = width;
    in.clientHeight = height;
    in.toolbarTop = 0;
    in.toolbarHeight = 360;
    in.pageLefts = std::move(pageLefts);
    return in;
}

TEST(ShellLayout, FillsTheClientAreaBelowTheToolbar)
{
    const ShellLayout out = computeShellLayout(client(9000, 6000));
    EXPECT_EQ(out.toolbarWidth, 9000);
    EXPECT_EQ(out.tabStrip.width, 8980);
    EXPECT_EQ(out.tabStrip.top, 360);
    EXPECT_EQ(out.tabStrip.height, 5640);
    ASSERT_EQ(out.pages.size(), 2u);
    for (const TwipsRect &page : out.pages) {
        EXPECT_EQ(page.top, 710);
        EXPECT_EQ(page.width, 8680);
        EXPECT_EQ(page.height, 5240);
    }
    EXPECT_EQ(out.dividerWidth, 8665);
}

TEST(ShellLayout, RoundsTheClientWidthHalfToEven)
{
    EXPECT_EQ(computeShellLayout(client(4000.5, 6000)).tabStrip.width, 3980);
    EXPECT_EQ(computeShellLayout(client(4001.5, 6000)).tabStrip.width, 3982);
    EXPECT_EQ(computeShellLayout(client(4000.4, 6000)).tabStrip.width, 3980);
    EXPECT_EQ(computeShellLayout(client(4000.6, 6000)).tabStrip.width, 3981);
}

TEST(ShellLayout, KeepsTheShownPageAndSendsEveryOtherAway)
{
    // The first layout moves the clean-up page off its design position.
    ShellLayout out = computeShellLayout(client(9000, 6000, {120, 480}));
    EXPECT_EQ(out.pages[0].left, kShownPageLeft);
    EXPECT_EQ(out.pages[1].left, kHiddenPageLeft);
    // With the second tab chosen, a resize keeps it where it is.
    out = computeShellLayout(client(7000, 5000, {kHiddenPageLeft, kShownPageLeft}));
    EXPECT_EQ(out.pages[0].left, kHiddenPageLeft);
    EXPECT_EQ(out.pages[1].left, kShownPageLeft);
}

TEST(ShellLayout, NeverGivesNegativeSizes)
{
    const ShellLayout out = computeShellLayout(client(100, 200));
    EXPECT_EQ(out.tabStrip.width, 80);
    EXPECT_EQ(out.tabStrip.height, 0);
    EXPECT_EQ(out.pages[0].width, 0);
    EXPECT_EQ(out.pages[0].height, 0);
    EXPECT_EQ(out.dividerWidth, 0);
}

} // namespace
