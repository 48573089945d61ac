#include "lazyoverflowiconstyle.h"

#include <QIconEngine>
#include <QPainter>
#include <QPointer>
#include <QWidget>

namespace {

// An icon that asks the style for its pictures the first time anybody looks
// at them, and from then on is that icon.
class DeferredStandardIcon : public QIconEngine
{
public:
    DeferredStandardIcon(const QStyle *style, QStyle::StandardPixmap which, const QWidget *widget)
        : m_style(style), m_which(which), m_widget(widget)
    {
    }

    QIconEngine *clone() const override { return new DeferredStandardIcon(*this); }
    QString key() const override { return QStringLiteral("huntmark.deferredstandardicon"); }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override
    {
        return icon().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    bool isNull() override { return icon().isNull(); }

private:
    const QIcon &icon()
    {
        if (!m_loaded && m_style) {
            m_icon = m_style->standardIcon(m_which, nullptr, m_widget);
            m_loaded = true;
        }
        return m_icon;
    }

    QPointer<const QStyle> m_style;
    QStyle::StandardPixmap m_which;
    QPointer<const QWidget> m_widget;
    QIcon m_icon;
    bool m_loaded = false;
};

} // namespace

LazyOverflowIconStyle::LazyOverflowIconStyle(QStyle *base) : QProxyStyle(base) { }

QIcon LazyOverflowIconStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption *option,
                                          const QWidget *widget) const
{
    switch (standardIcon) {
    case SP_ToolBarHorizontalExtensionButton:
    case SP_ToolBarVerticalExtensionButton:
        return QIcon(new DeferredStandardIcon(baseStyle(), standardIcon, widget));
    default:
        return QProxyStyle::standardIcon(standardIcon, option, widget);
    }
}
