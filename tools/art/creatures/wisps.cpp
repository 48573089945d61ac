// Wisps: hooded wraiths, flame spirits and whirling dust devils.

#include "bodyplans.h"

#include "creatureparts.h"
#include "shared/paintkit.h"
#include "shared/pictureseed.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <cmath>

namespace bodies {

using namespace parts;
using paintkit::mix;
using paintkit::withAlpha;

namespace {

void paintWraith(QPainter &painter, const CreatureTraits &traits, SeededRandom &random)
{
    const QPointF hood(110, 46);
    QPainterPath robe(hood + QPointF(-20, 6));
    robe.cubicTo(hood + QPointF(-24, -30), hood + QPointF(24, -30), hood + QPointF(20, 6));
    robe.cubicTo(hood + QPointF(34, 30), hood + QPointF(40, 60), hood + QPointF(42, 84));
    for (int tatter = 0; tatter < 6; ++tatter) {
        const double x = 42 - (tatter + 1) * 14;
        robe.lineTo(hood + QPointF(x + 7, 62 + random.between(0, 10)));
        robe.lineTo(hood + QPointF(x, 88 + random.between(-6, 8)));
    }
    robe.cubicTo(hood + QPointF(-40, 56), hood + QPointF(-32, 30), hood + QPointF(-20, 6));
    QLinearGradient fade(hood, hood + QPointF(0, 90));
    fade.setColorAt(0, traits.body);
    fade.setColorAt(0.6, withAlpha(traits.body.darker(140), 200));
    fade.setColorAt(1, withAlpha(traits.body.darker(180), 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fade);
    painter.drawPath(robe);
    for (const double side : { -1.0, 1.0 }) {
        const QPointF shoulder = hood + QPointF(side * 18, 22);
        paintShaded(painter,
                    taperedBand({ shoulder, shoulder + QPointF(side * 20, 10),
                                  shoulder + QPointF(side * 34, 0) },
                                10, 3),
                    traits.body.darker(120), 0.8);
    }
    QPainterPath face;
    face.addEllipse(hood + QPointF(0, -2), 13, 15);
    painter.setBrush(QColor(8, 6, 12));
    painter.drawPath(face);
    paintEyes(painter, hood + QPointF(0, -2), 10, 2.8, traits);
    if (traits.crowned)
        paintCrown(painter, hood + QPointF(0, -18), 22);
}

void paintFlameSpirit(QPainter &painter, const CreatureTraits &traits)
{
    const QPointF core(110, 72);
    QPainterPath tail(core + QPointF(-22, 0));
    tail.cubicTo(core + QPointF(-30, 30), core + QPointF(-60, 30), core + QPointF(-78, 52));
    tail.cubicTo(core + QPointF(-40, 46), core + QPointF(0, 40), core + QPointF(22, 0));
    tail.closeSubpath();
    QLinearGradient trail(core, core + QPointF(-78, 52));
    trail.setColorAt(0, withAlpha(traits.eye, 200));
    trail.setColorAt(1, withAlpha(traits.eye, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(trail);
    painter.drawPath(tail);
    QPainterPath flame(core + QPointF(0, -50));
    flame.cubicTo(core + QPointF(20, -24), core + QPointF(34, 6), core + QPointF(0, 28));
    flame.cubicTo(core + QPointF(-34, 6), core + QPointF(-20, -24), core + QPointF(0, -50));
    QRadialGradient fire(core + QPointF(0, 6), 40);
    fire.setColorAt(0, QColor(255, 255, 235));
    fire.setColorAt(0.35, mix(traits.eye, Qt::white, 0.4));
    fire.setColorAt(1, withAlpha(traits.eye.darker(150), 120));
    painter.setBrush(fire);
    painter.drawPath(flame);
    CreatureTraits dark = traits;
    dark.eye = QColor(30, 20, 40);
    dark.spectral = false;
    paintEyes(painter, core + QPointF(0, 4), 11, 3.2, dark);
    if (traits.crowned)
        paintCrown(painter, core + QPointF(0, -44), 18);
}

void paintWhirl(QPainter &painter, const CreatureTraits &traits, SeededRandom &random)
{
    painter.setBrush(Qt::NoBrush);
    for (int band = 0; band < 12; ++band) {
        const double y = Ground - 6 - band * 9.5;
        const double radius = 8 + band * band * 0.42;
        const double drift = std::sin(band * 0.7) * 8;
        painter.setPen(QPen(withAlpha(mix(traits.body, traits.belly, band / 12.0), 200 - band * 8),
                            4.5 - band * 0.2, Qt::SolidLine, Qt::RoundCap));
        painter.drawArc(QRectF(110 + drift - radius, y - radius * 0.22, radius * 2, radius * 0.44),
                        int(random.between(0, 90)) * 16, int(random.between(200, 320)) * 16);
    }
    paintEyes(painter, QPointF(112, 70), 14, 3.4, traits);
}

} // namespace

void paintWisp(QPainter &painter, const CreatureTraits &traits)
{
    SeededRandom random(traits.seed ^ 0x3157u);
    switch (traits.variant) {
    case 0:
        paintWraith(painter, traits, random);
        break;
    case 1:
        paintFlameSpirit(painter, traits);
        break;
    default:
        paintWhirl(painter, traits, random);
        break;
    }
}

} // namespace bodies
