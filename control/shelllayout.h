#pragma once

#include "widgets/twips.h"

#include <vector>

namespace ostrel {

/// The left edge of the page on show; every other page stands far off to the left.
inline constexpr int kShownPageLeft = 120;
inline constexpr int kHiddenPageLeft = -20000;

/// What the resize rule reads, in twips.
struct ShellLayoutInput {
    int controlWidth = 0;    ///< W
    double clientWidth = 0;  ///< SW
    double clientHeight = 0; ///< SH
    int toolbarTop = 0;
    int toolbarHeight = 0;
    int tabStripLeft = 0;
    std::vector<int> pageLefts; ///< current left edge of each page
};

/// Where the resize rule puts things, in twips.
struct ShellLayout {
    int toolbarWidth = 0;
    TwipsRect tabStrip;
    std::vector<TwipsRect> pages;
    int dividerWidth = 0; ///< width of fraDiv on the clean-up page
};

/// The resize rule of the control: the tab strip fills the client area below the
/// toolbar, the pages fill the tab strip's client area, and only the page standing at
/// kShownPageLeft stays on screen. Sizes that would come out negative are 0.
ShellLayout computeShellLayout(const ShellLayoutInput &input);

/// Round to the nearest whole number, halves to the even neighbour.
int roundHalfToEven(double value);

} // namespace ostrel
