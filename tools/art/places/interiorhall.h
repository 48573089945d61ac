#pragma once

#include "locationscene.h"

#include <QPolygonF>
#include <QRectF>

// A hall seen straight down its length. A point of the picture's frame at
// depth z (1 at the frame, farther beyond) is drawn at vanish + (point -
// vanish) / z, so the back wall is the frame itself at the deepest z.
enum class WallStyle { Masonry, Brick, Rock, Timber };

struct Hall
{
    QPointF vanish;
    double backDepth;
    WallStyle style;
    QColor stone; // the walls' own color, before the torchlight
    QPointF project(QPointF framePoint, double z) const
    {
        return vanish + (framePoint - vanish) / z;
    }
    QRectF backWall() const
    {
        return QRectF(project(QPointF(0, 0), backDepth),
                      project(QPointF(LocationSize, LocationSize), backDepth));
    }
    QPolygonF leftWall() const;
    QPolygonF rightWall() const;
    QPolygonF floor() const;
    QPolygonF ceiling() const;
    // Depths of the pillars (or beams) that divide the hall into bays.
    QList<double> bays() const { return { 1.12, 1.45, 1.9 }; }
};

// Features painted over the bare hall, chosen by the words of the place.
namespace interior {

void paintBookshelves(QPainter &painter, const Scene &scene, const Hall &hall,
                      SeededRandom &random);
void paintNiches(QPainter &painter, const Scene &scene, const Hall &hall, SeededRandom &random);
void paintPipes(QPainter &painter, const Scene &scene, const Hall &hall);
void paintGear(QPainter &painter, const Scene &scene, const Hall &hall, SeededRandom &random);
void paintOrreryRings(QPainter &painter, const Hall &hall, SeededRandom &random);
void paintStarCeiling(QPainter &painter, const Hall &hall, SeededRandom &random);
void paintBells(QPainter &painter, const Scene &scene, const Hall &hall, SeededRandom &random);
void paintChains(QPainter &painter, const Hall &hall, SeededRandom &random);
void paintHangingLamps(QPainter &painter, const Hall &hall, SeededRandom &random);
void paintGrille(QPainter &painter, const Hall &hall);
void paintWaterFloor(QPainter &painter, const Scene &scene, const Hall &hall, SeededRandom &random);
void paintDesks(QPainter &painter, const Scene &scene, const Hall &hall, SeededRandom &random);
void paintStalactites(QPainter &painter, const Hall &hall, SeededRandom &random);

} // namespace interior
