#include "link/threadleitura.h"

#include "app/mainwindow.h"
#include "link/pacing.h"

ThreadLeitura::ThreadLeitura(MainWindow *w) : mainWindow(w)
{
    // The window pointer travels with queued calls; the type must be known by name.
    qRegisterMetaType<MainWindow *>("MainWindow*");
    // A window that went with invocations still posted leaves its flags set.
    sendPosted.store(false);
    receivePosted.store(false);
    start(QThread::InheritPriority);
}

ThreadLeitura::~ThreadLeitura()
{
    // Never leave a loop running that holds a plain pointer to the window. Joining a
    // thread that has already ended returns at once.
    stopAndWait();
}

void ThreadLeitura::stopAndWait()
{
    stopRequested.store(true, std::memory_order_release);
    wait();
    // QThread::wait() joins through Qt's own lock, which the thread sanitizer cannot
    // see. This acquire pairs with the loop's last release, so everything the loop did
    // (its last look at the window included) visibly happens before the caller goes
    // on, say, to delete the window.
    (void)loopFinished.load(std::memory_order_acquire);
}

void ThreadLeitura::run()
{
    // The intervals count from the last frame the GUI thread actually wrote: a send it
    // skipped (too soon after a late one) is asked for again in the next cycle, not a
    // whole period later.
    for (;;) {
        msleep(cyclePeriod.count());
        const PacingTime loopTime = pacingNow();
        const PacingTime lastSendTime = lastFrameWritten.load(std::memory_order_relaxed);
        // Only the queue's atomic count and the last write's stamp cross threads; the
        // queue itself belongs to the GUI.
        const PacingDecision decision =
            decidePacing(loopTime, lastSendTime, mainWindow->switchQueue.pendingCount());
        // A send still waiting for the GUI thread is the one that will go out; a second
        // would only follow it back to back.
        const bool send = decision.sendQueued || decision.sendPoll;
        if (send && !sendPosted.exchange(true, std::memory_order_acq_rel))
            QMetaObject::invokeMethod(mainWindow,
                                      decision.sendQueued ? "callEnvioFila" : "callEnviar",
                                      Qt::QueuedConnection);
        if (!receivePosted.exchange(true, std::memory_order_acq_rel))
            QMetaObject::invokeMethod(mainWindow, "callReceber", Qt::QueuedConnection,
                                      Q_ARG(MainWindow *, mainWindow));
        if (stopRequested.load(std::memory_order_acquire))
            break;
    }
    loopFinished.store(true, std::memory_order_release);
}
