// Landmarks no one built: a cave, a crater, crystals, a waterfall and a great
// tree.

#include "landmarks.h"

#include "shared/paintkit.h"
#include "shared/pictureseed.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <cmath>

namespace landmarks {

using paintkit::withAlpha;

void paintCave(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random)
{
    const double s = at.scale;
    const QPointF b = at.base;
    QPainterPath rock(b + QPointF(-100 * s, 6 * s));
    for (int i = 1; i <= 8; ++i) {
        const double t = i / 8.0;
        rock.lineTo(b
                    + QPointF((-100 + 200 * t) * s,
                              (-std::sin(t * 3.14159) * random.between(60, 80) + 6) * s));
    }
    rock.closeSubpath();
    paintFace(painter, rock, litBy(scene.sky, scene.theme.stone));
    QPainterPath mouth(b + QPointF(-24 * s, 6 * s));
    mouth.cubicTo(b + QPointF(-26 * s, -40 * s), b + QPointF(26 * s, -40 * s),
                  b + QPointF(24 * s, 6 * s));
    mouth.closeSubpath();
    QRadialGradient dark(b + QPointF(0, -8 * s), 30 * s);
    dark.setColorAt(0, QColor(0, 0, 0));
    dark.setColorAt(1, QColor(30, 24, 22));
    painter.setPen(Qt::NoPen);
    painter.setBrush(dark);
    painter.drawPath(mouth);
    if (placeHas(scene, { "mine", "shaft", "gallery" })) {
        painter.setPen(QPen(litBy(scene.sky, QColor(120, 86, 58)), 4 * s));
        painter.drawLine(b + QPointF(-20 * s, 6 * s), b + QPointF(-20 * s, -26 * s));
        painter.drawLine(b + QPointF(20 * s, 6 * s), b + QPointF(20 * s, -26 * s));
        painter.drawLine(b + QPointF(-24 * s, -26 * s), b + QPointF(24 * s, -26 * s));
        paintkit::paintGlow(painter, b + QPointF(-12 * s, -14 * s), 14 * s,
                            QColor(255, 200, 100, 170));
    }
}

void paintCrater(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random)
{
    const double s = at.scale;
    const QPointF b = at.base;
    QPainterPath rim(b + QPointF(-110 * s, 8 * s));
    rim.cubicTo(b + QPointF(-70 * s, -46 * s), b + QPointF(70 * s, -46 * s),
                b + QPointF(110 * s, 8 * s));
    rim.closeSubpath();
    paintFace(painter, rim, litBy(scene.sky, scene.theme.stone));
    const QPointF vent = b + QPointF(0, -32 * s);
    paintkit::paintGlow(painter, vent, 60 * s, QColor(255, 120, 40, 150));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 170, 70, 210));
    painter.drawEllipse(vent, 40 * s, 5 * s);
    for (int plume = 0; plume < 7; ++plume) {
        const QPointF puff =
                vent + QPointF(random.between(-12, 12) * s + plume * 3 * s, -plume * 12 * s);
        painter.setBrush(QColor(120, 110, 110, 110 - plume * 12));
        painter.drawEllipse(puff, (10 + plume * 4) * s, (7 + plume * 2.5) * s);
    }
}

void paintCrystals(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random)
{
    const bool ice = placeHas(scene, { "ice", "frozen", "throne" });
    const QColor glass = litBy(scene.sky, ice ? QColor(190, 226, 250) : QColor(40, 34, 52));
    for (int shard = 0; shard < 9; ++shard) {
        const double s = at.scale * random.between(0.5, 1.2);
        const QPointF b = at.base
                + QPointF(random.between(-90, 90) * at.scale, random.between(-4, 10) * at.scale);
        const double lean = random.between(-10, 10) * s;
        const QPainterPath spike =
                polygonPath({ b + QPointF(-8 * s, 0), b + QPointF(-5 * s + lean, -30 * s),
                              b + QPointF(lean, -42 * s), b + QPointF(6 * s + lean, -28 * s),
                              b + QPointF(9 * s, 0) });
        paintFace(painter, spike, glass);
        painter.setPen(QPen(QColor(255, 255, 255, ice ? 170 : 90), 0.8));
        painter.drawLine(b + QPointF(-3 * s, -2 * s), b + QPointF(lean - 1 * s, -38 * s));
    }
}

