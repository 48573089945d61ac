// Blobs with a wide mouth: warty toads, see-through jellies and leafy roots.

#include "bodyplans.h"

#include "creatureparts.h"
#include "shared/paintkit.h"
#include "shared/pictureseed.h"

#include <QRadialGradient>

#include <cmath>
#include <numbers>

namespace bodies {

using namespace parts;
using paintkit::withAlpha;

namespace {

QPainterPath domeShape(double left, double right, double top)
{
    const double middle = (left + right) / 2, half = (right - left) / 2;
    QPainterPath dome(QPointF(left, Ground - 2));
    dome.cubicTo(QPointF(left - half * 0.1, top + 10), QPointF(middle - half * 0.6, top),
                 QPointF(middle, top));
    dome.cubicTo(QPointF(middle + half * 0.6, top), QPointF(right + half * 0.1, top + 10),
                 QPointF(right, Ground - 2));
    dome.quadTo(QPointF(middle, Ground + 3), QPointF(left, Ground - 2));
    return dome;
}

void paintWideMouth(QPainter &painter, QPointF from, QPointF to, double sag)
{
    QPainterPath mouth(from);
    mouth.quadTo((from + to) / 2 + QPointF(0, sag), to);
    painter.setPen(QPen(QColor(30, 14, 14), 1.8, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(mouth);
}

void paintLeaves(QPainter &painter, QPointF at, const QColor &leaf)
{
    for (int i = 0; i < 5; ++i) {
        const double angle = -150 + i * 30;
        const QPointF tip = at
                + QPointF(std::cos(angle * std::numbers::pi / 180) * 34,
                          std::sin(angle * std::numbers::pi / 180) * 38);
        paintShaded(painter, taperedBand({ at, (at + tip) / 2 + QPointF(4, 0), tip }, 3, 9), leaf,
                    0.8);
    }
}

} // namespace

void paintBlob(QPainter &painter, const CreatureTraits &traits)
{
    SeededRandom random(traits.seed ^ 0xb10bu);
    const double half = 54 * traits.bulk;
    const double top = Ground - random.between(68, 84) * traits.bulk;
    QPainterPath body = domeShape(110 - half, 110 + half, top);
    if (traits.variant == 0) {
        QPainterPath bumps;
        bumps.setFillRule(Qt::WindingFill); // overlapping puffs add up rather than cancel
        bumps.addEllipse(QPointF(110 - half * 0.35, top + 8), 13, 12);
        bumps.addEllipse(QPointF(110 + half * 0.35, top + 8), 13, 12);
        body = body.united(bumps);
    }
    if (traits.variant == 2)
        paintLeaves(painter, QPointF(110, top + 4), QColor(80, 140, 60));
    if (traits.variant == 1) {
        QRadialGradient jelly(QPointF(96, top + 20), half * 1.4);
        jelly.setColorAt(0, withAlpha(traits.body.lighter(150), 210));
        jelly.setColorAt(0.7, withAlpha(traits.body, 190));
        jelly.setColorAt(1, withAlpha(traits.body.darker(200), 230));
        painter.setPen(QPen(withAlpha(traits.body.darker(250), 200), 1.2));
        painter.setBrush(jelly);
        painter.drawPath(body);
        painter.setPen(Qt::NoPen);
        painter.setBrush(withAlpha(traits.belly, 90));
        for (int bubble = 0; bubble < 8; ++bubble)
            painter.drawEllipse(QPointF(110 + random.between(-half * 0.6, half * 0.6),
                                        random.between(top + 25, Ground - 12)),
                                3.5, 3.5);
    } else {
        paintShaded(painter, body, traits.body);
        paintMarkings(painter, body, traits, random);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 80));
    painter.drawEllipse(QPointF(110 - half * 0.35, top + 20), half * 0.28, 7);
    if (traits.spiked)
        paintSpikes(painter,
                    { QPointF(110 - half * 0.6, top + 22), QPointF(110 - half * 0.2, top + 4),
                      QPointF(110 + half * 0.2, top + 4), QPointF(110 + half * 0.6, top + 22) },
                    10, traits.marking.lighter(140));
    const double eyeY = traits.variant == 0 ? top + 8 : top + 28;
    paintEyes(painter, QPointF(110, eyeY), half * 0.7, 6.5, traits);
    paintWideMouth(painter, QPointF(110 - half * 0.6, Ground - 34),
                   QPointF(110 + half * 0.6, Ground - 36), traits.variant == 2 ? 10 : 6);
    if (traits.crowned)
        paintCrown(painter, QPointF(110, top + (traits.variant == 0 ? 0 : 3)), 26);
}

} // namespace bodies
