#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

// What a frequency source knows of the radio at one moment.
enum class Ptt { Unknown, Off, On };

struct RadioReading
{
    qint64 txHz = 0; // the frequency the radio transmits on (the TX VFO in split); 0: unknown
    Ptt ptt = Ptt::Unknown; // the radio's own word on transmitting, where the source has one
};

// A place the panel learns the radio's frequency from: Hamlib's rigctld, or N1MM
// Logger+'s broadcasts. A source keeps itself going (reconnects, watches for silence)
// once started, and never blocks the GUI thread.
class FrequencySource : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    // "rigctld" or "n1mm", for the follow log and the status line.
    virtual QString name() const = 0;
    virtual void start() = 0;

signals:
    // Every fresh reading: several times a second from rigctld, per datagram from N1MM.
    void reading(const RadioReading &reading);
    // The source went away (refused, dropped, no answer, or silent too long); readings
    // resume with reading() once it is back.
    void lost(const QString &why);
};
