#include "creaturetraits.h"

#include "catalog.h"
#include "shared/paintkit.h"
#include "shared/pictureseed.h"
#include "shared/regiontheme.h"

#include <QStringList>

#include <cmath>
#include <optional>
#include <utility>
#include <vector>

namespace {

using Keys = std::vector<const char *>;

// Short keys must match a whole word ("Ram" is not in "Bramble"); longer ones
// may also begin or end a compound ("Keepwarden", "Peatwitch").
bool wordMatches(const QString &word, const char *key)
{
    const QString k = QString::fromLatin1(key);
    if (word == k || word == k + QLatin1Char('s'))
        return true;
    return k.size() >= 5 && (word.startsWith(k) || word.endsWith(k));
}

bool nameHas(const QStringList &words, const Keys &keys)
{
    for (const QString &word : words) {
        for (const char *key : keys) {
            if (wordMatches(word, key))
                return true;
        }
    }
    return false;
}

// Titles say how a monster ranks, not what it is: a rat king is still a rat.
const Keys RoyalWords = { "king",    "queen",     "chief",     "chieftain",  "lord",  "warlord",
                          "monarch", "sovereign", "matriarch", "ringleader", "alpha", "mother" };

struct PlanWord
{
    const char *key;
    BodyPlan plan;
};

// Specific words come before the words they contain ("bearer" before "bear").
const PlanWord PlanWords[] = {
    { "bearer", BodyPlan::Humanoid },  { "behemoth", BodyPlan::Tentacled },
    { "crayfish", BodyPlan::Crawler }, { "whitefang", BodyPlan::Beast },
    { "drainrat", BodyPlan::Beast },   { "glowbug", BodyPlan::Crawler },
    { "wyrmling", BodyPlan::Serpent }, { "mudskipper", BodyPlan::Fish },
    { "pipkin", BodyPlan::Beast },     { "rat", BodyPlan::Beast },
    { "tortoise", BodyPlan::Beast },   { "otter", BodyPlan::Beast },
    { "ram", BodyPlan::Beast },        { "boar", BodyPlan::Beast },
    { "hare", BodyPlan::Beast },       { "hound", BodyPlan::Beast },
    { "badger", BodyPlan::Beast },     { "gnawer", BodyPlan::Beast },
    { "mole", BodyPlan::Beast },       { "stag", BodyPlan::Beast },
    { "fox", BodyPlan::Beast },        { "bear", BodyPlan::Beast },
    { "mare", BodyPlan::Beast },       { "lynx", BodyPlan::Beast },
    { "grim", BodyPlan::Beast },       { "stalker", BodyPlan::Beast },
    { "jackal", BodyPlan::Beast },     { "basilisk", BodyPlan::Beast },
    { "mauler", BodyPlan::Beast },     { "rook", BodyPlan::Flyer },
    { "magpie", BodyPlan::Flyer },     { "crow", BodyPlan::Flyer },
    { "heron", BodyPlan::Flyer },      { "moth", BodyPlan::Flyer },
    { "skua", BodyPlan::Flyer },       { "petrel", BodyPlan::Flyer },
    { "grouse", BodyPlan::Flyer },     { "bat", BodyPlan::Flyer },
    { "owl", BodyPlan::Flyer },        { "vulture", BodyPlan::Flyer },
    { "roc", BodyPlan::Flyer },        { "harpy", BodyPlan::Flyer },
    { "familiar", BodyPlan::Flyer },   { "widow", BodyPlan::Crawler },
    { "grub", BodyPlan::Crawler },     { "crab", BodyPlan::Crawler },
    { "beetle", BodyPlan::Crawler },   { "crawler", BodyPlan::Crawler },
    { "weaver", BodyPlan::Crawler },   { "pike", BodyPlan::Fish },
    { "shark", BodyPlan::Fish },       { "eel", BodyPlan::Serpent },
    { "leech", BodyPlan::Serpent },    { "lamprey", BodyPlan::Serpent },
    { "wyrm", BodyPlan::Serpent },     { "drake", BodyPlan::Serpent },
    { "adder", BodyPlan::Serpent },    { "serpent", BodyPlan::Serpent },
    { "hydra", BodyPlan::Serpent },    { "kraken", BodyPlan::Tentacled },
    { "horror", BodyPlan::Tentacled }, { "lurker", BodyPlan::Tentacled },
    { "toad", BodyPlan::Blob },        { "wurzel", BodyPlan::Blob },
    { "creeper", BodyPlan::Blob },     { "seal", BodyPlan::Blob },
    { "lantern", BodyPlan::Wisp },     { "wisp", BodyPlan::Wisp },
    { "wraith", BodyPlan::Wisp },      { "wight", BodyPlan::Wisp },
    { "devil", BodyPlan::Wisp },       { "mimic", BodyPlan::Chest },
    { "coffer", BodyPlan::Chest },     { "lectern", BodyPlan::Chest },
};

const Keys HumanoidWords = { "ghoul",     "jack",     "bones",        "collector", "colossus",
                             "golem",     "siren",    "bellringer",   "gaffer",    "boss",
                             "imp",       "dryad",    "treant",       "warden",    "warder",
                             "ancient",   "captain",  "titan",        "keeper",    "archivist",
                             "drover",    "giant",    "troll",        "reaver",    "brother",
                             "sister",    "alderman", "husk",         "construct", "librarian",
                             "binder",    "effigy",   "astronomer",   "grinder",   "magister",
                             "seraph",    "gargoyle", "witch",        "ferryman",  "axeman",
                             "ploughman", "sentinel", "brambleheart", "greymalkin" };

std::optional<BodyPlan> planOfWord(const QString &word)
{
    for (const PlanWord &entry : PlanWords) {
        if (wordMatches(word, entry.key))
            return entry.plan;
    }
    if (nameHas({ word }, HumanoidWords))
        return BodyPlan::Humanoid;
    return std::nullopt;
}

// The noun comes last in most names ("Corncrake Sentinel"), so the last word
// that means something decides.
BodyPlan bodyPlanOf(const QStringList &words, quint32 hash)
{
    for (auto word = words.crbegin(); word != words.crend(); ++word) {
        if (nameHas({ *word }, RoyalWords))
            continue;
        if (const auto plan = planOfWord(*word))
            return *plan;
    }
    if (nameHas(words, RoyalWords))
        return BodyPlan::Humanoid;
    static constexpr BodyPlan Fallback[] = { BodyPlan::Beast, BodyPlan::Flyer,    BodyPlan::Serpent,
                                             BodyPlan::Blob,  BodyPlan::Humanoid, BodyPlan::Crawler,
                                             BodyPlan::Wisp };
    return Fallback[hash % std::size(Fallback)];
}

Build buildOf(const QStringList &words, quint32 hash)
{
    if (nameHas(words,
                { "treant", "ancient", "bramble", "dryad", "grumbleroot", "sheaf", "blackbark" }))
        return Build::Tree;
    if (nameHas(words,
                { "golem", "construct", "effigy", "clockwork", "grinder", "sentinel", "colossus" }))
        return Build::Construct;
    if (nameHas(words, { "titan", "giant", "troll", "boss" }))
        return Build::Brute;
    if (nameHas(words,
                { "warden", "warder", "warlord", "captain", "chief", "husk", "gatekeeper", "reaver",
                  "axeman", "gargoyle" }))
        return Build::Armoured;
    if (nameHas(words, { "witch",     "librarian",  "archivist", "magister",   "astronomer",
                         "ferryman",  "brother",    "sister",    "mother",     "siren",
                         "keeper",    "collector",  "alderman",  "bellringer", "binder",
                         "sovereign", "greymalkin", "seraph",    "queen",      "king" }))
        return Build::Robed;
    if (nameHas(words, { "ghoul", "jack", "bones", "imp", "drover", "ploughman", "gaffer" }))
        return Build::Lean;
    return Build((hash >> 4) % 6);
}

Held heldOf(const QStringList &words, Build build, quint32 hash)
{
    if (nameHas(words, { "lantern", "lightkeeper", "bearer", "hours", "bellringer" }))
        return Held::Lantern;
    if (nameHas(words, { "axeman", "reaver", "warlord", "boss", "drover" }))
        return Held::Axe;
    if (nameHas(words, { "librarian", "archivist", "binder", "collector", "magister" }))
        return Held::Book;
    if (nameHas(words, { "harvest", "ploughman", "gallows", "grim", "ferryman", "sheaf" }))
        return Held::Scythe;
    if (build == Build::Robed || nameHas(words, { "witch", "astronomer", "sovereign" }))
        return Held::Staff;
    if (build == Build::Brute || build == Build::Tree)
        return Held::Nothing;
    return Held((hash >> 9) % 3 == 0 ? 2 : 0);
}

struct ColorWord
{
    Keys keys;
    QColor color;
};

const ColorWord ColorWords[] = {
    { { "ember", "cinder", "smoulder", "pyre", "kindling", "kiln", "comet", "furnace" },
      { 206, 86, 40 } },
    { { "frost", "rime", "snow", "icicle", "glacier", "hoarfrost", "avalanche", "white", "aurora",
        "thaw" },
      { 196, 216, 236 } },
    { { "brass", "gilded", "clockwork", "cogwheel", "lens", "carillon", "astronomer" },
      { 196, 152, 64 } },
    { { "rust", "copper", "fox" }, { 170, 86, 46 } },
    { { "ink", "inkblot", "inkwing", "gloam", "eclipse", "shadow", "umbrel" }, { 74, 60, 128 } },
    { { "obsidian", "blackbark", "black", "soot", "crow", "rook", "magpie", "raven" },
      { 52, 46, 62 } },
    { { "pale", "bone", "bones", "ossuary", "wight", "hollow" }, { 214, 208, 192 } },
    { { "moss", "bramble", "thorn", "mould", "sedge", "reed", "kelp", "bog" }, { 92, 126, 62 } },
    { { "salt", "saltcrust", "brine", "barnacle", "tide", "tidepool", "shingle" },
      { 128, 156, 160 } },
    { { "mud", "peat", "drain", "burrow", "furrow", "badger", "mole", "boar" }, { 116, 88, 60 } },
    { { "wax", "tallow", "candle", "vellum", "wick", "wickmaker" }, { 226, 208, 164 } },
    { { "stone", "gargoyle", "scree", "cairn", "buttress", "causeway", "sentinel" },
      { 132, 130, 124 } },
    { { "storm", "grey", "greywash", "slate" }, { 104, 114, 130 } },
    { { "harvest", "sheaf", "stubble", "hayrick", "corncrake", "golden", "barley" },
      { 204, 164, 74 } },
    { { "star", "starfall", "starchart", "skyglass", "orrery", "seraph" }, { 80, 100, 186 } },
    { { "ash", "ashen", "ashroot", "ashgrim", "dust", "dustmantle" }, { 120, 112, 108 } },
    // Plain animals last, so a word that describes the creature wins over its kind.
    { { "heron", "petrel", "skua", "gull" }, { 150, 160, 172 } },
    { { "toad", "adder" }, { 104, 120, 62 } },
    { { "bear", "otter", "hare", "hound", "jackal" }, { 136, 100, 66 } },
};

// Colors come from the first part of compounds as well ("Snowdrift",
// "Inkblot", "Ashroot"), so here a key need only begin a word.
bool nameBeginsWith(const QStringList &words, const Keys &keys)
{
    for (const QString &word : words) {
        for (const char *key : keys) {
            if (word.startsWith(QLatin1String(key)))
                return true;
        }
    }
    return false;
}

QColor bodyColorOf(const QStringList &words, int region, SeededRandom &random)
{
    for (const ColorWord &entry : ColorWords) {
        if (nameBeginsWith(words, entry.keys))
            return entry.color;
    }
    // Otherwise either a hide of the kind animals wear, or a hue near the
    // region's own so the creature belongs in it.
    static const QColor Hides[] = { { 122, 92, 62 }, { 96, 88, 80 }, { 160, 128, 88 },
                                    { 142, 72, 44 }, { 70, 62, 58 }, { 184, 170, 140 },
                                    { 110, 110, 96 } };
    if (random.chance(0.5)) {
        const QColor hide = Hides[random.below(int(std::size(Hides)))];
        return hide.lighter(int(random.between(90, 120)));
    }
    const QColor foliage = regionTheme(region).foliage;
    const float hue = float(std::fmod(foliage.hueF() + random.between(-0.25, 0.25) + 1.0, 1.0));
    return QColor::fromHsvF(hue, float(random.between(0.3, 0.62)),
                            float(random.between(0.42, 0.74)));
}

QColor eyeColorOf(bool spectral, SeededRandom &random)
{
    static const QColor Eyes[] = { { 255, 196, 60 },  { 240, 70, 50 },   { 160, 240, 90 },
                                   { 110, 230, 255 }, { 206, 130, 255 }, { 255, 240, 170 } };
    return spectral ? QColor(150, 240, 255) : Eyes[random.below(int(std::size(Eyes)))];
}

WingKind wingKindOf(const QStringList &words, BodyPlan plan)
{
    if (nameHas(words, { "moth", "glowbug", "familiar" }))
        return WingKind::Insect;
    if (nameHas(words, { "seraph", "harpy", "inkwing" }))
        return WingKind::Feathered;
    if (plan == BodyPlan::Flyer && !nameHas(words, { "bat" }))
        return WingKind::Feathered;
    return WingKind::Membrane;
}

// Sub-kinds that the name settles; any other name leaves it to the hash.
int variantOf(const QStringList &words, quint32 hash)
{
    static const std::pair<const char *, int> Variants[] = {
        { "widow", 0 },      { "weaver", 0 }, { "beetle", 1 },   { "glowbug", 1 }, { "crawler", 2 },
        { "grub", 2 },       { "crab", 3 },   { "crayfish", 3 }, { "shark", 0 },   { "pike", 1 },
        { "mudskipper", 2 }, { "wraith", 0 }, { "wight", 0 },    { "lantern", 1 }, { "wisp", 1 },
        { "devil", 2 },      { "toad", 0 },   { "creeper", 1 },  { "wurzel", 2 },  { "seal", 0 }
    };
    for (const auto &[key, variant] : Variants) {
        if (nameHas(words, { key }))
            return variant;
    }
    return int((hash >> 12) % 3);
}

} // namespace

