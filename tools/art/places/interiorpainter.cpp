#include "interiorpainter.h"

#include "interiorhall.h"
#include "shared/paintkit.h"
#include "shared/pictureseed.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRegularExpression>

#include <cmath>

using paintkit::mix;
using paintkit::withAlpha;

QString floorCodeOf(const QString &location)
{
    static const QRegularExpression code(QStringLiteral("^([0-9A-Z]{2}) - "));
    const QRegularExpressionMatch match = code.match(location);
    return match.hasMatch() ? match.captured(1) : QString();
}

namespace {

constexpr int OldCistern = 11;
constexpr int TallowMines = 4;

bool mentions(const QString &text, std::initializer_list<const char *> words)
{
    for (const char *word : words) {
        if (startsWordAt(text, QLatin1String(word)))
            return true;
    }
    return false;
}

WallStyle wallStyleOf(const Scene &scene)
{
    const QString &place = scene.place;
    if (!floorCodeOf(place.toUpper()).isEmpty() || scene.theme.indoors)
        return WallStyle::Masonry;
    if (mentions(place, { "cistern", "cellar", "kiln", "sluice", "pump" }))
        return WallStyle::Brick;
    if (mentions(place, { "loft", "barn", "keeper's room" }))
        return WallStyle::Timber;
    return WallStyle::Rock;
}

} // namespace

bool isIndoorPlace(const QString &location, int region)
{
    if (!floorCodeOf(location).isEmpty() || region == OldCistern || region == TallowMines)
        return true;
    return mentions(
            location.toLower(),
            { "cave", "cavern", "cellar", "loft", "inside", "chamber", "tomb", "keeper's room" });
}

QPolygonF Hall::leftWall() const
{
    const QRectF back = backWall();
    return QPolygonF(
            { QPointF(0, 0), back.topLeft(), back.bottomLeft(), QPointF(0, LocationSize) });
}

QPolygonF Hall::rightWall() const
{
    const QRectF back = backWall();
    return QPolygonF({ QPointF(LocationSize, 0), back.topRight(), back.bottomRight(),
                       QPointF(LocationSize, LocationSize) });
}

QPolygonF Hall::floor() const
{
    const QRectF back = backWall();
    return QPolygonF({ QPointF(0, LocationSize), back.bottomLeft(), back.bottomRight(),
                       QPointF(LocationSize, LocationSize) });
}

QPolygonF Hall::ceiling() const
{
    const QRectF back = backWall();
    return QPolygonF({ QPointF(0, 0), back.topLeft(), back.topRight(), QPointF(LocationSize, 0) });
}

namespace {

void fillPolygon(QPainter &painter, const QPolygonF &polygon, const QBrush &brush)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(brush);
    painter.drawPolygon(polygon);
}

// Courses of blocks along one side wall: the bed joints run to the vanishing
// point, the head joints stand at depths that step closer together.
void paintCourses(QPainter &painter, const Hall &hall, double frameX, double courseHeight,
                  const QColor &joint)
{
    painter.setPen(QPen(joint, 0.8));
    int course = 0;
    for (double y = 0; y < LocationSize; y += courseHeight, ++course) {
        painter.drawLine(hall.project(QPointF(frameX, y), 1),
                         hall.project(QPointF(frameX, y), hall.backDepth));
        for (double z = 1.0 + (course % 2) * 0.06; z < hall.backDepth; z *= 1.12) {
            painter.drawLine(hall.project(QPointF(frameX, y), z),
                             hall.project(QPointF(frameX, y + courseHeight), z));
        }
    }
}

void paintRockTexture(QPainter &painter, const QPolygonF &area, const QColor &rock,
                      SeededRandom &random)
{
    painter.save();
    QPainterPath clip;
    clip.addPolygon(area);
    painter.setClipPath(clip);
    painter.setPen(Qt::NoPen);
    const QRectF box = area.boundingRect();
    for (int blotch = 0; blotch < 60; ++blotch) {
        const QPointF at(random.between(box.left(), box.right()),
                         random.between(box.top(), box.bottom()));
        painter.setBrush(withAlpha(random.chance(0.5) ? rock.lighter(125) : rock.darker(140), 70));
        painter.drawEllipse(at, random.between(6, 22), random.between(4, 14));
    }
    painter.restore();
}

void paintPlanks(QPainter &painter, const Hall &hall, double frameX, const QColor &joint)
{
    painter.setPen(QPen(joint, 0.9));
    for (double z = 1.0; z < hall.backDepth; z *= 1.06)
        painter.drawLine(hall.project(QPointF(frameX, 0), z),
                         hall.project(QPointF(frameX, LocationSize), z));
}

