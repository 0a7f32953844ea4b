#include <QTemporaryDir>
#include <QtTest>

#include "radio/bands.h"
#include "radio/follower.h"
#include "radio/followsettings.h"
#include "tables.h"

// The band windows and the follower's decisions, without a window: a script of radio
// readings, switch reports and key presses, and what the panel must send.
class FollowTest : public QObject
{
    Q_OBJECT

private slots:
    void bandEdges_data()
    {
        columns<qint64, QString>({"hz", "band"});
        const QList<QPair<qint64, const char *>> rows = {
            {1599999, ""},    {1600000, "160m"}, {2200000, "160m"}, {2200001, ""},
            {7400000, "40m"}, {10350000, "30m"}, {13799999, ""},    {14550000, "20m"},
            {14550001, ""},   {17868000, "17m"}, {29900000, "10m"}, {54000000, "6m"},
            {54000001, ""},   {0, ""},
        };
        for (const auto &row : rows)
            QTest::newRow(qPrintable(QString::number(row.first))) << row.first << row.second;
    }
    void bandEdges()
    {
        QFETCH(qint64, hz);
        QTEST(bandOf(hz), "band");
    }

    // Steps: on | off | f <Hz> [ptt|rx] | lost | sw <antenna> [tx] [busy<n>] | down |
    // mode split|normal | press <n> | dwell <ms> | t <ms> (the clock; the follower is woken
    // when it asked to be) | = <status>. "sent" lists every action: tx<n> and the receive key.
    void follow_data()
    {
        columns<QString, QString>({"script", "sent"});
        row("band change: one select, said once confirmed",
            "on|sw 1|f 14200000|= 20m: switching to 3|sw 1|sw 3|= 20m → 3", "tx3");
        // Each select waits for the switch to confirm the last: flips in between are
        // decided on a fresh report, and only the band the radio ends on is sent.
        row("band back before the switch reported the last select",
            "on|sw 1|f 14200000|sw 1|f 7100000|sw 3|f 14200000|sw 5|sw 5", "tx3|tx5 RX2|tx3");
        row("flips while a select is unconfirmed: the last band only",
            "on|sw 1|f 14200000|f 7100000|f 14200000|f 7100000|sw 1|sw 1|sw 1", "tx3|tx5 RX2");
        row("not taken: asked once more, then said",
            "on|sw 1|f 14200000|sw 1|sw 1|sw 1|sw 1|sw 1|sw 1|sw 1|= 20m: on 1, not 3", "tx3|tx3");
        row("already on the antenna", "on|sw 3|f 14200000|= 20m → 3", "");
        row("switch transmitting: held, then sent",
            "on|sw 1 tx|f 14200000|= 20m: waiting for RX|sw 1 tx|sw 1", "tx3");
        row("radio PTT: held, then sent",
            "on|sw 1|f 14200000 ptt|sw 1|= 20m: waiting for RX|f 14200000 rx", "tx3");
        row("busy: held, then sent when free",
            "on|sw 1 busy3|f 14200000|= 20m: 3 busy|sw 1 busy3|sw 1", "tx3");
        row("operator wins on the band; each band remembers",
            "on|sw 1|f 14200000|sw 3|press 6|sw 6|f 14210000|f 7100000|sw 5|sw 5|f 14200000|sw 6|"
            "= 20m → 6",
            "tx3|tx5 RX2|tx6");
        // A radio that goes away, or reports no frequency, and comes back on the same band
        // has not changed band: the operator's key stands. Another band is a change.
        row("operator's key survives a lost radio",
            "on|sw 1|f 14200000|sw 3|press 6|sw 6|lost|= Radio: no connection|f 14200000|"
            "= 20m → 6|f 0|= Radio: no frequency|f 14250000|sw 6",
            "tx3");
        row("a lost radio back on another band",
            "on|sw 1|f 14200000|sw 3|press 6|sw 6|lost|f 7100000", "tx3|tx5 RX2");
        row("no band, no entry, source lost: nothing",
            "on|sw 1|f 14600000|= 14.600 MHz: no band|f 21200000|= 15m: no antenna|lost|"
            "= Radio: no connection|sw 1",
            "");
        // The panel's mode counts as it is now, not as the last report found it.
        row("split set up after the report: held until normal again",
            "on|sw 1|mode split|f 14200000|= 20m: split in use|sw 1|mode normal", "tx3");
        row("no report yet", "on|f 14200000|= 20m: waiting for the switch|sw 1", "tx3");
        // A select the link lost (port closed, write failed) is sent again once the switch
        // reports on the new connection, if it still is not on it.
        row("link down: held, the unconfirmed select sent again",
            "on|sw 1|f 14200000|down|= 20m: waiting for the switch|sw 1|sw 3|= 20m → 3", "tx3|tx3");
        row("link down after the switch took it: nothing again",
            "on|sw 1|f 14200000|sw 3|down|sw 3|= 20m → 3", "tx3");
        row("dwell: a band passed through is never sent",
            "dwell 300|on|sw 1|f 14200000|t 200|f 7100000|t 450|= 40m: settling|sw 1|t 499|"
            "t 500",
            "tx5 RX2");
        row("off, then on", "sw 1|f 14200000|= Follow off|on", "tx3");
        row("a source with a bad address",
            "bad|on|sw 1|f 14200000|= Radio: bad address in settings", "");
    }
    void follow()
    {
        QFETCH(QString, script);
        qint64 clock = 0;
        BandFollower follower([&clock] { return clock; });
        follower.setDwell(0);
        follower.setTables({{"20m", 3}, {"40m", 5}}, {{"40m", 1}});
        follower.setSourceName("rigctld");
        QStringList sent;
        for (const QString &step : script.split('|')) {
            const QStringList w = step.split(' ');
            FollowAction action;
            if (w[0] == "on" || w[0] == "off") {
                action = follower.setEnabled(w[0] == "on");
            } else if (w[0] == "f") {
                const Ptt ptt = w.value(2) == "ptt"  ? Ptt::On
                                : w.value(2) == "rx" ? Ptt::Off
                                                     : Ptt::Unknown;
                action = follower.radioRead({w[1].toLongLong(), ptt});
            } else if (w[0] == "lost") {
                action = follower.sourceLost("refused");
            } else if (w[0] == "sw") {
                ControllerReport report{w[1].toInt(), w.contains("tx"), 0xFF};
                for (const QString &word : w)
                    if (word.startsWith("busy"))
                        report.freeMask &= quint8(~(1u << (word.mid(4).toInt() - 1)));
                action = follower.controllerReported(report);
            } else if (w[0] == "bad") {
                follower.setSourceProblem("Radio: bad address in settings");
            } else if (w[0] == "mode") {
                action = follower.setPanelNormal(w[1] == "normal");
            } else if (w[0] == "down") {
                action = follower.controllerLost();
            } else if (w[0] == "dwell") {
                follower.setDwell(w[1].toInt());
            } else if (w[0] == "t") {
                const std::optional<qint64> wake = follower.wakeAt();
                clock = w[1].toLongLong();
                if (wake && *wake <= clock)
                    action = follower.timePassed();
            } else if (w[0] == "press") {
                follower.operatorChoseTx(w[1].toInt());
            } else if (w[0] == "=") {
                QCOMPARE(follower.status(), step.mid(2));
            } else {
                QFAIL(qPrintable("unknown step " + step));
            }
            QStringList parts;
            if (action.tx)
                parts << QString("tx%1").arg(*action.tx);
            if (action.rx)
                parts << receiveKeyName(*action.rx);
            if (!parts.isEmpty())
                sent << parts.join(' ');
        }
        QTEST(sent.join('|'), "sent");
        QVERIFY(!follower.takeLog().isEmpty() || sent.isEmpty());
    }

