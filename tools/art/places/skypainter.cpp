// The sky over a place, with its sun or moon, stars, clouds and lightning, and
// the weather that falls across the whole picture.

#include "locationscene.h"
#include "shared/paintkit.h"
#include "shared/pictureseed.h"

#include <QLinearGradient>
#include <QPainterPath>

#include <cmath>

namespace {

using paintkit::mix;
using paintkit::withAlpha;

struct SkyColors
{
    QColor top;
    QColor horizon;
};

SkyColors skyColors(const Scene &scene)
{
    const RegionTheme &theme = scene.theme;
    SkyColors colors { theme.skyTop, theme.skyHorizon };
    switch (scene.sky.time) {
    case TimeOfDay::Day:
        break;
    case TimeOfDay::Dawn:
        colors = { mix(QColor(70, 80, 140), theme.skyTop, 0.2),
                   mix(QColor(255, 190, 150), theme.skyHorizon, 0.2) };
        break;
    case TimeOfDay::Dusk:
        colors = { mix(QColor(46, 42, 100), theme.skyTop, 0.2),
                   mix(QColor(250, 146, 84), theme.skyHorizon, 0.2) };
        break;
    case TimeOfDay::Night:
        colors = { QColor(6, 10, 28), mix(QColor(34, 50, 86), theme.skyTop, 0.15) };
        break;
    }
    switch (scene.sky.weather) {
    case Weather::Rain:
    case Weather::Storm:
        colors = { mix(colors.top, QColor(40, 44, 52), 0.7),
                   mix(colors.horizon, QColor(110, 116, 124), 0.6) };
        break;
    case Weather::Fog:
        colors.horizon = mix(colors.horizon, QColor(206, 210, 212), 0.5);
        colors.top = mix(colors.top, colors.horizon, 0.4);
        break;
    case Weather::Heat:
        colors = { mix(colors.top, QColor(210, 130, 70), 0.5),
                   mix(colors.horizon, QColor(255, 226, 160), 0.6) };
        break;
    default:
        break;
    }
    return colors;
}

void paintStars(QPainter &painter, const Scene &scene, SeededRandom &random)
{
    painter.setPen(Qt::NoPen);
    for (int star = 0; star < 170; ++star) {
        const QPointF at(random.unit() * LocationSize,
                         std::pow(random.unit(), 1.6) * scene.horizon);
        const double size = random.between(0.3, 1.1);
        painter.setBrush(QColor(255, 250, 235,
                                int(random.between(90, 255) * (1 - at.y() / scene.horizon * 0.6))));
        painter.drawEllipse(at, size, size);
    }
    for (int bright = 0; bright < 6; ++bright) {
        const QPointF at(random.unit() * LocationSize, random.unit() * scene.horizon * 0.6);
        paintkit::paintGlow(painter, at, 6, QColor(220, 230, 255, 160));
        painter.setPen(QPen(QColor(240, 245, 255, 180), 0.7));
        painter.drawLine(at - QPointF(4, 0), at + QPointF(4, 0));
        painter.drawLine(at - QPointF(0, 4), at + QPointF(0, 4));
        painter.setPen(Qt::NoPen);
    }
    if (!scene.sky.shootingStars)
        return;
    for (int streak = 0; streak < 4; ++streak) {
        const QPointF head(random.between(60, 300), random.between(15, scene.horizon * 0.6));
        const QPointF tail = head + QPointF(-random.between(40, 80), -random.between(18, 34));
        QLinearGradient trail(head, tail);
        trail.setColorAt(0, QColor(255, 255, 240, 240));
        trail.setColorAt(1, QColor(255, 255, 240, 0));
        painter.setPen(QPen(QBrush(trail), 1.6, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(head, tail);
        paintkit::paintGlow(painter, head, 5, QColor(255, 255, 230, 220));
    }
    painter.setPen(Qt::NoPen);
}

void paintMoon(QPainter &painter, QPointF at)
{
    paintkit::paintGlow(painter, at, 70, QColor(200, 215, 255, 70));
    QPainterPath disc;
    disc.addEllipse(at, 15, 15);
    QPainterPath shadow;
    shadow.addEllipse(at + QPointF(7, -4), 14, 14);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(246, 242, 222));
    painter.drawPath(disc.subtracted(shadow));
}

void paintSun(QPainter &painter, const Scene &scene, QPointF at)
{
    const bool low = scene.sky.time != TimeOfDay::Day;
    const bool hot = scene.sky.weather == Weather::Heat;
    const QColor core = low ? QColor(255, 190, 120) : QColor(255, 250, 225);
    paintkit::paintGlow(painter, at, hot ? 170 : 110,
                        withAlpha(low ? QColor(255, 150, 80) : QColor(255, 240, 190), 150));
    painter.setPen(Qt::NoPen);
    painter.setBrush(core);
    painter.drawEllipse(at, low ? 19 : 13, low ? 19 : 13);
}

void paintCloud(QPainter &painter, QPointF at, double width, const QColor &lit, const QColor &shade,
                SeededRandom &random)
{
    QPainterPath cloud;
    cloud.setFillRule(Qt::WindingFill); // overlapping puffs add up rather than cancel
    const int puffs = 4 + random.below(4);
    for (int puff = 0; puff < puffs; ++puff) {
        const double x = at.x() + (puff - (puffs - 1) / 2.0) * width / puffs;
        const double r = width / puffs * random.between(0.7, 1.3);
        cloud.addEllipse(
                QPointF(x, at.y() - r * 0.35 * std::sin(puff * 3.14159 / (puffs - 1 + 1e-9))), r,
                r * 0.72);
    }
    cloud.addRoundedRect(QRectF(at.x() - width / 2, at.y() - 4, width, 12), 6, 6);
    const QRectF box = cloud.boundingRect();
    QLinearGradient body(box.topLeft(), box.bottomLeft());
    body.setColorAt(0, lit);
    body.setColorAt(1, shade);
    painter.setPen(Qt::NoPen);
    painter.setBrush(body);
    painter.drawPath(cloud.simplified());
}

void paintClouds(QPainter &painter, const Scene &scene, const SkyColors &colors,
                 SeededRandom &random)
{
    const Weather weather = scene.sky.weather;
    const bool heavy =
            weather == Weather::Rain || weather == Weather::Storm || weather == Weather::Snow;
    const int count = heavy ? 9 : weather == Weather::Cloudy ? 5 : weather == Weather::Heat ? 0 : 2;
    QColor lit = scene.sky.time == TimeOfDay::Night ? QColor(70, 80, 110) : QColor(255, 250, 245);
    if (scene.sky.time == TimeOfDay::Dusk || scene.sky.time == TimeOfDay::Dawn)
        lit = QColor(255, 200, 170);
    if (heavy)
        lit = mix(lit, QColor(90, 96, 106), 0.6);
    const QColor shade = mix(lit, colors.top, 0.55).darker(heavy ? 150 : 115);
    for (int cloud = 0; cloud < count; ++cloud) {
        const double y = heavy ? random.between(-10, scene.horizon * 0.5)
                               : random.between(20, scene.horizon * 0.7);
        const int alpha = heavy ? 235 : int(random.between(150, 220));
        paintCloud(painter, QPointF(random.between(-20, LocationSize + 20), y),
                   random.between(80, heavy ? 200 : 140), withAlpha(lit, alpha),
                   withAlpha(shade, alpha), random);
    }
}

void paintLightning(QPainter &painter, const Scene &scene, SeededRandom &random)
{
    QPainterPath bolt(QPointF(random.between(60, 260), 30));
    QPointF at = bolt.currentPosition();
    while (at.y() < scene.horizon + 10) {
        at += QPointF(random.between(-14, 14), random.between(10, 22));
        bolt.lineTo(at);
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(190, 210, 255, 60), 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(bolt);
    painter.setPen(
            QPen(QColor(245, 248, 255, 235), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(bolt);
}

} // namespace

void paintSky(QPainter &painter, const Scene &scene, SeededRandom &random)
{
    const SkyColors colors = skyColors(scene);
    QLinearGradient sky(0, 0, 0, scene.horizon + 40);
    sky.setColorAt(0, colors.top);
    sky.setColorAt(1, colors.horizon);
    painter.fillRect(QRectF(0, 0, LocationSize, LocationSize), sky);

    const bool overcast = scene.sky.weather == Weather::Rain || scene.sky.weather == Weather::Storm
            || scene.sky.weather == Weather::Fog || scene.sky.weather == Weather::Snow;
    if (scene.sky.time == TimeOfDay::Night) {
        if (!overcast)
            paintStars(painter, scene, random);
        paintMoon(painter, QPointF(random.between(50, 270), random.between(35, 70)));
    } else if (!overcast) {
        const bool low = scene.sky.time != TimeOfDay::Day;
        paintSun(painter, scene,
                 QPointF(random.between(50, 270),
                         low ? scene.horizon - random.between(10, 30) : random.between(40, 80)));
    }
    paintClouds(painter, scene, colors, random);
    if (scene.sky.weather == Weather::Storm)
        paintLightning(painter, scene, random);
}

void paintWeather(QPainter &painter, const Scene &scene, SeededRandom &random)
{
    const QRectF picture(0, 0, LocationSize, LocationSize);
    switch (scene.sky.weather) {
    case Weather::Rain:
    case Weather::Storm:
        painter.fillRect(picture, QColor(20, 26, 36, 50));
        paintkit::paintRain(painter, picture, 260, random);
        break;
    case Weather::Snow:
        paintkit::paintParticles(painter, picture, paintkit::Particles::Snow, 170, random);
        break;
    case Weather::Fog:
        for (int band = 0; band < 3; ++band) {
            const double y = scene.horizon + band * 40 - 10;
            QLinearGradient mist(0, y - 30, 0, y + 30);
            mist.setColorAt(0, QColor(220, 224, 228, 0));
            mist.setColorAt(0.5, litBy(scene.sky, QColor(220, 224, 228, 150)));
            mist.setColorAt(1, QColor(220, 224, 228, 0));
            painter.fillRect(QRectF(0, y - 30, LocationSize, 60), mist);
        }
        break;
    case Weather::Heat: {
        QLinearGradient haze(0, scene.horizon - 60, 0, LocationSize);
        haze.setColorAt(0, QColor(255, 200, 120, 0));
        haze.setColorAt(1, QColor(255, 170, 90, 70));
        painter.fillRect(picture, haze);
        break;
    }
    case Weather::Clear:
    case Weather::Cloudy:
        break;
    }
    const bool dim = scene.sky.time == TimeOfDay::Night || scene.sky.time == TimeOfDay::Dusk;
    paintkit::Particles particles = scene.theme.particles;
    if (particles == paintkit::Particles::Fireflies && !dim)
        particles = paintkit::Particles::Dust;
    if (particles != paintkit::Particles::Snow && particles != paintkit::Particles::Bubbles)
        paintkit::paintParticles(painter, QRectF(0, scene.horizon - 40, LocationSize, 140),
                                 particles, 28, random);
}
