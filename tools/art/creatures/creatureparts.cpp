#include "creatureparts.h"

#include "shared/paintkit.h"
#include "shared/pictureseed.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace parts {

using paintkit::mix;
using paintkit::withAlpha;

void paintShaded(QPainter &painter, const QPainterPath &shape, const QColor &base, double outline)
{
    const QRectF box = shape.boundingRect();
    const QPointF lit(box.left() + box.width() * 0.32, box.top() + box.height() * 0.25);
    QRadialGradient light(lit, std::max(box.width(), box.height()) * 0.95, lit);
    light.setColorAt(0, mix(base, QColor(255, 250, 235), 0.35));
    light.setColorAt(0.45, base);
    light.setColorAt(1, base.darker(230));
    painter.setPen(outline > 0 ? QPen(withAlpha(base.darker(320), 220), outline) : QPen(Qt::NoPen));
    painter.setBrush(light);
    painter.drawPath(shape);
}

namespace {

struct CurvePoint
{
    QPointF at;
    double along; // control point index plus the fraction towards the next one
};

// Catmull-Rom through the points, so a handful of them make a smooth curve.
QList<CurvePoint> smoothCurve(const QList<QPointF> &points, int stepsPerSegment)
{
    QList<CurvePoint> curve;
    const qsizetype last = points.size() - 1;
    for (qsizetype i = 0; i < last; ++i) {
        const QPointF p0 = points[std::max<qsizetype>(i - 1, 0)];
        const QPointF p1 = points[i];
        const QPointF p2 = points[i + 1];
        const QPointF p3 = points[std::min(i + 2, last)];
        for (int step = 0; step < stepsPerSegment; ++step) {
            const double t = double(step) / stepsPerSegment;
            const double t2 = t * t;
            const double t3 = t2 * t;
            const QPointF at = 0.5
                    * ((2 * p1) + (-p0 + p2) * t + (2 * p0 - 5 * p1 + 4 * p2 - p3) * t2
                       + (-p0 + 3 * p1 - 3 * p2 + p3) * t3);
            curve.append({ at, i + t });
        }
    }
    curve.append({ points.last(), double(last) });
    return curve;
}

QPointF unit(QPointF vector)
{
    const double length = std::hypot(vector.x(), vector.y());
    return length > 1e-9 ? vector / length : QPointF(1, 0);
}

double widthAt(const QList<double> &widths, double along)
{
    const qsizetype index = std::min<qsizetype>(qsizetype(along), widths.size() - 1);
    const qsizetype next = std::min<qsizetype>(index + 1, widths.size() - 1);
    const double t = along - double(index);
    return widths[index] + (widths[next] - widths[index]) * t;
}

} // namespace

QPainterPath taperedBand(const QList<QPointF> &spine, double startWidth, double endWidth)
{
    QList<double> widths;
    const qsizetype count = spine.size();
    for (qsizetype i = 0; i < count; ++i)
        widths << startWidth
                        + (endWidth - startWidth) * (count > 1 ? double(i) / (count - 1) : 0.0);
    return taperedBand(spine, widths);
}

QPainterPath taperedBand(const QList<QPointF> &spine, const QList<double> &widths)
{
    if (spine.size() < 2 || widths.size() != spine.size())
        return {};
    const QList<CurvePoint> curve = smoothCurve(spine, 10);
    const qsizetype count = curve.size();
    QList<QPointF> left, right;
    for (qsizetype i = 0; i < count; ++i) {
        const QPointF along = unit(curve[std::min(i + 1, count - 1)].at
                                   - curve[std::max<qsizetype>(i - 1, 0)].at);
        const QPointF across(-along.y(), along.x());
        const double half = widthAt(widths, curve[i].along) / 2;
        left << curve[i].at + across * half;
        right << curve[i].at - across * half;
    }
    const QPointF endAlong = unit(curve.last().at - curve[count - 2].at);
    const QPointF startAlong = unit(curve[1].at - curve.first().at);
    QPainterPath band(left.first());
    for (const QPointF &point : left)
        band.lineTo(point);
    band.quadTo(curve.last().at + endAlong * widths.last(), right.last());
    for (auto point = right.crbegin(); point != right.crend(); ++point)
        band.lineTo(*point);
    band.quadTo(curve.first().at - startAlong * widths.first(), left.first());
    band.closeSubpath();
    return band;
}

