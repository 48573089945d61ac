#include "creaturebodies.h"

#include "creatureparts.h"
#include "shared/paintkit.h"
#include "shared/pictureseed.h"

#include <cmath>

namespace bodies {

using namespace parts;
using paintkit::mix;
using paintkit::withAlpha;

bool hovers(BodyPlan plan)
{
    return plan == BodyPlan::Flyer || plan == BodyPlan::Wisp || plan == BodyPlan::Fish;
}

namespace {

QPainterPath beanShape(QPointF centre, double rx, double ry)
{
    const double cx = centre.x(), cy = centre.y();
    QPainterPath bean(QPointF(cx - rx, cy));
    bean.cubicTo(cx - rx * 0.85, cy - ry * 1.35, cx + rx * 0.6, cy - ry * 1.25, cx + rx, cy - ry * 0.2);
    bean.cubicTo(cx + rx * 1.08, cy + ry * 0.9, cx - rx * 0.7, cy + ry * 1.15, cx - rx, cy);
    bean.closeSubpath();
    return bean;
}

void paintLeg(QPainter &painter, QPointF hip, double width, const QColor &colour)
{
    const double length = Ground - hip.y();
    const QPointF knee = hip + QPointF(width * 0.15, length * 0.5);
    const QPointF paw(hip.x() + width * 0.25, Ground - width * 0.25);
    paintShaded(painter, taperedBand({hip, knee, paw}, {width * 1.5, width * 0.8, width * 0.55}), colour);
    QPainterPath foot;
    foot.addEllipse(paw + QPointF(width * 0.2, 0), width * 0.5, width * 0.3);
    paintShaded(painter, foot, colour.darker(115));
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
                    taperedBand({root, root + QPointF(-earLength * 0.35, -earLength)}, hr * 0.55, 1.0),
                    ear == 0 ? traits.body.darker(130) : traits.body);
    }
    QPainterPath head;
    head.addEllipse(f.head, hr, hr * 0.9);
    QPainterPath snout;
    const double snoutLength = random.between(0.6, 1.0);
    snout.addEllipse(f.head + QPointF(hr * (0.5 + snoutLength * 0.4), hr * 0.3), hr * snoutLength, hr * 0.5);
    paintShaded(painter, head.united(snout), traits.body);
    const QPointF nose = f.head + QPointF(hr * (0.5 + snoutLength * 1.35), hr * 0.15);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(24, 16, 16));
    painter.drawEllipse(nose, hr * 0.16, hr * 0.12);
    painter.setPen(QPen(QColor(24, 16, 16, 200), 1.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(nose + QPointF(-hr * 0.1, hr * 0.45), nose + QPointF(-hr * 0.8, hr * 0.5));
    if (random.chance(0.6)) {
        for (int fang = 0; fang < 2; ++fang)
            paintSpikes(painter, {nose + QPointF(-hr * (0.25 + fang * 0.4), hr * 0.48)}, -hr * 0.3,
                        QColor(240, 236, 220));
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
        paintWing(painter, f.body + QPointF(f.rx * 0.2, -f.ry * 0.8), -f.rx * 1.3, f.ry * 2.6, traits.wings,
                  far);
    if (traits.tailed) {
        // Either a thin whip of a tail or a bushy brush that swells before its tip.
        const QPointF root = f.body + QPointF(-f.rx * 0.85, -f.ry * 0.45);
        const double rise = random.between(-0.2, 1.4);
        const QList<QPointF> spine = {root, root + QPointF(-f.rx * 0.35, -f.ry * (0.3 + rise * 0.3)),
                                      root + QPointF(-f.rx * 0.6, -f.ry * (0.2 + rise * 0.8)),
                                      root + QPointF(-f.rx * 0.75, -f.ry * rise * 0.6)};
        const bool bushy = random.chance(0.5);
        paintShaded(painter,
                    taperedBand(spine, bushy ? QList<double>{8, 13, 12, 2} : QList<double>{8, 5, 3.5, 1.5}),
                    bushy ? traits.body.lighter(108) : traits.body);
    }
    for (const double x : {-0.45, 0.62})
        paintLeg(painter, f.body + QPointF(f.rx * x + 7, f.ry * 0.2), 12 * traits.bulk, far);
    paintShaded(painter, torso, traits.body);
    paintMarkings(painter, torso, traits, random);
    for (const double x : {-0.6, 0.5})
        paintLeg(painter, f.body + QPointF(f.rx * x, f.ry * 0.3), 13 * traits.bulk, traits.body);
    if (traits.spiked) {
        QList<QPointF> ridge;
        for (double x = -0.6; x <= 0.45; x += 0.15)
            ridge << f.body + QPointF(f.rx * x, -f.ry * 1.0 * std::sqrt(1 - x * x) - f.ry * 0.05);
        paintSpikes(painter, ridge, f.ry * 0.55, traits.marking.lighter(130));
    }
    const QPointF neckRoot = f.body + QPointF(f.rx * 0.55, -f.ry * 0.2);
    paintShaded(painter, taperedBand({neckRoot, f.head}, f.ry * 1.3, f.headRadius * 1.2), traits.body);
    paintBeastHead(painter, f, traits, random);
}

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

void paintAntennae(QPainter &painter, QPointF head, double size, const QColor &colour)
{
    painter.setPen(QPen(colour, 1.1, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    for (int side = 0; side < 2; ++side) {
        QPainterPath feeler(head);
        const QPointF tip = head + QPointF(size * (0.5 + side * 0.5), -size * (1.3 - side * 0.2));
        feeler.quadTo(head + QPointF(size * 0.1, -size), tip);
        painter.drawPath(feeler);
        painter.drawEllipse(tip, 1.3, 1.3);
    }
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
    for (const double side : {-1.0, 1.0})
        paintWing(painter, centre + QPointF(side * 3, -4), side * span, span * 0.62, WingKind::Insect,
                  traits.body);
    QPainterPath abdomen;
    abdomen.addEllipse(centre + QPointF(0, 12), 8 * traits.bulk, 22 * traits.bulk);
    paintShaded(painter, abdomen, traits.marking.lighter(130));
    painter.setPen(QPen(withAlpha(traits.marking.darker(160), 160), 1.2));
    for (int ring = 0; ring < 4; ++ring)
        painter.drawLine(centre + QPointF(-6, 6 + ring * 7), centre + QPointF(6, 6 + ring * 7));
    const QPointF head = centre + QPointF(0, -14);
    for (const double side : {-1.0, 1.0}) {
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
            paintShaded(painter, taperedBand({tailRoot, tailRoot + QPointF(-28, 8 + feather * 5)}, 9, 5),
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
            paintShaded(painter, taperedBand({root, root + QPointF(-3 + ear * 4, -headRadius * 1.3)}, 9, 1),
                        traits.body);
        }
    }
    paintShaded(painter, skull, traits.body);
    if (insect)
        paintAntennae(painter, head + QPointF(headRadius * 0.3, -headRadius * 0.7), headRadius * 1.6,
                      traits.marking);
    else if (!bat)
        paintBeak(painter, head + QPointF(headRadius * 0.8, headRadius * 0.15), headRadius * 0.55, random);
    paintEyes(painter, head + QPointF(headRadius * 0.25, -headRadius * 0.15), headRadius * 0.6,
              headRadius * 0.24, traits);
    if (traits.horned && !insect)
        paintHorns(painter, head + QPointF(-headRadius * 0.2, -headRadius * 0.75), headRadius * 0.6,
                   headRadius, traits);
    if (traits.crowned)
        paintCrown(painter, head + QPointF(0, -headRadius * 0.8), headRadius * 1.2);
    paintWing(painter, shoulder, -random.between(60, 76), lift * 0.8, traits.wings, traits.body);
}

namespace {

// A jointed leg from the body out over the knee to the ground.
void paintJointedLeg(QPainter &painter, QPointF root, QPointF knee, QPointF foot, double width,
                     const QColor &colour)
{
    paintShaded(painter, taperedBand({root, knee}, width, width * 0.8), colour, 0.8);
    paintShaded(painter, taperedBand({knee, foot}, width * 0.8, width * 0.3), colour, 0.8);
}

void paintLegFan(QPainter &painter, QPointF root, int count, double spread, double height, double width,
                 const QColor &colour)
{
    for (int i = 0; i < count; ++i) {
        const double offset = i - (count - 1) / 2.0;
        const QPointF from = root + QPointF(offset * 7, 0);
        const QPointF knee = from + QPointF(offset * spread * 0.5, -height + std::abs(offset) * 5);
        const QPointF foot(from.x() + offset * spread, Ground - 1);
        paintJointedLeg(painter, from, knee, foot, width, colour);
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
        paintSpikes(painter, {thorax + QPointF(16 + fang * 5, 12)}, -9, traits.marking.lighter(160));
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
        paintShaded(
                painter,
                taperedBand({head + QPointF(4, -4), head + QPointF(16, -18), head + QPointF(10, -30)}, 8, 1),
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
        for (const double side : {-1.0, 1.0}) {
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
    paintSpikes(painter, {head + QPointF(12, 9), head + QPointF(7, 11)}, -7, traits.belly);
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
    paintShaded(painter, taperedBand({body + QPointF(rx * 0.4, -ry * 0.3), farWrist}, 9, 6),
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
    paintShaded(painter, taperedBand({body + QPointF(rx * 0.7, ry * 0.1), nearWrist}, 11, 7), traits.body);
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
