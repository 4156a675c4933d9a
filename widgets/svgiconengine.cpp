#include "widgets/svgiconengine.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>
#include <QSvgRenderer>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

QByteArray readSource(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// A palette made by hand often sets a colour for all groups at once, which leaves the
// disabled text as strong as the enabled; halfway to the window keeps a disabled button
// looking disabled then.
QColor disabledColor(const QPalette &palette)
{
    const QColor disabled = palette.color(QPalette::Disabled, QPalette::WindowText);
    const QColor enabled = palette.color(QPalette::Active, QPalette::WindowText);
    if (disabled != enabled)
        return disabled;
    const QColor window = palette.color(QPalette::Active, QPalette::Window);
    return QColor::fromRgbF((enabled.redF() + window.redF()) / 2, (enabled.greenF() + window.greenF()) / 2,
        (enabled.blueF() + window.blueF()) / 2);
}

// QtSvg takes a colour as "#rrggbb"; the palette's alpha would be lost there, and its
// colours are opaque in practice.
QByteArray colorized(const QByteArray &source, QIcon::Mode mode, const QPalette &palette)
{
    QString text = QString::fromUtf8(source);
    switch (mode) {
    case QIcon::Disabled: {
        // Accents too: a disabled picture in colour still looks usable.
        const QString grey = disabledColor(palette).name();
        static const QRegularExpression hexColor(u"#[0-9a-fA-F]{6}\\b|#[0-9a-fA-F]{3}\\b"_s);
        text.replace(hexColor, grey);
        text.replace(u"currentColor"_s, grey);
        break;
    }
    case QIcon::Selected:
        text.replace(u"currentColor"_s, palette.color(QPalette::Active, QPalette::HighlightedText).name());
        break;
    case QIcon::Normal:
    case QIcon::Active:
        text.replace(u"currentColor"_s, palette.color(QPalette::Active, QPalette::WindowText).name());
        break;
    }
    return text.toUtf8();
}

} // namespace

SvgIconEngine::SvgIconEngine(const QString &fileName, const QPalette &palette)
    : SvgIconEngine(readSource(fileName), palette)
{
}

SvgIconEngine::SvgIconEngine(const QByteArray &source, const QPalette &palette)
    : m_source(source)
    , m_palette(palette)
{
}

SvgIconEngine::~SvgIconEngine() = default;

QSvgRenderer *SvgIconEngine::renderer(QIcon::Mode mode)
{
    std::unique_ptr<QSvgRenderer> &made = m_renderers.at(std::size_t(mode));
    if (!made)
        made = std::make_unique<QSvgRenderer>(colorized(m_source, mode, m_palette));
    return made.get();
}

void SvgIconEngine::paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State)
{
    QSvgRenderer *svg = renderer(mode);
    if (svg->isValid())
        svg->render(painter, QRectF(rect));
}

QPixmap SvgIconEngine::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    return scaledPixmap(size, mode, state, 1.0);
}

// QIcon asks for the size in device pixels already: drawing at that size, rather than
// scaling a small pixmap up, is what keeps the lines sharp on a high-DPI screen.
QPixmap SvgIconEngine::scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal)
{
    if (size.isEmpty())
        return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paint(&painter, QRect(QPoint(0, 0), size), mode, state);
    painter.end();
    return QPixmap::fromImage(std::move(image));
}

QIconEngine *SvgIconEngine::clone() const
{
    return new SvgIconEngine(m_source, m_palette);
}

// Asked of every icon a widget is given; parsing the picture is left to its first painting.
bool SvgIconEngine::isNull()
{
    return m_source.isEmpty();
}

} // namespace ostrel
