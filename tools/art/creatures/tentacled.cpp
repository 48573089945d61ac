// Tentacled horrors: a mantle whose arms spread over the ground and curl up
// at their tips.

#include "bodyplans.h"

#include "creatureparts.h"
#include "shared/paintkit.h"
#include "shared/pictureseed.h"

namespace bodies {

using namespace parts;
using paintkit::withAlpha;

namespace {

// Down from the mantle, out along the ground, and curled up at the tip.
QList<QPointF> tentacleSpine(QPointF root, double reach, double curl)
{
    const double direction = reach < 0 ? -1 : 1;
    return { root,
             root + QPointF(direction * 6, 16),
             QPointF(root.x() + reach * 0.55, Ground - 5),
             QPointF(root.x() + reach * 0.95, Ground - 9 - curl * 0.2),
             QPointF(root.x() + reach * 1.1, Ground - 22 - curl * 0.4),
             QPointF(root.x() + reach * 0.96, Ground - 29 - curl * 0.4) };
}

void paintTentacle(QPainter &painter, const QList<QPointF> &spine, double width,
                   const QColor &color, const QColor &sucker)
{
    paintShaded(painter,
                taperedBand(spine,
                            { width, width * 0.85, width * 0.6, width * 0.4, width * 0.25, 1.2 }),
                color, 0.8);
    painter.setPen(Qt::NoPen);
    painter.setBrush(withAlpha(sucker, 190));
    for (int i = 1; i < spine.size() - 1; ++i) {
        const QPointF at = (spine[i] + spine[i + 1]) / 2 + QPointF(0, width * 0.18);
        painter.drawEllipse(at, width * 0.16, width * 0.12);
    }
}

} // namespace

void paintTentacled(QPainter &painter, const CreatureTraits &traits)
{
    SeededRandom random(traits.seed ^ 0x7e47au);
    const QPointF mantle(110, 66);
    const double rx = 34 * traits.bulk, ry = 38 * traits.bulk;
    const QPointF base = mantle + QPointF(0, ry * 0.75);
    for (const double offset : { -0.6, -0.2, 0.2, 0.6 }) {
        const double reach = (offset < 0 ? -1 : 1) * random.between(44, 66);
        paintTentacle(painter,
                      tentacleSpine(base + QPointF(rx * offset, -4), reach, random.between(0, 20)),
                      15, traits.body.darker(150), traits.belly);
    }
    QPainterPath head(mantle + QPointF(-rx, ry * 0.7));
    head.cubicTo(mantle + QPointF(-rx * 1.2, -ry * 1.4), mantle + QPointF(rx * 1.2, -ry * 1.4),
                 mantle + QPointF(rx, ry * 0.7));
    head.quadTo(mantle + QPointF(0, ry * 1.05), mantle + QPointF(-rx, ry * 0.7));
    paintShaded(painter, head, traits.body);
    paintMarkings(painter, head, traits, random);
    if (traits.spiked)
        paintSpikes(painter,
                    { mantle + QPointF(-rx * 0.5, -ry * 0.75), mantle + QPointF(0, -ry * 0.95),
                      mantle + QPointF(rx * 0.5, -ry * 0.75) },
                    10, traits.marking.lighter(130));
    const QPointF face = mantle + QPointF(rx * 0.15, -ry * 0.1);
    paintEyes(painter, face, rx * 0.75, rx * 0.17, traits);
    if (traits.variant != 1) {
        QPainterPath mouth(face + QPointF(-rx * 0.4, ry * 0.3));
        mouth.quadTo(face + QPointF(0, ry * 0.6), face + QPointF(rx * 0.4, ry * 0.3));
        mouth.quadTo(face + QPointF(0, ry * 0.4), face + QPointF(-rx * 0.4, ry * 0.3));
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(30, 10, 14));
        painter.drawPath(mouth);
    }
    for (const double offset : { -0.45, -0.15, 0.15, 0.45 }) {
        const double reach = (offset < 0 ? -1 : 1) * random.between(22, 44);
        paintTentacle(painter,
                      tentacleSpine(base + QPointF(rx * offset, -2), reach, random.between(0, 24)),
                      16, traits.body, traits.belly);
    }
    if (traits.crowned)
        paintCrown(painter, mantle + QPointF(0, -ry * 0.98), 26);
}

} // namespace bodies
