#include <QtTest>

#include "link/protocol.h"

// Every byte the panel writes, checked against the controller's layouts.
class TestProtocol : public QObject
{
    Q_OBJECT

private slots:
    void commandBytes_data();
    void commandBytes();
};

void TestProtocol::commandBytes_data()
{
    QTest::addColumn<char>("letter"); // 'T' / 'W': the poll and the firmware query
    QTest::addColumn<int>("argument");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("poll") << 'T' << 0 << QByteArray("IGT3;");
    QTest::newRow("firmware query") << 'W' << 0 << QByteArray("IGW;");
    QTest::newRow("select TX 4") << 'S' << 3 << QByteArray("IGS3;");
    QTest::newRow("RTX") << 'Y' << 8 << QByteArray("IGY8;");
    QTest::newRow("release ALL") << 'X' << 1 << QByteArray("IGX1;");
    QTest::newRow("super split raw mask") << 'Q' << 0x13 << QByteArray("IGQ\x13;");
    QTest::newRow("super split mask is ';'") << 'Q' << 0x3B << QByteArray("IGQ;;");
    QTest::newRow("super split empty mask") << 'Q' << 0x00 << QByteArray("IGQ\0;", 5);
    QTest::newRow("rotor 2 on TX 3") << 'V' << 0x32 << QByteArray("IGV32;");
    QTest::newRow("rotor on TX 8") << 'V' << 0x84 << QByteArray("IGV84;");
    QTest::newRow("split cur 2 pos 5") << 'P' << 0x36 << QByteArray("IGP251;");
    QTest::newRow("split off: 0x2F digits") << 'P' << 0x00 << QByteArray("IGP//0;");
    QTest::newRow("split from TX 8") << 'P' << 0x81 << QByteArray("IGP701;");
    QTest::newRow("unknown letter") << 'Z' << 1 << QByteArray();
    QTest::newRow("lower-case letter") << 's' << 1 << QByteArray();
}

void TestProtocol::commandBytes()
{
    QFETCH(char, letter);
    QFETCH(int, argument);
    QFETCH(QByteArray, expected);

    quint8 buffer[txBufferSize];
    std::fill(buffer, buffer + txBufferSize, quint8(0xEE));
    const CommandWord word = makeCommandWord(letter, quint8(argument));
    const int n = letter == 'T'   ? assemblePoll(buffer)
                  : letter == 'W' ? assembleFirmwareQuery(buffer)
                                  : assembleCommand(word, buffer);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(buffer), n), expected);
}

QTEST_APPLESS_MAIN(TestProtocol)
#include "tst_protocol.moc"
