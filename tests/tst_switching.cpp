#include <QtTest>

#include "link/protocol.h"
#include "tables.h"

// The bytes of each command as they go on the wire. How they are paced, queued and
// written on a real line is the journeys' and tst_realline's business.
class SwitchingTest : public QObject
{
    Q_OBJECT

private slots:
    void commandBytes_data()
    {
        // letter: 'T' / 'W': the poll and the firmware query
        columns<char, int, QByteArray>({"letter", "argument", "expected"});
        auto row = [](const char *name, char letter, int argument, const QByteArray &bytes) {
            ::row(name, letter, argument, bytes);
        };
        row("poll", 'T', 0, "IGT3;");
        row("firmware query", 'W', 0, "IGW;");
        row("select TX 4", 'S', 3, "IGS3;");
        row("RTX", 'Y', 8, "IGY8;");
        row("release ALL", 'X', 1, "IGX1;");
        row("super split mask is ';'", 'Q', 0x3B, "IGQ;;");
        row("super split empty mask", 'Q', 0x00, QByteArray("IGQ\0;", 5));
        row("rotor 2 on TX 3", 'V', 0x32, "IGV32;");
        row("split cur 2 pos 5", 'P', 0x36, "IGP251;");
        row("split off: 0x2F digits", 'P', 0x00, "IGP//0;");
        row("split from TX 8", 'P', 0x81, "IGP701;");
        row("unknown letter", 'Z', 1, "");
    }
    void commandBytes()
    {
        QFETCH(char, letter);
        QFETCH(int, argument);
        const CommandWord word = makeCommandWord(letter, quint8(argument));
        QTEST(letter == 'T'   ? pollFrame()
              : letter == 'W' ? firmwareQueryFrame()
                              : commandFrame(word),
              "expected");
    }
};

QTEST_APPLESS_MAIN(SwitchingTest)
#include "tst_switching.moc"
