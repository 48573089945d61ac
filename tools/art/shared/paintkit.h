#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QRectF>

class SeededRandom;

// Small painting helpers shared by the monster and location pictures: the
// soft light and shadow that make flat vector shapes read as lit objects, and
// the plates that carry their captions.
namespace paintkit {

QColor mix(const QColor &from, const QColor &to, double amount);
QColor withAlpha(QColor color, int alpha);

// A radial falloff from color at the centre to nothing at the radius.
void paintGlow(QPainter &painter, QPointF centre, double radius, const QColor &color);
// An oval shadow that fades out towards its edge, as cast by diffuse light.
void paintSoftShadow(QPainter &painter, QPointF centre, double radiusX, double radiusY, int alpha);
// Darkens the corners so the eye settles on the middle of the picture.
void paintVignette(QPainter &painter, const QRectF &area, int strength);

enum class Particles { None, Fireflies, Embers, Snow, Dust, Spores, Bubbles, Sparkles };
void paintParticles(QPainter &painter, const QRectF &area, Particles kind, int count,
                    SeededRandom &random);
void paintRain(QPainter &painter, const QRectF &area, int count, SeededRandom &random);

QFont captionFont(int pixelSize, bool bold);
// A dark translucent band with a thin accent rule along its top edge.
void paintPlate(QPainter &painter, const QRectF &area, const QColor &accent);
void paintShadowedText(QPainter &painter, const QRectF &box, int flags, const QString &text,
                       const QColor &color);

} // namespace paintkit
