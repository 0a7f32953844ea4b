#include <QtTest>

#include "frameparser.h"
#include "tables.h"

// The simulator stands in for the controller in every link test. Its parser must flag what
// is not a whole command, or a panel that sends a cut frame would pass them all; that its
// answers really come late, in pieces and among noise, tst_realline reads from its log.
class TestSimulator : public QObject
{
    Q_OBJECT

private slots:
    void parsesFrames_data()
    {
        QTest::addColumn<QByteArrayList>("pieces");
        QTest::addColumn<QStringList>("chunks"); // "C:" command, "G:" garbage; the bytes
        QTest::addColumn<QByteArray>("pending");
        auto row = [](const char *name, const QByteArrayList &pieces, const QStringList &chunks,
                      const char *pending = "") {
            ::row(name, pieces, chunks, QByteArray(pending));
        };
        row("mask 0x3b is a ;", {"IGQ;;IGT3;"}, {"C:IGQ;;", "C:IGT3;"});
        row("byte by byte, the next one waits", {"I", "G", "P", "/", "/", "0", ";", "IGV3"},
            {"C:IGP//0;"}, "IGV3");
        row("noise, an unknown letter", {"zz\x01IGZ1;IGS3;"}, {"G:zz\x01IGZ1;", "C:IGS3;"});
        row("cut short, a poll follows", {"IGP2", "IGT3;"}, {"G:IGP2", "C:IGT3;"});
        row("no ';' where the length ends", {"IGS3xIGT3;"}, {"G:IGS3x", "C:IGT3;"});
    }
    void parsesFrames()
    {
        QFETCH(QByteArrayList, pieces);
        FrameParser parser;
        QStringList seen;
        for (const QByteArray &piece : pieces) {
            for (const FrameParser::Chunk &chunk : parser.feed(piece))
                seen << (chunk.kind == FrameParser::Chunk::Command ? "C:" : "G:")
                            + QString::fromLatin1(chunk.bytes);
        }
        QTEST(seen, "chunks");
        QTEST(parser.pending(), "pending");
    }
};

QTEST_GUILESS_MAIN(TestSimulator)
#include "tst_simulator.moc"
