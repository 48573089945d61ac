#pragma once

#include <QObject>

class QLineEdit;

// Gives a single-line box whose text is wider than the box the whole text as
// its tool tip, and a box whose text fits none. It follows every change of
// the text, of the box's size and of its font.
class TextTip : public QObject
{
    Q_OBJECT

public:
    // The tip lives as long as the box.
    static void attach(QLineEdit *box);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit TextTip(QLineEdit *box);
    void update();
    bool textFits() const;

    QLineEdit *m_box;
};