void paintWaterfall(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random)
{
    const double s = at.scale;
    const QPointF b = at.base;
    const QColor rock = litBy(scene.sky, scene.theme.stone);
    paintFace(painter,
              polygonPath({ b + QPointF(-120 * s, 10 * s), b + QPointF(-110 * s, -86 * s),
                            b + QPointF(-20 * s, -96 * s), b + QPointF(-16 * s, 10 * s) }),
              rock);
    paintFace(painter,
              polygonPath({ b + QPointF(16 * s, 10 * s), b + QPointF(20 * s, -96 * s),
                            b + QPointF(120 * s, -80 * s), b + QPointF(120 * s, 10 * s) }),
              rock.darker(115));
    QLinearGradient fall(b + QPointF(0, -96 * s), b + QPointF(0, 10 * s));
    fall.setColorAt(0, withAlpha(litBy(scene.sky, QColor(200, 230, 245)), 230));
    fall.setColorAt(1, withAlpha(litBy(scene.sky, QColor(240, 250, 255)), 250));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fall);
    painter.drawRect(QRectF(b.x() - 18 * s, b.y() - 96 * s, 36 * s, 106 * s));
    painter.setPen(QPen(QColor(255, 255, 255, 120), 1.0));
    for (int streak = 0; streak < 9; ++streak) {
        const double x = b.x() + random.between(-16, 16) * s;
        painter.drawLine(QPointF(x, b.y() - random.between(60, 96) * s), QPointF(x, b.y() + 6 * s));
    }
    paintkit::paintGlow(painter, b + QPointF(0, 6 * s), 50 * s, QColor(255, 255, 255, 150));
}

void paintGreatTree(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random)
{
    const double s = at.scale * 1.3;
    const QPointF b = at.base + QPointF(0, 10 * s);
    const bool burning = placeHas(scene, { "burning", "charred", "red cedar" })
            || scene.theme.flora == Flora::Charred;
    const QColor bark = litBy(scene.sky, burning ? QColor(46, 34, 30) : QColor(92, 70, 52));
    // The trunk flares into roots at the foot and forks into limbs at the top.
    QPainterPath trunk(b + QPointF(-24 * s, 0));
    trunk.cubicTo(b + QPointF(-10 * s, -6 * s), b + QPointF(-9 * s, -30 * s),
                  b + QPointF(-8 * s, -54 * s));
    trunk.lineTo(b + QPointF(8 * s, -54 * s));
    trunk.cubicTo(b + QPointF(9 * s, -30 * s), b + QPointF(10 * s, -6 * s), b + QPointF(24 * s, 0));
    trunk.closeSubpath();
    paintFace(painter, trunk, bark);
    painter.setPen(QPen(bark.darker(120), 5 * s, Qt::SolidLine, Qt::RoundCap));
    for (const double reach : { -34.0, -12.0, 20.0, 38.0 })
        painter.drawLine(b + QPointF(0, -50 * s),
                         b + QPointF(reach * s, -(70 + std::abs(reach) * 0.3) * s));
    QPainterPath crown;
    crown.setFillRule(Qt::WindingFill); // overlapping puffs add up rather than cancel
    for (int puff = 0; puff < 9; ++puff)
        crown.addEllipse(b + QPointF(random.between(-50, 50) * s, -random.between(54, 92) * s),
                         random.between(18, 28) * s, random.between(14, 22) * s);
    const QColor leaves = burning ? QColor(210, 80, 30) : litBy(scene.sky, scene.theme.foliage);
    if (burning)
        paintkit::paintGlow(painter, b + QPointF(0, -70 * s), 90 * s, QColor(255, 110, 30, 120));
    QRadialGradient light(b + QPointF(-24 * s, -96 * s), 110 * s);
    light.setColorAt(0, leaves.lighter(140));
    light.setColorAt(1, leaves.darker(180));
    painter.setPen(Qt::NoPen);
    painter.setBrush(light);
    painter.drawPath(crown.simplified());
}

} // namespace landmarks
