// Landmarks left by the old peoples: standing stones, a barrow and ruins.

#include "landmarks.h"

#include "shared/paintkit.h"
#include "shared/pictureseed.h"

#include <cmath>

namespace landmarks {

using paintkit::mix;

void paintStones(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random)
{
    const int count = 5 + random.below(4);
    const QColor stone = litBy(scene.sky, scene.theme.stone);
    // Around an ellipse, the far stones first so the near ones overlap them.
    for (int i = 0; i < count; ++i) {
        const double angle = 3.14159 * (1.0 + double(i) / (count - 1));
        const double depth = (std::sin(angle) + 1) / 2; // 0 far, 1 near
        const QPointF b = at.base
                + QPointF(std::cos(angle) * 70 * at.scale, -std::sin(angle) * 16 * at.scale);
        const double s = at.scale * (0.75 + depth * 0.4);
        const double h = random.between(32, 52) * s, w = random.between(11, 16) * s;
        const double lean = (i == count / 2 ? 8 : random.between(-2, 2)) * s;
        QPainterPath slab(b + QPointF(-w / 2, 0));
        slab.lineTo(b + QPointF(-w / 2 + lean, -h * 0.8));
        slab.quadTo(b + QPointF(lean, -h * 1.08), b + QPointF(w / 2 + lean, -h * 0.8));
        slab.lineTo(b + QPointF(w / 2, 0));
        slab.closeSubpath();
        paintFace(painter, slab, stone.darker(int(130 - depth * 30)));
    }
}

void paintBarrow(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random)
{
    const double s = at.scale;
    const QPointF b = at.base;
    QPainterPath mound(b + QPointF(-90 * s, 4 * s));
    mound.cubicTo(b + QPointF(-60 * s, -46 * s), b + QPointF(60 * s, -46 * s),
                  b + QPointF(90 * s, 4 * s));
    mound.closeSubpath();
    paintFace(painter, mound, litBy(scene.sky, scene.theme.land).lighter(105));
    const QColor stone = litBy(scene.sky, scene.theme.stone);
    paintFace(painter,
              polygonPath({ b + QPointF(-14 * s, 4 * s), b + QPointF(-14 * s, -22 * s),
                            b + QPointF(14 * s, -22 * s), b + QPointF(14 * s, 4 * s) }),
              stone);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(12, 10, 12));
    painter.drawRect(QRectF(b.x() - 8 * s, b.y() - 16 * s, 16 * s, 20 * s));
    paintFace(painter,
              polygonPath({ b + QPointF(-19 * s, -20 * s), b + QPointF(19 * s, -21 * s),
                            b + QPointF(19 * s, -27 * s), b + QPointF(-19 * s, -26 * s) }),
              stone.lighter(110));
    if (random.chance(0.5))
        paintkit::paintGlow(painter, b + QPointF(0, -6 * s), 14 * s, QColor(140, 230, 200, 110));
}

void paintRuins(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random)
{
    const double s = at.scale;
    const QColor stone = litBy(scene.sky, mix(scene.theme.stone, QColor(220, 210, 190), 0.2));
    for (int column = 0; column < 5; ++column) {
        const QPointF b = at.base + QPointF((-60 + column * 30) * s, random.between(-4, 4) * s);
        const double height =
                (column == 1 || column == 2 ? random.between(50, 70) : random.between(14, 44)) * s;
        const double tilt = random.between(-3, 3) * s;
        // The broken top is a jagged edge rather than a flat cut.
        paintFace(painter,
                  polygonPath({ b + QPointF(-7 * s, 0), b + QPointF(-7 * s + tilt, -height),
                                b + QPointF(-1 * s + tilt, -height - random.between(2, 8) * s),
                                b + QPointF(7 * s + tilt, -height + random.between(0, 6) * s),
                                b + QPointF(7 * s, 0) }),
                  stone);
        painter.setPen(QPen(stone.darker(150), 0.8));
        for (double x = -3; x <= 3; x += 3)
            painter.drawLine(b + QPointF(x * s, -2 * s),
                             b + QPointF(x * s + tilt, -height + 4 * s));
    }
    const QPointF lintel = at.base + QPointF(-30 * s, -66 * s);
    paintFace(painter,
              polygonPath({ lintel + QPointF(-10 * s, 0), lintel + QPointF(42 * s, -2 * s),
                            lintel + QPointF(42 * s, 8 * s), lintel + QPointF(-10 * s, 9 * s) }),
              stone.darker(110));
    for (int block = 0; block < 4; ++block) {
        const QPointF b = at.base + QPointF(random.between(-80, 80) * s, random.between(2, 12) * s);
        paintFace(painter,
                  polygonPath({ b, b + QPointF(12 * s, -2 * s), b + QPointF(14 * s, -9 * s),
                                b + QPointF(2 * s, -8 * s) }),
                  stone.darker(115));
    }
}

} // namespace landmarks
