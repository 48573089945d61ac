// Additions to the window: a fetch on request, and what a fetch brought shown as
// soon as it is on disk.
#include "form1.h"

#include "downloadscript.h"
#include "fetchmonitor.h"

#include <QTimer>

void Form1::RefreshNow_Click()
{
    // One fetch at a time: a second would only download the same files.
    if (m_fetches->isRunning())
        return;
    FetchProgress();
    Timer1->setProperty("Tag", QString::number(TicksPerFetch));
}

void Form1::readFetchedProgress()
{
    ReadUniquesDefeated();
    ReadQuestsCleared();
}
