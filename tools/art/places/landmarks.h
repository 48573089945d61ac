#pragma once

#include "locationscene.h"

#include <QPainterPath>
#include <QPolygonF>

// The landmark painters behind paintLandmark(), in files named after their
// kind. Each stands its landmark on the ground at base (its foot, centred) at
// the given scale.
namespace landmarks {

struct Placement
{
    QPointF base;
    double scale;
};

// Shared finish: a face lit from the left, darker towards the right.
void paintFace(QPainter &painter, const QPainterPath &shape, const QColor &color);
QPainterPath polygonPath(std::initializer_list<QPointF> points);
// Windows dark by day and lit from inside at dusk and night.
void paintWindow(QPainter &painter, const Scene &scene, const QRectF &window);
// Weathered wood as the scene's light shows it.
QColor timber(const Scene &scene);

// buildings.cpp
void paintWindmill(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random);
void paintCottages(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random);
void paintChurch(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random);
void paintTower(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random);
void paintGallows(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random);

// waterside.cpp
void paintBridge(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random);
void paintJetty(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random);
void paintWreck(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random);

// ancientsites.cpp
void paintStones(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random);
void paintBarrow(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random);
void paintRuins(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random);

// naturalfeatures.cpp
void paintCave(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random);
void paintCrater(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random);
void paintCrystals(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random);
void paintWaterfall(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random);
void paintGreatTree(QPainter &painter, const Scene &scene, Placement at, SeededRandom &random);

} // namespace landmarks
