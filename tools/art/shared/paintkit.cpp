#include "paintkit.h"

#include "pictureseed.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <cmath>
#include <numbers>

namespace paintkit {

QColor mix(const QColor &from, const QColor &to, double amount)
{
    const double keep = 1.0 - amount;
    return QColor::fromRgbF(float(from.redF() * keep + to.redF() * amount),
                            float(from.greenF() * keep + to.greenF() * amount),
                            float(from.blueF() * keep + to.blueF() * amount),
                            float(from.alphaF() * keep + to.alphaF() * amount));
}

QColor withAlpha(QColor color, int alpha)
{
    color.setAlpha(alpha);
    return color;
}

void paintGlow(QPainter &painter, QPointF centre, double radius, const QColor &color)
{
    QRadialGradient glow(centre, radius);
    glow.setColorAt(0, color);
    glow.setColorAt(0.4, withAlpha(color, color.alpha() / 3));
    glow.setColorAt(1, withAlpha(color, 0));
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(centre, radius, radius);
    painter.restore();
}

void paintSoftShadow(QPainter &painter, QPointF centre, double radiusX, double radiusY, int alpha)
{
    painter.save();
    painter.translate(centre);
    painter.scale(1.0, radiusY / radiusX);
    QRadialGradient shadow(QPointF(0, 0), radiusX);
    shadow.setColorAt(0, QColor(0, 0, 0, alpha));
    shadow.setColorAt(0.6, QColor(0, 0, 0, alpha * 2 / 3));
    shadow.setColorAt(1, QColor(0, 0, 0, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(shadow);
    painter.drawEllipse(QPointF(0, 0), radiusX, radiusX);
    painter.restore();
}

void paintVignette(QPainter &painter, const QRectF &area, int strength)
{
    const double radius = std::hypot(area.width(), area.height()) / 2;
    QRadialGradient shade(area.center(), radius);
    shade.setColorAt(0, QColor(0, 0, 0, 0));
    shade.setColorAt(0.55, QColor(0, 0, 0, 0));
    shade.setColorAt(1, QColor(0, 0, 0, strength));
    painter.fillRect(area, shade);
}

namespace {

void paintMote(QPainter &painter, QPointF at, double radius, const QColor &core)
{
    paintGlow(painter, at, radius * 3, withAlpha(core, core.alpha() / 3));
    painter.setBrush(core);
    painter.drawEllipse(at, radius, radius);
}

void paintSparkle(QPainter &painter, QPointF at, double size, const QColor &color)
{
    painter.setPen(QPen(color, 0.8));
    painter.drawLine(at - QPointF(size, 0), at + QPointF(size, 0));
    painter.drawLine(at - QPointF(0, size), at + QPointF(0, size));
    painter.setPen(Qt::NoPen);
}

} // namespace

void paintParticles(QPainter &painter, const QRectF &area, Particles kind, int count,
                    SeededRandom &random)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < count && kind != Particles::None; ++i) {
        const QPointF at(area.left() + random.unit() * area.width(),
                         area.top() + random.unit() * area.height());
        const double size = random.between(0.6, 1.8);
        const int alpha = int(random.between(90, 230));
        switch (kind) {
        case Particles::Fireflies:
            paintMote(painter, at, size, QColor(230, 250, 140, alpha));
            break;
        case Particles::Embers:
            paintMote(painter, at, size * 0.8,
                      QColor(255, int(random.between(90, 190)), 40, alpha));
            break;
        case Particles::Snow:
            painter.setBrush(QColor(245, 250, 255, alpha));
            painter.drawEllipse(at, size * 1.2, size * 1.2);
            break;
        case Particles::Dust:
            painter.setBrush(QColor(235, 215, 170, alpha / 3));
            painter.drawEllipse(at, size, size);
            break;
        case Particles::Spores:
            paintMote(painter, at, size * 0.7, QColor(170, 240, 210, alpha / 2));
            break;
        case Particles::Bubbles:
            painter.setPen(QPen(QColor(200, 235, 240, alpha / 2), 0.7));
            painter.setBrush(QColor(200, 235, 240, alpha / 8));
            painter.drawEllipse(at, size * 1.6, size * 1.6);
            painter.setPen(Qt::NoPen);
            break;
        case Particles::Sparkles:
            paintSparkle(painter, at, size * 2, QColor(255, 240, 200, alpha));
            break;
        case Particles::None:
            break;
        }
    }
    painter.restore();
}

void paintRain(QPainter &painter, const QRectF &area, int count, SeededRandom &random)
{
    painter.save();
    for (int i = 0; i < count; ++i) {
        const QPointF top(area.left() + random.unit() * area.width(),
                          area.top() + random.unit() * area.height());
        const double length = random.between(7, 15);
        painter.setPen(QPen(QColor(190, 205, 225, int(random.between(40, 110))), 0.8));
        painter.drawLine(top, top + QPointF(-length * 0.25, length));
    }
    painter.restore();
}

QFont captionFont(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void paintPlate(QPainter &painter, const QRectF &area, const QColor &accent)
{
    QLinearGradient band(area.topLeft(), area.bottomLeft());
    band.setColorAt(0, QColor(12, 10, 16, 170));
    band.setColorAt(1, QColor(6, 5, 8, 235));
    painter.fillRect(area, band);

    // The rule fades out at both ends, like gilding worn at the edges.
    QLinearGradient rule(area.topLeft(), area.topRight());
    rule.setColorAt(0, withAlpha(accent, 0));
    rule.setColorAt(0.2, accent);
    rule.setColorAt(0.8, accent);
    rule.setColorAt(1, withAlpha(accent, 0));
    painter.fillRect(QRectF(area.left(), area.top(), area.width(), 1.5), rule);
}

void paintShadowedText(QPainter &painter, const QRectF &box, int flags, const QString &text,
                       const QColor &color)
{
    painter.setPen(QColor(0, 0, 0, 200));
    painter.drawText(box.translated(1, 1), flags, text);
    painter.setPen(color);
    painter.drawText(box, flags, text);
}

} // namespace paintkit
