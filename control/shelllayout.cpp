#include "control/shelllayout.h"

#include "widgets/tabstrip.h"

#include <algorithm>
#include <cmath>

namespace ostrel {

int roundHalfToEven(double value)
{
    const double floor = std::floor(value);
    const double fraction = value - floor;
    if (fraction < 0.5)
        return int(floor);
    if (fraction > 0.5)
        return int(floor) + 1;
    return std::fmod(floor, 2.0) == 0.0 ? int(floor) : int(floor) + 1;
}

ShellLayout computeShellLayout(const ShellLayoutInput &in)
{
    // The client width is read (and rounded) before anything moves.
    const int clientWidth = roundHalfToEven(in.clientWidth);
    ShellLayout out;
    out.toolbarWidth = in.controlWidth;
    out.tabStrip.left = in.tabStripLeft;
    out.tabStrip.width = std::max(0, clientWidth - 20);
    out.tabStrip.top = in.toolbarTop + in.toolbarHeight;
    out.tabStrip.height = std::max(0, int(std::lround(in.clientHeight)) - (in.toolbarHeight + in.toolbarTop));
    for (int left : in.pageLefts) {
        TwipsRect page;
        page.left = left == kShownPageLeft ? left : kHiddenPageLeft;
        page.top = out.tabStrip.top + kTabRowTwips;
        page.width = std::max(0, out.tabStrip.width - 300);
        page.height = std::max(0, out.tabStrip.height - 400);
        out.pages.push_back(page);
    }
    out.dividerWidth = std::max(0, out.tabStrip.width - 315);
    return out;
}

} // namespace ostrel