void paintWalls(QPainter &painter, const Hall &hall, SeededRandom &random)
{
    for (const bool left : { true, false }) {
        const QPolygonF wall = left ? hall.leftWall() : hall.rightWall();
        const double frameX = left ? 0 : LocationSize;
        QLinearGradient depth(QPointF(frameX, 0), hall.vanish);
        depth.setColorAt(0, hall.stone.darker(150));
        depth.setColorAt(1, hall.stone.darker(240));
        fillPolygon(painter, wall, depth);
        const QColor joint = withAlpha(hall.stone.darker(300), 150);
        switch (hall.style) {
        case WallStyle::Masonry:
            paintCourses(painter, hall, frameX, 26, joint);
            break;
        case WallStyle::Brick:
            paintCourses(painter, hall, frameX, 13, joint);
            break;
        case WallStyle::Timber:
            paintPlanks(painter, hall, frameX, joint);
            break;
        case WallStyle::Rock:
            paintRockTexture(painter, wall, hall.stone, random);
            break;
        }
    }
}

void paintFloor(QPainter &painter, const Hall &hall, SeededRandom &random)
{
    const QPolygonF floor = hall.floor();
    QLinearGradient depth(QPointF(0, LocationSize), QPointF(0, hall.backWall().bottom()));
    depth.setColorAt(0, hall.stone.darker(130));
    depth.setColorAt(1, hall.stone.darker(260));
    fillPolygon(painter, floor, depth);
    painter.save();
    QPainterPath clip;
    clip.addPolygon(floor);
    painter.setClipPath(clip);
    if (hall.style == WallStyle::Masonry || hall.style == WallStyle::Brick) {
        // A chequer of flagstones, every other one a shade darker.
        constexpr int Rows = 9;
        const double step = hall.style == WallStyle::Masonry ? 48 : 32;
        for (int row = 0; row < Rows; ++row) {
            const double near = std::pow(hall.backDepth, double(row) / Rows);
            const double far = std::pow(hall.backDepth, double(row + 1) / Rows);
            int column = 0;
            for (double x = -LocationSize; x < 2 * LocationSize; x += step, ++column) {
                if ((row + column) % 2)
                    continue;
                fillPolygon(painter,
                            QPolygonF({ hall.project(QPointF(x, LocationSize), near),
                                        hall.project(QPointF(x + step, LocationSize), near),
                                        hall.project(QPointF(x + step, LocationSize), far),
                                        hall.project(QPointF(x, LocationSize), far) }),
                            QColor(0, 0, 0, 45));
            }
        }
    } else if (hall.style == WallStyle::Timber) {
        painter.setPen(QPen(withAlpha(hall.stone.darker(260), 150), 0.9));
        for (double x = -LocationSize; x < 2 * LocationSize; x += 18)
            painter.drawLine(QPointF(x, LocationSize),
                             hall.project(QPointF(x, LocationSize), hall.backDepth));
    } else {
        paintRockTexture(painter, floor, hall.stone, random);
    }
    painter.restore();
}

void paintCeiling(QPainter &painter, const Hall &hall)
{
    QLinearGradient depth(QPointF(0, 0), QPointF(0, hall.backWall().top()));
    depth.setColorAt(0, hall.stone.darker(330));
    depth.setColorAt(1, hall.stone.darker(230));
    fillPolygon(painter, hall.ceiling(), depth);
}

// A barn or loft ends in a window: daylight falls in as a shaft across the
// boards, or moonlight at night.
void paintDaylitWindow(QPainter &painter, const Scene &scene, const Hall &hall)
{
    const QRectF back = hall.backWall();
    const QRectF window(back.center().x() - back.width() * 0.18, back.top() + back.height() * 0.18,
                        back.width() * 0.36, back.height() * 0.32);
    const bool night = scene.sky.time == TimeOfDay::Night;
    const QColor light = night ? QColor(170, 190, 240) : QColor(255, 236, 190);
    painter.setPen(Qt::NoPen);
    painter.setBrush(light);
    painter.drawRect(window);
    QLinearGradient shaft(window.center(), QPointF(window.center().x(), LocationSize));
    shaft.setColorAt(0, withAlpha(light, 110));
    shaft.setColorAt(1, withAlpha(light, 0));
    painter.setBrush(shaft);
    painter.drawPolygon(QPolygonF({ window.topLeft(), window.topRight(),
                                    QPointF(window.right() + 80, LocationSize),
                                    QPointF(window.left() + 10, LocationSize) }));
    painter.setPen(QPen(hall.stone.darker(220), 2.5));
    painter.drawLine(QPointF(window.center().x(), window.top()),
                     QPointF(window.center().x(), window.bottom()));
    painter.drawLine(QPointF(window.left(), window.center().y()),
                     QPointF(window.right(), window.center().y()));
}

