// The land under the sky: hills or mountains, sea or lake, trees, reeds and
// plants, and in the middle distance the landmark the place names.

#include "locationscene.h"
#include "shared/paintkit.h"
#include "shared/pictureseed.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace {

using paintkit::mix;
using paintkit::withAlpha;

enum class Waterside { None, Sea, Lake };

Waterside watersideOf(const Scene &scene)
{
    if (placeHas(scene, { "dry " }))
        return Waterside::None;
    if (placeHas(scene,
                 { "sea", "strand", "shoals", "cove", "channel", "lagoon", "beach", "shingle",
                   "gull point", "open water", "lighthouse" }))
        return Waterside::Sea;
    if (placeHas(scene,
                 { "pond", "lake", "pool", "creek", "river", "ferry", "millrace", "spring", "falls",
                   "sluice", "shallows", "reedwalk", "eel", "mudflats", "bog", "sedge island",
                   "marsh" }))
        return Waterside::Lake;
    return scene.theme.terrain == Terrain::Coast    ? Waterside::Sea
            : scene.theme.terrain == Terrain::Marsh ? Waterside::Lake
                                                    : Waterside::None;
}

bool isMountainous(const Scene &scene)
{
    return scene.theme.terrain == Terrain::Mountains
            || placeHas(scene,
                        { "peak", "summit", "mount ", "glacier", "crag", "pass", "ridge", "scree",
                          "ledge", "eyrie", "switchback", "gorge", "ravine" });
}

bool isWintry(const Scene &scene)
{
    return scene.theme.particles == paintkit::Particles::Snow;
}

// A ridge line built by midpoint displacement: rough for mountains, smooth
// for hills depending on the roughness.
QList<QPointF> ridge(double baseY, double height, double roughness, SeededRandom &random)
{
    QList<double> heights = { random.unit(), random.unit() };
    for (int pass = 0; pass < 6; ++pass) {
        QList<double> finer;
        const double spread = std::pow(roughness, pass + 1);
        for (qsizetype i = 0; i + 1 < heights.size(); ++i) {
            finer << heights[i]
                  << (heights[i] + heights[i + 1]) / 2 + random.between(-spread, spread);
        }
        finer << heights.last();
        heights = finer;
    }
    const auto [lowest, highest] = std::minmax_element(heights.cbegin(), heights.cend());
    const double low = *lowest, range = std::max(*highest - *lowest, 1e-6);
    QList<QPointF> points;
    for (qsizetype i = 0; i < heights.size(); ++i)
        points << QPointF(double(i) / (heights.size() - 1) * (LocationSize + 20) - 10,
                          baseY - (heights[i] - low) / range * height);
    return points;
}

QPainterPath landBelow(const QList<QPointF> &line, double bottom)
{
    QPainterPath land(QPointF(line.first().x(), bottom));
    for (const QPointF &point : line)
        land.lineTo(point);
    land.lineTo(line.last().x(), bottom);
    land.closeSubpath();
    return land;
}

void fillLand(QPainter &painter, const QPainterPath &land, const QColor &top, const QColor &bottom)
{
    const QRectF box = land.boundingRect();
    QLinearGradient shade(box.topLeft(), box.bottomLeft());
    shade.setColorAt(0, top);
    shade.setColorAt(1, bottom);
    painter.setPen(Qt::NoPen);
    painter.setBrush(shade);
    painter.drawPath(land);
}

void paintMountains(QPainter &painter, const Scene &scene, SeededRandom &random)
{
    const QColor haze = litBy(scene.sky, scene.theme.skyHorizon);
    const QColor rock = litBy(scene.sky, scene.theme.stone);
    const bool alpine = scene.theme.terrain == Terrain::Mountains;
    for (int layer = 0; layer < 2; ++layer) {
        const QList<QPointF> line =
                ridge(scene.horizon - 4 + layer * 10,
                      (alpine ? 96 : 56) - layer * (alpine ? 40 : 24), 0.55, random);
        const QPainterPath range = landBelow(line, scene.horizon + 40);
        const QColor ground = alpine ? rock : mix(rock, litBy(scene.sky, scene.theme.land), 0.5);
        const QColor color = mix(ground, haze, layer == 0 ? 0.55 : 0.3);
        fillLand(painter, range, color.lighter(110), color.darker(120));
        // Snow lies on the upper slopes: the range clipped to a band below its peaks.
        const double snowLine = scene.horizon
                - (isWintry(scene)  ? 40
                           : alpine ? 85
                                    : 200)
                + layer * 20;
        painter.save();
        painter.setClipPath(range);
        QLinearGradient snow(0, snowLine - 50, 0, snowLine);
        snow.setColorAt(0, withAlpha(litBy(scene.sky, QColor(250, 252, 255)), 235));
        snow.setColorAt(1, withAlpha(litBy(scene.sky, QColor(250, 252, 255)), 0));
        painter.fillRect(QRectF(0, 0, LocationSize, snowLine), snow);
        painter.restore();
    }
}

