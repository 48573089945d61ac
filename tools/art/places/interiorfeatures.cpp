#include "interiorhall.h"
#include "shared/paintkit.h"
#include "shared/pictureseed.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace interior {

using paintkit::mix;
using paintkit::withAlpha;

namespace {

// A rectangle lying on one side wall, from depth near to depth far.
QPolygonF onWall(const Hall &hall, double frameX, double top, double bottom, double near,
                 double far)
{
    return QPolygonF({ hall.project(QPointF(frameX, top), near),
                       hall.project(QPointF(frameX, top), far),
                       hall.project(QPointF(frameX, bottom), far),
                       hall.project(QPointF(frameX, bottom), near) });
}

void fill(QPainter &painter, const QPolygonF &polygon, const QBrush &brush)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(brush);
    painter.drawPolygon(polygon);
}

QColor brass()
{
    return QColor(200, 156, 70);
}

} // namespace

void paintBookshelves(QPainter &painter, const Scene &scene, const Hall &hall, SeededRandom &random)
{
    static const QColor Bindings[] = { { 120, 40, 36 }, { 50, 74, 52 },   { 44, 56, 96 },
                                       { 110, 80, 50 }, { 150, 120, 60 }, { 80, 50, 70 } };
    const QColor wood = litBy(scene.sky, QColor(96, 66, 44));
    for (const double frameX : { 0.0, double(LocationSize) }) {
        fill(painter, onWall(hall, frameX, 30, 290, 1.0, hall.backDepth), wood.darker(160));
        for (double shelf = 40; shelf < 280; shelf += 36) {
            for (double z = 1.0; z < hall.backDepth; z *= random.between(1.015, 1.04)) {
                const double next = z * 1.012;
                const double height = random.between(22, 31);
                fill(painter, onWall(hall, frameX, shelf + 33 - height, shelf + 33, z, next),
                     Bindings[random.below(int(std::size(Bindings)))].darker(
                             int(random.between(100, 150))));
            }
            fill(painter, onWall(hall, frameX, shelf + 33, shelf + 37, 1.0, hall.backDepth), wood);
        }
    }
}

void paintNiches(QPainter &painter, const Scene &scene, const Hall &hall, SeededRandom &random)
{
    const QColor bone = litBy(scene.sky, QColor(226, 214, 186));
    for (const double frameX : { 0.0, double(LocationSize) }) {
        for (double z = 1.05; z < hall.backDepth - 0.2; z *= 1.22) {
            for (const double top : { 90.0, 180.0 }) {
                const QPolygonF niche = onWall(hall, frameX, top, top + 60, z, z * 1.12);
                fill(painter, niche, QColor(10, 8, 10, 230));
                const QPointF centre = niche.boundingRect().center()
                        + QPointF(0, niche.boundingRect().height() * 0.2);
                const double size = niche.boundingRect().height() * 0.16;
                painter.setBrush(bone.darker(int(random.between(100, 140))));
                painter.drawEllipse(centre, size, size * 1.1);
                painter.setBrush(QColor(20, 14, 14));
                painter.drawEllipse(centre + QPointF(-size * 0.35, 0), size * 0.25, size * 0.3);
                painter.drawEllipse(centre + QPointF(size * 0.35, 0), size * 0.25, size * 0.3);
            }
        }
    }
}

void paintPipes(QPainter &painter, const Scene &scene, const Hall &hall)
{
    const QColor copper = litBy(scene.sky, QColor(176, 100, 56));
    for (const double frameX : { 6.0, double(LocationSize) - 6 }) {
        for (const double y : { 52.0, 84.0 }) {
            const QPolygonF pipe = onWall(hall, frameX, y, y + 16, 1.0, hall.backDepth);
            QLinearGradient round(pipe[0], pipe[3]);
            round.setColorAt(0, copper.lighter(140));
            round.setColorAt(0.5, copper);
            round.setColorAt(1, copper.darker(200));
            fill(painter, pipe, round);
        }
    }
    const QRectF back = hall.backWall();
    paintkit::paintGlow(painter, QPointF(back.center().x(), back.bottom() - back.height() * 0.2),
                        back.width() * 0.8, QColor(255, 120, 50, 150));
}

QPainterPath gearPath(QPointF centre, double radius, int teeth)
{
    QPolygonF outline;
    for (int i = 0; i < teeth * 4; ++i) {
        const double angle = 2 * 3.14159265 * i / (teeth * 4);
        const double r = (i % 4 < 2) ? radius : radius * 0.84;
        outline << centre + QPointF(std::cos(angle) * r, std::sin(angle) * r);
    }
    QPainterPath gear;
    gear.addPolygon(outline);
    gear.closeSubpath();
    gear.addEllipse(centre, radius * 0.25, radius * 0.25);
    return gear;
}