namespace {

void paintEye(QPainter &painter, QPointF centre, double radius, const CreatureTraits &traits)
{
    paintkit::paintGlow(painter, centre, radius * (traits.spectral ? 4.5 : 2.6),
                        withAlpha(traits.eye, traits.spectral ? 150 : 70));
    QRadialGradient iris(centre - QPointF(radius * 0.3, radius * 0.3), radius * 1.3);
    iris.setColorAt(0, mix(traits.eye, Qt::white, 0.6));
    iris.setColorAt(0.5, traits.eye);
    iris.setColorAt(1, traits.eye.darker(220));
    painter.setPen(QPen(QColor(20, 14, 12, 230), std::max(0.6, radius * 0.22)));
    painter.setBrush(iris);
    painter.drawEllipse(centre, radius, radius);
    painter.setPen(Qt::NoPen);
    if (!traits.spectral) {
        painter.setBrush(QColor(12, 8, 8));
        painter.drawEllipse(centre, radius * 0.28, radius * 0.8);
    }
    painter.setBrush(QColor(255, 255, 255, 230));
    painter.drawEllipse(centre + QPointF(-radius * 0.38, -radius * 0.4), radius * 0.25,
                        radius * 0.25);
}

} // namespace

void paintEyes(QPainter &painter, QPointF centre, double spacing, double radius,
               const CreatureTraits &traits)
{
    painter.save();
    if (traits.eyeCount == 1) {
        paintEye(painter, centre, radius * 1.35, traits);
    } else {
        paintEye(painter, centre - QPointF(spacing / 2, 0), radius, traits);
        paintEye(painter, centre + QPointF(spacing / 2, 0), radius, traits);
        if (traits.eyeCount >= 3)
            paintEye(painter, centre - QPointF(0, radius * 1.9), radius * 0.7, traits);
    }
    painter.restore();
}

void paintHorns(QPainter &painter, QPointF base, double spread, double length,
                const CreatureTraits &traits)
{
    const QColor ivory(226, 214, 184);
    const double curl = traits.seed & 0x100 ? 1.0 : -0.4; // swept back or rising forward
    for (int side = 0; side < 2; ++side) {
        const QPointF root = base + QPointF(side == 0 ? -spread / 2 : spread / 2, 0);
        const QList<QPointF> spine = { root, root + QPointF(-length * 0.25 * curl, -length * 0.6),
                                       root + QPointF(-length * 0.75 * curl, -length * 0.85),
                                       root + QPointF(-length * 1.0 * curl, -length * 0.55) };
        paintShaded(painter, taperedBand(spine, length * 0.32, 0.6),
                    side == 0 ? ivory.darker(125) : ivory, 1.0);
    }
}

void paintAntlers(QPainter &painter, QPointF base, double spread, double size)
{
    const QColor bone(206, 184, 150);
    for (int side = 0; side < 2; ++side) {
        const double sign = side == 0 ? -1 : 1;
        const QPointF root = base + QPointF(sign * spread / 2, 0);
        const QPointF top = root + QPointF(sign * size * 0.5 - size * 0.2, -size);
        paintShaded(painter,
                    taperedBand({ root, root + QPointF(sign * size * 0.2, -size * 0.5), top }, 3.2,
                                1.0),
                    side == 0 ? bone.darker(120) : bone, 0.8);
        for (int tine = 1; tine <= 3; ++tine) {
            const QPointF from =
                    root + (top - root) * (0.25 * tine) + QPointF(sign * size * 0.08, 0);
            const QPointF to = from + QPointF(sign * size * 0.3 + size * 0.1, -size * 0.28);
            paintShaded(painter, taperedBand({ from, to }, 2.2, 0.6), bone, 0.7);
        }
    }
}

void paintCrown(QPainter &painter, QPointF bottomCentre, double width)
{
    const double h = width * 0.6;
    const QPointF o = bottomCentre - QPointF(width / 2, 0);
    QPainterPath crown(o);
    crown.lineTo(o + QPointF(0, -h));
    for (int point = 0; point < 4; ++point) {
        const double x = width * (point + 0.5) / 4;
        crown.lineTo(o + QPointF(x, -h * 0.45));
        crown.lineTo(o + QPointF(x + width / 8, point < 3 ? -h : -h * 0.9));
    }
    crown.lineTo(o + QPointF(width, 0));
    crown.closeSubpath();
    QLinearGradient gold(o + QPointF(0, -h), o + QPointF(width, 0));
    gold.setColorAt(0, QColor(255, 236, 150));
    gold.setColorAt(0.5, QColor(226, 170, 50));
    gold.setColorAt(1, QColor(150, 96, 24));
    painter.setPen(QPen(QColor(90, 56, 10), 0.9));
    painter.setBrush(gold);
    painter.drawPath(crown);
    painter.setPen(Qt::NoPen);
    const QColor gems[] = { { 210, 40, 60 }, { 60, 110, 230 }, { 210, 40, 60 } };
    for (int gem = 0; gem < 3; ++gem) {
        painter.setBrush(gems[gem]);
        painter.drawEllipse(o + QPointF(width * (gem + 1) / 4, -h * 0.22), width * 0.06,
                            width * 0.06);
    }
}

