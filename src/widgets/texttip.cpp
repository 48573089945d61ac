#include "texttip.h"

#include <QEvent>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

void TextTip::attach(QLineEdit *box)
{
    new TextTip(box);
}

TextTip::TextTip(QLineEdit *box) : QObject(box), m_box(box)
{
    connect(box, &QLineEdit::textChanged, this, &TextTip::update);
    box->installEventFilter(this);
    update();
}

bool TextTip::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Resize:
    case QEvent::FontChange:
    case QEvent::StyleChange:
        update();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void TextTip::update()
{
    const QString tip = textFits() ? QString() : m_box->text();
    if (m_box->toolTip() != tip)
        m_box->setToolTip(tip);
}

bool TextTip::textFits() const
{
    // The room a line edit gives its text: inside the frame and the text
    // margins, less a margin of two pixels on either side, with a pixel to
    // spare for the cursor.
    QStyleOptionFrame frame;
    frame.initFrom(m_box);
    frame.lineWidth = m_box->hasFrame()
            ? m_box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, m_box)
            : 0;
    const QRect contents = m_box->style()
                                   ->subElementRect(QStyle::SE_LineEditContents, &frame, m_box)
                                   .marginsRemoved(m_box->textMargins());
    const int room = contents.width() - 2 * 2 - 1;
    return m_box->fontMetrics().horizontalAdvance(m_box->text()) <= room;
}
