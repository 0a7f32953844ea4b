#pragma once

#include <QObject>
#include <QSerialPort>
#include <QTimer>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "link/commandqueue.h"
#include "link/lineparameters.h"
#include "link/linksession.h"
#include "link/pacing.h"
#include "link/switchcommands.h"
#include "link/switchstatus.h"

// The one owner of a switch: the port, the framing of what it says, the queue of what the
// operator still wants, the pacing, the watchdog and the reconnect. It speaks the
// operator's words in and the switch's decoded status out, and knows nothing of who
// listens: a window, a station service or a test.
//
// It runs in a thread of its own (LinkThread), so a window that stalls can never narrow
// the spacing on the wire. Every command below may be called from any thread; each is
// carried out in the link's thread, in the order it was called. Signals leave from the
// link's thread.
class ControllerLink : public QObject, public SwitchCommands
{
    Q_OBJECT

public:
    explicit ControllerLink(QObject *parent = nullptr);
    ~ControllerLink() override;

    // Antennas are counted from 1; positions on the wire from 0.
    void selectTx(int antenna) override; // TX antenna 1..8
    void selectRx(int key) override;     // RX1..RX4 as 0..3, RTX as 8
    // The split pair: the antenna on the air first, then its partner. A position that is
    // not 1..8 goes out as the controller's "no position".
    void setSplit(int first, int second) override;
    void clearSplit() override;
    void setSuperSplit(quint8 group) override; // bit n: antenna n+1
    // Rotor 1..4, or 0 to turn the active one off, for the TX antenna given (its number
    // goes out as given, 0..15); by default the antenna the switch last reported.
    void setRotor(int rotor, int txAntenna = -1) override;
    void release(bool all) override;

    void open(const PortSettings &settings);
    void close();
    // After a lost device, try the same port every reconnectInterval until it is back.
    void setReconnecting(bool on);
    // Ends the link: after the commands before it, the link deletes itself and stops the
    // event loop of its thread.
    void finish();

    static constexpr int reconnectIntervalMs = 2000;

protected:
    bool event(QEvent *event) override;

signals:
    // The port opened: the firmware query is on its way, polling follows.
    void opened(const PortSettings &settings);
    void openFailed(const QString &reason);
    void closed();
    // Every whole status answer, decoded.
    void statusReceived(const SwitchStatus &status);
    void firmwareReceived(const FirmwareRevision &revision);
    // Alive while an answer came within the last 1500 ms (and for that long after start).
    void aliveChanged(bool alive);
    // The device went away (unplugged, a write refused): the port is closed. Emitted once
    // per loss; losing it again while reconnecting is part of the same loss.
    void lost(const QString &reason);
    // Waiting for the port to come back at this path, retrying every 2 s.
    void reconnecting(const QString &path);

private:
    // The test makes the port refuse a write, which no real line does on cue.
    friend class LinkTest;

    template<typename F> void inLinkThread(F &&f);
    void queueWord(CommandWord word);
    bool openPort(const PortSettings &settings);
    void sendTurn();
    void scheduleSend();
    bool writeFrame(const QByteArray &frame);
    void readAvailable();
    void acceptBytes(const char *bytes, int n);
    void decodeFrame(const QByteArray &frame);
    void portError(QSerialPort::SerialPortError error);
    void loseConnection(const QString &reason);
    void watchdogExpired();
    void tryReconnect();

    // Commands from other threads wait here for the link's thread, in the order given. A
    // plain mutex hands them over, so the handover is one any race detector can follow.
    std::mutex inboxLock;
    std::vector<std::function<void()>> inbox;

    QSerialPort port{this};
    LinkSession session;
    CommandQueue queue;
    QTimer sendTimer{this};
    QTimer watchdog{this};
    QTimer reconnectTimer{this};
    // Far enough in the past that the first frame is never held back.
    PacingTime lastFrameWritten = PacingTime::min() / 2;
    // Queued words written since the last poll or firmware query.
    int wordsInARow = 0;
    // Counted from the start: the link shows alive for its first moments, as the panel
    // always has, then silent until the switch answers.
    qint64 lastPacketMs;
    bool alive = true;
    bool reconnectEnabled = false;
    // Reopened by the reconnect, and no answer heard yet: a loss now is the same loss.
    bool reconnectUnconfirmed = false;
    // The connection to come back to; its path follows a USB adapter to a new number.
    PortSettings connected;
    std::optional<SwitchStatus> lastStatus;
};
