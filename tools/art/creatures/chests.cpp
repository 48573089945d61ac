// Mimics: a chest whose lid opens on a tongue and rows of teeth.

#include "bodyplans.h"

#include "creatureparts.h"
#include "shared/paintkit.h"
#include "shared/pictureseed.h"

#include <cmath>

namespace bodies {

using namespace parts;
using paintkit::mix;

void paintChest(QPainter &painter, const CreatureTraits &traits)
{
    SeededRandom random(traits.seed ^ 0xc0ffe2u);
    const QRectF box(62, Ground - 52, 96, 52);
    const QColor wood = mix(QColor(120, 76, 44), traits.body, 0.3);
    const QColor gold(214, 170, 70);
    QPainterPath lid(box.topLeft());
    lid.lineTo(box.topLeft() + QPointF(-8, -40));
    lid.quadTo(QPointF(box.center().x(), box.top() - 62), box.topRight() + QPointF(8, -40));
    lid.lineTo(box.topRight());
    lid.closeSubpath();
    paintShaded(painter, lid, wood.darker(115));
    QPainterPath maw(box.topLeft() + QPointF(4, 0));
    maw.quadTo(QPointF(box.center().x(), box.top() - 34), box.topRight() + QPointF(-4, 0));
    maw.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 8, 16));
    painter.drawPath(maw);
    QPainterPath tongue(QPointF(box.center().x() - 12, box.top()));
    tongue.cubicTo(QPointF(box.center().x() - 6, box.top() - 20),
                   QPointF(box.center().x() + 24, box.top() - 8),
                   QPointF(box.right() + 18, box.top() + 26));
    tongue.quadTo(QPointF(box.center().x() + 18, box.top() + 2),
                  QPointF(box.center().x() + 12, box.top()));
    paintShaded(painter, tongue, QColor(200, 70, 90), 0.8);
    paintEyes(painter, QPointF(box.center().x(), box.top() - 16), 22, 4.2, traits);
    QList<QPointF> upperTeeth, lowerTeeth;
    for (double x = box.left() + 8; x < box.right() - 4; x += 10) {
        upperTeeth << QPointF(x, box.top() - 33 + std::pow((x - box.center().x()) / 48, 2) * 30);
        lowerTeeth << QPointF(x + 5, box.top() + 1);
    }
    paintSpikes(painter, upperTeeth, -9, QColor(240, 236, 220));
    paintSpikes(painter, lowerTeeth, 9, QColor(240, 236, 220));
    QPainterPath chest;
    chest.addRoundedRect(box, 3, 3);
    paintShaded(painter, chest, wood);
    painter.setPen(QPen(wood.darker(180), 1.0));
    for (double y = box.top() + 13; y < box.bottom(); y += 13)
        painter.drawLine(QPointF(box.left() + 2, y), QPointF(box.right() - 2, y));
    for (const double x : { box.left() + 10, box.right() - 18 }) {
        QPainterPath band;
        band.addRect(QRectF(x, box.top(), 8, box.height()));
        paintShaded(painter, band, gold, 0.8);
    }
    QPainterPath lock;
    lock.addRoundedRect(QRectF(box.center().x() - 7, box.top() + 6, 14, 16), 3, 3);
    paintShaded(painter, lock, gold.lighter(110), 0.8);
    if (traits.crowned || random.chance(0.3))
        paintCrown(painter, QPointF(box.center().x(), box.top() - 52), 20);
}

} // namespace bodies