void paintSpikes(QPainter &painter, const QList<QPointF> &along, double height, const QColor &color)
{
    for (qsizetype i = 0; i < along.size(); ++i) {
        const QPointF base = along[i];
        const double h = height * (0.7 + 0.3 * std::sin(i * 1.7));
        QPainterPath spike(base - QPointF(h * 0.35, 0));
        spike.quadTo(base + QPointF(-h * 0.2, -h * 0.6), base + QPointF(-h * 0.35, -h));
        spike.quadTo(base + QPointF(h * 0.15, -h * 0.5), base + QPointF(h * 0.35, 0));
        spike.closeSubpath();
        paintShaded(painter, spike, color, 0.8);
    }
}

void paintTusks(QPainter &painter, QPointF at, double size)
{
    QPainterPath tusk(at);
    tusk.quadTo(at + QPointF(size * 0.7, size * 0.1), at + QPointF(size * 0.9, -size * 0.8));
    tusk.quadTo(at + QPointF(size * 0.4, -size * 0.1), at + QPointF(-size * 0.1, -size * 0.25));
    tusk.closeSubpath();
    paintShaded(painter, tusk, QColor(236, 226, 200), 0.8);
}

void paintAntennae(QPainter &painter, QPointF head, double size, const QColor &color)
{
    painter.setPen(QPen(color, 1.1, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    for (int side = 0; side < 2; ++side) {
        QPainterPath feeler(head);
        const QPointF tip = head + QPointF(size * (0.5 + side * 0.5), -size * (1.3 - side * 0.2));
        feeler.quadTo(head + QPointF(size * 0.1, -size), tip);
        painter.drawPath(feeler);
        painter.drawEllipse(tip, 1.3, 1.3);
    }
}

namespace {

void paintMembraneWing(QPainter &painter, QPointF shoulder, double span, double lift,
                       const QColor &color)
{
    const QPointF wrist = shoulder + QPointF(span * 0.45, -lift);
    const QPointF fingers[] = { shoulder + QPointF(span, -lift * 0.75),
                                shoulder + QPointF(span * 0.9, -lift * 0.1),
                                shoulder + QPointF(span * 0.55, lift * 0.3) };
    QPainterPath membrane(shoulder);
    membrane.lineTo(wrist);
    membrane.lineTo(fingers[0]);
    QPointF previous = fingers[0];
    for (const QPointF &finger :
         { fingers[1], fingers[2], shoulder + QPointF(span * 0.05, lift * 0.25) }) {
        const QPointF middle = (previous + finger) / 2;
        membrane.quadTo(middle + (wrist - middle) * 0.3, finger);
        previous = finger;
    }
    membrane.closeSubpath();
    painter.setPen(Qt::NoPen);
    QLinearGradient skin(wrist, shoulder + QPointF(span * 0.7, lift * 0.3));
    skin.setColorAt(0, withAlpha(color.lighter(115), 235));
    skin.setColorAt(1, withAlpha(color.darker(170), 235));
    painter.setBrush(skin);
    painter.drawPath(membrane);
    const QColor bone = color.darker(210);
    paintShaded(painter, taperedBand({ shoulder, wrist }, 4.5, 2.5), bone, 0.6);
    for (const QPointF &finger : fingers)
        paintShaded(painter, taperedBand({ wrist, finger }, 2.2, 0.8), bone, 0.4);
}

void paintFeatheredWing(QPainter &painter, QPointF shoulder, double span, double lift,
                        const QColor &color)
{
    const QPointF tip = shoulder + QPointF(span, -lift);
    const QPointF inner = shoulder + QPointF(span * 0.12, lift * 0.2);
    QPainterPath wing(shoulder);
    wing.quadTo(shoulder + QPointF(span * 0.25, -lift * 1.15), tip);
    constexpr int Feathers = 7;
    QList<QPointF> feathertips;
    for (int f = 1; f <= Feathers; ++f) {
        const double t = double(f) / Feathers;
        const QPointF on =
                tip + (inner - tip) * t + QPointF(0, lift * 0.28 * std::sin(t * 3.14159));
        const QPointF previous = tip + (inner - tip) * ((f - 1.0) / Feathers)
                + QPointF(0, lift * 0.28 * std::sin((f - 1.0) / Feathers * 3.14159));
        wing.quadTo((previous + on) / 2 + QPointF(span * 0.04, lift * 0.1), on);
        feathertips << on;
    }
    wing.lineTo(shoulder);
    paintShaded(painter, wing, color, 1.0);
    painter.setPen(QPen(withAlpha(color.darker(190), 150), 0.8));
    const QPointF covert = shoulder + QPointF(span * 0.3, -lift * 0.55);
    for (const QPointF &feather : feathertips)
        painter.drawLine(covert + (feather - covert) * 0.35, feather);
}

void paintInsectWing(QPainter &painter, QPointF shoulder, double span, double lift,
                     const QColor &color)
{
    const QPointF upper = shoulder + QPointF(span, -lift);
    const QPointF lower = shoulder + QPointF(span * 0.7, lift * 0.35);
    QPainterPath wing(shoulder);
    wing.cubicTo(shoulder + QPointF(span * 0.2, -lift * 1.2),
                 upper + QPointF(span * 0.1, -lift * 0.2), upper);
    wing.cubicTo(upper + QPointF(span * 0.1, lift * 0.5),
                 shoulder + QPointF(span * 0.7, -lift * 0.1), shoulder + QPointF(span * 0.4, 0));
    wing.cubicTo(lower + QPointF(span * 0.2, -lift * 0.1), lower + QPointF(0, lift * 0.2), lower);
    wing.quadTo(shoulder + QPointF(span * 0.2, lift * 0.45), shoulder);
    QLinearGradient dust(shoulder, upper);
    dust.setColorAt(0, withAlpha(color.darker(140), 235));
    dust.setColorAt(1, withAlpha(color.lighter(135), 215));
    painter.setPen(QPen(withAlpha(color.darker(250), 200), 0.9));
    painter.setBrush(dust);
    painter.drawPath(wing);
    const QPointF spot = shoulder + QPointF(span * 0.62, -lift * 0.62);
    painter.setPen(Qt::NoPen);
    painter.setBrush(withAlpha(color.darker(260), 220));
    painter.drawEllipse(spot, std::abs(span) * 0.13, std::abs(span) * 0.13);
    painter.setBrush(QColor(250, 230, 170, 220));
    painter.drawEllipse(spot, std::abs(span) * 0.06, std::abs(span) * 0.06);
}

} // namespace

void paintWing(QPainter &painter, QPointF shoulder, double span, double lift, WingKind kind,
               const QColor &color)
{
    painter.save();
    switch (kind) {
    case WingKind::Membrane:
        paintMembraneWing(painter, shoulder, span, lift, color);
        break;
    case WingKind::Feathered:
        paintFeatheredWing(painter, shoulder, span, lift, color);
        break;
    case WingKind::Insect:
        paintInsectWing(painter, shoulder, span, lift, color);
        break;
    }
    painter.restore();
}

// Stripes or spots in the marking color, kept inside the shape they mark.
void paintMarkings(QPainter &painter, const QPainterPath &shape, const CreatureTraits &traits,
                   SeededRandom &random)
{
    const QRectF box = shape.boundingRect();
    painter.save();
    painter.setClipPath(shape);
    painter.setPen(Qt::NoPen);
    QLinearGradient belly(box.topLeft(), box.bottomLeft());
    belly.setColorAt(0.55, withAlpha(traits.belly, 0));
    belly.setColorAt(1, withAlpha(traits.belly, 170));
    painter.fillRect(box, belly);
    const QColor ink = withAlpha(traits.marking, 120);
    if (random.chance(0.5)) {
        painter.setPen(QPen(ink, box.width() * 0.05, Qt::SolidLine, Qt::RoundCap));
        for (double x = box.left() + box.width() * 0.2; x < box.right() - box.width() * 0.15;
             x += box.width() * 0.16)
            painter.drawLine(QPointF(x, box.top()),
                             QPointF(x - box.width() * 0.06, box.center().y()));
    } else {
        painter.setBrush(ink);
        for (int spot = 0; spot < 9; ++spot) {
            const QPointF at(random.between(box.left(), box.right()),
                             random.between(box.top(), box.center().y()));
            painter.drawEllipse(at, box.width() * 0.035, box.width() * 0.03);
        }
    }
    painter.restore();
}

} // namespace parts
