// The shell's layout rule in twips.

#include "control/shelllayout.h"

#include <gtest/gtest.h>

using namespace ostrel;

namespace {

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
