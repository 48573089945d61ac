// Crawlers: spiders, beetles, centipedes and crabs.

#include "bodyplans.h"

#include "creatureparts.h"
#include "shared/pictureseed.h"

#include <cmath>

namespace bodies {

using namespace parts;

namespace {

// A jointed leg from the body out over the knee to the ground.
void paintJointedLeg(QPainter &painter, QPointF root, QPointF knee, QPointF foot, double width,
                     const QColor &color)
{
    paintShaded(painter, taperedBand({ root, knee }, width, width * 0.8), color, 0.8);
    paintShaded(painter, taperedBand({ knee, foot }, width * 0.8, width * 0.3), color, 0.8);
}

void paintLegFan(QPainter &painter, QPointF root, int count, double spread, double height,
                 double width, const QColor &color)
{
    for (int i = 0; i < count; ++i) {
        const double offset = i - (count - 1) / 2.0;
        const QPointF from = root + QPointF(offset * 7, 0);
        const QPointF knee = from + QPointF(offset * spread * 0.5, -height + std::abs(offset) * 5);
        const QPointF foot(from.x() + offset * spread, Ground - 1);
        paintJointedLeg(painter, from, knee, foot, width, color);
    }
}

void paintSpider(QPainter &painter, const CreatureTraits &traits, SeededRandom &random)
{
    const QPointF thorax(128, 106), abdomen(88, 92);
    const double size = traits.bulk;
    paintLegFan(painter, thorax + QPointF(-4, -4), 4, 22, 40 * size, 5, traits.body.darker(150));
    QPainterPath back;
    back.addEllipse(abdomen, 36 * size, 29 * size);
    paintShaded(painter, back, traits.body);
    paintMarkings(painter, back, traits, random);
    QPainterPath front;
    front.addEllipse(thorax, 20 * size, 15 * size);
    paintShaded(painter, front, traits.body.lighter(110));
    paintLegFan(painter, thorax + QPointF(2, 4), 4, 26, 34 * size, 5.5, traits.body);
    for (int fang = 0; fang < 2; ++fang)
        paintSpikes(painter, { thorax + QPointF(16 + fang * 5, 12) }, -9,
                    traits.marking.lighter(160));
    paintEyes(painter, thorax + QPointF(9, -4), 8, 3.2, traits);
    for (int eye = 0; eye < 4; ++eye) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(traits.eye.darker(130));
        painter.drawEllipse(thorax + QPointF(2 + eye * 4, -10 + (eye % 2) * 2), 1.6, 1.6);
    }
    if (traits.crowned)
        paintCrown(painter, thorax + QPointF(4, -13), 16);
}

void paintBeetle(QPainter &painter, const CreatureTraits &traits, SeededRandom &random)
{
    const QPointF shell(100, 100);
    const double rx = 44 * traits.bulk, ry = 30 * traits.bulk;
    paintLegFan(painter, shell + QPointF(4, 4), 3, 30, 16, 5, traits.body.darker(160));
    const QPointF head = shell + QPointF(rx * 1.05, ry * 0.3);
    QPainterPath skull;
    skull.addEllipse(head, 13, 11);
    paintShaded(painter, skull, traits.marking);
    if (traits.horned || random.chance(0.5))
        paintShaded(painter,
                    taperedBand({ head + QPointF(4, -4), head + QPointF(16, -18),
                                  head + QPointF(10, -30) },
                                8, 1),
                    traits.marking.lighter(120));
    paintEyes(painter, head + QPointF(4, -1), 7, 2.8, traits);
    QPainterPath dome(shell + QPointF(-rx, ry * 0.35));
    dome.cubicTo(shell + QPointF(-rx, -ry * 1.1), shell + QPointF(rx, -ry * 1.2),
                 shell + QPointF(rx, ry * 0.35));
    dome.closeSubpath();
    paintShaded(painter, dome, traits.body);
    painter.setPen(QPen(traits.body.darker(240), 1.2));
    painter.drawLine(shell + QPointF(rx * 0.15, -ry * 0.82), shell + QPointF(-rx * 0.2, ry * 0.35));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 70));
    painter.drawEllipse(shell + QPointF(-rx * 0.3, -ry * 0.45), rx * 0.3, ry * 0.14);
    paintLegFan(painter, shell + QPointF(-2, ry * 0.3), 3, 34, 12, 5.5, traits.body.darker(120));
    if (traits.crowned)
        paintCrown(painter, shell + QPointF(0, -ry * 0.8), 22);
}