void paintHills(QPainter &painter, const Scene &scene, double baseY, double height, double haze,
                SeededRandom &random)
{
    const QList<QPointF> line = ridge(baseY, height, 0.32, random);
    const QColor land =
            mix(litBy(scene.sky, scene.theme.land), litBy(scene.sky, scene.theme.skyHorizon), haze);
    fillLand(painter, landBelow(line, LocationSize), land.lighter(108), land.darker(150));
}

// Water mirrors the sky: its colors run the other way, broken by ripples and
// by the column of light under the sun or moon.
void paintWater(QPainter &painter, const Scene &scene, const QRectF &area, SeededRandom &random)
{
    const bool frozen = placeHas(scene, { "frozen", "ice" });
    const QColor deep = frozen
            ? litBy(scene.sky, QColor(200, 220, 235))
            : mix(litBy(scene.sky, scene.theme.skyTop), QColor(10, 30, 40), 0.45);
    const QColor near = frozen ? litBy(scene.sky, QColor(160, 190, 210)) : deep.darker(150);
    QPainterPath water;
    if (area.width() >= LocationSize)
        water.addRect(area);
    else
        water.addEllipse(area);
    QLinearGradient surface(area.topLeft(), area.bottomLeft());
    surface.setColorAt(0, mix(litBy(scene.sky, scene.theme.skyHorizon), deep, 0.35));
    surface.setColorAt(1, near);
    painter.setPen(Qt::NoPen);
    painter.setBrush(surface);
    painter.drawPath(water);

    painter.save();
    painter.setClipPath(water);
    const bool night = scene.sky.time == TimeOfDay::Night;
    const QColor glint = night ? QColor(220, 230, 255, 90) : QColor(255, 245, 220, 110);
    for (int ripple = 0; ripple < (frozen ? 10 : 40); ++ripple) {
        const double y = area.top() + std::pow(random.unit(), 1.4) * area.height();
        const double length = random.between(6, 26) * (0.5 + (y - area.top()) / area.height());
        const double x = random.between(area.left(), area.right());
        painter.setPen(QPen(frozen ? QColor(255, 255, 255, 110) : glint, 0.9));
        painter.drawLine(QPointF(x, y), QPointF(x + length, y));
    }
    painter.restore();
}

void paintBroadleaf(QPainter &painter, QPointF base, double height, const QColor &leaf,
                    SeededRandom &random)
{
    const QColor bark = mix(leaf, QColor(60, 40, 30), 0.6);
    painter.setPen(Qt::NoPen);
    painter.setBrush(bark);
    painter.drawRect(QRectF(base.x() - height * 0.05, base.y() - height * 0.55, height * 0.1,
                            height * 0.55));
    QPainterPath crown;
    crown.setFillRule(Qt::WindingFill); // overlapping puffs add up rather than cancel
    for (int puff = 0; puff < 5; ++puff) {
        const QPointF at = base
                + QPointF(random.between(-0.28, 0.28) * height,
                          -height * random.between(0.55, 0.85));
        crown.addEllipse(at, height * random.between(0.2, 0.3),
                         height * random.between(0.18, 0.26));
    }
    const QRectF box = crown.boundingRect();
    QRadialGradient light(box.topLeft() + QPointF(box.width() * 0.3, box.height() * 0.2),
                          box.width());
    light.setColorAt(0, leaf.lighter(135));
    light.setColorAt(1, leaf.darker(170));
    painter.setBrush(light);
    painter.drawPath(crown.simplified());
}