// The far end: an arched doorway, dark beyond, or open to the sky at the
// very top of the building.
void paintBackWall(QPainter &painter, const Scene &scene, const Hall &hall, SeededRandom &random)
{
    const QRectF back = hall.backWall();
    fillPolygon(painter, QPolygonF(back), hall.stone.darker(200));
    const bool open = placeHas(
            scene, { "terrace", "battlements", "dome", "clock face", "spout", "lantern (" });
    if (hall.style == WallStyle::Timber) {
        paintDaylitWindow(painter, scene, hall);
        return;
    }
    const double width = back.width() * (open ? 0.8 : random.between(0.36, 0.5));
    const QRectF door(back.center().x() - width / 2,
                      back.top() + back.height() * (open ? 0.12 : 0.3), width,
                      back.height() * (open ? 0.88 : 0.7));
    QPainterPath arch(door.bottomLeft());
    arch.lineTo(door.left(), door.top() + width / 2);
    arch.arcTo(QRectF(door.left(), door.top(), width, width), 180, -180);
    arch.lineTo(door.bottomRight());
    arch.closeSubpath();
    painter.save();
    painter.setClipPath(arch);
    if (open) {
        Scene view = scene;
        view.horizon = door.bottom() - 10;
        paintSky(painter, view, random);
    } else {
        QLinearGradient dark(door.topLeft(), door.bottomLeft());
        const QColor beyond = scene.theme.accent;
        dark.setColorAt(0, QColor(8, 6, 10));
        dark.setColorAt(1, withAlpha(mix(beyond, QColor(8, 6, 10), 0.6), 255));
        painter.fillRect(door, dark);
    }
    painter.restore();
    painter.setPen(QPen(hall.stone.darker(140), 3));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(arch);
}

void paintTorch(QPainter &painter, QPointF at, double size)
{
    paintkit::paintGlow(painter, at, 70 * size, QColor(255, 170, 80, 110));
    painter.setPen(QPen(QColor(50, 36, 26), 2.4 * size));
    painter.drawLine(at + QPointF(0, 3 * size), at + QPointF(0, 14 * size));
    QPainterPath flame(at + QPointF(0, -10 * size));
    flame.cubicTo(at + QPointF(5 * size, -4 * size), at + QPointF(5 * size, 3 * size),
                  at + QPointF(0, 4 * size));
    flame.cubicTo(at + QPointF(-5 * size, 3 * size), at + QPointF(-5 * size, -4 * size),
                  at + QPointF(0, -10 * size));
    QRadialGradient fire(at + QPointF(0, 1 * size), 9 * size);
    fire.setColorAt(0, QColor(255, 250, 210));
    fire.setColorAt(0.5, QColor(255, 190, 70));
    fire.setColorAt(1, QColor(230, 90, 30));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fire);
    painter.drawPath(flame);
}

