// Landmarks at the water: a bridge, a jetty and the ribs of a wreck.

#include "landmarks.h"

#include "shared/paintkit.h"
#include "shared/pictureseed.h"

#include <cmath>

namespace landmarks {

void paintBridge(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random)
{
    const double s = at.scale;
    const QPointF b = at.base + QPointF(0, 8 * s);
    const double span = random.between(120, 150) * s;
    const int arches = 2 + random.below(2);
    QPainterPath deck(b + QPointF(-span / 2, 0));
    deck.lineTo(b + QPointF(-span / 2, -30 * s));
    deck.quadTo(b + QPointF(0, -40 * s), b + QPointF(span / 2, -30 * s));
    deck.lineTo(b + QPointF(span / 2, 0));
    for (int arch = arches - 1; arch >= 0; --arch) {
        const double left = -span / 2 + span * (arch + 0.15) / arches;
        const double right = -span / 2 + span * (arch + 0.85) / arches;
        deck.lineTo(b + QPointF(right, 0));
        deck.quadTo(b + QPointF((left + right) / 2, -34 * s), b + QPointF(left, 0));
    }
    deck.closeSubpath();
    paintFace(painter, deck, litBy(scene.sky, scene.theme.stone));
}

void paintJetty(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random)
{
    const double s = at.scale;
    const QPointF b = at.base + QPointF(0, 22 * s);
    const QColor wood = timber(scene);
    painter.setPen(QPen(wood.darker(160), 2.4 * s));
    for (int post = 0; post < 6; ++post) {
        const double x = -70 + post * 26;
        painter.drawLine(b + QPointF(x * s, -6 * s + post * 1.2 * s),
                         b + QPointF(x * s, 10 * s + post * 1.2 * s));
    }
    paintFace(painter,
              polygonPath({ b + QPointF(-76 * s, -8 * s), b + QPointF(62 * s, -2 * s),
                            b + QPointF(64 * s, 2 * s), b + QPointF(-76 * s, -3 * s) }),
              wood);
    const QPointF lamp = b + QPointF(random.between(20, 50) * s, -30 * s);
    painter.setPen(QPen(wood.darker(200), 1.8 * s));
    painter.drawLine(lamp + QPointF(0, 4 * s), QPointF(lamp.x(), b.y() - 4 * s));
    paintkit::paintGlow(painter, lamp, 30 * s, QColor(255, 206, 110, 170));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 226, 150));
    painter.drawRect(QRectF(lamp.x() - 3 * s, lamp.y() - 4 * s, 6 * s, 8 * s));
}

void paintWreck(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random)
{
    const double s = at.scale;
    const QPointF b = at.base + QPointF(0, 14 * s);
    const QColor wood = litBy(scene.sky, QColor(90, 66, 48));
    painter.setBrush(Qt::NoBrush);
    for (int rib = 0; rib < 7; ++rib) {
        const double x = (-60 + rib * 20) * s;
        const double h = (30 + 14 * std::sin(rib * 0.45)) * s;
        QPainterPath curve(b + QPointF(x, 0));
        curve.quadTo(b + QPointF(x - 10 * s, -h * 0.6), b + QPointF(x - 4 * s, -h));
        painter.setPen(QPen(wood, 3.2 * s, Qt::SolidLine, Qt::RoundCap));
        painter.drawPath(curve);
    }
    painter.setPen(QPen(wood.darker(120), 4 * s, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(b + QPointF(-66 * s, 0), b + QPointF(66 * s, -4 * s));
    painter.drawLine(b + QPointF(10 * s, -4 * s),
                     b + QPointF(10 * s + random.between(8, 20) * s, -76 * s));
}

} // namespace landmarks
