// Buildings and other works of wood and stone that still stand: a windmill,
// cottages, a church, a tower and a gallows.

#include "landmarks.h"

#include "shared/paintkit.h"
#include "shared/pictureseed.h"

#include <QLinearGradient>

namespace landmarks {

using paintkit::mix;
using paintkit::withAlpha;

namespace {

void paintSmoke(QPainter &painter, QPointF from, SeededRandom &random)
{
    painter.setPen(Qt::NoPen);
    for (int puff = 0; puff < 6; ++puff) {
        const QPointF at = from + QPointF(puff * 4 + random.between(-2, 2), -puff * 7);
        painter.setBrush(QColor(200, 200, 205, 90 - puff * 12));
        painter.drawEllipse(at, 3.0 + puff * 1.4, 2.4 + puff * 1.2);
    }
}

} // namespace

void paintWindmill(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random)
{
    const double s = at.scale;
    const QPointF b = at.base;
    const QColor stone = litBy(scene.sky, mix(scene.theme.stone, QColor(220, 210, 190), 0.3));
    paintFace(painter,
              polygonPath({ b + QPointF(-16 * s, 0), b + QPointF(-10 * s, -62 * s),
                            b + QPointF(10 * s, -62 * s), b + QPointF(16 * s, 0) }),
              stone);
    paintFace(painter,
              polygonPath({ b + QPointF(-13 * s, -62 * s), b + QPointF(0, -80 * s),
                            b + QPointF(13 * s, -62 * s) }),
              timber(scene).darker(120));
    paintWindow(painter, scene, QRectF(b.x() - 3 * s, b.y() - 40 * s, 6 * s, 8 * s));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 30, 26));
    painter.drawRect(QRectF(b.x() - 4 * s, b.y() - 13 * s, 8 * s, 13 * s));
    const QPointF hub = b + QPointF(0, -64 * s);
    const double turn = random.between(0, 90);
    for (int sail = 0; sail < 4; ++sail) {
        painter.save();
        painter.translate(hub);
        painter.rotate(turn + sail * 90);
        painter.setPen(QPen(timber(scene).darker(160), 1.2 * s));
        painter.drawLine(QPointF(0, 0), QPointF(0, -50 * s));
        painter.setBrush(withAlpha(litBy(scene.sky, QColor(230, 220, 200)), 220));
        painter.drawRect(QRectF(1 * s, -50 * s, 9 * s, 38 * s));
        painter.restore();
    }
    painter.setBrush(QColor(50, 40, 34));
    painter.drawEllipse(hub, 2.5 * s, 2.5 * s);
}

void paintCottages(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random)
{
    const int count = 1 + random.below(3);
    for (int house = 0; house < count; ++house) {
        const double s = at.scale * (1 - house * 0.2);
        const QPointF b = at.base
                + QPointF((house % 2 ? -1 : 1) * house * 46 * at.scale, -house * 6 * at.scale);
        const double w = random.between(34, 48) * s, h = random.between(20, 26) * s;
        const QColor wall = litBy(scene.sky, mix(QColor(226, 214, 186), scene.theme.stone, 0.3));
        paintFace(painter,
                  polygonPath({ b + QPointF(-w / 2, 0), b + QPointF(-w / 2, -h),
                                b + QPointF(w / 2, -h), b + QPointF(w / 2, 0) }),
                  wall);
        const QColor thatch = litBy(scene.sky, QColor(150, 110, 64));
        paintFace(painter,
                  polygonPath({ b + QPointF(-w / 2 - 4 * s, -h), b + QPointF(-w / 4, -h - 18 * s),
                                b + QPointF(w / 4, -h - 18 * s), b + QPointF(w / 2 + 4 * s, -h) }),
                  thatch);
        const QPointF chimney = b + QPointF(w / 4, -h - 16 * s);
        painter.setPen(Qt::NoPen);
        painter.setBrush(litBy(scene.sky, scene.theme.stone).darker(120));
        painter.drawRect(QRectF(chimney.x() - 3 * s, chimney.y() - 8 * s, 6 * s, 10 * s));
        paintSmoke(painter, chimney + QPointF(0, -10 * s), random);
        paintWindow(painter, scene, QRectF(b.x() - w / 3, b.y() - h * 0.65, 7 * s, 7 * s));
        paintWindow(painter, scene, QRectF(b.x() + w / 6, b.y() - h * 0.65, 7 * s, 7 * s));
        painter.setBrush(timber(scene).darker(150));
        painter.drawRect(QRectF(b.x() - 3 * s, b.y() - 13 * s, 7 * s, 13 * s));
    }
}

