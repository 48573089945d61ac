// Beyond the design: a fetch on request, and what a fetch brought shown as
// soon as it is on disk.
#include "viewer/form1.h"

#include "progress/downloadscript.h"
#include "viewer/fetchmonitor.h"

#include <QTimer>

void Form1::RefreshNow_Click()
{
    // One fetch at a time: a second would only download the same files.
    if (m_fetches->isRunning())
        return;
    FetchProgress();
    Timer1->setProperty("Tag", QString::number(progress::TicksPerFetch));
}

void Form1::readFetchedProgress()
{
    ReadUniquesDefeated();
    ReadQuestsCleared();
}
