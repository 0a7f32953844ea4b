#pragma once

#include <QThread>
#include <atomic>
#include <memory>

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
    qint64 lastSendTime = 0;
    qint64 loopTime = 0;
    std::atomic<bool> stopRequested{false};
    // Set as the loop's last act; read after the join (see stopAndWait).
    std::atomic<bool> loopFinished{false};
    // When the GUI thread last finished a send (microseconds of the pacing clock).
    // Made here, on the GUI thread before the loop starts, so the first stamp the GUI
    // writes is ordered after its creation; shared, so a stamp still queued when the
    // thread ends stays valid.
    const std::shared_ptr<std::atomic<qint64>> writtenStamp =
        std::make_shared<std::atomic<qint64>>(0);
    MainWindow *mainWindow;
};
