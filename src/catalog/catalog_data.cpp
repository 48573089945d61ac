#include "catalog.h"

// The field guide itself. Every table below is laid out in the order the
// progress files count their flags, so rows are appended nowhere but at the
// very end of a new file format. Within a region the rows climb in level as a
// hunter would meet them; rows of equal level stay in the order the guide has
// always printed them.
namespace catalog {
namespace {

// Entries in all tabs together: the length of a progress file's flag text.
template<auto Entries, typename Tab, std::size_t N>
constexpr std::size_t entryTotal(const Tab (&tabs)[N])
{
    std::size_t total = 0;
    for (const Tab &tab : tabs)
        total += (tab.*Entries).size();
    return total;
}

// The starting vale: hedgerows, the mill and the village of Fenwick Cross.
constexpr UniqueMonster bramblevale[] = {
    { "Hedge Rat King", "5", "Hedgerow Lane, behind the tanner's yard in Fenwick Cross", "" },
    { "Bristlecap Toad", "7", "Sallow Pond, on the lily pads along the north bank",
      "Rain or Thunderstorm" },
    { "Mossback Tortoise", "9", "Sallow Pond (Sunning Rock), reached by the stepping stones",
      "Daytime" },
    { "Gristle Jack", "12", "Old Mill, among the flour sacks in the loft", "Night" },
    { "Bramble Widow", "12", "Thornthicket west of the Old Mill", "" },
    { "Sallow Pike", "15", "Sallow Pond, deep water below the willow (fish from the jetty)",
      "5AM to 6AM" },
    { "Millrace Otter", "18", "Bellwether Bridge, in the millrace under the second arch", "" },
    { "Pipkin the Bold", "22", "Coney Warren on the slope below Thornback Ridge",
      "After Quest: Pipkin's Challenge" },
    { "Bellwether Ram", "26", "Thornback Ridge, grazing by the shepherd's cairn", "" },
    { "Thornback Boar", "26", "Thornback Ridge, the oak stand above the sheep fold", "" },
    { "Widow Greymalkin", "31", "Greymalkin's Cottage at the end of Nettle Path",
      "Carry a Sprig of Rue to enter her cottage." },
    { "Churchyard Ghoul", "40", "Fenwick Cross churchyard, by the lychgate", "" },
    { "Elder Brambleheart", "58", "Heart of the Thornthicket (cut a way in with a billhook)", "" },
    { "The Hollow King", "73", "Kingsbarrow, the sealed mound on Thornback Ridge (Inner Chamber)",
      "Quest: [The Barrow Crown]" },
};

// Open farmland around the market town of Harrowgate.
constexpr UniqueMonster corrowFields[] = {
    { "Furrow Grub Queen", "8", "Barley Flats, in the ploughed rows south of Harrowgate", "" },
    { "Crowfoot Rook", "11", "Crowfoot Windmill, perched on the sails", "" },
    { "Stubble Hare", "14", "Stubble fields east of the Nine Stones", "" },
    { "Mangel Wurzel", "14", "Dunnock Farm, the root clamp behind the cowshed", "" },
    { "Tinker Magpie", "17", "Harrowgate market square, on the well roof", "" },
    { "Hayrick Hound", "21", "Hayricks behind Dunnock Farm", "Night" },
    { "Sheaf Mother", "24", "Dunnock Farm, inside the threshing barn", "" },
    { "Corncrake Sentinel", "24", "Nine Stones (the Leaning Stone)", "" },
    { "Ploughman Grey", "24", "Furrows below Gallows Hill, beside the broken plough", "" },
    { "Jack Rattlebones", "30", "Gallows Hill, the crossroads at the top", "Thunderstorm" },
    { "Tithe Collector", "36", "Harrowgate tithe barn, up in the loft", "Quest: The Unpaid Tithe" },
    { "Gallows Crow", "44", "Gallows Hill, in the dead elm", "" },
    { "Harvest Colossus", "67", "The great wheat field west of the Nine Stones",
      "Tallow Mines cleared" },
    { "Lord of Crows", "98", "Nine Stones, at the centre of the ring", "" },
};

// Salt marsh, reed beds and the ruin of Brinewatch Keep.
constexpr UniqueMonster saltmere[] = {
    { "Reedwalk Heron", "15", "Reedwalk boardwalk, where it breaks off into the shallows", "" },
    { "Brine Leech", "18", "Eel traps at the mouth of Saltmere Creek", "" },
    { "Saltcrust Crab", "20", "Salt pans north of the Reedwalk", "" },
    { "Marsh Lantern", "23", "Saltmere Flats, drifting over the sinkholes", "Night" },
    { "Mother Sedge", "23", "Sedge Island, the reed maze on its north end", "" },
    { "Bogwater Eel", "27", "Saltmere Creek, the deep pool under the old sluice gate",
      "6PM to 7PM" },
    { "Sluicegate Golem", "29", "The Sluices, the great gate east of the Reedwalk",
      "Rain or Thunderstorm" },
    { "Mudskipper Chief", "33", "Mudflats below Brinewatch Keep", "" },
    { "Tidepool Siren", "38", "Saltmere Lagoon, the sandbar at the far end",
      "Night, Rain or Thunderstorm" },
    { "Brackish Drake", "38", "Saltmere Lagoon, circling above the wreck of the Marigold",
      "No Thick Fog" },
    { "Keepwarden Oswin", "45", "Brinewatch Keep, on the broken rampart (Seaward Tower)",
      "Brinewatch Keep cleared, Thunderstorm" },
    { "Saltmere Wyrm", "52", "Saltmere Flats, burrowed beneath the largest sinkhole", "" },
    { "Drowned Bellringer", "71", "Sunken chapel off Sedge Island (dive at low tide)",
      "Quest (Sedge Island): The Drowned Bell" },
    { "Saltmere Behemoth", "90", "Open water beyond the Saltmere Lagoon", "" },
};

// A hamlet at the bottom of a sinkhole.
constexpr UniqueMonster hobbsHollow[] = {
    { "Burrow Badger", "19", "Hobb's Hollow, the sett under the miller's orchard", "" },
    { "Gaffer Grumbleroot", "25", "Hobb's Hollow, the old root cellar below the inn",
      "Quest: [Rats in the Cellar]" },
};

constexpr UniqueMonster tallowMines[] = {
    { "Candle Gnawer", "20", "Tallow Mines, first gallery (Wax Seam)", "" },
    { "Wickmaker Mole", "24", "Tallow Mines, flooded sump below the second gallery", "" },
    { "Pit Boss Gorran", "29", "Tallow Mines, foreman's shaft (Deep Lift)", "" },
};

// The red forest; the charcoal burners work its southern edge.
constexpr UniqueMonster emberwood[] = {
    { "Ember Moth", "25", "Cinder Glade, around the charcoal kilns", "Night" },
    { "Ashroot Stag", "28", "Ashroot Grove, drinking at the hot spring", "Daytime" },
    { "Soot Imp Ringleader", "32", "Charcoal Burners' Camp, inside the collapsed kiln", "" },
    { "Kindling Fox", "32", "Cinder Glade, in the dry bracken", "" },
    { "Smoulder Bear", "37", "Ashroot Grove, the hollow red cedar", "Heat Wave" },
    { "Cinder Dryad", "41", "Ashroot Grove, the charred heart-tree", "Quest: Seeds of Ash" },
    { "Glowbug Monarch", "41", "The clearing at Three Stumps", "" },
    { "Axeman Brandt", "47", "Woodcutters' track north of the Charcoal Burners' Camp", "" },
    { "Ember Wyrmling", "55", "Scorched Ravine, the nest ledge",
      "After Quest: Smoke on the Ridge" },
    { "Blackbark Treant", "62", "Blackbark Hollow, where the wood is darkest",
      "Kingsbarrow cleared" },
    { "Pyre Warden", "84", "Scorched Ravine, the old beacon pyre at the summit",
      "Fight the Ravine Matriarch boss here first." },
    { "Emberwood Ancient", "108", "The Burning Crown, the great tree at the heart of the wood",
      "" },
};

// Cliffs, wrecks and the lighthouse at Gull Point.
constexpr UniqueMonster greywashCoast[] = {
    { "Cliff Skua", "33", "Gull Point, the nesting cliffs below the light", "" },
    { "Captain Sallowby", "36", "Wreckers' Cove, in the smugglers' cave", "Night" },
    { "Tidewrack Crab", "40", "Tidewrack Shoals (low tide only), among the ribs of the old wrecks",
      "4AM to 5AM" },
    { "Shingle Seal", "40", "Shingle beach north of Gull Point", "" },
    { "Storm Petrel", "46", "Gull Point Light, circling the lantern room", "Thunderstorm" },
    { "Kelpie Mare", "53", "Greywash Strand, the kelp beds past the breakers", "Night, Clear Sky" },
    { "Lightkeeper Ansel", "59", "Gull Point Light, the keeper's room at the top of the tower",
      "Quest: The Dark Lantern" },
    { "Saltfang Shark", "66", "Deep channel off Greywash Strand (fish from the wreck of the Tern)",
      "Clear Sky" },
    { "Barnacle Titan", "81", "Tidewrack Shoals, the drowned lighthouse foundation",
      "Quest: [Wreckers' Due]" },
    { "Greywash Kraken", "99", "Open sea beyond Tidewrack Shoals", "" },
};

constexpr UniqueMonster isleOfQuill[] = {
    { "Inkwing Archivist", "78", "Isle of Quill, the scriptorium ruins on the west cliff",
      "Quest (Isle of Quill): The Last Folio" },
};

// Fog, peat and the barrows of the old queens.
constexpr UniqueMonster dunmarrow[] = {
    { "Peat Bog Lurker", "36", "Peat cuttings south of Dunmarrow village", "" },
    { "Heather Grouse", "39", "Heather moor along the drove road", "Day" },
    { "Moorland Adder", "43", "Adder Stones, basking on the flat slab", "" },
    { "Cairn Hound", "43", "Cairn of Edda, guarding the stair", "Night" },
    { "Barrow Wight", "48", "Nine Barrows (the Fifth Barrow), inside the burial chamber", "" },
    { "Drover Jessop", "51", "Drove road, the abandoned cattle pen", "No Thick Fog" },
    { "Wisp Shepherd", "51", "Peat cuttings, following the will-o-wisps north",
      "Night, Thick Fog" },
    { "Grim of Dunmarrow", "56", "Dunmarrow churchyard, beneath the yew", "" },
    { "Stone Sentinel", "60", "Ring of Nine on the high moor", "" },
    { "Barrow Queen Edda", "64", "Cairn of Edda, the sealed tomb at the bottom of the stair",
      "Quest: [The Queen's Torc]" },
    { "Moor Giant", "64", "High moor above the Ring of Nine", "" },
    { "Fogbound Stalker", "70", "Dunmarrow moor, wherever the fog lies thickest", "" },
    { "Peatwitch Morrow", "82", "Witch's Croft on the far side of the bog", "Old Cistern cleared" },
    { "Dunmarrow Wyrm", "93", "The gorge at Dunmarrow Falls", "" },
};

constexpr UniqueMonster lanternFerry[] = {
    { "Ferry Pike", "38", "Lantern Ferry, off the landing stage", "" },
    { "The Ferryman", "96", "Lantern Ferry, the far landing in the mist",
      "Approach by boat from the north landing." },
};

// The snow country beyond Wyrmgate Pass, under Mount Hest.
constexpr UniqueMonster frostreach[] = {
    { "Snowdrift Hare", "45", "Rimeholt, the snowfields below the village", "" },
    { "Rimecoat Lynx", "48", "Pinewood above Rimeholt, on the fallen larch", "Night" },
    { "Icicle Bat", "52", "Whitefang Glacier, the ice caves at the foot", "" },
    { "Avalanche Ram", "57", "Ram's Ledge on the north face of Mount Hest", "6AM to 7AM" },
    { "Glacier Troll", "57", "Whitefang Glacier, the crevasse bridge", "" },
    { "Snow Wraith", "63", "Hearthstone Lodge, the frozen chapel", "Night, Snow or Snowstorm" },
    { "Whitefang Alpha", "68", "Wolf den under Whitefang Glacier", "Night, No Snowstorm" },
    { "Starfall Owl", "72", "Summit of Mount Hest, the observatory ruin", "Shooting Stars" },
    { "Rimeholt Reaver", "72", "Old watch post on the road to Rimeholt",
      "Defeat 2 waves of monsters to make it appear." },
    { "Aurora Stag", "79", "Frozen lake below Hearthstone Lodge", "" },
    { "Mother Hoarfrost", "88", "Hoarfrost Hollow, the ice cavern behind the frozen falls",
      "Quest: [The Frozen Hearth]" },
    { "Brother Rime", "95", "Twin Peaks, the west summit", "Quest: The Twin Candles" },
    { "Sister Thaw", "95", "Twin Peaks, the east summit", "Quest: The Twin Candles" },
    { "The Pale Sovereign", "120", "Crown of Mount Hest, the throne of ice above the clouds",
      "Quest: The Sovereign's Summons" },
};

// The waterworks under Harrowgate.
constexpr UniqueMonster oldCistern[] = {
    { "Cistern Eel", "49", "Old Cistern, the main reservoir (north walkway)", "" },
    { "Drainrat Chieftain", "50", "Old Cistern, the overflow tunnels below Harrowgate market",
      "Night" },
    { "Pale Crayfish", "52", "Old Cistern, the settling pools", "" },
    { "Lamprey Knot", "52", "Old Cistern, the sluice chamber (Third Valve)",
      "Prereq: [Rust in the Pipes]" },
    { "Mould Creeper", "54", "Old Cistern, the collapsed aqueduct", "" },
    { "Valve Warden", "55", "Old Cistern, the pump hall", "Prereq: [Turn of the Wheel]" },
    { "Cistern Matriarch", "57", "Old Cistern, the great reservoir (Drowned Stair)", "" },
    { "Drowned Alderman", "57", "Old Cistern, the flooded council vault", "Old Cistern clear" },
};

constexpr UniqueMonster wyrmgatePass[] = {
    { "Pass Vulture", "52", "Wyrmgate Pass, the switchbacks below the gate", "" },
    { "Gatewarden Husk", "53", "Wyrmgate, the gatehouse ruins", "" },
    { "Scree Basilisk", "55", "Wyrmgate Pass, the scree slope at the top", "" },
};

// Grass and glass around the Kiln, with the Gloamspire on its far edge.
constexpr UniqueMonster ashenSteppe[] = {
    { "Steppe Jackal", "54", "The grass sea west of the Kiln", "Daytime" },
    { "Obsidian Beetle", "58", "Obsidian Flats, among the glass boulders", "Heat Wave" },
    { "Cinder Roc", "63", "Cinder Crag, the eyrie on the summit", "" },
    { "Warlord Ashgrim", "69",
      "GF - Signal Tower of Vesk (Guard Hall), on the road east of the Kiln", "" },
    { "Dust Devil", "69", "The dry riverbed below Cinder Crag", "" },
    { "Skyglass Moth", "76", "Obsidian Flats, the glass fields", "Shooting Stars" },
    { "Kiln Colossus", "88", "The Kiln, the great crater at the centre of the steppe",
      "Quest: The Cold Furnace" },
    { "The Ashen Titan", "105", "Caldera floor below the Kiln (Titan's Rest)",
      "Wyrmgate Pass cleared" },
};

// The Gloamspire, the tower of the vanished magisters, from its gate upward.
// Its floors are given as the signs at its stairs give them: LL below ground,
// GF, 1F to 5F, UL for the crown.
constexpr UniqueMonster spireGate[] = {
    { "Causeway Gargoyle", "57", "Gloamspire approach, the causeway of broken statues", "" },
    { "Porter Construct", "58", "GF - Great Gate (Porter's Lodge)", "" },
    { "Dustmantle Hound", "59", "GF - Entrance Hall, among the toppled benches", "" },
    { "Lantern Bearer", "60", "GF - Hall of Lamps (east colonnade)", "" },
    { "Gatekeeper Olvane", "61", "GF - Great Stair landing, before the sealed doors", "" },
};

constexpr UniqueMonster spireStacks[] = {
    { "Vellum Moth", "58", "1F - Reading Room, in the lamp alcoves", "Night" },
    { "Index Crawler", "60", "1F - Card Catalogue (rows A to M)", "" },
    { "Shelf Mimic", "62", "1F - Lower Stacks, aisle 7 / aisle 8 (the crooked shelf)", "" },
    { "Inkblot Horror", "62", "1F - Copying Hall, under the long desks", "" },
    { "Silent Librarian", "64", "2F - Upper Stacks, behind the returns desk", "" },
    { "Gilded Lectern", "66", "2F - Chapter Library, at the lectern", "" },
    { "Quill Familiar", "66", "2F - Scribes' Gallery (the balcony over the Copying Hall)", "" },
    { "Binder of Spines", "68", "2F - Bindery, among the presses", "" },
    { "Archivist Maelor", "70", "2F - Forbidden Archive (locked, key from the Silent Librarian)",
      "Prereq: [The Forbidden Index]" },
};

constexpr UniqueMonster spireVaults[] = {
    { "Vault Rat Swarm", "63", "LL - Cellar Stair, the flooded landing", "" },
    { "Rust Golem", "64", "LL - Boiler Room (the Great Boiler)", "" },
    { "Sealed Coffer", "64", "LL - Treasury Vault, behind the third grille", "" },
    { "Chain Warden", "65", "LL - Chain Gallery, where the lift chains run down", "" },
    { "Pale Warder", "66", "LL - Ossuary, among the niches", "" },
    { "Ossuary Crawler", "66", "LL - Ossuary (lower crypt), below the bone stair", "" },
    { "Wax Effigy", "67", "LL - Effigy Hall, third plinth from the door", "" },
    { "Undervault Hydra", "68", "LL - Drowned Vault, reached by the sluice from the Boiler Room",
      "" },
};

constexpr UniqueMonster spireOrrery[] = {
    { "Clockwork Heron", "72", "3F - Water Clock Hall, in the basin", "" },
    { "Cogwheel Mauler", "73", "3F - Gear Works (the great cog)", "" },
    { "Brass Astronomer", "73", "3F - Instrument Room, by the armillary", "" },
    { "Lens Grinder", "74", "3F - Lens Workshop, at the grinding wheel", "" },
    { "Comet Hound", "75", "4F - Orrery Hall, running the outer ring", "" },
    { "Orrery Serpent", "75", "4F - Orrery Hall, coiled on the sun arm", "" },
    { "Eclipse Warden", "76", "4F - Shadow Gallery, behind the moon model", "" },
    { "Starchart Weaver", "77", "4F - Map Room (the ceiling of stars)", "" },
};

constexpr UniqueMonster spireCrown[] = {
    { "Belfry Bat", "75", "5F - Belfry, among the lesser bells", "" },
    { "Carillon Golem", "75", "5F - Carillon Room, at the keyboard", "" },
    { "Wind Harpy", "76", "UL - Crown Terrace, the west battlements", "" },
    { "Spire Gargoyle", "76", "UL - Crown Terrace, on the broken gargoyle spout", "" },
    { "Buttress Stalker", "77",
      "Outer buttress of the Gloamspire (reached by the chain lift from 5F)", "" },
    { "Magister Umbrel", "77", "5F - Magisters' Council Chamber", "" },
    { "Gloam Seraph", "78", "UL - The Lantern (the glass dome at the very top)",
      "Night, Clear Sky, Gloamspire cleared" },
    { "Keeper of Hours", "78", "UL - Clock Face, on the minute hand walkway", "" },
};

constexpr Region regionTable[] = {
    { "Bramblevale", bramblevale },
    { "Corrow Fields", corrowFields },
    { "Saltmere", saltmere },
    { "Hobb's Hollow", hobbsHollow },
    { "Tallow Mines", tallowMines },
    { "Emberwood", emberwood },
    { "Greywash Coast", greywashCoast },
    { "Isle of Quill", isleOfQuill },
    { "Dunmarrow", dunmarrow },
    { "Lantern Ferry", lanternFerry },
    { "Frostreach", frostreach },
    { "Old Cistern", oldCistern },
    { "Wyrmgate Pass", wyrmgatePass },
    { "Ashen Steppe", ashenSteppe },
    { "Spire Gate", spireGate },
    { "Spire Stacks", spireStacks },
    { "Spire Vaults", spireVaults },
    { "Spire Orrery", spireOrrery },
    { "Spire Crown", spireCrown },
};
static_assert(std::size(regionTable) == RegionCount);
static_assert(entryTotal<&Region::entries>(regionTable) == UniqueMonsterCount);

// Quest groups. Each lists what must be done before its monster shows
// itself; milestones (no location, no steps) mark how far the story must
// have gone. A step that needs another entry names that entry exactly.

constexpr Quest hollowKingQuests[] = {
    { "Whispers on the Ridge",
      "Bramblevale - Fenwick Cross",
      { "Talk to Old Maudie (Fenwick Cross, The Crooked Lantern Inn)",
        "Go to the shepherd's cairn (Thornback Ridge, Night)" } },
    { "Grave Goods",
      "Bramblevale - Fenwick Cross",
      { "Talk to Sexton Ness (Fenwick Cross, churchyard)",
        "Collect 3x Barrow Coin (Thornback Ridge, molehills)",
        "Collect 2x Grave Candle (Fenwick Cross, chandler's shop)",
        "Kill Thornback Boar (Thornback Ridge)", "Give the coins and candles to Sexton Ness" } },
    { "The Barrow Crown",
      "Bramblevale - Fenwick Cross",
      { "Complete Grave Goods", "Go to the Kingsbarrow seal (Thornback Ridge, Night)",
        "Examine the broken seal stone",
        "Place 3x Barrow Coin in the seal (Kingsbarrow, Inner Door)" } },
};

constexpr Quest titheCollectorQuests[] = {
    { "A Reeve's Errand",
      "Harrowgate - Reeve's Hall",
      { "Talk to Reeve Alder (Harrowgate, Reeve's Hall)" } },
    { "Counting Sheaves",
      "Harrowgate - Reeve's Hall",
      { "Go to Dunnock Farm (Corrow Fields)", "Collect 10x Barley Sheaf (Barley Flats)",
        "Kill 5x Field Rat (Barley Flats, Night)",
        "Bring the sheaves to Reeve Alder (Harrowgate)" } },
    { "Ledger of the Dead",
      "Harrowgate - Tithe Barn",
      { "Examine the tithe ledger (Tithe Barn, loft)",
        "Give the ledger to Brother Amsel (Harrowgate, chapel)" } },
    { "The Unpaid Tithe",
      "Harrowgate - Tithe Barn",
      { "Place 1x Silver Penny on the tithe scale (Tithe Barn, Night)" } },
};

constexpr Quest drownedBellringerQuests[] = {
    { "Low Tide at Sedge Island", "Saltmere - Sedge Island", {} },
    { "Chapel Bell Tolling (Night)", "Saltmere - Sunken Chapel", {} },
    { "The Bellfounder's Widow",
      "Saltmere - Sedge Island",
      { "Talk to Widow Carrow (Sedge Island, stilt hut)",
        "Collect 4x Bell Bronze Shard (Saltmere Lagoon, dive at low tide)",
        "Kill Brackish Drake (Saltmere Lagoon)", "Give the shards to Widow Carrow" } },
    { "Rope for the Belfry",
      "Saltmere - Sedge Island",
      { "Collect 6x Saltreed Fibre (Reedwalk)", "Give the fibre to Widow Carrow (Sedge Island)" } },
    { "The Drowned Bell",
      "Saltmere - Sedge Island",
      { "Ring the sunken bell (Sedge Island chapel, Night, low tide)" } },
};

constexpr Quest emberWyrmlingQuests[] = {
    { "Charcoal and Cinders",
      "Emberwood - Charcoal Burners' Camp",
      { "Talk to Hesk the Burner (Charcoal Burners' Camp)", "Collect 8x Dry Ashwood (Cinder Glade)",
        "Kill 3x Soot Imp (Charcoal Burners' Camp, Night)", "Bring the ashwood to Hesk" } },
    { "The Burner's Lost Son",
      "Emberwood - Charcoal Burners' Camp",
      { "Go to the Scorched Ravine (Emberwood, north track)",
        "Examine the scorched campsite (Scorched Ravine)",
        "Talk to Hesk the Burner (Charcoal Burners' Camp)" } },
    { "Tallow Mines cleared", "", {} },
    { "Firedamp",
      "Tallow Mines - Entrance",
      { "Talk to Foreman Bray (Tallow Mines, entrance)",
        "Collect 2x Firedamp Lamp (Tallow Mines, first gallery)",
        "Give the lamps to Hesk the Burner (Charcoal Burners' Camp)" } },
    { "Eggshell and Ember",
      "Emberwood - Charcoal Burners' Camp",
      { "Go to the nest ledge (Scorched Ravine, Daytime)",
        "Collect 3x Wyrm Eggshell (Scorched Ravine)", "Kill Smoulder Bear (Ashroot Grove)",
        "Show the eggshells to Hesk the Burner" } },
    { "Smoke on the Ridge",
      "Emberwood - Charcoal Burners' Camp",
      { "Complete Eggshell and Ember",
        "Light the signal fire on the ravine ridge (Scorched Ravine, Night)" } },
};

constexpr Quest lightkeeperQuests[] = {
    { "Keeper's Log",
      "Greywash Coast - Gull Point Light",
      { "Examine the keeper's logbook (Gull Point Light, lamp room)" } },
    { "Oil for the Lamp",
      "Greywash Coast - Gull Point Light",
      { "Collect 5x Lamp Oil Cask (Wreckers' Cove)",
        "Kill Captain Sallowby (Wreckers' Cove, Night)",
        "Bring the casks to the lamp room (Gull Point Light)" } },
    { "Salt-Rotted Lens",
      "Greywash Coast - Gull Point Light",
      { "Talk to Glazier Pim (Gull Point, keeper's cottage)",
        "Collect 2x Clear Sea Glass (Greywash Strand)", "Give the glass to Glazier Pim" } },
    { "The Dark Lantern",
      "Greywash Coast - Gull Point Light",
      { "Complete Salt-Rotted Lens",
        "Light the lantern at midnight (Gull Point Light, 12AM to 1AM)" } },
};

constexpr Quest inkwingQuests[] = {
    { "Causeway Uncovered (Low Tide)", "Greywash Coast - Quill Causeway", {} },
    { "Ink of the Cuttlefish",
      "Isle of Quill - Scriptorium Ruins",
      { "Catch 3x Ink Cuttlefish (Quill Causeway, rock pools)",
        "Collect 1x Empty Inkhorn (Scriptorium Ruins)",
        "Give the ink to Brother Tobin (Isle of Quill, chapter house)" } },
    { "Scattered Pages",
      "Isle of Quill - Scriptorium Ruins",
      { "Talk to Brother Tobin (Isle of Quill, chapter house)",
        "Collect 6x Loose Folio Page (Isle of Quill, cliff paths)",
        "Kill 4x Paper Gull (Isle of Quill, west cliff)", "Bring the pages to Brother Tobin" } },
    { "The Last Folio",
      "Isle of Quill - Scriptorium Ruins",
      { "Read the bound folio aloud (Scriptorium Ruins, Night)" } },
};

constexpr Quest barrowQueenQuests[] = {
    { "The Drover's Tale",
      "Dunmarrow - Dunmarrow Village",
      { "Talk to Old Drover Kell (Dunmarrow Village, Sheaf and Sickle)" } },
    { "Peat for the Hearth",
      "Dunmarrow - Dunmarrow Village",
      { "Talk to Goodwife Alys (Dunmarrow Village)", "Collect 12x Peat Brick (peat cuttings)",
        "Kill 3x Bog Lurker (peat cuttings, Night)", "Deliver the peat to Goodwife Alys" } },
    { "Kingsbarrow cleared", "", {} },
    { "Barrow Rubbings",
      "Dunmarrow - Nine Barrows",
      { "Buy 5x Charcoal Stick (Dunmarrow Village, general store)",
        "Examine the First Barrow (Nine Barrows)", "Examine the Fifth Barrow (Nine Barrows, Night)",
        "Give the rubbings to Scholar Wenna (Dunmarrow Village)" } },
    { "The Torc-Maker's Mould",
      "Dunmarrow - Dunmarrow Village",
      { "Go to the Cairn of Edda (Dunmarrow moor)", "Kill Cairn Hound (Cairn of Edda, Night)",
        "Collect 1x Clay Mould (Cairn of Edda, stair foot)", "Bring the mould to Scholar Wenna" } },
    { "Gold from the Peat",
      "Dunmarrow - Dunmarrow Village",
      { "Collect 3x Bog Gold Nugget (peat cuttings)", "Kill Peat Bog Lurker (peat cuttings)",
        "Buy 1x Crucible (Dunmarrow Village, smithy)",
        "Give the gold to Smith Harl (Dunmarrow Village, smithy)" } },
    { "Forging the Torc",
      "Dunmarrow - Dunmarrow Village",
      { "Complete Gold from the Peat", "Complete The Torc-Maker's Mould",
        "Talk to Smith Harl (Dunmarrow Village, smithy)" } },
    { "Wyrmgate Pass cleared", "", {} },
    { "The Queen's Torc",
      "Dunmarrow - Cairn of Edda",
      { "Complete Forging the Torc",
        "Place the torc on the tomb (Cairn of Edda, Night, Thick Fog)" } },
};

constexpr Quest paleSovereignQuests[] = {
    { "Frostbitten Courier",
      "Frostreach - Rimeholt",
      { "Talk to Courier Ysolde (Rimeholt, longhouse)",
        "Deliver 1x Sealed Letter to the warden (Hearthstone Lodge)" } },
    { "Rimeholt Furs",
      "Frostreach - Rimeholt",
      { "Talk to Trapper Ivo (Rimeholt)", "Kill 4x Rime Fox (pinewood above Rimeholt)",
        "Collect 4x Rime Fox Pelt (pinewood above Rimeholt)", "Bring the pelts to Trapper Ivo" } },
    { "Thin Ice",
      "Frostreach - Hearthstone Lodge",
      { "Go to the frozen lake (below Hearthstone Lodge, Day)",
        "Examine the figure under the ice" } },
    { "The Lodge Warden",
      "Frostreach - Hearthstone Lodge",
      { "Talk to Warden Brisk (Hearthstone Lodge, great hall)",
        "Collect 6x Lodgepine Log (pinewood above Rimeholt)",
        "Light the great hearth (Hearthstone Lodge)",
        "Kill Snow Wraith (Hearthstone Lodge, chapel)", "Talk to Warden Brisk" } },
    { "Glacier Survey",
      "Frostreach - Hearthstone Lodge",
      { "Go to Whitefang Glacier (Frostreach, Daytime)",
        "Examine 3x Survey Cairn (Whitefang Glacier)",
        "Kill Glacier Troll (Whitefang Glacier, crevasse bridge)",
        "Give the survey notes to Warden Brisk" } },
    { "Wolves at the Door",
      "Frostreach - Rimeholt",
      { "Talk to Headwoman Runa (Rimeholt, longhouse)",
        "Kill 6x Whitefang Wolf (Whitefang Glacier, Night)",
        "Kill Whitefang Alpha (wolf den under the glacier, Night)",
        "Collect 1x Alpha's Fang (wolf den)", "Show the fang to Headwoman Runa",
        "Talk to Courier Ysolde (Rimeholt)" } },
    { "Starlight Lens",
      "Frostreach - Mount Hest",
      { "Go to the observatory ruin (Mount Hest, summit)", "Examine the broken telescope",
        "Collect 3x Skyglass Shard (Obsidian Flats, Ashen Steppe)",
        "Kill Starfall Owl (Mount Hest, Shooting Stars)",
        "Place the shards in the telescope (Mount Hest, Night, Clear Sky)" } },
    { "The Hunter's Oath",
      "Frostreach - Rimeholt",
      { "Talk to Warden Brisk (Hearthstone Lodge)", "Kill Rimeholt Reaver (old watch post)",
        "Give 1x Reaver's Banner to Headwoman Runa (Rimeholt)" } },
    { "Cold Iron",
      "Frostreach - Rimeholt",
      { "Collect 5x Cold Iron Ore (Ram's Ledge, Mount Hest)",
        "Kill Avalanche Ram (Ram's Ledge, 6AM to 7AM)", "Buy 1x Ice Pick (Rimeholt, trading post)",
        "Give the ore to Smith Tove (Rimeholt, forge)" } },
    { "Crown of Icicles",
      "Frostreach - Rimeholt",
      { "Complete Cold Iron", "Complete Starlight Lens", "Talk to Smith Tove (Rimeholt, forge)",
        "Collect 12x Everfrost Icicle (Hoarfrost Hollow)",
        "Kill Aurora Stag (frozen lake below Hearthstone Lodge)",
        "Collect 1x Aurora Antler (frozen lake)",
        "Bring the icicles and the antler to Smith Tove" } },
    { "Beacon on the Hest",
      "Frostreach - Mount Hest",
      { "Go to the summit of Mount Hest (Night)", "Light the beacon (Mount Hest, summit)",
        "Examine the throne of ice (Crown of Mount Hest)" } },
    { "Wyrmgate Pass cleared", "", {} },
    { "The Sovereign's Summons",
      "Frostreach - Mount Hest",
      { "Offer 1x Crown of Icicles at the throne (Crown of Mount Hest, Night)" } },
};

constexpr Quest kilnColossusQuests[] = {
    { "Wyrmgate Pass cleared", "", {} },
    { "Embers for the Tribe",
      "Ashen Steppe - Nomad Camp at Vesk",
      { "Talk to Elder Saqa (Nomad Camp at Vesk)", "Collect 5x Obsidian Chip (Obsidian Flats)" } },
    { "The Cold Furnace",
      "Ashen Steppe - The Kiln",
      { "Go to the rim of the Kiln (Ashen Steppe, Daytime)",
        "Examine the cold vents (the Kiln, crater floor)",
        "Kill Warlord Ashgrim (Signal Tower of Vesk)",
        "Place 5x Obsidian Chip in the vents (the Kiln, Heat Wave)" } },
};

// Mother Hoarfrost and her twins share the first steps of the hunt; the
// guide lists them under both, the twins' copy in full.
constexpr Quest motherHoarfrostQuests[] = {
    { "Wyrmgate Pass cleared", "", {} },
    { "A Lamp for Rimeholt",
      "Frostreach - Rimeholt",
      { "Collect 3x Seal Fat (frozen lake below Hearthstone Lodge)",
        "Give the fat to Lampwright Esk (Rimeholt)" } },
    { "The Frozen Hearth",
      "Frostreach - Hoarfrost Hollow",
      { "Light the hearth in Hoarfrost Hollow (Night)" } },
};

constexpr Quest twinQuests[] = {
    { "Wyrmgate Pass cleared", "", {} },
    { "Children of the Frost",
      "Frostreach - Rimeholt",
      { "Talk to Headwoman Runa (Rimeholt, longhouse)",
        "Examine the twin cairns (Twin Peaks, saddle)", "Talk to Lampwright Esk (Rimeholt)" } },
    { "A Lamp for Rimeholt",
      "Frostreach - Rimeholt",
      { "Collect 3x Seal Fat (frozen lake below Hearthstone Lodge)",
        "Give the fat to Lampwright Esk (Rimeholt)" } },
    { "The Frozen Hearth",
      "Frostreach - Hoarfrost Hollow",
      { "Go to Hoarfrost Hollow (behind the frozen falls)",
        "Collect 4x Hearthstone Ember (Hearthstone Lodge)",
        "Kill 3x Ice Wisp (Hoarfrost Hollow, Night)",
        "Light the hearth in Hoarfrost Hollow (Night)" } },
    { "Wax from the Mines",
      "Frostreach - Rimeholt",
      { "Go to the Tallow Mines (Wax Seam)", "Collect 6x Pale Tallow (Tallow Mines, first gallery)",
        "Kill Candle Gnawer (Tallow Mines, first gallery)",
        "Buy 2x Braided Wick (Harrowgate, chandlery)",
        "Give the wax and wicks to Lampwright Esk (Rimeholt)" } },
    { "Thread of Two Colours",
      "Frostreach - Rimeholt",
      { "Buy 2x Dyed Wool Skein (Rimeholt, weaver's hut)", "Give the wool to Lampwright Esk" } },
    { "Moulding the Candles",
      "Frostreach - Rimeholt",
      { "Talk to Lampwright Esk (Rimeholt, lamp shop)" } },
    { "Path to the Twin Peaks",
      "Frostreach - Twin Peaks",
      { "Go to the saddle between the Twin Peaks (Day)",
        "Kill 5x Icicle Bat (Twin Peaks, ice caves)" } },
    { "The Twin Candles",
      "Frostreach - Twin Peaks",
      { "Complete Moulding the Candles",
        "Light both candles on the saddle (Twin Peaks, Night, No Snowstorm)" } },
};

constexpr QuestGroup questGroupTable[] = {
    { "The Hollow King", hollowKingQuests },
    { "Tithe Collector", titheCollectorQuests },
    { "Drowned Bellringer", drownedBellringerQuests },
    { "Ember Wyrmling", emberWyrmlingQuests },
    { "Lightkeeper Ansel", lightkeeperQuests },
    { "Inkwing Archivist", inkwingQuests },
    { "Barrow Queen Edda", barrowQueenQuests },
    { "The Pale Sovereign", paleSovereignQuests },
    { "Kiln Colossus", kilnColossusQuests },
    { "Mother Hoarfrost", motherHoarfrostQuests },
    { "Brother Rime and Sister Thaw", twinQuests },
};
static_assert(std::size(questGroupTable) == QuestGroupCount);
static_assert(entryTotal<&QuestGroup::quests>(questGroupTable) == QuestCount);

} // namespace

std::span<const Region> regions()
{
    return regionTable;
}

std::span<const QuestGroup> questGroups()
{
    return questGroupTable;
}

} // namespace catalog
