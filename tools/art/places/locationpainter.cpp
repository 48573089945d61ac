#include "locationpainter.h"

#include "catalog.h"
#include "interiorpainter.h"
#include "locationscene.h"
#include "shared/paintkit.h"
#include "shared/pictureseed.h"

#include <QFontMetricsF>
#include <QRegularExpression>

namespace {

using paintkit::mix;

bool saysCondition(const QStringList &conditions, const char *word)
{
    for (const QString &condition : conditions) {
        // "No Thick Fog" names a condition the monster avoids, not one it needs.
        if (condition.contains(QLatin1String(word)) && !condition.startsWith(QLatin1String("no ")))
            return true;
    }
    return false;
}

// "No Snowstorm" rules out the snow the region would otherwise have had.
bool refusesCondition(const QStringList &conditions, Weather weather)
{
    for (const QString &condition : conditions) {
        if (!condition.startsWith(QLatin1String("no ")))
            continue;
        if ((weather == Weather::Snow && condition.contains(QLatin1String("snow")))
            || (weather == Weather::Fog && condition.contains(QLatin1String("fog"))))
            return true;
    }
    return false;
}

Sky defaultSky(int region, SeededRandom &random)
{
    Sky sky;
    const int roll = random.below(20);
    sky.time = roll < 12 ? TimeOfDay::Day
            : roll < 16  ? TimeOfDay::Dusk
            : roll < 18  ? TimeOfDay::Dawn
                         : TimeOfDay::Night;
    sky.weather = random.chance(0.35) ? Weather::Cloudy : Weather::Clear;
    if (regionTheme(region).particles == paintkit::Particles::Snow && random.chance(0.4))
        sky.weather = Weather::Snow;
    return sky;
}

} // namespace

Sky skyFor(const QString &appearance, const QString &place, int region, quint32 hash)
{
    SeededRandom random(hash ^ 0x5a7u);
    Sky sky = defaultSky(region, random);
    const QStringList conditions = appearance.toLower().split(
            QRegularExpression(QStringLiteral("\\s*(,| or )\\s*")), Qt::SkipEmptyParts);
    if (saysCondition(conditions, "night") || saysCondition(conditions, "shooting stars"))
        sky.time = TimeOfDay::Night;
    else if (saysCondition(conditions, "day"))
        sky.time = TimeOfDay::Day;
    else if (saysCondition(conditions, "am to"))
        sky.time = TimeOfDay::Dawn;
    else if (saysCondition(conditions, "pm to"))
        sky.time = TimeOfDay::Dusk;

    if (saysCondition(conditions, "thunderstorm"))
        sky.weather = Weather::Storm;
    else if (saysCondition(conditions, "rain"))
        sky.weather = Weather::Rain;
    else if (saysCondition(conditions, "snow"))
        sky.weather = Weather::Snow;
    else if (saysCondition(conditions, "fog") || place.contains(QLatin1String("mist"))
             || place.contains(QLatin1String("fog")))
        sky.weather = Weather::Fog;
    else if (saysCondition(conditions, "heat"))
        sky.weather = Weather::Heat;
    else if (saysCondition(conditions, "clear sky") || refusesCondition(conditions, sky.weather))
        sky.weather = Weather::Clear;
    sky.shootingStars = saysCondition(conditions, "shooting stars");
    return sky;
}

QColor litBy(const Sky &sky, const QColor &color)
{
    QColor lit = color;
    switch (sky.time) {
    case TimeOfDay::Day:
        break;
    case TimeOfDay::Dawn:
        lit = mix(color, QColor(230, 150, 150), 0.18).darker(115);
        break;
    case TimeOfDay::Dusk:
        lit = mix(color, QColor(240, 130, 70), 0.2).darker(130);
        break;
    case TimeOfDay::Night:
        lit = mix(color, QColor(30, 50, 100), 0.45).darker(230);
        break;
    }
    if (sky.weather == Weather::Storm || sky.weather == Weather::Rain)
        lit = mix(lit, QColor(80, 90, 100), 0.3).darker(125);
    else if (sky.weather == Weather::Heat)
        lit = mix(lit, QColor(230, 150, 80), 0.2);
    return lit;
}

