#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include "link/switchcommands.h"
#include "link/switchstatus.h"
#include "station/linereader.h"

class QTcpSocket;

// Where the panel finds an orvik-station, as File › Connect to Station… keeps it.
struct StationAddress
{
    QString host;
    quint16 port = 4590;
    QString token;
    bool tls = false;
    // The SHA-256 of the certificate the station showed the first time (hex): a station
    // with its own self-signed certificate is trusted on first use, and a different
    // certificate later is refused, as ssh does with host keys.
    QByteArray pin;
};

// The panel's switch when it is served by an orvik-station instead of a serial port: the
// same commands, sent as lines of the station's API, and the same status, read from the
// lines the station pushes. The station paces the wire, follows the radio and speaks for
// the switch; this only carries the operator's keys there and the switch's word back.
class StationLink : public QObject, public SwitchCommands
{
    Q_OBJECT

public:
    static constexpr int retryInterval = 2000; // ms

    explicit StationLink(QObject *parent = nullptr);

    void open(const StationAddress &address);
    void close();
    // After a lost station, try again every retryInterval until it is back.
    void setReconnecting(bool on) { reconnecting = on; }
    bool isOpen() const;

    void selectTx(int antenna) override;
    void selectRx(int key) override;
    void setSplit(int first, int second) override;
    void clearSplit() override;
    void setSuperSplit(quint8 group) override;
    void setRotor(int rotor, int txAntenna) override;
    void release(bool all) override;

signals:
    // The station took us: its name.
    void opened(const QString &stationName);
    void openFailed(const QString &reason);
    void statusReceived(const SwitchStatus &status);
    void firmwareReceived(const FirmwareRevision &revision);
    // Who made the switch's last change: a client's name, "follow" or "panel".
    void changedBy(const QString &who);
    // Whether the station's switch answers it.
    void aliveChanged(bool alive);
    // The connection to the station ended unasked; once per connection.
    void lost(const QString &reason);
    // A command the station refused (rate, role, switch offline): its words.
    void refused(const QString &why);
    // The first TLS connection to this station: its certificate's SHA-256, to keep.
    void certificatePinned(const QByteArray &sha256);

private:
    void connectNow();
    void lineArrived(const QByteArray &line);
    void command(const QByteArray &words);
    void ended(const QString &reason);

    StationAddress address;
    QPointer<QTcpSocket> socket;
    LineReader reader;
    QTimer retry;
    bool reconnecting = false;
    bool accepted = false;   // greeted and, where asked, authenticated
    bool everOpened = false; // a retry after a loss is quiet until it succeeds
    quint16 seq = 0;
    QString stationName;
};
