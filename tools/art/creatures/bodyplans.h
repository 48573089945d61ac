#pragma once

#include "creaturetraits.h"

#include <QPainter>

// One painter per body plan, each drawing on the stage of creatureparts.h and
// each in a file named after its family (beasts.cpp, flyers.cpp...).
namespace bodies {

void paintBeast(QPainter &painter, const CreatureTraits &traits);
void paintFlyer(QPainter &painter, const CreatureTraits &traits);
void paintCrawler(QPainter &painter, const CreatureTraits &traits);
void paintFish(QPainter &painter, const CreatureTraits &traits);
void paintSerpent(QPainter &painter, const CreatureTraits &traits);
void paintTentacled(QPainter &painter, const CreatureTraits &traits);
void paintBlob(QPainter &painter, const CreatureTraits &traits);
void paintWisp(QPainter &painter, const CreatureTraits &traits);
void paintHumanoid(QPainter &painter, const CreatureTraits &traits);
void paintChest(QPainter &painter, const CreatureTraits &traits);

// Whether the creature floats above the ground (its shadow is fainter and
// smaller) or, for a fish, leaps out of water.
inline bool hovers(BodyPlan plan)
{
    return plan == BodyPlan::Flyer || plan == BodyPlan::Wisp || plan == BodyPlan::Fish;
}

} // namespace bodies