bool startsWordAt(const QString &text, const QLatin1String &word)
{
    // Only at the start of a word: "open sea" has no sheep pen in it.
    for (qsizetype at = text.indexOf(word); at >= 0; at = text.indexOf(word, at + 1)) {
        if (at == 0 || !text.at(at - 1).isLetter())
            return true;
    }
    return false;
}

bool placeHas(const Scene &scene, const std::vector<const char *> &words)
{
    for (const char *word : words) {
        if (startsWordAt(scene.place, QLatin1String(word)))
            return true;
    }
    return false;
}

namespace {

// Word-wraps the text into at most the given number of lines, cutting the
// last line short with an ellipsis when the whole does not fit.
QStringList wrapToLines(const QString &text, const QFont &font, double width, int maxLines)
{
    const QFontMetricsF metrics(font);
    QStringList lines;
    QString line;
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString candidate = line.isEmpty() ? words[i] : line + QLatin1Char(' ') + words[i];
        if (metrics.horizontalAdvance(candidate) <= width || line.isEmpty()) {
            line = candidate;
            continue;
        }
        if (lines.size() == maxLines - 1) {
            const QString rest = QStringList(words.mid(i)).join(QLatin1Char(' '));
            line = metrics.elidedText(line + QLatin1Char(' ') + rest, Qt::ElideRight, width);
            lines << line;
            return lines;
        }
        lines << line;
        line = words[i];
    }
    if (!line.isEmpty())
        lines << metrics.elidedText(line, Qt::ElideRight, width);
    return lines;
}

void paintBanner(QPainter &painter, const QString &caption, const QString &placeName,
                 const QColor &accent)
{
    const QRectF banner(0, LocationSize - BannerHeight, LocationSize, BannerHeight);
    paintkit::paintPlate(painter, banner, accent);

    QFont captionFont = paintkit::captionFont(10, true);
    captionFont.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    painter.setFont(captionFont);
    paintkit::paintShadowedText(painter, QRectF(12, banner.top() + 5, LocationSize - 24, 14),
                                Qt::AlignLeft | Qt::AlignVCenter, caption.toUpper(),
                                accent.lighter(115));

    const QFont nameFont = paintkit::captionFont(14, true);
    const QStringList lines = wrapToLines(placeName, nameFont, LocationSize - 24, 2);
    painter.setFont(nameFont);
    const double lineHeight = QFontMetricsF(nameFont).lineSpacing();
    const double top = banner.top() + 20 + (lines.size() == 1 ? lineHeight / 2 : 0);
    for (qsizetype i = 0; i < lines.size(); ++i)
        paintkit::paintShadowedText(
                painter, QRectF(12, top + i * lineHeight, LocationSize - 24, lineHeight),
                Qt::AlignLeft | Qt::AlignVCenter, lines[i], QColor(244, 232, 204));
}

} // namespace

QImage paintLocationPicture(const catalog::UniqueMonster &monster, int region)
{
    const QString location = QString::fromLatin1(monster.location);
    const QString floorCode = floorCodeOf(location);
    const QString placeName = floorCode.isEmpty() ? location : location.mid(floorCode.size() + 3);
    // The place alone decides the scene, so two monsters met at one place
    // share its look unless their conditions differ.
    const quint32 hash =
            stableHash(QByteArrayView(monster.location)) ^ quint32(region) * 0x9e3779b9u;
    const Scene scene { skyFor(QString::fromLatin1(monster.appearance), location.toLower(), region,
                               hash),
                        regionTheme(region), location.toLower(), LocationSize * 0.5, hash };
    SeededRandom random(hash);

    QImage image(LocationSize, LocationSize, QImage::Format_RGB32);
    // Antialiased edges blend with what lies beneath, so nothing may be left
    // uninitialised there: the output would change from run to run.
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (isIndoorPlace(location, region)) {
        paintInterior(painter, scene, random);
    } else {
        paintSky(painter, scene, random);
        paintLandscape(painter, scene, random);
        paintWeather(painter, scene, random);
    }
    paintkit::paintVignette(painter, image.rect(), 120);

    const QString regionCaption = QString::fromLatin1(catalog::regions()[region].caption);
    const QString caption = floorCode.isEmpty()
            ? regionCaption
            : regionCaption + QStringLiteral(" \u00b7 ") + floorCode;
    paintBanner(painter, caption, placeName, scene.theme.accent);
    return image;
}
