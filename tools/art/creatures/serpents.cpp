// Serpents rearing up to strike: eels, wyrms and drakes, some winged, hydras
// with more than one head.

#include "bodyplans.h"

#include "creatureparts.h"
#include "shared/paintkit.h"
#include "shared/pictureseed.h"

#include <cmath>

namespace bodies {

using namespace parts;
using paintkit::withAlpha;

namespace {

void paintSerpentHead(QPainter &painter, QPointF at, double size, const CreatureTraits &traits,
                      SeededRandom &random)
{
    if (traits.horned)
        paintHorns(painter, at + QPointF(-size * 0.3, -size * 0.55), size * 0.5, size * 1.1,
                   traits);
    QPainterPath skull;
    skull.addEllipse(at, size, size * 0.72);
    QPainterPath snout;
    snout.addEllipse(at + QPointF(size * 0.85, size * 0.2), size * 0.75, size * 0.45);
    const QPainterPath head = skull.united(snout);
    if (random.chance(0.5)) {
        const QPointF lip = at + QPointF(size * 1.55, size * 0.35);
        painter.setPen(QPen(QColor(200, 40, 60), 1.2, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(lip, lip + QPointF(size * 0.5, size * 0.1));
        painter.drawLine(lip + QPointF(size * 0.5, size * 0.1),
                         lip + QPointF(size * 0.75, -size * 0.05));
        painter.drawLine(lip + QPointF(size * 0.5, size * 0.1),
                         lip + QPointF(size * 0.75, size * 0.3));
    }
    paintShaded(painter, head, traits.body);
    painter.setPen(QPen(QColor(30, 16, 16), 1.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(at + QPointF(size * 1.5, size * 0.4), at + QPointF(size * 0.3, size * 0.45));
    paintSpikes(painter,
                { at + QPointF(size * 1.2, size * 0.48), at + QPointF(size * 0.8, size * 0.5) },
                -size * 0.35, QColor(245, 240, 228));
    paintEyes(painter, at + QPointF(size * 0.35, -size * 0.2), size * 0.5, size * 0.2, traits);
    if (traits.crowned)
        paintCrown(painter, at + QPointF(0, -size * 0.6), size * 1.1);
}

} // namespace

void paintSerpent(QPainter &painter, const CreatureTraits &traits)
{
    SeededRandom random(traits.seed ^ 0x5e2be7u);
    const double sway = random.between(-10, 10);
    const double thick = traits.bulk;
    const QList<QPointF> spine = { { 28, 132 },         { 62, 137 },        { 100, 134 },
                                   { 134 + sway, 118 }, { 130 + sway, 92 }, { 106 - sway, 72 },
                                   { 116, 52 },         { 142, 44 } };
    const QList<double> widths = { 3,          14 * thick, 24 * thick, 27 * thick,
                                   25 * thick, 21 * thick, 18 * thick, 16 * thick };
    if (traits.winged)
        paintWing(painter, QPointF(118, 96), -random.between(70, 84), 58, traits.wings,
                  traits.marking);
    if (traits.manyHeaded) {
        for (const QPointF &head : { QPointF(114, 32), QPointF(172, 70) }) {
            paintShaded(
                    painter,
                    taperedBand(
                            { { 128, 100 }, (QPointF(128, 100) + head) / 2 + QPointF(-8, 0), head },
                            18, 12),
                    traits.body.darker(120));
            paintSerpentHead(painter, head, 11, traits, random);
        }
    }
    const QPainterPath body = taperedBand(spine, widths);
    paintShaded(painter, body, traits.body);
    painter.save();
    painter.setClipPath(body);
    QList<QPointF> belly;
    for (const QPointF &point : spine)
        belly << point + QPointF(4, 5);
    QList<double> bellyWidths;
    for (const double width : widths)
        bellyWidths << width * 0.55;
    painter.setPen(Qt::NoPen);
    painter.setBrush(withAlpha(traits.belly, 150));
    painter.drawPath(taperedBand(belly, bellyWidths));
    painter.restore();
    paintMarkings(painter, body, traits, random);
    if (traits.spiked || traits.horned) {
        QList<QPointF> ridge;
        for (int i = 2; i < spine.size() - 1; ++i)
            ridge << spine[i] - QPointF(0, widths[i] * 0.45);
        paintSpikes(painter, ridge, 9, traits.marking.lighter(140));
    }
    if (traits.winged)
        paintWing(painter, QPointF(112, 100), -random.between(56, 66), 44, traits.wings,
                  traits.body);
    paintSerpentHead(painter, QPointF(148, 44), 14 * std::sqrt(thick), traits, random);
}

} // namespace bodies
