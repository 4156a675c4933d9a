#include "widgets/twips.h"

#include <QRect>
#include <QVariant>
#include <QWidget>

#include <cmath>

namespace ostrel {

namespace {

constexpr char kTwipsProperty[] = "twips";
constexpr double kTwipsPerInch = 1440.0;

} // namespace

int twipsToPixelsX(const QWidget *widget, double twips)
{
    return int(std::lround(twips * widget->logicalDpiX() / kTwipsPerInch));
}

int twipsToPixelsY(const QWidget *widget, double twips)
{
    return int(std::lround(twips * widget->logicalDpiY() / kTwipsPerInch));
}

double pixelsToTwipsX(const QWidget *widget, int pixels)
{
    return pixels * kTwipsPerInch / widget->logicalDpiX();
}

double pixelsToTwipsY(const QWidget *widget, int pixels)
{
    return pixels * kTwipsPerInch / widget->logicalDpiY();
}

void placeTwips(QWidget *widget, const TwipsRect &r)
{
    widget->setProperty(kTwipsProperty, QRect(r.left, r.top, r.width, r.height));
    // Convert the edges, not the sizes, so that neighbours meet without gaps.
    const int left = twipsToPixelsX(widget, r.left);
    const int top = twipsToPixelsY(widget, r.top);
    widget->setGeometry(
        left, top, twipsToPixelsX(widget, r.left + r.width) - left, twipsToPixelsY(widget, r.top + r.height) - top);
}

TwipsRect twipsOf(const QWidget *widget)
{
    const QRect r = widget->property(kTwipsProperty).toRect();
    return {r.x(), r.y(), r.width(), r.height()};
}

void reapplyTwips(QWidget *widget)
{
    if (widget->property(kTwipsProperty).isValid())
        placeTwips(widget, twipsOf(widget));
    for (QWidget *child : widget->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        reapplyTwips(child);
}

} // namespace ostrel
