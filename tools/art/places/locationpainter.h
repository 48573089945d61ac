#pragma once

#include <QImage>

namespace catalog {
struct UniqueMonster;
}

// The picture of the place where a monster is found: a landscape under the
// sky its appearance conditions call for, or a hall of the great building
// when the place is one of its floors. The window stretches it to a square.
QImage paintLocationPicture(const catalog::UniqueMonster &monster, int region);
