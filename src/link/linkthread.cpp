#include "link/linkthread.h"

#include "link/controllerlink.h"

LinkThread::LinkThread() : controllerLink(new ControllerLink)
{
    thread.setObjectName(QStringLiteral("controller link"));
    controllerLink->moveToThread(&thread);
    thread.start();
}

LinkThread::~LinkThread()
{
    // Its port and timers belong to the link's thread, and are closed and stopped there.
    controllerLink->finish();
    thread.wait();
}
