#include "regiontheme.h"

#include "catalog.h"

#include <array>

namespace {

using P = paintkit::Particles;

// Daylight colors; the painters shift them for dusk, night and storms.
// Columns: sky top, horizon, land, foliage, stone, accent, terrain, flora,
// particles, indoors.
// clang-format off
const std::array<RegionTheme, catalog::RegionCount> Themes = {{
    // Bramblevale: hedged green hills around a village.
    {{84, 138, 196}, {214, 226, 206}, {72, 112, 52}, {58, 104, 46}, {128, 120, 104}, {236, 196, 110},
     Terrain::Hills, Flora::Broadleaf, P::Fireflies, false},
    // Corrow Fields: golden farmland under a wide sky.
    {{96, 148, 206}, {238, 222, 178}, {170, 146, 70}, {96, 118, 50}, {140, 128, 110}, {242, 190, 90},
     Terrain::Plains, Flora::Grass, P::Dust, false},
    // Saltmere: reed marsh and salt lagoon.
    {{92, 140, 170}, {206, 222, 214}, {88, 110, 82}, {108, 132, 80}, {124, 128, 120}, {140, 220, 200},
     Terrain::Marsh, Flora::Reeds, P::Spores, false},
    // Hobb's Hollow: orchards and burrows in soft brown hills.
    {{104, 146, 190}, {236, 216, 180}, {110, 104, 56}, {84, 110, 48}, {132, 112, 92}, {246, 170, 90},
     Terrain::Hills, Flora::Broadleaf, P::Fireflies, false},
    // Tallow Mines: bare rock, spoil heaps, wax-yellow lamps.
    {{110, 126, 150}, {214, 196, 168}, {96, 84, 70}, {90, 96, 64}, {118, 104, 92}, {250, 200, 110},
     Terrain::Mountains, Flora::Bare, P::Dust, false},
    // Emberwood: a smouldering forest under a red haze.
    {{120, 66, 60}, {236, 150, 92}, {70, 46, 36}, {84, 60, 40}, {92, 76, 70}, {255, 130, 60},
     Terrain::Hills, Flora::Charred, P::Embers, false},
    // Greywash Coast: cliffs, shingle and a cold grey sea.
    {{98, 124, 150}, {206, 214, 218}, {112, 116, 108}, {86, 104, 82}, {140, 142, 140}, {190, 220, 235},
     Terrain::Coast, Flora::Grass, P::Bubbles, false},
    // Isle of Quill: a blue island of ink and cliffs.
    {{58, 86, 150}, {196, 206, 226}, {70, 94, 88}, {44, 82, 72}, {110, 116, 134}, {150, 170, 255},
     Terrain::Coast, Flora::Pine, P::Sparkles, false},
    // Dunmarrow: purple heather moor, barrows and fog.
    {{94, 100, 140}, {214, 200, 210}, {92, 78, 96}, {102, 72, 104}, {120, 116, 120}, {200, 150, 230},
     Terrain::Moor, Flora::Bare, P::Spores, false},
    // Lantern Ferry: a dark river in the mist.
    {{58, 90, 110}, {184, 204, 200}, {52, 78, 68}, {48, 86, 64}, {100, 110, 108}, {255, 210, 120},
     Terrain::Marsh, Flora::Reeds, P::Fireflies, false},
    // Frostreach: snowfields, pines and glaciers.
    {{90, 136, 196}, {226, 236, 246}, {220, 230, 240}, {52, 86, 82}, {150, 160, 176}, {170, 220, 255},
     Terrain::Mountains, Flora::Pine, P::Snow, false},
    // Old Cistern: brick tunnels and still green water.
    {{60, 80, 86}, {150, 170, 160}, {60, 72, 62}, {70, 96, 70}, {104, 96, 84}, {150, 230, 170},
     Terrain::Hills, Flora::Bare, P::Bubbles, false},
    // Wyrmgate Pass: ochre switchbacks and scree.
    {{104, 136, 176}, {230, 210, 184}, {138, 110, 80}, {96, 104, 66}, {150, 128, 104}, {240, 160, 90},
     Terrain::Mountains, Flora::Bare, P::Dust, false},
    // Ashen Steppe: grey grass sea and black glass.
    {{130, 120, 126}, {232, 196, 160}, {120, 112, 96}, {134, 124, 88}, {70, 66, 74}, {255, 150, 80},
     Terrain::Plains, Flora::Grass, P::Embers, false},
    // The great building, from its gate up to its crown.
    {{84, 96, 130}, {214, 190, 160}, {120, 104, 84}, {80, 96, 70}, {168, 146, 112}, {250, 200, 120},
     Terrain::Hills, Flora::Bare, P::Dust, true},
    {{60, 56, 70}, {170, 140, 110}, {96, 76, 56}, {80, 90, 60}, {140, 112, 84}, {255, 196, 120},
     Terrain::Hills, Flora::Bare, P::Dust, true},
    {{40, 52, 60}, {110, 130, 130}, {56, 64, 66}, {60, 80, 64}, {86, 98, 100}, {120, 220, 200},
     Terrain::Hills, Flora::Bare, P::Bubbles, true},
    {{30, 40, 90}, {110, 110, 160}, {60, 60, 90}, {60, 80, 90}, {92, 96, 130}, {240, 200, 110},
     Terrain::Hills, Flora::Bare, P::Sparkles, true},
    {{54, 44, 96}, {220, 150, 150}, {84, 72, 100}, {70, 80, 90}, {118, 108, 132}, {220, 170, 255},
     Terrain::Mountains, Flora::Bare, P::Sparkles, true},
}};
// clang-format on

} // namespace

const RegionTheme &regionTheme(int region)
{
    return Themes.at(qBound(0, region, catalog::RegionCount - 1));
}
