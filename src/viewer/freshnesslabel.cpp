#include "freshnesslabel.h"

namespace {

constexpr int LabelWidth = 260;
const QColor MutedColor(0x70, 0x70, 0x70);
const QColor WarningColor(0xb0, 0x3a, 0x00);

QString clockText(const QDateTime &time)
{
    return time.toString(QStringLiteral("HH:mm"));
}

} // namespace

FreshnessLabel::FreshnessLabel(QLabel *strip) : QLabel(strip->parentWidget())
{
    setObjectName(QStringLiteral("LabelUpdated"));
    const QRect area = strip->geometry();
    setGeometry(area.right() + 1 - LabelWidth - strip->indent(), area.top(), LabelWidth,
                area.height());
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont smaller = strip->font();
    smaller.setWeight(QFont::Normal);
    smaller.setPointSizeF(smaller.pointSizeF() - 1);
    setFont(smaller);
    raise();
}

void FreshnessLabel::showFreshness(const fetch::Freshness &freshness)
{
    m_freshness = freshness;
    // A fetch or two that bring nothing leave the last good news standing.
    if (m_freshness.isStale())
        showStale();
    else if (m_freshness.lastArrival.isValid())
        showFresh();
}

void FreshnessLabel::setLastChange(const QDateTime &time)
{
    m_lastChange = time;
    if (m_freshness.lastArrival.isValid() && !m_freshness.isStale())
        showFresh();
}

void FreshnessLabel::showFresh()
{
    const QString arrival = clockText(m_freshness.lastArrival);
    const QString change = m_lastChange.isValid()
            ? QStringLiteral("last change ") + clockText(m_lastChange)
            : QStringLiteral("no change yet");
    setText(QStringLiteral("checked %1 \u00b7 %2").arg(arrival, change));
    setToolTip(QStringLiteral("The progress files last arrived from the FTP server at %1.")
                       .arg(arrival));
    QPalette muted = palette();
    muted.setColor(QPalette::WindowText, MutedColor);
    setPalette(muted);
}

void FreshnessLabel::showStale()
{
    const QString since = m_freshness.lastArrival.isValid()
            ? QStringLiteral("no update since ") + clockText(m_freshness.lastArrival)
            : QStringLiteral("no update yet");
    setText(since);
    setToolTip(QStringLiteral("The last %1 fetches brought nothing: %2")
                       .arg(m_freshness.failuresInRow)
                       .arg(m_freshness.reason));
    QPalette warning = palette();
    warning.setColor(QPalette::WindowText, WarningColor);
    setPalette(warning);
}
