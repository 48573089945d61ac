// Fish leaping out of the water: toothed hunters and blunt-nosed mudskippers.

#include "bodyplans.h"

#include "creatureparts.h"
#include "shared/paintkit.h"
#include "shared/pictureseed.h"

#include <QLinearGradient>

namespace bodies {

using namespace parts;
using paintkit::mix;

namespace {

void paintSplash(QPainter &painter, QPointF centre, SeededRandom &random)
{
    painter.setBrush(Qt::NoBrush);
    for (int ring = 0; ring < 3; ++ring) {
        painter.setPen(QPen(QColor(220, 240, 255, 150 - ring * 40), 1.4));
        painter.drawEllipse(centre, 22.0 + ring * 14, 3.0 + ring * 2);
    }
    painter.setPen(Qt::NoPen);
    for (int drop = 0; drop < 14; ++drop) {
        const QPointF at = centre + QPointF(random.between(-34, 34), -random.between(2, 30));
        painter.setBrush(QColor(225, 245, 255, int(random.between(120, 220))));
        painter.drawEllipse(at, 1.6, 2.2);
    }
}

QPainterPath fishBody(double bluntness)
{
    const QPointF nose(172, 80 - bluntness * 4);
    QPainterPath body(nose);
    body.cubicTo(QPointF(158 - bluntness * 12, 48), QPointF(94, 56), QPointF(62, 76));
    body.lineTo(62, 88);
    body.cubicTo(QPointF(96, 110), QPointF(156, 108), nose);
    body.closeSubpath();
    return body;
}

QPainterPath fin(QPointF from, QPointF tip, QPointF to)
{
    QPainterPath path(from);
    path.quadTo((from + tip) / 2 + QPointF(0, -3), tip);
    path.quadTo((tip + to) / 2 + QPointF(4, 2), to);
    path.closeSubpath();
    return path;
}

} // namespace

void paintFish(QPainter &painter, const CreatureTraits &traits)
{
    SeededRandom random(traits.seed ^ 0xf15a7u);
    const bool toothy = traits.variant != 2;
    paintSplash(painter, QPointF(96, Ground - 1), random);
    painter.save();
    painter.translate(110, 82);
    painter.rotate(random.between(-22, -8));
    painter.scale(traits.bulk, traits.bulk);
    painter.translate(-110, -82);

    const QColor finColor = mix(traits.marking, traits.body, 0.4);
    QPainterPath tail(QPointF(64, 82));
    tail.cubicTo(QPointF(50, 70), QPointF(40, 58), QPointF(28, 54));
    tail.quadTo(QPointF(42, 80), QPointF(28, 110));
    tail.cubicTo(QPointF(40, 104), QPointF(52, 94), QPointF(64, 84));
    paintShaded(painter, tail, finColor);
    paintShaded(painter,
                fin(QPointF(92, 60), QPointF(108, 36 - random.between(0, 10)), QPointF(132, 57)),
                finColor);
    paintShaded(painter, fin(QPointF(100, 101), QPointF(88, 114), QPointF(114, 104)), finColor);

    const QPainterPath body = fishBody(traits.variant == 2 ? 1.0 : 0.0);
    QLinearGradient flank(0, 50, 0, 108);
    flank.setColorAt(0, traits.body.darker(170));
    flank.setColorAt(0.5, traits.body);
    flank.setColorAt(1, traits.belly.lighter(115));
    painter.setPen(QPen(traits.body.darker(320), 1.3));
    painter.setBrush(flank);
    painter.drawPath(body);
    paintMarkings(painter, body, traits, random);

    painter.setPen(QPen(traits.body.darker(220), 1.2));
    painter.setBrush(Qt::NoBrush);
    QPainterPath gill(QPointF(146, 64));
    gill.quadTo(QPointF(138, 80), QPointF(146, 96));
    painter.drawPath(gill);
    paintShaded(painter, fin(QPointF(138, 88), QPointF(122, 100), QPointF(134, 94)), finColor);
    painter.setPen(QPen(QColor(30, 16, 16), 1.4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(171, 82), QPointF(152, 88));
    if (toothy) {
        for (double x = 156; x < 170; x += 3.4)
            paintSpikes(painter, { QPointF(x, 86.5 - (x - 156) * 0.25) }, -4,
                        QColor(245, 240, 228));
    }
    CreatureTraits eye = traits;
    eye.eyeCount = 1;
    paintEyes(painter, QPointF(158, traits.variant == 2 ? 66 : 74), 0, 4.2, eye);
    if (traits.crowned)
        paintCrown(painter, QPointF(150, 60), 20);
    painter.restore();
}

} // namespace bodies