void paintChurch(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random)
{
    const double s = at.scale;
    const QPointF b = at.base;
    const QColor stone = litBy(scene.sky, scene.theme.stone);
    paintFace(painter,
              polygonPath({ b + QPointF(-10 * s, 0), b + QPointF(-10 * s, -28 * s),
                            b + QPointF(44 * s, -28 * s), b + QPointF(44 * s, 0) }),
              stone);
    paintFace(painter,
              polygonPath({ b + QPointF(-12 * s, -28 * s), b + QPointF(-2 * s, -42 * s),
                            b + QPointF(40 * s, -42 * s), b + QPointF(46 * s, -28 * s) }),
              litBy(scene.sky, QColor(80, 76, 84)));
    paintFace(painter,
              polygonPath({ b + QPointF(-30 * s, 0), b + QPointF(-30 * s, -58 * s),
                            b + QPointF(-8 * s, -58 * s), b + QPointF(-8 * s, 0) }),
              stone.lighter(108));
    paintFace(painter,
              polygonPath({ b + QPointF(-32 * s, -58 * s), b + QPointF(-19 * s, -92 * s),
                            b + QPointF(-6 * s, -58 * s) }),
              litBy(scene.sky, QColor(80, 76, 84)));
    for (int window = 0; window < 3; ++window)
        paintWindow(painter, scene,
                    QRectF(b.x() + (2 + window * 13) * s, b.y() - 20 * s, 5 * s, 10 * s));
    paintWindow(painter, scene, QRectF(b.x() - 22 * s, b.y() - 48 * s, 6 * s, 10 * s));
    painter.setPen(Qt::NoPen);
    painter.setBrush(stone.darker(170));
    for (int grave = 0; grave < 5; ++grave) {
        const QPointF g = b + QPointF(random.between(-60, 70) * s, random.between(6, 16) * s);
        painter.drawRoundedRect(QRectF(g.x() - 3 * s, g.y() - 8 * s, 6 * s, 8 * s), 2 * s, 2 * s);
    }
}

namespace {

void paintBonfire(QPainter &painter, QPointF base, double scale)
{
    paintkit::paintGlow(painter, base + QPointF(0, -10 * scale), 50 * scale,
                        QColor(255, 130, 40, 170));
    QPainterPath flame(base + QPointF(-12 * scale, 0));
    flame.cubicTo(base + QPointF(-14 * scale, -14 * scale), base + QPointF(-4 * scale, -16 * scale),
                  base + QPointF(-2 * scale, -30 * scale));
    flame.cubicTo(base + QPointF(4 * scale, -18 * scale), base + QPointF(14 * scale, -16 * scale),
                  base + QPointF(12 * scale, 0));
    flame.closeSubpath();
    QLinearGradient fire(base, base + QPointF(0, -30 * scale));
    fire.setColorAt(0, QColor(255, 240, 180));
    fire.setColorAt(0.5, QColor(255, 160, 50));
    fire.setColorAt(1, QColor(220, 60, 20, 200));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fire);
    painter.drawPath(flame);
}

} // namespace

