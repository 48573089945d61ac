#pragma once

#include "paintkit.h"

#include <QColor>

// The look of each of the 19 regions: both the monster backdrops and the
// place pictures of a region draw from the same colors, so a region's
// pictures belong together at a glance.
enum class Terrain { Hills, Mountains, Plains, Coast, Marsh, Moor };
enum class Flora { Broadleaf, Pine, Reeds, Charred, Bare, Grass };

struct RegionTheme
{
    QColor skyTop;
    QColor skyHorizon;
    QColor land;
    QColor foliage;
    QColor stone;
    QColor accent;
    Terrain terrain;
    Flora flora;
    paintkit::Particles particles;
    bool indoors; // one of the floors of the great building
};

const RegionTheme &regionTheme(int region);
