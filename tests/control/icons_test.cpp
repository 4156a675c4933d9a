// The pictures of the toolbar, the text file button and the script editor: one of its own for
// every key, legible on light, dark and high-contrast palettes, greyed out when disabled,
// sharp at twice the pixel ratio, and drawn anew when the palette changes.

#include "../support/controlharness.h"

#include "form/frmscript.h"
#include "widgets/toolbaricons.h"
#include "widgets/toolstrip.h"

#include <QApplication>
#include <QScopeGuard>
#include <QStyle>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace ostrel;
using namespace ostrel::test;

namespace {

// Two colours for every group, disabled included, as high-contrast themes are often made.
QPalette twoColours(const QColor &window, const QColor &text)
{
    QPalette p(window, window);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        p.setColor(role, text);
    return p;
}

// A dark theme as applications set it, with a disabled text colour of its own.
QPalette darkPalette()
{
    QPalette p = twoColours(QColor(0x35, 0x35, 0x35), Qt::white);
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x7f, 0x7f, 0x7f));
    return p;
}

QList<std::pair<QString, QIcon>> everyPicture(const QPalette &palette)
{
    auto pictures = toolbarImageList(palette);
    pictures.append({u"ViewTextFile"_s, viewTextFileIcon(palette)});
    return pictures;
}

QImage drawn(const QIcon &icon, QIcon::Mode mode = QIcon::Normal)
{
    return icon.pixmap(QSize(16, 16), 1.0, mode).toImage().convertToFormat(QImage::Format_ARGB32);
}

QList<QColor> opaquePixels(const QImage &image)
{
    QList<QColor> pixels;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) >= 128)
                pixels << QColor(image.pixel(x, y));
        }
    }
    return pixels;
}

double luminance(const QColor &c)
{
    auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

// The mean luminance difference of the opaque pixels from the window: white on #efefef
// gives 0.14, black on #353535 0.04, black on white 1.
double contrastWithWindow(const QIcon &icon, const QPalette &palette)
{
    const QList<QColor> pixels = opaquePixels(drawn(icon));
    double sum = 0;
    for (const QColor &pixel : pixels)
        sum += std::abs(luminance(pixel) - luminance(palette.color(QPalette::Window)));
    return pixels.size() >= 12 ? sum / pixels.size() : 0.0;
}

constexpr double kLegible = 0.15;

TEST(ToolbarImages, EveryKeyHasAPictureOfItsOwnSharpAtTwiceThePixelRatio)
{
    const auto images = everyPicture(QApplication::palette());
    QStringList keys;
    for (qsizetype i = 0; i < images.size(); ++i) {
        const auto &[key, icon] = images[i];
        keys << key;
        EXPECT_FALSE(icon.isNull()) << key.toStdString();
        for (qsizetype j = 0; j < i; ++j)
            EXPECT_TRUE(drawn(icon) != drawn(images[j].second)) << key.toStdString() << " as " << j;
        // Drawn at 32 pixels, not a 16-pixel picture blown up.
        const QPixmap twice = icon.pixmap(QSize(16, 16), 2.0);
        EXPECT_TRUE(twice.size() == QSize(32, 32) && twice.devicePixelRatio() == 2.0) << key.toStdString();
        EXPECT_TRUE(twice.toImage() == icon.pixmap(QSize(32, 32), 1.0).toImage()) << key.toStdString();
    }
    EXPECT_EQ(keys.join(u' '), u"Save New CancelNew Delete LoadScript Script ScriptView ViewTextFile"_s);
}

TEST(ToolbarImages, DisabledPictureIsInTheDisabledColourAlone)
{
    const QColor grey = darkPalette().color(QPalette::Disabled, QPalette::WindowText);
    for (const auto &[key, icon] : everyPicture(darkPalette())) {
        // Accents included; give or take the rounding of half-transparent pixels.
        for (const QColor &pixel : opaquePixels(drawn(icon, QIcon::Disabled))) {
            ASSERT_LE(std::max({std::abs(pixel.red() - grey.red()), std::abs(pixel.green() - grey.green()),
                          std::abs(pixel.blue() - grey.blue())}),
                2)
                << key.toStdString() << " has " << pixel.name().toStdString();
        }
    }
    // A palette with one text colour for all groups still gets a greyed-out picture.
    for (const auto &[key, icon] : everyPicture(twoColours(Qt::black, Qt::white)))
        EXPECT_TRUE(drawn(icon, QIcon::Disabled) != drawn(icon)) << key.toStdString();
}

struct NamedPalette {
    const char *name;
    QPalette (*make)();
    friend void PrintTo(const NamedPalette &palette, std::ostream *os) { *os << palette.name; }
};

class PictureContrast : public ::testing::TestWithParam<NamedPalette>
{
};

TEST_P(PictureContrast, EveryPictureStandsOutFromTheWindow)
{
    const QPalette palette = GetParam().make();
    for (const auto &[key, icon] : everyPicture(palette))
        EXPECT_GT(contrastWithWindow(icon, palette), kLegible) << key.toStdString();
    frmScript form(Fakes(std::make_shared<MemorySettingsStore>()).services());
    form.setPalette(palette);
    EXPECT_GT(contrastWithWindow(form.windowIcon(), palette), kLegible);
}

INSTANTIATE_TEST_SUITE_P(Palettes, PictureContrast,
    ::testing::Values(NamedPalette{"Standard", [] { return QApplication::style()->standardPalette(); }},
        NamedPalette{"Dark", darkPalette},
        NamedPalette{"HighContrastBlack", [] { return twoColours(Qt::black, Qt::white); }},
        NamedPalette{"HighContrastWhite", [] { return twoColours(Qt::white, Qt::black); }}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ControlImages, GreyOutWithTheirButtonAndFollowTheControlsPalette)
{
    ControlHarness h;
    h.start();
    QWidget *save = h.find<ToolStrip>(u"tbToolbar"_s)->widgetForAction(h.find<QAction>(u"Save"_s));
    ASSERT_FALSE(save->isEnabled());
    const QImage disabled = save->grab().toImage();
    h.click(u"New"_s);
    ASSERT_TRUE(save->isEnabled());
    EXPECT_TRUE(save->grab().toImage() != disabled);

    const QPalette dark = darkPalette();
    auto *viewTextFile = h.find<QToolButton>(u"cmdViewTextFile"_s);
    ASSERT_LT(contrastWithWindow(viewTextFile->icon(), dark), kLegible) << "dark pictures before the change";
    h.control->setPalette(dark);
    for (QAction *action : h.find<ToolStrip>(u"tbToolbar"_s)->actions()) {
        if (!action->isSeparator()) {
            EXPECT_GT(contrastWithWindow(action->icon(), dark), kLegible) << action->objectName().toStdString();
        }
    }
    EXPECT_GT(contrastWithWindow(viewTextFile->icon(), dark), kLegible);
}

TEST(ControlImages, FollowTheApplicationsPalette)
{
    ControlHarness h;
    h.start();
    frmScript form(h.fakes.services());
    const QPalette before = QApplication::palette();
    const auto restore = qScopeGuard([&] { QApplication::setPalette(before); });
    QApplication::setPalette(darkPalette());
    // Widgets hear of it from the event loop.
    QCoreApplication::processEvents();
    EXPECT_GT(contrastWithWindow(h.find<QAction>(u"New"_s)->icon(), darkPalette()), kLegible);
    EXPECT_GT(contrastWithWindow(h.find<QToolButton>(u"cmdViewTextFile"_s)->icon(), darkPalette()), kLegible);
    EXPECT_GT(contrastWithWindow(form.windowIcon(), darkPalette()), kLegible);
}

} // namespace
