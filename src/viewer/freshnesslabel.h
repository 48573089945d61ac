#pragma once

#include "fetchmonitor.h"

#include <QDateTime>
#include <QLabel>

// The small note at the right end of the top strip that says how fresh the
// progress is: when the files last arrived and when they last changed, or,
// after several fetches in a row brought nothing, since when and why.
class FreshnessLabel : public QLabel
{
    Q_OBJECT

public:
    // Goes on top of the right end of `strip`, in its parent.
    explicit FreshnessLabel(QLabel *strip);

    void showFreshness(const fetch::Freshness &freshness);
    // When the followed progress last changed, told beside the time of the
    // last check: "checked 14:05 · last change 13:58".
    void setLastChange(const QDateTime &time);

private:
    void showFresh();
    void showStale();

    fetch::Freshness m_freshness;
    QDateTime m_lastChange;
};