void paintGear(QPainter &painter, const Scene &scene, const Hall &hall, SeededRandom &random)
{
    const QRectF back = hall.backWall();
    const double radius = back.width() * random.between(0.28, 0.36);
    const QPointF centre(back.center().x() - radius * 0.3, back.top() + radius * 1.05);
    for (const auto &[at, size] :
         { std::pair { centre, radius },
           std::pair { centre + QPointF(radius * 1.35, radius * 0.6), radius * 0.55 } }) {
        QRadialGradient metal(at - QPointF(size * 0.4, size * 0.4), size * 1.6);
        metal.setColorAt(0, litBy(scene.sky, brass().lighter(140)));
        metal.setColorAt(1, litBy(scene.sky, brass().darker(200)));
        painter.setPen(QPen(QColor(60, 40, 20), 1.0));
        painter.setBrush(metal);
        painter.drawPath(gearPath(at, size, size > radius * 0.7 ? 16 : 10));
    }
}

void paintOrreryRings(QPainter &painter, const Hall &hall, SeededRandom &random)
{
    const QPointF centre = hall.vanish + QPointF(0, 20);
    paintkit::paintGlow(painter, centre, 60, QColor(255, 210, 120, 170));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 226, 150));
    painter.drawEllipse(centre, 9, 9);
    for (int ring = 0; ring < 3; ++ring) {
        const double rx = 40 + ring * 24, ry = 10 + ring * 5;
        painter.save();
        painter.translate(centre);
        painter.rotate(random.between(-16, 16));
        painter.setPen(QPen(brass(), 1.6));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QPointF(0, 0), rx, ry);
        const double angle = random.between(0, 6.28);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor::fromHsvF(float(random.unit()), 0.4f, 0.85f));
        painter.drawEllipse(QPointF(std::cos(angle) * rx, std::sin(angle) * ry), 4.5 - ring,
                            4.5 - ring);
        painter.restore();
    }
}

void paintStarCeiling(QPainter &painter, const Hall &hall, SeededRandom &random)
{
    const QPolygonF ceiling = hall.ceiling();
    fill(painter, ceiling, QColor(16, 22, 60));
    painter.save();
    QPainterPath clip;
    clip.addPolygon(ceiling);
    painter.setClipPath(clip);
    const QRectF box = ceiling.boundingRect();
    QPointF previous;
    for (int star = 0; star < 70; ++star) {
        const QPointF at(random.between(box.left(), box.right()),
                         random.between(box.top(), box.bottom()));
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 236, 170, int(random.between(120, 255))));
        painter.drawEllipse(at, 1.1, 1.1);
        if (star % 5 && star < 20) {
            painter.setPen(QPen(QColor(220, 200, 140, 70), 0.6));
            painter.drawLine(previous, at);
        }
        previous = at;
    }
    painter.restore();
}

void paintBells(QPainter &painter, const Scene &scene, const Hall &hall, SeededRandom &random)
{
    const QColor bronze = litBy(scene.sky, QColor(170, 120, 56));
    for (const double z : { 1.3, 1.7, 2.1 }) {
        for (const double frameX : { 90.0, 230.0 }) {
            const QPointF hang = hall.project(QPointF(frameX + random.between(-20, 20), 0), z);
            const QPointF mouth = hall.project(QPointF(frameX, random.between(120, 150)), z);
            const double width = 34 / z;
            painter.setPen(QPen(QColor(60, 46, 36), 1.2));
            painter.drawLine(hang, QPointF(hang.x(), mouth.y() - width * 1.2));
            QPainterPath bell(QPointF(hang.x() - width * 0.3, mouth.y() - width * 1.2));
            bell.quadTo(QPointF(hang.x() - width * 0.4, mouth.y() - width * 0.4),
                        QPointF(hang.x() - width * 0.65, mouth.y()));
            bell.lineTo(hang.x() + width * 0.65, mouth.y());
            bell.quadTo(QPointF(hang.x() + width * 0.4, mouth.y() - width * 0.4),
                        QPointF(hang.x() + width * 0.3, mouth.y() - width * 1.2));
            bell.closeSubpath();
            QLinearGradient metal(hang.x() - width * 0.6, 0, hang.x() + width * 0.6, 0);
            metal.setColorAt(0, bronze.lighter(150));
            metal.setColorAt(0.4, bronze);
            metal.setColorAt(1, bronze.darker(220));
            painter.setPen(QPen(bronze.darker(300), 0.8));
            painter.setBrush(metal);
            painter.drawPath(bell);
        }
    }
}

void paintChains(QPainter &painter, const Hall &hall, SeededRandom &random)
{
    for (const double frameX : { 130.0, 190.0 }) {
        const double z = random.between(1.2, 1.6);
        const QPointF top = hall.project(QPointF(frameX, 0), z);
        const QPointF bottom = hall.project(QPointF(frameX, LocationSize), z);
        const double link = 9 / z;
        painter.setBrush(Qt::NoBrush);
        int index = 0;
        for (double y = top.y(); y < bottom.y(); y += link * 1.5, ++index) {
            painter.setPen(QPen(QColor(70, 70, 76), 2.0 / z));
            if (index % 2)
                painter.drawEllipse(QPointF(top.x(), y), link * 0.25, link);
            else
                painter.drawEllipse(QPointF(top.x(), y), link * 0.6, link);
        }
    }
}

