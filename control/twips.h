#pragma once

#include "control/shelllayout.h"

class QWidget;

namespace ostrel {

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
