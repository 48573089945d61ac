// Birds and bats, seen from the side; moths and other insect-winged flyers,
// seen from the front.

#include "bodyplans.h"

#include "creatureparts.h"
#include "shared/paintkit.h"
#include "shared/pictureseed.h"

namespace bodies {

using namespace parts;
using paintkit::withAlpha;

namespace {

void paintBeak(QPainter &painter, QPointF base, double size, SeededRandom &random)
{
    const double length = size * random.between(0.8, 2.0);
    const double hook = random.chance(0.4) ? size * 0.5 : 0;
    QPainterPath beak(base + QPointF(0, -size * 0.4));
    beak.quadTo(base + QPointF(length * 0.7, -size * 0.35), base + QPointF(length, hook));
    beak.quadTo(base + QPointF(length * 0.5, size * 0.25), base + QPointF(0, size * 0.35));
    beak.closeSubpath();
    paintShaded(painter, beak, QColor(222, 170, 70), 0.8);
}

void paintTalons(QPainter &painter, QPointF hip, double size)
{
    painter.setPen(QPen(QColor(70, 56, 40), 1.6, Qt::SolidLine, Qt::RoundCap));
    for (int leg = 0; leg < 2; ++leg) {
        const QPointF from = hip + QPointF(leg * size * 0.5, 0);
        const QPointF foot = from + QPointF(-size * 0.3, size * 1.2);
        painter.drawLine(from, foot);
        for (int toe = -1; toe <= 1; ++toe)
            painter.drawLine(foot, foot + QPointF(toe * size * 0.25, size * 0.25));
    }
}

// Moths and their kind are seen from the front, wings spread to both sides.
void paintMoth(QPainter &painter, const CreatureTraits &traits, SeededRandom &random)
{
    const QPointF centre(110, 80);
    const double span = random.between(66, 84) * traits.bulk;
    for (const double side : { -1.0, 1.0 })
        paintWing(painter, centre + QPointF(side * 3, -4), side * span, span * 0.62,
                  WingKind::Insect, traits.body);
    QPainterPath abdomen;
    abdomen.addEllipse(centre + QPointF(0, 12), 8 * traits.bulk, 22 * traits.bulk);
    paintShaded(painter, abdomen, traits.marking.lighter(130));
    painter.setPen(QPen(withAlpha(traits.marking.darker(160), 160), 1.2));
    for (int ring = 0; ring < 4; ++ring)
        painter.drawLine(centre + QPointF(-6, 6 + ring * 7), centre + QPointF(6, 6 + ring * 7));
    const QPointF head = centre + QPointF(0, -14);
    for (const double side : { -1.0, 1.0 }) {
        QPainterPath feeler(head);
        feeler.quadTo(head + QPointF(side * 8, -22), head + QPointF(side * 20, -26));
        painter.setPen(QPen(traits.marking, 1.4, Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(feeler);
    }
    QPainterPath skull;
    skull.addEllipse(head, 9, 8);
    paintShaded(painter, skull, traits.marking.lighter(120));
    paintEyes(painter, head + QPointF(0, 1), 9, 3.4, traits);
    if (traits.crowned)
        paintCrown(painter, head + QPointF(0, -7), 14);
}

} // namespace

void paintFlyer(QPainter &painter, const CreatureTraits &traits)
{
    SeededRandom random(traits.seed ^ 0xf17e5u);
    if (traits.wings == WingKind::Insect) {
        paintMoth(painter, traits, random);
        return;
    }
    const bool insect = traits.wings == WingKind::Insect;
    const bool bat = traits.wings == WingKind::Membrane;
    const QPointF body(108, 86);
    const double rx = 30 * traits.bulk, ry = (insect ? 13 : 19) * traits.bulk;
    const QPointF shoulder = body + QPointF(rx * 0.25, -ry * 0.6);
    const QPointF head = body + QPointF(rx * 1.0, -ry * (insect ? 0.3 : 1.0));
    const double headRadius = (insect ? 10 : 13) * traits.bulk;
    const double lift = random.between(36, 46);

    paintWing(painter, shoulder + QPointF(4, -2), -random.between(70, 90), lift, traits.wings,
              traits.marking.lighter(120));
    if (!insect && !bat) {
        const QPointF tailRoot = body - QPointF(rx * 0.8, -ry * 0.2);
        for (int feather = 0; feather < 4; ++feather)
            paintShaded(painter,
                        taperedBand({ tailRoot, tailRoot + QPointF(-28, 8 + feather * 5) }, 9, 5),
                        traits.marking);
    }
    QPainterPath torso;
    torso.setFillRule(Qt::WindingFill); // overlapping puffs add up rather than cancel
    if (insect) {
        for (int segment = 0; segment < 4; ++segment)
            torso.addEllipse(body + QPointF(-segment * rx * 0.38, segment * 2.0), rx * 0.5,
                             ry * (1 - segment * 0.12));
    } else {
        torso.addEllipse(body, rx, ry);
    }
    paintShaded(painter, torso.simplified(), traits.body);
    paintMarkings(painter, torso, traits, random);
    if (!insect)
        paintTalons(painter, body + QPointF(-rx * 0.1, ry * 0.8), 12);

    QPainterPath skull;
    skull.addEllipse(head, headRadius, headRadius * 0.92);
    if (bat) {
        for (int ear = 0; ear < 2; ++ear) {
            const QPointF root = head + QPointF(-headRadius * (0.5 - ear * 0.7), -headRadius * 0.5);
            paintShaded(
                    painter,
                    taperedBand({ root, root + QPointF(-3 + ear * 4, -headRadius * 1.3) }, 9, 1),
                    traits.body);
        }
    }
    paintShaded(painter, skull, traits.body);
    if (insect)
        paintAntennae(painter, head + QPointF(headRadius * 0.3, -headRadius * 0.7),
                      headRadius * 1.6, traits.marking);
    else if (!bat)
        paintBeak(painter, head + QPointF(headRadius * 0.8, headRadius * 0.15), headRadius * 0.55,
                  random);
    paintEyes(painter, head + QPointF(headRadius * 0.25, -headRadius * 0.15), headRadius * 0.6,
              headRadius * 0.24, traits);
    if (traits.horned && !insect)
        paintHorns(painter, head + QPointF(-headRadius * 0.2, -headRadius * 0.75), headRadius * 0.6,
                   headRadius, traits);
    if (traits.crowned)
        paintCrown(painter, head + QPointF(0, -headRadius * 0.8), headRadius * 1.2);
    paintWing(painter, shoulder, -random.between(60, 76), lift * 0.8, traits.wings, traits.body);
}

} // namespace bodies