void paintTower(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random)
{
    const double s = at.scale;
    const QPointF b = at.base;
    const bool beacon = placeHas(scene, { "lighthouse", "the light", "point light" });
    const bool fire = placeHas(scene, { "beacon", "pyre" });
    // The great building rises far above any watchtower, under a pointed roof.
    const bool spire = placeHas(scene, { "outer buttress" });
    const double height = random.between(80, 100) * s * (spire ? 1.6 : 1.0);
    const QColor stone = litBy(scene.sky, beacon ? QColor(226, 222, 214) : scene.theme.stone);
    paintFace(painter,
              polygonPath({ b + QPointF(-15 * s, 0), b + QPointF(-11 * s, -height),
                            b + QPointF(11 * s, -height), b + QPointF(15 * s, 0) }),
              stone);
    if (beacon) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(withAlpha(litBy(scene.sky, QColor(170, 50, 44)), 220));
        for (const double band : { 0.25, 0.6 })
            painter.drawRect(QRectF(b.x() - 14 * s, b.y() - height * band - 8 * s, 28 * s, 8 * s));
        const QPointF lamp = b + QPointF(0, -height - 8 * s);
        // Beams sweep out to both sides when the lamp burns against the dark.
        if (scene.sky.time != TimeOfDay::Day || scene.sky.weather == Weather::Storm) {
            for (const double side : { -1.0, 1.0 }) {
                QLinearGradient beam(lamp, lamp + QPointF(side * 150, 0));
                beam.setColorAt(0, QColor(255, 240, 180, 120));
                beam.setColorAt(1, QColor(255, 240, 180, 0));
                painter.setBrush(beam);
                painter.drawPolygon(QPolygonF(
                        { lamp, lamp + QPointF(side * 160, -24), lamp + QPointF(side * 160, 16) }));
            }
        }
        paintkit::paintGlow(painter, lamp, 26 * s, QColor(255, 220, 130, 190));
        painter.setBrush(QColor(255, 236, 170));
        painter.drawRect(QRectF(lamp.x() - 7 * s, lamp.y() - 6 * s, 14 * s, 12 * s));
        paintFace(painter,
                  polygonPath({ lamp + QPointF(-10 * s, -6 * s), lamp + QPointF(0, -16 * s),
                                lamp + QPointF(10 * s, -6 * s) }),
                  litBy(scene.sky, QColor(60, 60, 66)));
    } else if (spire) {
        paintFace(painter,
                  polygonPath({ b + QPointF(-13 * s, -height), b + QPointF(0, -height - 50 * s),
                                b + QPointF(13 * s, -height) }),
                  stone.darker(115));
        for (int window = 1; window < 5; ++window)
            paintWindow(painter, scene,
                        QRectF(b.x() - 2 * s, b.y() - height * window / 5.0, 4 * s, 8 * s));
    } else {
        painter.setPen(Qt::NoPen);
        painter.setBrush(stone.darker(110));
        for (int merlon = 0; merlon < 4; ++merlon)
            painter.drawRect(QRectF(b.x() + (-13 + merlon * 7.5) * s, b.y() - height - 6 * s,
                                    4.5 * s, 7 * s));
        paintWindow(painter, scene, QRectF(b.x() - 3 * s, b.y() - height * 0.7, 5 * s, 9 * s));
        if (fire)
            paintBonfire(painter, b + QPointF(0, -height - 6 * s), s);
    }
    paintWindow(painter, scene, QRectF(b.x() - 2 * s, b.y() - height * 0.4, 4 * s, 8 * s));
}

void paintGallows(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random)
{
    const double s = at.scale;
    const QPointF b = at.base;
    const QColor wood = timber(scene).darker(140);
    painter.setPen(QPen(wood, 4 * s, Qt::SolidLine, Qt::SquareCap));
    painter.drawLine(b, b + QPointF(0, -70 * s));
    painter.drawLine(b + QPointF(-2 * s, -68 * s), b + QPointF(36 * s, -68 * s));
    painter.drawLine(b + QPointF(0, -52 * s), b + QPointF(16 * s, -68 * s));
    painter.setPen(QPen(litBy(scene.sky, QColor(170, 150, 110)), 1.2 * s));
    painter.drawLine(b + QPointF(32 * s, -68 * s), b + QPointF(32 * s, -46 * s));
    painter.drawEllipse(b + QPointF(32 * s, -42 * s), 3 * s, 4 * s);
    paintkit::paintSoftShadow(painter, b + QPointF(random.between(8, 14) * s, 1 * s), 40 * s, 5 * s,
                              90);
}

} // namespace landmarks
