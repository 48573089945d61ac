// Figures on two legs, lean, robed, armoured, brutish, built or grown, with
// whatever they carry.

#include "bodyplans.h"

#include "creatureparts.h"
#include "shared/paintkit.h"
#include "shared/pictureseed.h"

#include <cmath>

namespace bodies {

using namespace parts;
using paintkit::mix;
using paintkit::withAlpha;

namespace {

// The proportions of one figure; every part hangs off these.
struct Figure
{
    double centreX = 110;
    double shoulderWidth = 36;
    double waistWidth = 26;
    double hipY = 100;
    double shoulderY = 62;
    double headRadius = 12;
    double limb = 8; // arm and leg thickness
    QPointF head() const { return { centreX + 3, shoulderY - headRadius * 0.95 }; }
    QPointF nearShoulder() const { return { centreX + shoulderWidth / 2 - 2, shoulderY + 4 }; }
    QPointF farShoulder() const { return { centreX - shoulderWidth / 2 + 4, shoulderY + 3 }; }
    QPointF nearHand() const { return { centreX + shoulderWidth / 2 + 16, hipY - 6 }; }
};

Figure figureFor(Build build, double bulk, SeededRandom &random)
{
    Figure f;
    const double height = random.between(0.92, 1.08);
    switch (build) {
    case Build::Lean:
    case Build::Robed:
        f.shoulderWidth = 34 * bulk;
        f.waistWidth = 22 * bulk;
        f.hipY = Ground - 42 * height;
        f.shoulderY = f.hipY - 40 * height;
        f.headRadius = 12;
        break;
    case Build::Armoured:
        f.shoulderWidth = 44 * bulk;
        f.waistWidth = 30 * bulk;
        f.hipY = Ground - 40 * height;
        f.shoulderY = f.hipY - 42 * height;
        f.headRadius = 12.5;
        f.limb = 10;
        break;
    case Build::Tree:
    case Build::Brute:
    case Build::Construct:
        f.shoulderWidth = 62 * bulk;
        f.waistWidth = 42 * bulk;
        f.hipY = Ground - (build == Build::Tree ? 30 : 34) * height;
        f.shoulderY = f.hipY - (build == Build::Tree ? 40 : 50) * height;
        f.headRadius = build == Build::Brute ? 11 : 13;
        f.limb = 15;
        break;
    }
    return f;
}

QPainterPath torsoShape(const Figure &f, double hem)
{
    const double cx = f.centreX;
    QPainterPath torso(QPointF(cx - f.shoulderWidth / 2, f.shoulderY));
    torso.quadTo(QPointF(cx, f.shoulderY - 6), QPointF(cx + f.shoulderWidth / 2, f.shoulderY));
    torso.cubicTo(QPointF(cx + f.shoulderWidth / 2 + 3, f.shoulderY + 20),
                  QPointF(cx + f.waistWidth / 2, f.hipY - 10),
                  QPointF(cx + hem / 2, hem > f.waistWidth ? Ground - 1 : f.hipY + 4));
    torso.lineTo(QPointF(cx - hem / 2, hem > f.waistWidth ? Ground - 1 : f.hipY + 4));
    torso.cubicTo(QPointF(cx - f.waistWidth / 2, f.hipY - 10),
                  QPointF(cx - f.shoulderWidth / 2 - 3, f.shoulderY + 20),
                  QPointF(cx - f.shoulderWidth / 2, f.shoulderY));
    return torso;
}

QColor clothOf(const CreatureTraits &traits)
{
    return traits.build == Build::Tree ? QColor(96, 72, 50)
                                       : mix(traits.marking, traits.body, 0.35);
}

// Bare arms and chest: bark on a tree, plating on a machine, hide otherwise.
QColor skinOf(const CreatureTraits &traits)
{
    switch (traits.build) {
    case Build::Tree:
        return mix(QColor(112, 84, 58), traits.body, 0.25);
    case Build::Construct:
        return traits.body.darker(110);
    default:
        return traits.body;
    }
}

void paintBark(QPainter &painter, const QPainterPath &shape, const QColor &bark)
{
    const QRectF box = shape.boundingRect();
    painter.save();
    painter.setClipPath(shape);
    painter.setPen(QPen(bark.darker(170), 1.3, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    for (double x = box.left() + 5; x < box.right(); x += 7) {
        QPainterPath groove(QPointF(x, box.top()));
        groove.cubicTo(QPointF(x + 4, box.top() + box.height() * 0.3),
                       QPointF(x - 4, box.top() + box.height() * 0.6),
                       QPointF(x + 1, box.bottom()));
        painter.drawPath(groove);
    }
    painter.restore();
}

void paintLegs(QPainter &painter, const Figure &f, const CreatureTraits &traits)
{
    for (int side = 0; side < 2; ++side) {
        const double x = f.centreX + (side == 0 ? -f.waistWidth * 0.25 : f.waistWidth * 0.3);
        const QColor color = side == 0 ? clothOf(traits).darker(140) : clothOf(traits);
        const QPointF foot(x + 3, Ground - 3);
        paintShaded(painter,
                    taperedBand({ { x, f.hipY - 4 }, { x + 1, (f.hipY + Ground) / 2 }, foot },
                                f.limb * 1.3, f.limb),
                    color);
        QPainterPath boot;
        boot.addRoundedRect(QRectF(foot.x() - f.limb * 0.6, Ground - 6, f.limb * 1.7, 6), 3, 3);
        paintShaded(painter, boot, QColor(50, 40, 36));
    }
}

void paintArm(QPainter &painter, QPointF shoulder, QPointF hand, const Figure &f,
              const QColor &color, bool robed)
{
    const QPointF elbow = (shoulder + hand) / 2 + QPointF(-4, 4);
    paintShaded(painter,
                taperedBand({ shoulder, elbow, hand }, f.limb * (robed ? 1.7 : 1.2),
                            f.limb * (robed ? 1.4 : 0.8)),
                color);
    QPainterPath fist;
    fist.addEllipse(hand + QPointF(1, 2), f.limb * 0.55, f.limb * 0.55);
    paintShaded(painter, fist, color.lighter(115));
}

void paintPauldrons(QPainter &painter, const Figure &f, const CreatureTraits &traits)
{
    for (const QPointF &shoulder : { f.farShoulder(), f.nearShoulder() }) {
        QPainterPath plate;
        plate.addEllipse(shoulder + QPointF(0, -2), f.limb * 1.1, f.limb * 0.8);
        paintShaded(painter, plate, mix(traits.body, QColor(180, 186, 196), 0.5));
    }
}

} // namespace

namespace {

void paintHood(QPainter &painter, QPointF head, double r, const CreatureTraits &traits)
{
    QPainterPath hood(head + QPointF(-r * 1.25, r * 1.1));
    hood.cubicTo(head + QPointF(-r * 1.5, -r * 0.6), head + QPointF(-r * 0.6, -r * 1.5),
                 head + QPointF(-r * 0.2, -r * 1.9));
    hood.cubicTo(head + QPointF(r * 0.8, -r * 1.3), head + QPointF(r * 1.5, -r * 0.4),
                 head + QPointF(r * 1.3, r * 1.1));
    hood.closeSubpath();
    paintShaded(painter, hood, clothOf(traits));
    QPainterPath face;
    face.addEllipse(head + QPointF(r * 0.15, r * 0.15), r * 0.75, r * 0.85);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(10, 8, 14));
    painter.drawPath(face);
    paintEyes(painter, head + QPointF(r * 0.2, r * 0.1), r * 0.6, r * 0.17, traits);
}

void paintHelmet(QPainter &painter, QPointF head, double r, const CreatureTraits &traits,
                 SeededRandom &random)
{
    const QColor steel = mix(traits.body, QColor(176, 184, 196), 0.55);
    if (random.chance(0.5))
        paintShaded(painter,
                    taperedBand({ head + QPointF(0, -r), head + QPointF(-r * 0.9, -r * 1.5),
                                  head + QPointF(-r * 1.8, -r * 0.6) },
                                7, 2),
                    QColor(170, 40, 40), 0.8);
    QPainterPath helm;
    helm.addRoundedRect(QRectF(head.x() - r, head.y() - r * 1.05, r * 2, r * 2.15), r * 0.9,
                        r * 0.9);
    paintShaded(painter, helm, steel);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(12, 10, 14));
    painter.drawRoundedRect(QRectF(head.x() - r * 0.6, head.y() - r * 0.2, r * 1.7, r * 0.42), 2,
                            2);
    paintEyes(painter, head + QPointF(r * 0.3, 0), r * 0.75, r * 0.16, traits);
}

void paintMachineHead(QPainter &painter, QPointF head, double r, const CreatureTraits &traits)
{
    QPainterPath box;
    box.addRoundedRect(QRectF(head.x() - r, head.y() - r, r * 2, r * 1.8), 3, 3);
    paintShaded(painter, box, traits.body.lighter(110));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(14, 10, 10));
    painter.drawRect(QRectF(head.x() - r * 0.7, head.y() - r * 0.25, r * 1.6, r * 0.4));
    paintkit::paintGlow(painter, head + QPointF(r * 0.1, -r * 0.05), r * 1.6,
                        withAlpha(traits.eye, 160));
    painter.setBrush(traits.eye.lighter(130));
    painter.drawRect(QRectF(head.x() - r * 0.5, head.y() - r * 0.15, r * 1.3, r * 0.2));
    painter.setBrush(traits.body.darker(200));
    for (const double x : { -0.75, 0.75 })
        painter.drawEllipse(head + QPointF(r * x, r * 0.55), 1.3, 1.3);
}

void paintFace(QPainter &painter, QPointF head, double r, const CreatureTraits &traits)
{
    QPainterPath skull;
    skull.addEllipse(head, r, r * 1.1);
    QPainterPath jaw;
    jaw.addEllipse(head + QPointF(r * 0.35, r * 0.55), r * 0.7, r * 0.5);
    paintShaded(painter, skull.united(jaw), traits.body);
    painter.setPen(QPen(traits.body.darker(250), 1.4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(head + QPointF(-r * 0.2, -r * 0.38), head + QPointF(r * 0.85, -r * 0.25));
    painter.drawLine(head + QPointF(r * 0.1, r * 0.72), head + QPointF(r * 0.85, r * 0.66));
    paintEyes(painter, head + QPointF(r * 0.35, -r * 0.08), r * 0.65, r * 0.18, traits);
    if (traits.tusked)
        paintTusks(painter, head + QPointF(r * 0.5, r * 0.75), r * 0.6);
}

void paintBarkHead(QPainter &painter, QPointF head, double r, const CreatureTraits &traits)
{
    paintAntlers(painter, head + QPointF(0, -r * 0.8), r * 1.1, r * 1.7);
    QPainterPath crown;
    crown.setFillRule(Qt::WindingFill); // overlapping puffs add up rather than cancel
    for (int leaf = 0; leaf < 6; ++leaf)
        crown.addEllipse(head
                                 + QPointF(-r * 1.6 + leaf * r * 0.65,
                                           -r * (1.1 + 0.35 * std::sin(leaf * 1.3))),
                         r * 0.7, r * 0.5);
    paintShaded(painter, crown, mix(QColor(70, 120, 50), traits.body, 0.3), 0.8);
    QPainterPath skull;
    skull.addRoundedRect(QRectF(head.x() - r, head.y() - r * 1.1, r * 2, r * 2.3), r * 0.95,
                         r * 0.95);
    paintShaded(painter, skull, QColor(104, 80, 56));
    painter.setPen(QPen(QColor(60, 44, 30), 1.0));
    for (const double x : { -0.5, 0.1, 0.6 })
        painter.drawLine(head + QPointF(r * x, -r * 0.9), head + QPointF(r * x + 1, r * 1.0));
    paintEyes(painter, head + QPointF(r * 0.1, -r * 0.1), r * 0.8, r * 0.2, traits);
}

void paintHead(QPainter &painter, const Figure &f, const CreatureTraits &traits,
               SeededRandom &random)
{
    const QPointF head = f.head();
    const double r = f.headRadius;
    if (traits.horned && traits.build != Build::Armoured)
        paintHorns(painter, head + QPointF(-r * 0.1, -r * 0.7), r * 0.9, r * 1.2, traits);
    switch (traits.build) {
    case Build::Robed:
        if (traits.spectral || traits.seed & 0x40)
            paintHood(painter, head, r, traits);
        else
            paintFace(painter, head, r, traits);
        break;
    case Build::Armoured:
        paintHelmet(painter, head, r, traits, random);
        break;
    case Build::Construct:
        paintMachineHead(painter, head, r, traits);
        break;
    case Build::Tree:
        paintBarkHead(painter, head, r, traits);
        break;
    case Build::Lean:
    case Build::Brute:
        paintFace(painter, head, r, traits);
        break;
    }
    if (traits.crowned)
        paintCrown(painter, head + QPointF(0, -r * (traits.build == Build::Robed ? 1.5 : 0.95)),
                   r * 1.5);
}

} // namespace

namespace {

void paintPole(QPainter &painter, QPointF from, QPointF to)
{
    paintShaded(painter, taperedBand({ from, to }, 3.6, 3.0), QColor(110, 78, 48), 0.8);
}

void paintHeld(QPainter &painter, const Figure &f, const CreatureTraits &traits)
{
    const QPointF hand = f.nearHand();
    const QPointF top(hand.x() + 6, f.shoulderY - 34);
    const QPointF bottom(hand.x() - 3, Ground - 2);
    switch (traits.held) {
    case Held::Nothing:
        break;
    case Held::Staff:
        paintPole(painter, bottom, top);
        paintkit::paintGlow(painter, top, 22, withAlpha(traits.eye, 170));
        painter.setPen(Qt::NoPen);
        painter.setBrush(mix(traits.eye, Qt::white, 0.6));
        painter.drawEllipse(top, 4.5, 4.5);
        break;
    case Held::Lantern: {
        painter.setPen(QPen(QColor(40, 34, 30), 1.4));
        painter.drawLine(hand, hand + QPointF(0, 10));
        paintkit::paintGlow(painter, hand + QPointF(0, 18), 30, QColor(255, 200, 90, 180));
        QPainterPath lamp;
        lamp.addRoundedRect(QRectF(hand.x() - 6, hand.y() + 10, 12, 16), 2, 2);
        painter.setPen(QPen(QColor(40, 34, 30), 1.6));
        painter.setBrush(QColor(255, 226, 140));
        painter.drawPath(lamp);
        break;
    }
    case Held::Axe: {
        paintPole(painter, hand + QPointF(-4, 14), top + QPointF(0, 16));
        QPainterPath blade(top + QPointF(0, 10));
        blade.quadTo(top + QPointF(22, 4), top + QPointF(20, 32));
        blade.quadTo(top + QPointF(10, 22), top + QPointF(1, 24));
        blade.closeSubpath();
        paintShaded(painter, blade, QColor(190, 196, 206), 1.0);
        break;
    }
    case Held::Book: {
        const QPointF at = hand + QPointF(-4, -8);
        paintkit::paintGlow(painter, at, 26, withAlpha(traits.eye, 110));
        QPainterPath book(at);
        book.lineTo(at + QPointF(14, -6));
        book.lineTo(at + QPointF(16, 8));
        book.lineTo(at + QPointF(1, 12));
        book.lineTo(at + QPointF(-13, 8));
        book.lineTo(at + QPointF(-14, -6));
        book.closeSubpath();
        painter.setPen(QPen(QColor(90, 40, 30), 1.4));
        painter.setBrush(QColor(242, 230, 200));
        painter.drawPath(book);
        painter.drawLine(at, at + QPointF(1, 12));
        break;
    }
    case Held::Scythe: {
        paintPole(painter, bottom + QPointF(-6, 0), top + QPointF(4, -4));
        QPainterPath blade(top + QPointF(4, -4));
        blade.quadTo(top + QPointF(-20, -14), top + QPointF(-40, 6));
        blade.quadTo(top + QPointF(-18, -4), top + QPointF(4, 4));
        blade.closeSubpath();
        paintShaded(painter, blade, QColor(196, 200, 210), 1.0);
        break;
    }
    }
}

} // namespace

void paintHumanoid(QPainter &painter, const CreatureTraits &traits)
{
    SeededRandom random(traits.seed ^ 0x4a11u);
    const Figure f = figureFor(traits.build, traits.bulk, random);
    const bool robed = traits.build == Build::Robed;
    const QColor cloth = clothOf(traits);
    const QColor skin = skinOf(traits);
    if (traits.winged) {
        paintWing(painter, f.farShoulder() + QPointF(2, 2), -66, 42, traits.wings, traits.marking);
        paintWing(painter, f.nearShoulder() + QPointF(-10, 0), -54, 34, traits.wings,
                  traits.marking.lighter(120));
    }
    const QPointF farHand(f.farShoulder().x() - 8,
                          f.hipY + (traits.build == Build::Brute ? 18 : 4));
    paintArm(painter, f.farShoulder(), farHand, f, robed ? cloth.darker(140) : skin.darker(140),
             robed);
    if (!robed)
        paintLegs(painter, f, traits);
    const QPainterPath torso = torsoShape(f, robed ? f.shoulderWidth * 1.7 : f.waistWidth);
    paintShaded(painter, torso, robed || traits.build == Build::Lean ? cloth : skin);
    if (traits.build == Build::Tree)
        paintBark(painter, torso, skin);
    if (traits.build == Build::Construct) {
        paintkit::paintGlow(painter, QPointF(f.centreX, (f.shoulderY + f.hipY) / 2), 18,
                            withAlpha(traits.eye, 200));
    }
    if (traits.build == Build::Armoured)
        paintPauldrons(painter, f, traits);
    if (traits.spiked)
        paintSpikes(painter,
                    { f.farShoulder() + QPointF(0, -6), f.nearShoulder() + QPointF(-2, -7) }, 9,
                    traits.marking.lighter(150));
    paintHead(painter, f, traits, random);
    paintArm(painter, f.nearShoulder(), f.nearHand(), f, robed ? cloth : skin, robed);
    paintHeld(painter, f, traits);
}

} // namespace bodies
