#pragma once

#include <QThread>
#include <atomic>

class MainWindow;

// The controller only answers when asked, so we pace the conversation ourselves:
// this thread wakes every 25 ms and posts the poll, the next queued command and the
// read to the window's GUI thread. It never touches the port, a widget or the queue.
class ThreadLeitura : public QThread
{
    Q_OBJECT

public:
    explicit ThreadLeitura(MainWindow *w);
    ~ThreadLeitura() override;

    // Ends the loop after its current cycle and waits for the thread to finish.
    void stopAndWait();

protected:
    void run() override;

private:
    std::atomic<bool> stopRequested{false};
    // Set as the loop's last act; read after the join (see stopAndWait).
    std::atomic<bool> loopFinished{false};
    MainWindow *mainWindow;
};
