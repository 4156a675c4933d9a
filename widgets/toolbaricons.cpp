#include "widgets/toolbaricons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

using Drawing = std::function<void(QPainter &)>;

// Draws on a 16 x 16 canvas, scaled to whatever size is asked for.
class PaintedIconEngine final : public QIconEngine
{
public:
    explicit PaintedIconEngine(Drawing draw)
        : m_draw(std::move(draw))
    {
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / 16.0, rect.height() / 16.0);
        if (mode == QIcon::Disabled)
            painter->setOpacity(0.35);
        m_draw(*painter);
        painter->restore();
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }

    QIconEngine *clone() const override { return new PaintedIconEngine(m_draw); }

private:
    Drawing m_draw;
};

QIcon painted(Drawing draw)
{
    return QIcon(new PaintedIconEngine(std::move(draw)));
}

const QColor kInk(0x33, 0x3b, 0x45);
const QColor kPaper(0xfb, 0xfb, 0xf8);
const QColor kGreen(0x2e, 0x9e, 0x44);
const QColor kRed(0xd2, 0x33, 0x2b);
const QColor kBlue(0x2f, 0x6d, 0xc4);

QPen ink(qreal width = 1.0)
{
    return QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A sheet with a folded corner, the base of the document images.
void page(QPainter &p, bool lines)
{
    QPainterPath sheet;
    sheet.moveTo(2.5, 1.5);
    sheet.lineTo(9.5, 1.5);
    sheet.lineTo(12.5, 4.5);
    sheet.lineTo(12.5, 14.5);
    sheet.lineTo(2.5, 14.5);
    sheet.closeSubpath();
    p.setPen(ink());
    p.setBrush(kPaper);
    p.drawPath(sheet);
    p.drawPolyline(QPolygonF({QPointF(9.5, 1.5), QPointF(9.5, 4.5), QPointF(12.5, 4.5)}));
    if (lines) {
        p.setPen(QPen(QColor(0x8a, 0x93, 0x9e), 1.0));
        for (qreal y : {6.5, 8.5, 10.5})
            p.drawLine(QPointF(4.5, y), QPointF(10.5, y));
    }
}

void badgeCircle(QPainter &p, const QColor &color, QPointF centre, qreal radius)
{
    p.setPen(QPen(Qt::white, 1.0));
    p.setBrush(color);
    p.drawEllipse(centre, radius, radius);
}

void drawNew(QPainter &p)
{
    page(p, false);
    badgeCircle(p, kGreen, QPointF(11.5, 11.5), 4.0);
    p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(11.5, 9.5), QPointF(11.5, 13.5));
    p.drawLine(QPointF(9.5, 11.5), QPointF(13.5, 11.5));
}

void drawCancel(QPainter &p)
{
    badgeCircle(p, kRed, QPointF(8, 8), 6.5);
    p.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
    p.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
}

void drawSave(QPainter &p)
{
    p.setPen(QPen(kBlue.darker(140), 1.0));
    p.setBrush(kBlue);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kPaper);
    p.drawRect(QRectF(4, 2, 8, 5));
    p.setBrush(kBlue.darker(150));
    p.drawRect(QRectF(9, 2.8, 1.8, 3.2));
    p.setBrush(QColor(0xdd, 0xe6, 0xf3));
    p.drawRect(QRectF(4, 9.5, 8, 5));
}

void drawDelete(QPainter &p)
{
    p.setPen(ink());
    p.setBrush(QColor(0xe8, 0xea, 0xed));
    QPainterPath can;
    can.moveTo(3.5, 4.5);
    can.lineTo(12.5, 4.5);
    can.lineTo(11.5, 14.5);
    can.lineTo(4.5, 14.5);
    can.closeSubpath();
    p.drawPath(can);
    p.drawLine(QPointF(2, 4.5), QPointF(14, 4.5));
    p.drawRect(QRectF(6.5, 2, 3, 2.5));
    p.setPen(QPen(kRed, 1.2, Qt::SolidLine, Qt::RoundCap));
    for (qreal x : {6.2, 8.0, 9.8})
        p.drawLine(QPointF(x, 6.8), QPointF(x, 12.5));
}

void drawLoadScript(QPainter &p)
{
    page(p, true);
    p.setPen(QPen(kGreen, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(15, 12), QPointF(9.5, 12));
    p.drawPolyline(QPolygonF({QPointF(11.5, 9.5), QPointF(9, 12), QPointF(11.5, 14.5)}));
}

void drawScript(QPainter &p)
{
    page(p, true);
    // A pencil across the sheet.
    p.save();
    p.translate(11, 11);
    p.rotate(-45);
    p.setPen(QPen(kInk, 0.8));
    p.setBrush(QColor(0xf2, 0xb1, 0x34));
    p.drawRect(QRectF(-4.5, -1.4, 7, 2.8));
    p.setBrush(QColor(0xe9, 0xc9, 0x9b));
    p.drawPolygon(QPolygonF({QPointF(-4.5, -1.4), QPointF(-7, 0), QPointF(-4.5, 1.4)}));
    p.setBrush(QColor(0xe0, 0x7a, 0x8a));
    p.drawRect(QRectF(2.5, -1.4, 1.8, 2.8));
    p.restore();
}

void magnifier(QPainter &p, QPointF centre, qreal radius)
{
    p.setPen(QPen(kInk, 1.4));
    p.setBrush(QColor(0xcf, 0xe3, 0xf8, 220));
    p.drawEllipse(centre, radius, radius);
    p.setPen(QPen(kInk, 2.2, Qt::SolidLine, Qt::RoundCap));
    const qreal d = radius * 0.72;
    p.drawLine(centre + QPointF(d, d), centre + QPointF(d + 3.2, d + 3.2));
}

void drawScriptView(QPainter &p)
{
    page(p, true);
    magnifier(p, QPointF(10, 10), 3.2);
}

void drawViewTextFile(QPainter &p)
{
    magnifier(p, QPointF(6.5, 6.5), 4.5);
}

} // namespace

QList<std::pair<QString, QIcon>> toolbarImageList()
{
    return {
        {u"Save"_s, painted(drawSave)},
        {u"New"_s, painted(drawNew)},
        {u"CancelNew"_s, painted(drawCancel)},
        {u"Delete"_s, painted(drawDelete)},
        {u"LoadScript"_s, painted(drawLoadScript)},
        {u"Script"_s, painted(drawScript)},
        {u"ScriptView"_s, painted(drawScriptView)},
    };
}

QIcon viewTextFileIcon()
{
    return painted(drawViewTextFile);
}

QIcon scriptFormIcon()
{
    return painted(drawScript);
}

} // namespace ostrel