void paintPine(QPainter &painter, QPointF base, double height, const QColor &needles, bool snowy)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(mix(needles, QColor(50, 36, 28), 0.6));
    painter.drawRect(
            QRectF(base.x() - height * 0.03, base.y() - height * 0.2, height * 0.06, height * 0.2));
    for (int tier = 0; tier < 3; ++tier) {
        const double bottom = base.y() - height * (0.12 + tier * 0.25);
        const double half = height * (0.26 - tier * 0.06);
        const QPolygonF cone({ QPointF(base.x() - half, bottom),
                               QPointF(base.x(), bottom - height * 0.42),
                               QPointF(base.x() + half, bottom) });
        QLinearGradient shade(base.x() - half, 0, base.x() + half, 0);
        shade.setColorAt(0, needles.lighter(120));
        shade.setColorAt(1, needles.darker(160));
        painter.setBrush(shade);
        painter.drawPolygon(cone);
        if (snowy) {
            painter.setBrush(QColor(240, 246, 255, 200));
            painter.drawPolygon(
                    QPolygonF({ QPointF(base.x() - half * 0.4, bottom - height * 0.25),
                                QPointF(base.x(), bottom - height * 0.42),
                                QPointF(base.x() + half * 0.3, bottom - height * 0.27) }));
        }
    }
}

// Bare and charred trees: a trunk splitting into thinner and thinner limbs.
void paintBranches(QPainter &painter, QPointF from, double length, double angle, double width,
                   int depth, const QColor &color, SeededRandom &random)
{
    const QPointF to = from + QPointF(std::sin(angle) * length, -std::cos(angle) * length);
    painter.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(from, to);
    if (depth == 0)
        return;
    for (const double turn : { -0.45, 0.4 })
        paintBranches(painter, to, length * random.between(0.6, 0.78),
                      angle + turn + random.between(-0.2, 0.2), width * 0.62, depth - 1, color,
                      random);
}

