// Four-legged beasts, from rats and hares to boars, bears and stags, seen from
// the side.

#include "bodyplans.h"

#include "creatureparts.h"
#include "shared/pictureseed.h"

#include <cmath>

namespace bodies {

using namespace parts;

namespace {

QPainterPath beanShape(QPointF centre, double rx, double ry)
{
    const double cx = centre.x(), cy = centre.y();
    QPainterPath bean(QPointF(cx - rx, cy));
    bean.cubicTo(cx - rx * 0.85, cy - ry * 1.35, cx + rx * 0.6, cy - ry * 1.25, cx + rx,
                 cy - ry * 0.2);
    bean.cubicTo(cx + rx * 1.08, cy + ry * 0.9, cx - rx * 0.7, cy + ry * 1.15, cx - rx, cy);
    bean.closeSubpath();
    return bean;
}

void paintLeg(QPainter &painter, QPointF hip, double width, const QColor &color)
{
    const double length = Ground - hip.y();
    const QPointF knee = hip + QPointF(width * 0.15, length * 0.5);
    const QPointF paw(hip.x() + width * 0.25, Ground - width * 0.25);
    paintShaded(painter,
                taperedBand({ hip, knee, paw }, { width * 1.5, width * 0.8, width * 0.55 }), color);
    QPainterPath foot;
    foot.addEllipse(paw + QPointF(width * 0.2, 0), width * 0.5, width * 0.3);
    paintShaded(painter, foot, color.darker(115));
}

struct BeastFrame
{
    QPointF body;
    double rx;
    double ry;
    QPointF head;
    double headRadius;
};

void paintBeastHead(QPainter &painter, const BeastFrame &f, const CreatureTraits &traits,
                    SeededRandom &random)
{
    const double hr = f.headRadius;
    const double earLength = hr * random.between(0.6, 1.5);
    for (int ear = 0; ear < 2; ++ear) {
        const QPointF root = f.head + QPointF(-hr * (0.45 - ear * 0.35), -hr * 0.6);
        paintShaded(painter,
                    taperedBand({ root, root + QPointF(-earLength * 0.35, -earLength) }, hr * 0.55,
                                1.0),
                    ear == 0 ? traits.body.darker(130) : traits.body);
    }
    QPainterPath head;
    head.addEllipse(f.head, hr, hr * 0.9);
    QPainterPath snout;
    const double snoutLength = random.between(0.6, 1.0);
    snout.addEllipse(f.head + QPointF(hr * (0.5 + snoutLength * 0.4), hr * 0.3), hr * snoutLength,
                     hr * 0.5);
    paintShaded(painter, head.united(snout), traits.body);
    const QPointF nose = f.head + QPointF(hr * (0.5 + snoutLength * 1.35), hr * 0.15);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(24, 16, 16));
    painter.drawEllipse(nose, hr * 0.16, hr * 0.12);
    painter.setPen(QPen(QColor(24, 16, 16, 200), 1.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(nose + QPointF(-hr * 0.1, hr * 0.45), nose + QPointF(-hr * 0.8, hr * 0.5));
    if (random.chance(0.6)) {
        for (int fang = 0; fang < 2; ++fang)
            paintSpikes(painter, { nose + QPointF(-hr * (0.25 + fang * 0.4), hr * 0.48) },
                        -hr * 0.3, QColor(240, 236, 220));
    }
    if (traits.tusked)
        paintTusks(painter, nose + QPointF(-hr * 0.4, hr * 0.45), hr * 0.7);
    paintEyes(painter, f.head + QPointF(hr * 0.3, -hr * 0.2), hr * 0.55, hr * 0.2, traits);
    if (traits.antlered)
        paintAntlers(painter, f.head + QPointF(-hr * 0.1, -hr * 0.75), hr * 0.7, hr * 2.4);
    else if (traits.horned)
        paintHorns(painter, f.head + QPointF(-hr * 0.1, -hr * 0.7), hr * 0.7, hr * 1.3, traits);
    if (traits.crowned)
        paintCrown(painter, f.head + QPointF(-hr * 0.05, -hr * 0.8), hr * 1.2);
}

} // namespace

void paintBeast(QPainter &painter, const CreatureTraits &traits)
{
    SeededRandom random(traits.seed ^ 0xbea57u);
    BeastFrame f;
    f.rx = 46 * traits.bulk * random.between(0.9, 1.12);
    f.ry = 24 * traits.bulk;
    const double legLength = random.between(20, 36);
    f.body = QPointF(100, Ground - legLength - f.ry * 0.6);
    f.headRadius = 15 * std::sqrt(traits.bulk);
    f.head = f.body + QPointF(f.rx * 1.05, -f.ry * random.between(0.8, 1.3));
    const QColor far = traits.body.darker(135);
    const QPainterPath torso = beanShape(f.body, f.rx, f.ry);

    if (traits.winged)
        paintWing(painter, f.body + QPointF(f.rx * 0.2, -f.ry * 0.8), -f.rx * 1.3, f.ry * 2.6,
                  traits.wings, far);
    if (traits.tailed) {
        // Either a thin whip of a tail or a bushy brush that swells before its tip.
        const QPointF root = f.body + QPointF(-f.rx * 0.85, -f.ry * 0.45);
        const double rise = random.between(-0.2, 1.4);
        const QList<QPointF> spine = { root,
                                       root + QPointF(-f.rx * 0.35, -f.ry * (0.3 + rise * 0.3)),
                                       root + QPointF(-f.rx * 0.6, -f.ry * (0.2 + rise * 0.8)),
                                       root + QPointF(-f.rx * 0.75, -f.ry * rise * 0.6) };
        const bool bushy = random.chance(0.5);
        paintShaded(painter,
                    taperedBand(spine,
                                bushy ? QList<double> { 8, 13, 12, 2 }
                                      : QList<double> { 8, 5, 3.5, 1.5 }),
                    bushy ? traits.body.lighter(108) : traits.body);
    }
    for (const double x : { -0.45, 0.62 })
        paintLeg(painter, f.body + QPointF(f.rx * x + 7, f.ry * 0.2), 12 * traits.bulk, far);
    paintShaded(painter, torso, traits.body);
    paintMarkings(painter, torso, traits, random);
    for (const double x : { -0.6, 0.5 })
        paintLeg(painter, f.body + QPointF(f.rx * x, f.ry * 0.3), 13 * traits.bulk, traits.body);
    if (traits.spiked) {
        QList<QPointF> ridge;
        for (double x = -0.6; x <= 0.45; x += 0.15)
            ridge << f.body + QPointF(f.rx * x, -f.ry * 1.0 * std::sqrt(1 - x * x) - f.ry * 0.05);
        paintSpikes(painter, ridge, f.ry * 0.55, traits.marking.lighter(130));
    }
    const QPointF neckRoot = f.body + QPointF(f.rx * 0.55, -f.ry * 0.2);
    paintShaded(painter, taperedBand({ neckRoot, f.head }, f.ry * 1.3, f.headRadius * 1.2),
                traits.body);
    paintBeastHead(painter, f, traits, random);
}

} // namespace bodies
