#pragma once

#include <QByteArray>
#include <QIconEngine>
#include <QPalette>
#include <QString>

#include <array>
#include <memory>

class QSvgRenderer;

namespace ostrel {

/// An icon drawn from an SVG picture at whatever size and device pixel ratio it is asked
/// for, in the colours of a palette: the picture's "currentColor" is the palette's window
/// text, and a disabled icon is drawn wholly in the disabled text colour.
class SvgIconEngine final : public QIconEngine
{
public:
    /// fileName is usually a resource path; the icon is null when it cannot be read as SVG.
    SvgIconEngine(const QString &fileName, const QPalette &palette);
    ~SvgIconEngine() override;

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override;
    QIconEngine *clone() const override;
    bool isNull() override;

private:
    SvgIconEngine(const QByteArray &source, const QPalette &palette);
    QSvgRenderer *renderer(QIcon::Mode mode);

    QByteArray m_source;
    QPalette m_palette;
    // One per QIcon::Mode, made when first drawn: each has the colours of its mode put in.
    std::array<std::unique_ptr<QSvgRenderer>, 4> m_renderers;
};

} // namespace ostrel
