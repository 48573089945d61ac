// Which landmark a place names, and the finish all landmarks share.

#include "landmarks.h"

#include "shared/paintkit.h"
#include "shared/pictureseed.h"

#include <QLinearGradient>

#include <algorithm>

namespace landmarks {

void paintFace(QPainter &painter, const QPainterPath &shape, const QColor &color)
{
    const QRectF box = shape.boundingRect();
    QLinearGradient light(box.topLeft(), box.topRight());
    light.setColorAt(0, color.lighter(118));
    light.setColorAt(1, color.darker(150));
    painter.setPen(QPen(color.darker(250), 0.8));
    painter.setBrush(light);
    painter.drawPath(shape);
}

QPainterPath polygonPath(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

void paintWindow(QPainter &painter, const Scene &scene, const QRectF &window)
{
    const bool lit = scene.sky.time == TimeOfDay::Night || scene.sky.time == TimeOfDay::Dusk
            || scene.sky.weather == Weather::Storm;
    if (lit)
        paintkit::paintGlow(painter, window.center(), window.height() * 2.2,
                            QColor(255, 190, 90, 120));
    painter.setPen(Qt::NoPen);
    painter.setBrush(lit ? QColor(255, 210, 120) : QColor(30, 28, 34));
    painter.drawRect(window);
}

QColor timber(const Scene &scene)
{
    return litBy(scene.sky, QColor(120, 86, 58));
}

} // namespace landmarks

namespace {

using LandmarkPainter = void (*)(QPainter &, const Scene &, landmarks::Placement, SeededRandom &);

struct LandmarkWords
{
    std::vector<const char *> words;
    LandmarkPainter paint;
};

// The landmark named first in the place wins: "The Sluices, the great gate
// east of the Reedwalk" is a sluice gate, not a boardwalk. Where two start at
// the same place the earlier entry wins, so particular words come first
// ("stepping stones" are a way across water, not a ring).
const LandmarkWords Landmarks[] = {
    { { "stepping stones", "jetty", "landing", "boardwalk", "reedwalk", "eel traps", "ferry" },
      landmarks::paintJetty },
    { { "windmill", "old mill" }, landmarks::paintWindmill },
    { { "bridge", "millrace", "aqueduct" }, landmarks::paintBridge },
    { { "falls" }, landmarks::paintWaterfall },
    { { "gallows" }, landmarks::paintGallows },
    { { "drowned lighthouse", "ruin", "statues", "causeway", "rampart", "foundation",
        "scriptorium" },
      landmarks::paintRuins },
    { { "lighthouse", "the light", "point light", "tower", "keep", "watch post", "beacon",
        "observatory", "gatehouse", "outer buttress", "sluice" },
      landmarks::paintTower },
    { { "church", "chapel", "lychgate" }, landmarks::paintChurch },
    { { "wreck", "ribs" }, landmarks::paintWreck },
    { { "stones", "ring of nine", "cairn" }, landmarks::paintStones },
    { { "barrow", "mound", "tomb" }, landmarks::paintBarrow },
    { { "cave", "den ", "sett", "warren", "burrow", "mines", "shaft", "tunnel", "nest ledge",
        "eyrie" },
      landmarks::paintCave },
    { { "crater", "kiln", "caldera" }, landmarks::paintCrater },
    { { "obsidian", "glass", "throne of ice", "ice " }, landmarks::paintCrystals },
    { { "cottage", "farm", "barn", "inn", "croft", "lodge", "cowshed", "village", "market",
        "tanner", "orchard", "hayrick", "camp", "pen", "fold", "rimeholt", "harrowgate", "pans" },
      landmarks::paintCottages },
    { { "tree", "cedar", "oak", "willow", "yew", "elm", "stumps", "grove", "heart of" },
      landmarks::paintGreatTree },
};

} // namespace

namespace {

// Where the first of the words starts a word of the place, or -1.
qsizetype firstMention(const QString &place, const std::vector<const char *> &words)
{
    qsizetype first = -1;
    for (const char *word : words) {
        const QLatin1String key(word);
        for (qsizetype at = place.indexOf(key); at >= 0; at = place.indexOf(key, at + 1)) {
            if (at == 0 || !place.at(at - 1).isLetter()) {
                first = first < 0 ? at : std::min(first, at);
                break;
            }
        }
    }
    return first;
}

} // namespace

bool paintLandmark(QPainter &painter, const Scene &scene, SeededRandom &random)
{
    LandmarkPainter chosen = nullptr;
    qsizetype chosenAt = -1;
    for (const LandmarkWords &landmark : Landmarks) {
        const qsizetype at = firstMention(scene.place, landmark.words);
        if (at >= 0 && (chosenAt < 0 || at < chosenAt)) {
            chosen = landmark.paint;
            chosenAt = at;
        }
    }
    if (!chosen)
        return false;
    const landmarks::Placement at { QPointF(random.between(110, 210),
                                            scene.horizon + random.between(40, 50)),
                                    random.between(0.9, 1.12) };
    chosen(painter, scene, at, random);
    return true;
}