void paintCentipede(QPainter &painter, const CreatureTraits &traits)
{
    constexpr int Segments = 9;
    QList<QPointF> spine;
    for (int i = 0; i < Segments; ++i)
        spine << QPointF(42 + i * 15.5, 124 - i * 3.5 - 8 * std::sin(i * 0.9));
    for (int i = 0; i < Segments - 1; ++i) {
        for (const double side : { -1.0, 1.0 }) {
            const QPointF root = spine[i] + QPointF(0, 6);
            paintJointedLeg(painter, root, root + QPointF(side * 6, -4),
                            QPointF(root.x() + side * 9, Ground - 1), 3.2,
                            side < 0 ? traits.marking : traits.body.darker(130));
        }
    }
    for (int i = 0; i < Segments; ++i) {
        const double radius = (11 + 3 * std::sin(i * 0.35)) * traits.bulk;
        QPainterPath segment;
        segment.addEllipse(spine[i], radius * 1.05, radius);
        paintShaded(painter, segment, i == Segments - 1 ? traits.marking : traits.body);
    }
    const QPointF head = spine.last();
    paintAntennae(painter, head + QPointF(4, -8), 18, traits.marking.lighter(140));
    paintSpikes(painter, { head + QPointF(12, 9), head + QPointF(7, 11) }, -7, traits.belly);
    paintEyes(painter, head + QPointF(4, -2), 9, 3.2, traits);
    if (traits.crowned)
        paintCrown(painter, head + QPointF(0, -10), 16);
}

QPainterPath pincer(QPointF wrist, double size)
{
    QPainterPath claw(wrist);
    claw.cubicTo(wrist + QPointF(size * 0.2, size * 0.7), wrist + QPointF(size * 1.3, size * 0.5),
                 wrist + QPointF(size * 1.5, -size * 0.1));
    claw.cubicTo(wrist + QPointF(size * 0.9, size * 0.1), wrist + QPointF(size * 0.6, -size * 0.1),
                 wrist + QPointF(size * 1.2, -size * 0.7));
    claw.cubicTo(wrist + QPointF(size * 0.6, -size * 0.9), wrist + QPointF(0, -size * 0.6), wrist);
    return claw;
}

void paintCrab(QPainter &painter, const CreatureTraits &traits, SeededRandom &random)
{
    const QPointF body(104, 104);
    const double rx = 42 * traits.bulk, ry = 22 * traits.bulk;
    paintLegFan(painter, body + QPointF(-rx * 0.3, 0), 3, 28, 22, 5, traits.body.darker(150));
    const QPointF farWrist = body + QPointF(rx * 0.7, -ry * 2.0);
    paintShaded(painter, taperedBand({ body + QPointF(rx * 0.4, -ry * 0.3), farWrist }, 9, 6),
                traits.body.darker(140));
    paintShaded(painter, pincer(farWrist, 18), traits.body.darker(130));
    QPainterPath shell;
    shell.addEllipse(body, rx, ry);
    paintShaded(painter, shell, traits.body);
    paintMarkings(painter, shell, traits, random);
    for (int stalk = 0; stalk < 2; ++stalk) {
        const QPointF root = body + QPointF(rx * (0.35 + stalk * 0.2), -ry * 0.8);
        painter.setPen(QPen(traits.body.darker(170), 2.2, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(root, root + QPointF(2, -12));
        CreatureTraits single = traits;
        single.eyeCount = 1;
        paintEyes(painter, root + QPointF(2, -14), 0, 2.6, single);
    }
    paintLegFan(painter, body + QPointF(-rx * 0.1, ry * 0.4), 3, 32, 16, 5.5, traits.body);
    const QPointF nearWrist = body + QPointF(rx * 1.15, -ry * 1.3);
    paintShaded(painter, taperedBand({ body + QPointF(rx * 0.7, ry * 0.1), nearWrist }, 11, 7),
                traits.body);
    paintShaded(painter, pincer(nearWrist, 24), traits.body.lighter(110));
    if (traits.crowned)
        paintCrown(painter, body + QPointF(-rx * 0.1, -ry * 0.85), 22);
}

} // namespace

void paintCrawler(QPainter &painter, const CreatureTraits &traits)
{
    SeededRandom random(traits.seed ^ 0xc4a71u);
    switch (traits.pincered ? 3 : traits.variant) {
    case 0:
        paintSpider(painter, traits, random);
        break;
    case 1:
        paintBeetle(painter, traits, random);
        break;
    case 3:
        paintCrab(painter, traits, random);
        break;
    default:
        paintCentipede(painter, traits);
        break;
    }
}

} // namespace bodies
