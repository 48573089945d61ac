#include "creaturebodies.h"

#include "creatureparts.h"
#include "shared/paintkit.h"
#include "shared/pictureseed.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <cmath>
#include <numbers>

namespace bodies {

using namespace parts;
using paintkit::mix;
using paintkit::withAlpha;

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

    const QColor finColour = mix(traits.marking, traits.body, 0.4);
    QPainterPath tail(QPointF(64, 82));
    tail.cubicTo(QPointF(50, 70), QPointF(40, 58), QPointF(28, 54));
    tail.quadTo(QPointF(42, 80), QPointF(28, 110));
    tail.cubicTo(QPointF(40, 104), QPointF(52, 94), QPointF(64, 84));
    paintShaded(painter, tail, finColour);
    paintShaded(painter, fin(QPointF(92, 60), QPointF(108, 36 - random.between(0, 10)), QPointF(132, 57)),
                finColour);
    paintShaded(painter, fin(QPointF(100, 101), QPointF(88, 114), QPointF(114, 104)), finColour);

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
    paintShaded(painter, fin(QPointF(138, 88), QPointF(122, 100), QPointF(134, 94)), finColour);
    painter.setPen(QPen(QColor(30, 16, 16), 1.4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(171, 82), QPointF(152, 88));
    if (toothy) {
        for (double x = 156; x < 170; x += 3.4)
            paintSpikes(painter, {QPointF(x, 86.5 - (x - 156) * 0.25)}, -4, QColor(245, 240, 228));
    }
    CreatureTraits eye = traits;
    eye.eyeCount = 1;
    paintEyes(painter, QPointF(158, traits.variant == 2 ? 66 : 74), 0, 4.2, eye);
    if (traits.crowned)
        paintCrown(painter, QPointF(150, 60), 20);
    painter.restore();
}

namespace {

void paintSerpentHead(QPainter &painter, QPointF at, double size, const CreatureTraits &traits,
                      SeededRandom &random)
{
    if (traits.horned)
        paintHorns(painter, at + QPointF(-size * 0.3, -size * 0.55), size * 0.5, size * 1.1, traits);
    QPainterPath skull;
    skull.addEllipse(at, size, size * 0.72);
    QPainterPath snout;
    snout.addEllipse(at + QPointF(size * 0.85, size * 0.2), size * 0.75, size * 0.45);
    const QPainterPath head = skull.united(snout);
    if (random.chance(0.5)) {
        const QPointF lip = at + QPointF(size * 1.55, size * 0.35);
        painter.setPen(QPen(QColor(200, 40, 60), 1.2, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(lip, lip + QPointF(size * 0.5, size * 0.1));
        painter.drawLine(lip + QPointF(size * 0.5, size * 0.1), lip + QPointF(size * 0.75, -size * 0.05));
        painter.drawLine(lip + QPointF(size * 0.5, size * 0.1), lip + QPointF(size * 0.75, size * 0.3));
    }
    paintShaded(painter, head, traits.body);
    painter.setPen(QPen(QColor(30, 16, 16), 1.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(at + QPointF(size * 1.5, size * 0.4), at + QPointF(size * 0.3, size * 0.45));
    paintSpikes(painter, {at + QPointF(size * 1.2, size * 0.48), at + QPointF(size * 0.8, size * 0.5)},
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
    const QList<QPointF> spine = {{28, 132},        {62, 137},        {100, 134}, {134 + sway, 118},
                                  {130 + sway, 92}, {106 - sway, 72}, {116, 52},  {142, 44}};
    const QList<double> widths = {3,          14 * thick, 24 * thick, 27 * thick,
                                  25 * thick, 21 * thick, 18 * thick, 16 * thick};
    if (traits.winged)
        paintWing(painter, QPointF(118, 96), -random.between(70, 84), 58, traits.wings, traits.marking);
    if (traits.manyHeaded) {
        for (const QPointF &head : {QPointF(114, 32), QPointF(172, 70)}) {
            paintShaded(
                    painter,
                    taperedBand({{128, 100}, (QPointF(128, 100) + head) / 2 + QPointF(-8, 0), head}, 18, 12),
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
        paintWing(painter, QPointF(112, 100), -random.between(56, 66), 44, traits.wings, traits.body);
    paintSerpentHead(painter, QPointF(148, 44), 14 * std::sqrt(thick), traits, random);
}

namespace {

// Down from the mantle, out along the ground, and curled up at the tip.
QList<QPointF> tentacleSpine(QPointF root, double reach, double curl)
{
    const double direction = reach < 0 ? -1 : 1;
    return {root,
            root + QPointF(direction * 6, 16),
            QPointF(root.x() + reach * 0.55, Ground - 5),
            QPointF(root.x() + reach * 0.95, Ground - 9 - curl * 0.2),
            QPointF(root.x() + reach * 1.1, Ground - 22 - curl * 0.4),
            QPointF(root.x() + reach * 0.96, Ground - 29 - curl * 0.4)};
}

void paintTentacle(QPainter &painter, const QList<QPointF> &spine, double width, const QColor &colour,
                   const QColor &sucker)
{
    paintShaded(painter,
                taperedBand(spine, {width, width * 0.85, width * 0.6, width * 0.4, width * 0.25, 1.2}),
                colour, 0.8);
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
    for (const double offset : {-0.6, -0.2, 0.2, 0.6}) {
        const double reach = (offset < 0 ? -1 : 1) * random.between(44, 66);
        paintTentacle(painter, tentacleSpine(base + QPointF(rx * offset, -4), reach, random.between(0, 20)),
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
                    {mantle + QPointF(-rx * 0.5, -ry * 0.75), mantle + QPointF(0, -ry * 0.95),
                     mantle + QPointF(rx * 0.5, -ry * 0.75)},
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
    for (const double offset : {-0.45, -0.15, 0.15, 0.45}) {
        const double reach = (offset < 0 ? -1 : 1) * random.between(22, 44);
        paintTentacle(painter, tentacleSpine(base + QPointF(rx * offset, -2), reach, random.between(0, 24)),
                      16, traits.body, traits.belly);
    }
    if (traits.crowned)
        paintCrown(painter, mantle + QPointF(0, -ry * 0.98), 26);
}

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
        const QPointF tip = at +
                QPointF(std::cos(angle * std::numbers::pi / 180) * 34,
                        std::sin(angle * std::numbers::pi / 180) * 38);
        paintShaded(painter, taperedBand({at, (at + tip) / 2 + QPointF(4, 0), tip}, 3, 9), leaf, 0.8);
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
                    {QPointF(110 - half * 0.6, top + 22), QPointF(110 - half * 0.2, top + 4),
                     QPointF(110 + half * 0.2, top + 4), QPointF(110 + half * 0.6, top + 22)},
                    10, traits.marking.lighter(140));
    const double eyeY = traits.variant == 0 ? top + 8 : top + 28;
    paintEyes(painter, QPointF(110, eyeY), half * 0.7, 6.5, traits);
    paintWideMouth(painter, QPointF(110 - half * 0.6, Ground - 34), QPointF(110 + half * 0.6, Ground - 36),
                   traits.variant == 2 ? 10 : 6);
    if (traits.crowned)
        paintCrown(painter, QPointF(110, top + (traits.variant == 0 ? 0 : 3)), 26);
}

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
    for (const double side : {-1.0, 1.0}) {
        const QPointF shoulder = hood + QPointF(side * 18, 22);
        paintShaded(
                painter,
                taperedBand({shoulder, shoulder + QPointF(side * 20, 10), shoulder + QPointF(side * 34, 0)},
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
