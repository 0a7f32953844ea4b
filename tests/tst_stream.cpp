#include "frames.h"
#include "link/rxframer.h"
#include "link/commandqueue.h"
#include "tables.h"

// The two streams of the link, in and out: the answers taken from whatever pieces and
// noise the line delivers, and the queue of words the operator still wants sent.
class TestStream : public QObject
{
    Q_OBJECT

private slots:
    void framing_data()
    {
        // pieces as the reads deliver them; taken per piece: T/W a frame, -n bytes dropped
        columns<QByteArrayList, QString>({"pieces", "taken"});
        const QByteArray s = statusFrame();
        const QByteArray shortT("IGT\5\0\xFF\0\1;", 9);
        auto row = [](const char *name, const QByteArrayList &pieces, const char *taken) {
            ::row(name, pieces, QString(taken));
        };
        row("11 bytes, then 2", {s.left(11), s.mid(11)}, "|T");
        row("firmware glued to a status", {"IGW\1\2;" + s}, "W T");
        row("firmware a byte at a time", {"I", "G", "W", "\1", "\2", ";"}, "|||||W");
        row("';' inside the mask", {statusFrame(1, 0, ';') + s}, "T T");
        row("noise before, a lone I kept", {"xyzI", "GW\1\2;"}, "-3|W");
        row("short frames, then a status", {shortT + shortT + s}, "-9 -9 T");
        row("candidate that does not close", {"IGT\1\2\3" + s}, "-6 T");
        row("unknown kind", {"IGZ1;" + s}, "-5 T");
        row("cut answer, resynchronised", {s.left(7), s}, "|-7 T");
    }
    void framing()
    {
        QFETCH(QByteArrayList, pieces);
        RxFramer framer;
        QStringList perPiece;
        for (const QByteArray &piece : pieces) {
            framer.append(piece.constData(), int(piece.size()));
            QStringList steps;
            for (RxFramer::Taken t; (t = framer.next()).step != RxFramer::Step::Waiting;) {
                steps << (t.step == RxFramer::Step::Frame ? QString(t.bytes.at(2))
                                                          : QString::number(-t.bytes.size()));
                QVERIFY(!t.bytes.isEmpty()); // progress every step
            }
            perPiece << steps.join(' ');
        }
        QTEST(perPiece.join('|'), "taken");
    }

    // A line that sends nothing but noise costs a bounded buffer, and the answer after the
    // burst is found at once.
    void overflowKeepsTheNewest()
    {
        RxFramer framer;
        const QByteArray noise(3 * RxFramer::capacity, 'x');
        QCOMPARE(framer.append(noise.constData(), int(noise.size())), 2 * RxFramer::capacity);
        QCOMPARE(framer.size(), RxFramer::capacity);
        const QByteArray s = statusFrame(4);
        QCOMPARE(framer.append(s.constData(), int(s.size())), int(s.size()));
        QCOMPARE(framer.next().step, RxFramer::Step::Discarded);
        QCOMPARE(framer.next().bytes, s);
    }

    void queue_data()
    {
        // pressed: letter and argument digit per word
        columns<QString, QString, int>({"pressed", "waiting", "dropped"});
        row("newer TX select replaces, Release keeps its place", "S3 X0 S0 S6", "X0 S6", 2);
        row("TX and RX apart", "S1 Y0 S2 Y8", "S2 Y8", 2);
        row("split, rotor, super split in order", "P1 V2 P1 Q3 V2", "P1 V2 P1 Q3 V2", 0);
        row("full: the oldest gives way", "X1 V2 V3 V4 V5 V6 V7 V8 V9 P1 P2 P3 P4 S5",
            "V3 V4 V5 V6 V7 V8 V9 P1 P2 P3 P4 S5", 2);
    }
    void queue()
    {
        QFETCH(QString, pressed);
        CommandQueue queue;
        int dropped = 0;
        for (const QString &w : pressed.split(' '))
            dropped +=
                queue.append(makeCommandWord(w.at(0).toLatin1(), quint8(w.at(1).digitValue())));
        QStringList waiting;
        for (CommandWord word : queue.toList())
            waiting << QString(commandLetter(word)) + QString::number(commandArgument(word));
        QTEST(waiting.join(' '), "waiting");
        QTEST(dropped, "dropped");
    }
};

QTEST_APPLESS_MAIN(TestStream)
#include "tst_stream.moc"
