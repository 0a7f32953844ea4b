#include <QtTest>

#include "link/protocol.h"
#include "link/wiretrace.h"

// The command codec and the read framing: every byte the panel writes, checked against
// the controller's layouts, and what a read must look like to be taken as a response.
class TestProtocol : public QObject
{
    Q_OBJECT

private slots:
    void commandBytes_data();
    void commandBytes();
    void fixedQueries();
    void selectAfterSplitStaysShort();
    void framing_data();
    void framing();
    void readThreshold();
    void wireTraceIsOffByDefault();
};

static QByteArray bytes(const quint8 *buffer, int n)
{
    return QByteArray(reinterpret_cast<const char *>(buffer), n);
}

void TestProtocol::commandBytes_data()
{
    QTest::addColumn<char>("letter");
    QTest::addColumn<int>("argument");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("select TX 4") << 'S' << 3 << QByteArray("IGS3;");
    QTest::newRow("select TX 1") << 'S' << 0 << QByteArray("IGS0;");
    QTest::newRow("receive 2") << 'Y' << 1 << QByteArray("IGY1;");
    QTest::newRow("RTX") << 'Y' << 8 << QByteArray("IGY8;");
    QTest::newRow("release") << 'X' << 0 << QByteArray("IGX0;");
    QTest::newRow("release ALL") << 'X' << 1 << QByteArray("IGX1;");
    QTest::newRow("super split 1,2,5") << 'Q' << 0x13 << QByteArray("IGQ\x13;");
    QTest::newRow("super split mask is ';'") << 'Q' << 0x3B << QByteArray("IGQ;;");
    QTest::newRow("super split empty mask") << 'Q' << 0x00 << QByteArray("IGQ\0;", 5);
    QTest::newRow("super split all") << 'Q' << 0xFF << QByteArray("IGQ\xFF;");
    QTest::newRow("rotor 2 on TX 3") << 'V' << 0x32 << QByteArray("IGV32;");
    QTest::newRow("rotor 2 off on TX 3") << 'V' << 0x30 << QByteArray("IGV30;");
    QTest::newRow("rotor on TX 8") << 'V' << 0x84 << QByteArray("IGV84;");
    QTest::newRow("split cur 2 pos 5") << 'P' << 0x36 << QByteArray("IGP251;");
    QTest::newRow("split off") << 'P' << 0x00 << QByteArray("IGP//0;");
    QTest::newRow("split from TX 8") << 'P' << 0x81 << QByteArray("IGP701;");
    // Digits wrap at 8 bits instead of clamping.
    QTest::newRow("select digit wraps") << 'S' << 0xD0 << QByteArray("IGS\x00;", 5);
    QTest::newRow("unknown letter") << 'Z' << 1 << QByteArray();
    QTest::newRow("lower-case letter") << 's' << 1 << QByteArray();
    QTest::newRow("poll letter is not queued") << 'T' << 3 << QByteArray();
}

void TestProtocol::commandBytes()
{
    QFETCH(char, letter);
    QFETCH(int, argument);
    QFETCH(QByteArray, expected);

    quint8 buffer[txBufferSize];
    std::fill(buffer, buffer + txBufferSize, quint8(0xEE));
    const int n = assembleCommand(makeCommandWord(letter, quint8(argument)), buffer);
    QCOMPARE(n, expected.size());
    QCOMPARE(bytes(buffer, n), expected);
}

void TestProtocol::fixedQueries()
{
    quint8 buffer[txBufferSize] = {};
    QCOMPARE(bytes(buffer, assemblePoll(buffer)), QByteArray("IGT3;"));
    QCOMPARE(bytes(buffer, assembleFirmwareQuery(buffer)), QByteArray("IGW;"));
}

// The buffer is shared: a short command after a long one must not carry the long
// one's tail onto the wire.
void TestProtocol::selectAfterSplitStaysShort()
{
    QCOMPARE(assembleCommand(makeCommandWord('P', 0x36), txBuffer), 7);
    const int n = assembleCommand(makeCommandWord('S', 2), txBuffer);
    QCOMPARE(bytes(txBuffer, n), QByteArray("IGS2;"));
    QCOMPARE(bytes(txBuffer, assembleFirmwareQuery(txBuffer)), QByteArray("IGW;"));
}

void TestProtocol::framing_data()
{
    QTest::addColumn<QByteArray>("read");
    QTest::addColumn<bool>("framed");

    QTest::newRow("status response") << QByteArray("IGT\x02\0\xFF\0\0\0\0\x01\x01;", 13) << true;
    QTest::newRow("';' inside a field") << QByteArray("IGT\x02\0;\0;\0\0\x01\x01;", 13) << true;
    QTest::newRow("cut inside the next response")
        << QByteArray("IGT\x02\0\xFF\0\0\0\0\x01\x01;IGT\x02\0\xFF\0", 20) << false;
    QTest::newRow("garbage") << QByteArray("xxxxxxxxxxxx") << false;
    QTest::newRow("';' only") << QByteArray(";") << true;
    QTest::newRow("nothing read") << QByteArray() << false;
    QTest::newRow("';' first, not last") << QByteArray(";IGT") << false;
}

void TestProtocol::framing()
{
    QFETCH(QByteArray, read);
    QFETCH(bool, framed);
    QCOMPARE(isFramedResponse(reinterpret_cast<const quint8 *>(read.constData()), read.size()),
             framed);
}

void TestProtocol::readThreshold()
{
    QVERIFY(!enoughToRead(0));
    QVERIFY(!enoughToRead(10));
    QVERIFY(enoughToRead(11));
    QVERIFY(enoughToRead(26));
}

void TestProtocol::wireTraceIsOffByDefault()
{
    if (qEnvironmentVariableIsSet("QT_LOGGING_RULES"))
        QSKIP("logging rules set from outside");
    QVERIFY(!lcWire().isDebugEnabled());
    QVERIFY(!lcWire().isInfoEnabled());
    const quint8 frame[] = {'I', 'G', 'Q', 0x13, ';'};
    QCOMPARE(describeFrame(frame, 5), QStringLiteral("49 47 51 13 3b |IGQ.;|"));
}

QTEST_APPLESS_MAIN(TestProtocol)
#include "tst_protocol.moc"
