#pragma once

#include <QThread>

class ControllerLink;

// A ControllerLink in a thread of its own, with its own event loop: whatever the thread
// that uses it does (a window stalled by a modal loop, a busy server), the link keeps its
// pace on the wire. The link is deleted in its thread when this goes.
class LinkThread
{
public:
    LinkThread();
    ~LinkThread();
    LinkThread(const LinkThread &) = delete;
    LinkThread &operator=(const LinkThread &) = delete;

    ControllerLink *link() const { return controllerLink; }

private:
    QThread thread;
    ControllerLink *controllerLink;
};