void paintHangingLamps(QPainter &painter, const Hall &hall, SeededRandom &random)
{
    for (double z = 1.2; z < hall.backDepth; z *= 1.3) {
        for (const double frameX : { 70.0, 250.0 }) {
            const QPointF hook = hall.project(QPointF(frameX, 0), z);
            const QPointF lamp = hall.project(QPointF(frameX, random.between(90, 120)), z);
            painter.setPen(QPen(QColor(40, 34, 30), 1.0));
            painter.drawLine(hook, lamp);
            paintkit::paintGlow(painter, lamp, 44 / z, QColor(255, 200, 110, 170));
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(255, 232, 160));
            painter.drawEllipse(lamp, 5 / z, 6 / z);
        }
    }
}

void paintGrille(QPainter &painter, const Hall &hall)
{
    const QRectF back = hall.backWall();
    const QRectF bars(back.left() + back.width() * 0.2, back.top() + back.height() * 0.25,
                      back.width() * 0.6, back.height() * 0.75);
    painter.setPen(QPen(QColor(40, 40, 46), 2.6));
    for (double x = bars.left() + 4; x < bars.right(); x += 8)
        painter.drawLine(QPointF(x, bars.top()), QPointF(x, bars.bottom()));
    painter.setPen(QPen(QColor(50, 50, 56), 3.4));
    for (const double y : { bars.top() + 8, bars.center().y(), bars.bottom() - 10 })
        painter.drawLine(QPointF(bars.left(), y), QPointF(bars.right(), y));
}

void paintWaterFloor(QPainter &painter, const Scene &scene, const Hall &hall, SeededRandom &random)
{
    const QPolygonF floor = hall.floor();
    QLinearGradient depth(QPointF(0, LocationSize), QPointF(0, hall.backWall().bottom()));
    const QColor water = mix(scene.theme.accent, QColor(10, 40, 44), 0.7);
    depth.setColorAt(0, withAlpha(water.darker(150), 220));
    depth.setColorAt(1, withAlpha(water, 200));
    fill(painter, floor, depth);
    painter.save();
    QPainterPath clip;
    clip.addPolygon(floor);
    painter.setClipPath(clip);
    // Torchlight lies on the water as broken streaks under each flame.
    for (const double z : hall.bays()) {
        for (const double frameX : { 34.0, double(LocationSize) - 34 }) {
            const QPointF under = hall.project(QPointF(frameX, LocationSize), z);
            for (int streak = 0; streak < 6; ++streak) {
                const double y = under.y() + streak * 6 / z;
                painter.setPen(QPen(QColor(255, 190, 110, 140 - streak * 20), 1.6 / z + 0.4));
                painter.drawLine(QPointF(under.x() - 8 / z, y), QPointF(under.x() + 8 / z, y));
            }
        }
    }
    painter.setPen(QPen(QColor(200, 240, 235, 60), 0.8));
    for (int ripple = 0; ripple < 30; ++ripple) {
        const double y = random.between(hall.backWall().bottom(), LocationSize);
        const double x = random.between(0, LocationSize);
        painter.drawLine(QPointF(x, y), QPointF(x + random.between(6, 20), y));
    }
    painter.restore();
}

void paintDesks(QPainter &painter, const Scene &scene, const Hall &hall, SeededRandom &random)
{
    const QColor wood = litBy(scene.sky, QColor(110, 76, 48));
    const auto bays = hall.bays();
    for (auto z = bays.crbegin(); z != bays.crend(); ++z) {
        for (const double frameX : { 60.0, 200.0 }) {
            const double left = frameX, right = frameX + 60;
            const double deskZ = *z + 0.12;
            const QPointF a = hall.project(QPointF(left, 250), deskZ),
                          b = hall.project(QPointF(right, 250), deskZ);
            const QPointF c = hall.project(QPointF(right, 250), deskZ + 0.15),
                          d = hall.project(QPointF(left, 250), deskZ + 0.15);
            fill(painter, QPolygonF({ a, b, c, d }), wood.lighter(115));
            const double drop = (hall.project(QPointF(left, LocationSize), deskZ).y() - a.y());
            fill(painter, QPolygonF({ a, b, b + QPointF(0, drop), a + QPointF(0, drop) }),
                 wood.darker(150));
            if (random.chance(0.6)) {
                const QPointF candle = (a + c) / 2;
                paintkit::paintGlow(painter, candle, 26 / deskZ, QColor(255, 200, 110, 150));
            }
        }
    }
}

void paintStalactites(QPainter &painter, const Hall &hall, SeededRandom &random)
{
    for (double z = 1.0; z < hall.backDepth; z *= 1.15) {
        for (int spike = 0; spike < 5; ++spike) {
            const double x = random.between(0, LocationSize);
            const double length = random.between(16, 48);
            const QPolygonF drip({ hall.project(QPointF(x - 7, 0), z),
                                   hall.project(QPointF(x + 7, 0), z),
                                   hall.project(QPointF(x, length), z) });
            QLinearGradient shade(drip[0], drip[2]);
            shade.setColorAt(0, hall.stone.darker(200));
            shade.setColorAt(1, hall.stone.darker(120));
            fill(painter, drip, shade);
        }
    }
}

} // namespace interior