void paintReeds(QPainter &painter, QPointF base, double height, const QColor &color,
                SeededRandom &random)
{
    for (int stem = 0; stem < 9; ++stem) {
        const QPointF root = base + QPointF(random.between(-12, 12), 0);
        const QPointF tip =
                root + QPointF(random.between(-8, 8), -height * random.between(0.6, 1.0));
        QPainterPath blade(root);
        blade.quadTo((root + tip) / 2 + QPointF(random.between(-4, 4), 0), tip);
        painter.setPen(QPen(color, 1.2));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(blade);
        if (random.chance(0.4)) {
            painter.setPen(
                    QPen(mix(color, QColor(90, 50, 30), 0.7), 3.2, Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(tip + QPointF(0, 4), tip + QPointF(0, 11));
        }
    }
}

void paintPlant(QPainter &painter, const Scene &scene, QPointF base, double height,
                SeededRandom &random)
{
    const QColor foliage = litBy(scene.sky, scene.theme.foliage);
    switch (scene.theme.flora) {
    case Flora::Broadleaf:
        paintBroadleaf(painter, base, height, foliage, random);
        break;
    case Flora::Pine:
        paintPine(painter, base, height, foliage, isWintry(scene));
        break;
    case Flora::Charred:
        paintBranches(painter, base, height * 0.4, random.between(-0.1, 0.1), height * 0.06, 3,
                      litBy(scene.sky, QColor(34, 26, 24)), random);
        paintkit::paintGlow(painter, base + QPointF(0, -height * 0.1), height * 0.2,
                            QColor(255, 120, 40, 90));
        break;
    case Flora::Bare:
        paintBranches(painter, base, height * 0.36, random.between(-0.15, 0.15), height * 0.045, 4,
                      litBy(scene.sky, mix(scene.theme.stone, QColor(40, 34, 30), 0.6)), random);
        break;
    case Flora::Reeds:
    case Flora::Grass:
        paintReeds(painter, base, height * 0.4, mix(foliage, QColor(200, 180, 110), 0.3), random);
        break;
    }
}

void paintTreeLine(QPainter &painter, const Scene &scene, SeededRandom &random)
{
    const bool trees = scene.theme.flora == Flora::Broadleaf || scene.theme.flora == Flora::Pine
            || scene.theme.flora == Flora::Charred;
    const int count = trees ? 16 : 4;
    for (int plant = 0; plant < count; ++plant) {
        const QPointF base(random.between(-10, LocationSize + 10),
                           scene.horizon + random.between(16, 26));
        paintPlant(painter, scene, base, random.between(16, 30), random);
    }
}

void paintForeground(QPainter &painter, const Scene &scene, bool beach, SeededRandom &random)
{
    const double top = scene.horizon + 62;
    QPainterPath ground(QPointF(0, LocationSize));
    ground.lineTo(0, top + random.between(-10, 10));
    ground.cubicTo(QPointF(100, top - random.between(0, 18)),
                   QPointF(220, top + random.between(0, 18)),
                   QPointF(LocationSize, top + random.between(-10, 6)));
    ground.lineTo(LocationSize, LocationSize);
    ground.closeSubpath();
    const QColor soil = litBy(scene.sky,
                              beach ? mix(scene.theme.stone, QColor(210, 196, 160), 0.4)
                                      : isWintry(scene) ? QColor(232, 238, 246)
                                                        : scene.theme.land);
    fillLand(painter, ground, soil, soil.darker(190));

    painter.save();
    painter.setClipPath(ground);
    for (int tuft = 0; tuft < 70; ++tuft) {
        const QPointF at(random.between(0, LocationSize),
                         random.between(top - 10, LocationSize - BannerHeight + 10));
        if (beach) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(withAlpha(soil.darker(int(random.between(120, 170))), 200));
            painter.drawEllipse(at, random.between(1.5, 3.5), random.between(1.0, 2.2));
        } else {
            painter.setPen(QPen(withAlpha(soil.lighter(isWintry(scene) ? 95 : 135), 170), 1.0));
            painter.drawLine(at, at + QPointF(random.between(-2, 2), -random.between(3, 7)));
        }
    }
    painter.restore();
}

void paintHeadland(QPainter &painter, const Scene &scene, SeededRandom &random)
{
    const bool left = random.chance(0.5);
    const double edge = random.between(90, 150);
    const double top = scene.horizon - random.between(12, 40);
    QPainterPath land(QPointF(left ? -10 : LocationSize + 10, LocationSize));
    land.lineTo(left ? -10 : LocationSize + 10, top);
    land.quadTo(QPointF(left ? edge * 0.6 : LocationSize - edge * 0.6, top - 8),
                QPointF(left ? edge : LocationSize - edge, top + 14));
    land.lineTo(left ? edge + 16 : LocationSize - edge - 16, scene.horizon + 60);
    land.lineTo(left ? edge + 30 : LocationSize - edge - 30, LocationSize);
    land.closeSubpath();
    const QColor rock = litBy(scene.sky, scene.theme.stone);
    fillLand(painter, land, rock.lighter(110), rock.darker(170));
    painter.save();
    painter.setClipPath(land);
    const QColor turf = litBy(scene.sky, scene.theme.land);
    painter.fillRect(QRectF(0, top - 12, LocationSize, 20), turf);
    painter.restore();
}

} // namespace

void paintLandscape(QPainter &painter, const Scene &scene, SeededRandom &random)
{
    const Waterside water = watersideOf(scene);
    if (isMountainous(scene))
        paintMountains(painter, scene, random);
    else
        paintHills(painter, scene, scene.horizon + 4, 34, 0.6, random);
    if (water == Waterside::Sea) {
        paintWater(painter, scene,
                   QRectF(0, scene.horizon + 2, LocationSize, LocationSize - scene.horizon),
                   random);
        paintHeadland(painter, scene, random);
    } else {
        paintHills(painter, scene, scene.horizon + 26, 22, 0.3, random);
        paintTreeLine(painter, scene, random);
    }
    if (water == Waterside::Lake)
        paintWater(painter, scene, QRectF(random.between(-60, 60), scene.horizon + 32, 300, 56),
                   random);
    paintLandmark(painter, scene, random);
    paintForeground(painter, scene, water == Waterside::Sea, random);
    for (int plant = 0; plant < 3; ++plant) {
        const double x = plant == 1 ? random.between(-20, 40) : random.between(260, 330);
        paintPlant(painter, scene, QPointF(x, LocationSize - BannerHeight + random.between(-14, 4)),
                   random.between(80, 140), random);
    }
}
