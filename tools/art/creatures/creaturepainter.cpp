#include "creaturepainter.h"

#include "bodyplans.h"
#include "catalog.h"
#include "creatureparts.h"
#include "shared/paintkit.h"
#include "shared/pictureseed.h"
#include "shared/regiontheme.h"

#include <QFontMetricsF>
#include <QLinearGradient>

#include <cmath>

namespace {

using paintkit::mix;
using paintkit::withAlpha;

constexpr int MinWidth = 300, WidthRange = 61; // up to 360
constexpr int MinHeight = 200, HeightRange = 49; // up to 248
constexpr int PlateHeight = 34;

// Where the stage of creatureparts.h lands in the picture.
struct Stage
{
    double scale;
    QPointF origin;
    double groundY() const { return origin.y() + parts::Ground * scale; }
    double centreX() const { return origin.x() + parts::StageWidth / 2 * scale; }
};

// The creatures keep clear of the stage's outer margin, so the picture shows
// only its inner part and the creature fills the frame.
constexpr double ViewLeft = 18, ViewWidth = 184, ViewTop = 18, ViewBottom = 146;

Stage stageFor(QSize size)
{
    const QRectF area(8, 6, size.width() - 16, size.height() - PlateHeight - 8);
    const double scale = std::min(area.width() / ViewWidth, area.height() / (ViewBottom - ViewTop));
    return { scale,
             QPointF(area.center().x() - (ViewLeft + ViewWidth / 2) * scale,
                     area.bottom() - ViewBottom * scale) };
}

QList<QPointF> ridgeLine(double width, double baseY, double amplitude, SeededRandom &random)
{
    const double phase1 = random.between(0, 6.28), phase2 = random.between(0, 6.28);
    const double wave1 = random.between(1.5, 3.0), wave2 = random.between(4.0, 7.0);
    QList<QPointF> points;
    for (double x = 0; x <= width + 8; x += 8) {
        const double t = x / width * 6.28318;
        points << QPointF(x,
                          baseY
                                  - amplitude
                                          * (0.6 * std::sin(t * wave1 / 6.28 * 3 + phase1)
                                             + 0.4 * std::sin(t * wave2 / 6.28 * 3 + phase2)));
    }
    return points;
}

void paintRidge(QPainter &painter, const QList<QPointF> &ridge, double bottom, const QColor &color)
{
    QPainterPath land(QPointF(0, bottom));
    for (const QPointF &point : ridge)
        land.lineTo(point);
    land.lineTo(ridge.last().x(), bottom);
    land.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(land);
}

// Dim columns with tall pointed windows between them stand in for the halls
// of the great building.
void paintColonnade(QPainter &painter, QSize size, double groundY, const QColor &stone,
                    const QColor &light, SeededRandom &random)
{
    const double spacing = random.between(72, 96);
    const double width = spacing * 0.26;
    painter.setPen(Qt::NoPen);
    for (double x = random.between(-30, 0); x < size.width() + spacing; x += spacing) {
        const QRectF window(x + width + 8, groundY * 0.2, spacing - width - 16, groundY * 0.62);
        QPainterPath arch(QPointF(window.left(), window.bottom()));
        arch.lineTo(window.left(), window.top() + window.width() * 0.6);
        arch.quadTo(window.left(), window.top() + window.width() * 0.1, window.center().x(),
                    window.top());
        arch.quadTo(window.right(), window.top() + window.width() * 0.1, window.right(),
                    window.top() + window.width() * 0.6);
        arch.lineTo(window.right(), window.bottom());
        arch.closeSubpath();
        QLinearGradient glass(window.topLeft(), window.bottomLeft());
        glass.setColorAt(0, withAlpha(light, 110));
        glass.setColorAt(1, withAlpha(light, 25));
        painter.setBrush(glass);
        painter.drawPath(arch);
        painter.setBrush(withAlpha(stone, 200));
        painter.drawRect(QRectF(window.center().x() - 1, window.top() + 6, 2, window.height() - 6));

        QLinearGradient column(x, 0, x + width, 0);
        column.setColorAt(0, stone.darker(150));
        column.setColorAt(0.35, stone.lighter(115));
        column.setColorAt(1, stone.darker(190));
        painter.setBrush(column);
        painter.drawRect(QRectF(x, 0, width, groundY));
        painter.drawRect(QRectF(x - 3, groundY - 8, width + 6, 8));
    }
}

void paintBackdrop(QPainter &painter, QSize size, const Stage &stage, const RegionTheme &theme,
                   const CreatureTraits &traits, SeededRandom &random)
{
    const double groundY = stage.groundY();
    const QColor top = mix(theme.skyTop, QColor(8, 8, 16), 0.55);
    const QColor horizon = mix(theme.skyHorizon, theme.skyTop, 0.4).darker(135);
    QLinearGradient sky(0, 0, 0, groundY);
    sky.setColorAt(0, top);
    sky.setColorAt(1, horizon);
    painter.fillRect(QRectF(0, 0, size.width(), groundY + 2), sky);
    paintkit::paintGlow(painter, QPointF(stage.centreX(), groundY - 55 * stage.scale),
                        size.height() * 0.75, withAlpha(theme.accent, 95));

    if (theme.indoors) {
        paintColonnade(painter, size, groundY, mix(theme.stone, horizon, 0.45).darker(150),
                       mix(theme.accent, horizon, 0.5), random);
    } else {
        const double width = size.width();
        paintRidge(painter, ridgeLine(width, groundY - 48 * stage.scale, 14 * stage.scale, random),
                   groundY + 1, mix(theme.land, horizon, 0.65).darker(120));
        paintRidge(painter, ridgeLine(width, groundY - 20 * stage.scale, 8 * stage.scale, random),
                   groundY + 1, mix(theme.land, horizon, 0.35).darker(150));
    }

    const QRectF groundArea(0, groundY - 2, size.width(), size.height() - groundY + 2);
    QLinearGradient ground(0, groundArea.top(), 0, groundArea.bottom());
    const QColor soil = traits.plan == BodyPlan::Fish
            ? mix(theme.skyHorizon, QColor(20, 60, 80), 0.6)
            : (theme.indoors ? theme.stone : theme.land);
    ground.setColorAt(0, soil.darker(150));
    ground.setColorAt(1, soil.darker(420));
    painter.fillRect(groundArea, ground);
    painter.save();
    painter.translate(stage.centreX(), groundY + 6);
    painter.scale(1.0, 0.22);
    paintkit::paintGlow(painter, QPointF(0, 0), 110 * stage.scale,
                        withAlpha(theme.accent.lighter(120), 70));
    painter.restore();
    // Tufts and pebbles catch the light along the ground line.
    for (int tuft = 0; tuft < 40 && traits.plan != BodyPlan::Fish; ++tuft) {
        const QPointF at(random.between(0, size.width()),
                         random.between(groundY + 2, size.height() - PlateHeight + 4));
        const double depth = (at.y() - groundY) / (size.height() - groundY);
        painter.setPen(QPen(withAlpha(soil.lighter(140), int(60 + depth * 80)), 1.0));
        painter.drawLine(at, at + QPointF(random.between(-1.5, 1.5), -(2 + depth * 5)));
    }
    if (traits.plan == BodyPlan::Fish) {
        painter.setPen(QPen(QColor(220, 240, 255, 70), 1.0));
        for (double y = groundY + 4; y < size.height(); y += 7)
            painter.drawLine(QPointF(random.between(0, 80), y),
                             QPointF(size.width() - random.between(0, 80), y));
    }
}

void paintBody(QPainter &painter, const CreatureTraits &traits)
{
    switch (traits.plan) {
    case BodyPlan::Beast:
        bodies::paintBeast(painter, traits);
        break;
    case BodyPlan::Flyer:
        bodies::paintFlyer(painter, traits);
        break;
    case BodyPlan::Crawler:
        bodies::paintCrawler(painter, traits);
        break;
    case BodyPlan::Fish:
        bodies::paintFish(painter, traits);
        break;
    case BodyPlan::Serpent:
        bodies::paintSerpent(painter, traits);
        break;
    case BodyPlan::Tentacled:
        bodies::paintTentacled(painter, traits);
        break;
    case BodyPlan::Blob:
        bodies::paintBlob(painter, traits);
        break;
    case BodyPlan::Wisp:
        bodies::paintWisp(painter, traits);
        break;
    case BodyPlan::Humanoid:
        bodies::paintHumanoid(painter, traits);
        break;
    case BodyPlan::Chest:
        bodies::paintChest(painter, traits);
        break;
    }
}

// The creature is painted on a layer of its own so that one wash of light and
// shade can be laid over all its parts at once, and a ghost can be made
// see-through as a whole.
QImage paintCreatureLayer(QSize size, const Stage &stage, const CreatureTraits &traits,
                          const RegionTheme &theme)
{
    QImage layer(size, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    QPainter painter(&layer);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(stage.origin);
    painter.scale(stage.scale, stage.scale);
    if (traits.facesLeft) {
        painter.translate(parts::StageWidth, 0);
        painter.scale(-1, 1);
    }
    paintBody(painter, traits);

    painter.resetTransform();
    painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    QLinearGradient wash(0, 0, size.width() * 0.25, size.height());
    wash.setColorAt(0, QColor(255, 250, 230, 40));
    wash.setColorAt(0.45, QColor(0, 0, 0, 0));
    wash.setColorAt(1, QColor(0, 0, 0, 90));
    painter.fillRect(layer.rect(), wash);
    painter.fillRect(layer.rect(), withAlpha(theme.accent, 22));
    return layer;
}

void paintGroundShadow(QPainter &painter, const Stage &stage, const CreatureTraits &traits)
{
    const bool floating = bodies::hovers(traits.plan);
    const double width = (floating ? 45 : 70) * stage.scale * traits.bulk;
    paintkit::paintSoftShadow(
            painter, QPointF(stage.centreX() + (traits.facesLeft ? -6 : 6), stage.groundY() + 1),
            width, width * 0.16, floating ? 90 : 170);
}

void paintNameplate(QPainter &painter, QSize size, const catalog::UniqueMonster &monster,
                    const QColor &accent)
{
    const QRectF plate(0, size.height() - PlateHeight, size.width(), PlateHeight);
    paintkit::paintPlate(painter, plate, accent);
    const QColor parchment(244, 232, 204);

    const QString level = QStringLiteral("Lv %1").arg(QString::fromLatin1(monster.level));
    const QFont levelFont = paintkit::captionFont(12, true);
    const double pillWidth = QFontMetricsF(levelFont).horizontalAdvance(level) + 16;
    const QRectF pill(plate.right() - pillWidth - 10, plate.center().y() - 10, pillWidth, 20);
    painter.setPen(QPen(withAlpha(accent, 200), 1.2));
    painter.setBrush(withAlpha(accent, 45));
    painter.drawRoundedRect(pill, 10, 10);
    painter.setFont(levelFont);
    paintkit::paintShadowedText(painter, pill, Qt::AlignCenter, level, parchment);

    const QFont nameFont = paintkit::captionFont(16, true);
    const QRectF nameBox(plate.left() + 12, plate.top() + 1, pill.left() - plate.left() - 20,
                         plate.height());
    const QString name = QFontMetricsF(nameFont).elidedText(QString::fromLatin1(monster.name),
                                                            Qt::ElideRight, nameBox.width());
    painter.setFont(nameFont);
    paintkit::paintShadowedText(painter, nameBox, Qt::AlignLeft | Qt::AlignVCenter, name,
                                parchment);
}

} // namespace

QImage paintMonsterPicture(const catalog::UniqueMonster &monster, int region)
{
    const CreatureTraits traits = creatureTraits(monster, region);
    const RegionTheme &theme = regionTheme(region);
    const QSize size(MinWidth + int(traits.seed % WidthRange),
                     MinHeight + int((traits.seed >> 8) % HeightRange));
    const Stage stage = stageFor(size);
    SeededRandom random(traits.seed ^ 0x5ce2eu);

    QImage image(size, QImage::Format_RGB32);
    // Antialiased edges blend with what lies beneath, so nothing may be left
    // uninitialised there: the output would change from run to run.
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paintBackdrop(painter, size, stage, theme, traits, random);
    paintGroundShadow(painter, stage, traits);

    const QImage creature = paintCreatureLayer(size, stage, traits, theme);
    if (traits.spectral) {
        paintkit::paintGlow(painter, QPointF(stage.centreX(), stage.groundY() - 70 * stage.scale),
                            90 * stage.scale, withAlpha(traits.eye, 80));
        painter.setOpacity(0.8);
    }
    painter.drawImage(0, 0, creature);
    painter.setOpacity(1.0);

    paintkit::paintParticles(painter, QRectF(0, 0, size.width(), size.height() - PlateHeight),
                             theme.particles, 26, random);
    paintkit::paintVignette(painter, image.rect(), 150);
    paintNameplate(painter, size, monster, theme.accent);
    return image;
}
