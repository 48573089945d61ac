#pragma once

#include "creaturetraits.h"

#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>

class SeededRandom;

// Pieces shared by the body plans. Everything is drawn on a stage 220 units
// wide and 150 high with the ground at y = 140, facing right; the picture
// scales and mirrors the stage afterwards.
namespace parts {

inline constexpr double StageWidth = 220;
inline constexpr double StageHeight = 150;
inline constexpr double Ground = 140;

// Light falls from the upper left: a bright spot there, the base color in
// the middle, a dark core shadow on the far side, and a darker outline.
void paintShaded(QPainter &painter, const QPainterPath &shape, const QColor &base,
                 double outline = 1.3);

// A smooth band along the spine points whose width runs from one end's to the
// other's: tails, necks, tentacles, limbs and whole serpents.
QPainterPath taperedBand(const QList<QPointF> &spine, double startWidth, double endWidth);
// The same with a width for each spine point, for bodies that swell and thin.
QPainterPath taperedBand(const QList<QPointF> &spine, const QList<double> &widths);

// A paler belly and stripes or spots in the marking color, kept inside the
// shape they mark.
void paintMarkings(QPainter &painter, const QPainterPath &shape, const CreatureTraits &traits,
                   SeededRandom &random);
void paintEyes(QPainter &painter, QPointF centre, double spacing, double radius,
               const CreatureTraits &traits);
void paintHorns(QPainter &painter, QPointF base, double spread, double length,
                const CreatureTraits &traits);
void paintAntlers(QPainter &painter, QPointF base, double spread, double size);
void paintCrown(QPainter &painter, QPointF bottomCentre, double width);
void paintSpikes(QPainter &painter, const QList<QPointF> &along, double height,
                 const QColor &color);
void paintTusks(QPainter &painter, QPointF at, double size);
// Two feelers curving up and forward from the head, each ending in a knob.
void paintAntennae(QPainter &painter, QPointF head, double size, const QColor &color);

// One wing, rooted at the shoulder and spread up and back; a span below zero
// spreads it forward instead.
void paintWing(QPainter &painter, QPointF shoulder, double span, double lift, WingKind kind,
               const QColor &color);

} // namespace parts
