#pragma once

#include <QColor>

namespace catalog {
struct UniqueMonster;
}

// What a monster looks like, read from its name: a "Bramble Widow" is a
// spider and a "Hedge Rat King" a rat with a crown. Words the tables do not
// know leave the choice to the name's hash, so every name still gets a
// creature of its own.
enum class BodyPlan {
    Beast,
    Flyer,
    Crawler,
    Fish,
    Serpent,
    Tentacled,
    Blob,
    Wisp,
    Humanoid,
    Chest
};
enum class Build { Lean, Robed, Armoured, Brute, Construct, Tree };
enum class Held { Nothing, Staff, Lantern, Axe, Book, Scythe };
enum class WingKind { Feathered, Membrane, Insect };

struct CreatureTraits
{
    BodyPlan plan = BodyPlan::Beast;
    Build build = Build::Lean;
    Held held = Held::Nothing;
    WingKind wings = WingKind::Feathered;
    int variant = 0; // a plan's own sub-kind: spider, beetle, centipede or crab for a crawler
    QColor body;
    QColor belly;
    QColor marking;
    QColor eye;
    int eyeCount = 2;
    double bulk = 1.0; // broader (above 1) or slighter (below 1) than the plan's usual shape
    bool crowned = false;
    bool spectral = false; // translucent, glowing eyes
    bool horned = false;
    bool antlered = false;
    bool tusked = false;
    bool spiked = false;
    bool winged = false;
    bool pincered = false;
    bool manyHeaded = false;
    bool tailed = false;
    bool facesLeft = false;
    quint32 seed = 0; // for the details each body plan chooses itself
};

CreatureTraits creatureTraits(const catalog::UniqueMonster &monster, int region);
