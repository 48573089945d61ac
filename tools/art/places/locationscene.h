#pragma once

#include "shared/regiontheme.h"

#include <QColor>
#include <QPainter>
#include <QString>

#include <vector>

class SeededRandom;

// What the place pictures share: the sky the monster's appearance conditions
// call for, and how that light colors everything under it.
enum class TimeOfDay { Day, Dawn, Dusk, Night };
enum class Weather { Clear, Cloudy, Rain, Storm, Snow, Fog, Heat };

struct Sky
{
    TimeOfDay time = TimeOfDay::Day;
    Weather weather = Weather::Clear;
    bool shootingStars = false;
};

// Reads conditions such as "Night, Rain or Thunderstorm" or "No Thick Fog";
// what they leave open is settled by the place's hash and region.
Sky skyFor(const QString &appearance, const QString &place, int region, quint32 hash);

// A color as the scene's light shows it: bluer and darker at night, warmer
// at dusk, greyer under storm clouds.
QColor litBy(const Sky &sky, const QColor &color);

// The window stretches a place into a square of 300 pixels; drawn at just
// that size, the picture needs no scaling when it is shown.
inline constexpr int LocationSize = 300;
inline constexpr int BannerHeight = 58;

struct Scene
{
    Sky sky;
    const RegionTheme &theme;
    QString place; // lower case, for the keyword choices
    double horizon;
    quint32 hash;
};

bool placeHas(const Scene &scene, const std::vector<const char *> &words);
// Whether the word begins a word of the text.
bool startsWordAt(const QString &text, const QLatin1String &word);

void paintSky(QPainter &painter, const Scene &scene, SeededRandom &random);
void paintLandscape(QPainter &painter, const Scene &scene, SeededRandom &random);
void paintWeather(QPainter &painter, const Scene &scene, SeededRandom &random);
// Returns false when the place names nothing it can draw.
bool paintLandmark(QPainter &painter, const Scene &scene, SeededRandom &random);