void paintPillars(QPainter &painter, const Scene &scene, const Hall &hall)
{
    const bool beams = hall.style == WallStyle::Timber || hall.style == WallStyle::Rock;
    const QColor material = beams ? litBy(scene.sky, QColor(110, 80, 54)) : hall.stone;
    const auto bays = hall.bays();
    for (auto z = bays.crbegin(); z != bays.crend(); ++z) {
        for (const bool left : { true, false }) {
            const double inner = left ? 26 : LocationSize - 26;
            const double outer = left ? -4 : LocationSize + 4;
            const QPointF top = hall.project(QPointF(std::min(inner, outer), 0), *z);
            const QPointF bottom = hall.project(QPointF(std::max(inner, outer), LocationSize), *z);
            QLinearGradient shade(top.x(), 0, bottom.x(), 0);
            shade.setColorAt(0, material.lighter(left ? 105 : 80));
            shade.setColorAt(1, material.darker(left ? 170 : 120));
            fillPolygon(painter, QPolygonF(QRectF(top, bottom)), shade);
            if (hall.style != WallStyle::Timber)
                paintTorch(painter, hall.project(QPointF(left ? inner + 8 : inner - 8, 150), *z),
                           1.0 / *z);
        }
        // An arch, or a beam, spans the hall from pillar to pillar.
        QPainterPath span(hall.project(QPointF(14, 70), *z));
        if (beams)
            span.lineTo(hall.project(QPointF(LocationSize - 14, 70), *z));
        else
            span.quadTo(hall.project(QPointF(LocationSize / 2.0, -50), *z),
                        hall.project(QPointF(LocationSize - 14, 70), *z));
        painter.setPen(QPen(material.darker(120), 22 / *z, Qt::SolidLine, Qt::FlatCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(span);
    }
}

Hall hallFor(const Scene &scene, SeededRandom &random)
{
    Hall hall;
    hall.vanish = QPointF(LocationSize / 2.0 + random.between(-24, 24), random.between(120, 140));
    hall.backDepth = random.between(2.3, 2.8);
    hall.style = wallStyleOf(scene);
    QColor stone = scene.theme.stone;
    if (hall.style == WallStyle::Brick)
        stone = mix(stone, QColor(150, 84, 60), 0.45);
    else if (hall.style == WallStyle::Timber)
        stone = QColor(170, 128, 86);
    hall.stone = stone;
    return hall;
}

// Things fixed to the walls and floor, which the pillars stand in front of.
void paintWallFeatures(QPainter &painter, const Scene &scene, const Hall &hall,
                       SeededRandom &random)
{
    using namespace interior;
    const QString &place = scene.place;
    if (mentions(place,
                 { "stacks", "catalogue", "library", "reading", "archive", "copying", "bindery",
                   "scribes" }))
        paintBookshelves(painter, scene, hall, random);
    if (mentions(place,
                 { "ossuary", "crypt", "niches", "effigy", "tomb", "burial", "inner chamber" }))
        paintNiches(painter, scene, hall, random);
    if (mentions(place, { "boiler", "pump", "valve", "sluice" }))
        paintPipes(painter, scene, hall);
    if (mentions(place, { "map room", "ceiling of stars" }))
        paintStarCeiling(painter, hall, random);
    if (mentions(place, { "gear", "clock", "instrument", "lens", "cog", "orrery" }))
        paintGear(painter, scene, hall, random);
    if (mentions(place,
                 { "drowned", "flood", "basin", "reservoir", "sump", "pools", "cistern", "water" }))
        paintWaterFloor(painter, scene, hall, random);
    if (mentions(place, { "vault", "grille", "treasury", "locked", "gate", "porter", "sealed" }))
        paintGrille(painter, hall);
}

// Things standing or hanging in the open hall, in front of the pillars.
void paintHallFeatures(QPainter &painter, const Scene &scene, const Hall &hall,
                       SeededRandom &random)
{
    using namespace interior;
    const QString &place = scene.place;
    if (mentions(place, { "desks", "benches", "copying", "council", "presses", "lectern" }))
        paintDesks(painter, scene, hall, random);
    if (mentions(place, { "orrery", "armillary", "moon model", "sun arm" }))
        paintOrreryRings(painter, hall, random);
    if (mentions(place, { "belfry", "bell", "carillon" }))
        paintBells(painter, scene, hall, random);
    if (mentions(place, { "chain", "lift" }))
        paintChains(painter, hall, random);
    if (mentions(place, { "lamp", "lantern", "reading" }))
        paintHangingLamps(painter, hall, random);
    if (hall.style == WallStyle::Rock)
        paintStalactites(painter, hall, random);
}

} // namespace

void paintInterior(QPainter &painter, const Scene &scene, SeededRandom &random)
{
    const Hall hall = hallFor(scene, random);
    paintCeiling(painter, hall);
    paintWalls(painter, hall, random);
    paintFloor(painter, hall, random);
    paintBackWall(painter, scene, hall, random);
    paintWallFeatures(painter, scene, hall, random);
    const bool mine = mentions(scene.place, { "tallow mines", "mine", "gallery", "shaft", "sump" });
    if (hall.style != WallStyle::Rock || mine)
        paintPillars(painter, scene, hall);
    else
        paintTorch(painter, hall.project(QPointF(24, 150), 1.3), 1 / 1.3);
    paintHallFeatures(painter, scene, hall, random);

    // Light falls off away from the torches: the near corners sink into shadow.
    QRadialGradient gloom(hall.vanish, LocationSize * 0.75);
    gloom.setColorAt(0, QColor(255, 190, 120, 28));
    gloom.setColorAt(0.5, QColor(0, 0, 0, 0));
    gloom.setColorAt(1, QColor(0, 0, 0, 150));
    painter.fillRect(QRectF(0, 0, LocationSize, LocationSize), gloom);
    paintkit::paintParticles(painter, QRectF(0, 40, LocationSize, 200), scene.theme.particles, 24,
                             random);
}