    // Rigctld= as typed: host:port or [IPv6]:port, the port in digits from 1 to 65535.
    void rigctldAddress_data()
    {
        columns<QString, QString>({"text", "read"});
        row("name and port", QString("rig.local:4533"), QString("rig.local 4533"));
        row("IPv6 in brackets", QString("[::1]:4532"), QString("::1 4532"));
        for (const char *bad : {"::1:4532", "host:0", "host:65536", "host:+80", "host: 80", ":4532",
                                "host", "a b:4532"})
            row(bad, QString(bad), QString("refused"));
    }
    void rigctldAddress()
    {
        QFETCH(QString, text);
        QString host = "unchanged";
        quint16 port = 1;
        const bool read = readRigctldAddress(text, host, port);
        QTEST(read ? host + ' ' + QString::number(port) : QString("refused"), "read");
        QVERIFY(read || (host == "unchanged" && port == 1));
    }

    // Hand-edited band tables and source settings read as far as they make sense, and what
    // is stored reads back.
    void settings()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("settings.ini");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Radio]\nFollow=true\nSource=RIGCTLD\nRigctld=[::1]:4533\nN1mmPort=99999\n"
                   "N1mmRadio=2\nN1mmStation= CW-PC\nN1mmFrom=10.0.0.1, fd00::/8\n"
                   "[BandTX]\n20m=3\n40m=9\n80m=0\n[BandRX]\n160m=rx2\n40m=RTX\n20m=RX7\n");
        file.close();
        FollowSettings read = loadFollowSettings(path);
        QVERIFY(read.follow && read.source == SourceKind::Rigctld);
        QCOMPARE(QString("%1 %2 %3 %4")
                     .arg(read.rigctldHost)
                     .arg(read.rigctldPort)
                     .arg(read.n1mmPort)
                     .arg(read.n1mmRadio),
                 QString("::1 4533 12060 2"));
        QCOMPARE(read.bandTx, (QMap<QString, int>{{"20m", 3}}));
        QCOMPARE(read.bandRx, (QMap<QString, int>{{"160m", 1}, {"40m", 8}}));
        QCOMPARE(read.n1mmStation + '|' + read.n1mmFrom, QString("CW-PC|10.0.0.1, fd00::/8"));
        read.source = SourceKind::N1mm;
        read.bandTx.insert("6m", 8);
        read.n1mmStation.clear(); // back to any station
        read.n1mmFrom = "192.168.1.0/24, ::1";
        QVERIFY(writeIniValues(path, followSettingsValues(read)));
        const FollowSettings again = loadFollowSettings(path);
        QVERIFY(again.source == SourceKind::N1mm && again.rigctldHost == "::1");
        QCOMPARE(again.n1mmStation + '|' + again.n1mmFrom, QString("|192.168.1.0/24, ::1"));
        QVERIFY(again.bandTx == read.bandTx && again.bandRx == read.bandRx);
        // An address that names no host and port is kept as typed, never a default instead.
        QVERIFY(writeIniValues(path, {{"Radio/Rigctld", "::1:4533"}}));
        const FollowSettings bad = loadFollowSettings(path);
        QCOMPARE(bad.badRigctldAddress, QString("::1:4533"));
        QVERIFY(writeIniValues(path, followSettingsValues(bad)));
        QCOMPARE(loadFollowSettings(path).badRigctldAddress, QString("::1:4533"));
    }
};

QTEST_GUILESS_MAIN(FollowTest)
#include "tst_follow.moc"
