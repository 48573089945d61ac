#pragma once

#include <QImage>

namespace catalog {
struct UniqueMonster;
}

// The monster picture: the creature on a backdrop of its region, with a
// nameplate of its name and level. The window shows it at its own size, so
// each monster gets a slightly different one.
QImage paintMonsterPicture(const catalog::UniqueMonster &monster, int region);
