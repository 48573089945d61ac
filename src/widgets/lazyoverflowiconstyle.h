#pragma once

#include <QProxyStyle>

// The desktop's own style, except that the arrow icons of overflow buttons
// are read only when one is first drawn. Every menu bar asks for its overflow
// button's icon as it is made, and reading it asks each image plugin in turn
// whether it can read the file, loading them all. The viewer's fixed window
// never overflows, and a tracker window narrow enough to overflow gets its
// arrow as it draws it, so neither first frame waits for that.
class LazyOverflowIconStyle : public QProxyStyle
{
    Q_OBJECT

public:
    // Takes ownership of `base`; without one, the desktop's default style.
    explicit LazyOverflowIconStyle(QStyle *base = nullptr);

    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
};
