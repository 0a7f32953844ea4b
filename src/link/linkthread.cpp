#include "link/linkthread.h"

#include "link/controllerlink.h"

LinkThread::LinkThread() : controllerLink(new ControllerLink)
{
    thread.setObjectName(QStringLiteral("controller link"));
    controllerLink->moveToThread(&thread);
    // Its port and timers belong to the link's thread, and are closed and stopped there.
    QObject::connect(&thread, &QThread::finished, controllerLink, &QObject::deleteLater);
    thread.start();
}

LinkThread::~LinkThread()
{
    thread.quit();
    thread.wait();
}