CreatureTraits creatureTraits(const catalog::UniqueMonster &monster, int region)
{
    const QString name = QString::fromLatin1(monster.name);
    const QStringList words = name.toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const quint32 hash = stableHash(QByteArrayView(monster.name));
    SeededRandom random(hash);

    CreatureTraits traits;
    traits.seed = hash;
    traits.plan = bodyPlanOf(words, hash);
    traits.build = buildOf(words, hash);
    traits.held = heldOf(words, traits.build, hash);
    traits.wings = wingKindOf(words, traits.plan);
    traits.variant = variantOf(words, hash);
    traits.spectral = traits.plan == BodyPlan::Wisp
            || nameHas(words,
                       { "hollow", "wight", "wraith", "drowned", "pale", "grim", "husk", "gloam" });
    traits.body = bodyColorOf(words, region, random);
    traits.belly = paintkit::mix(traits.body, QColor(238, 226, 200), random.between(0.3, 0.55));
    traits.marking = traits.body.darker(int(random.between(150, 210)));
    traits.eye = eyeColorOf(traits.spectral, random);
    traits.eyeCount = random.chance(0.12) ? (random.chance(0.5) ? 1 : 3) : 2;
    traits.bulk = random.between(0.85, 1.18);
    traits.crowned = nameHas(words, RoyalWords) && !nameHas(words, { "alpha", "matriarch" });
    traits.horned =
            nameHas(words,
                    { "ram", "imp", "devil", "drake", "wyrm", "basilisk", "reaver", "troll" })
            || random.chance(0.22);
    traits.antlered = nameHas(words, { "stag", "ashroot", "aurora" });
    traits.tusked = nameHas(words, { "boar", "troll", "mauler", "behemoth", "gnawer" });
    traits.spiked = nameHas(words,
                            { "thorn", "bramble", "bristle", "bristlecap", "spines", "scree",
                              "obsidian", "barnacle", "thornback", "tortoise" })
            || random.chance(0.25);
    traits.winged =
            nameHas(words,
                    { "drake", "wyrmling", "gargoyle", "seraph", "imp", "inkwing", "familiar" })
            || traits.plan == BodyPlan::Flyer;
    traits.pincered = nameHas(words, { "crab", "crayfish", "saltcrust" });
    traits.manyHeaded = nameHas(words, { "hydra" });
    traits.tailed = random.chance(0.7);
    traits.facesLeft = random.chance(0.5);
    return traits;
}
