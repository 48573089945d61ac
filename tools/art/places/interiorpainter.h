#pragma once

#include "locationscene.h"

#include <QString>

// The floors of the great building are named with a code before the place,
// as in "3F - Gear Works"; the code, or an empty string for any other place.
QString floorCodeOf(const QString &location);

// Places under a roof or under ground: a floor of the great building, a mine
// gallery, a cellar, a cave.
bool isIndoorPlace(const QString &location, int region);

void paintInterior(QPainter &painter, const Scene &scene, SeededRandom &random);
