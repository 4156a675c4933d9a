#pragma once

class QWidget;

namespace ostrel {

/// A rectangle in twips (1/1440 inch): left, top, width, height.
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const TwipsRect &, const TwipsRect &) = default;
};

/// Places a widget at a rectangle given in twips, converted with the widget's logical
/// DPI. The twips rectangle is kept on the widget (property "twips"), so that it can be
/// read back exactly and re-applied when the DPI changes.
void placeTwips(QWidget *widget, const TwipsRect &rect);
/// The twips rectangle last given to placeTwips.
TwipsRect twipsOf(const QWidget *widget);
/// Re-applies the twips rectangles of widget and all its children (after a DPI change).
void reapplyTwips(QWidget *widget);

int twipsToPixelsX(const QWidget *widget, double twips);
int twipsToPixelsY(const QWidget *widget, double twips);
double pixelsToTwipsX(const QWidget *widget, int pixels);
double pixelsToTwipsY(const QWidget *widget, int pixels);

} // namespace ostrel
