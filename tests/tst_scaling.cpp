#include <QtTest>

#include "app/mainwindow.h"
#include "isolatedsettings.h"
#include "panel/scaling.h"
#include "tables.h"

// The scaling arithmetic and text sizes in tables, then the window that applies them.
class ScalingTest : public QObject
{
    Q_OBJECT

private slots:
    void placement_data()
    {
        columns<QRect, QSize, QSize, QRect>({"form", "window", "reference", "expected"});
        auto row = [&](const char *name, QSize window, QRect expected,
                       QRect form = QRect(140, 40, 421, 80), QSize reference = {698, 281}) {
            ::row(name, form, window, reference, expected);
        };
        // 140*666/698 = 133.6, 560*666/698 = 534.3, 40*273/281 = 38.9, 119*273/281 = 115.6
        row("666 x 273", {666, 273}, QRect(QPoint(133, 38), QPoint(534, 115)));
        row("truncation 10 x 0.95", {95, 100}, QRect(9, 10, 11, 11), QRect(10, 10, 11, 11),
            {100, 100});
        row("shrunk to nothing", {1, 1}, QRect(0, 0, 1, 1));
        row("twice as wide", {1396, 281}, QRect(280, 40, 841, 80));
    }
    void placement()
    {
        QFETCH(QRect, form);
        QFETCH(QSize, window);
        QFETCH(QSize, reference);
        QFETCH(QRect, expected);
        QCOMPARE(scaleRect(form, window.width(), window.height(), reference.width(),
                           reference.height()),
                 expected);
    }

    void textSize_data()
    {
        columns<int, int>({"width", "size"});
        row("start-up 698", 698, 9);
        row("139", 139, 5);
        row("140", 140, 6);
        row("narrowed to 16 bits", 140 * 40000, int(qint16(40005)));
    }
    void textSize()
    {
        QFETCH(int, width);
        QFETCH(int, size);
        QCOMPARE(int(textPixelSize(width)), size);
    }

    // Resizing back restores every widget exactly (nothing accumulates); the hidden radio
    // buttons are not registered and stay where the form put them.
    void windowRestoresEveryWidget()
    {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QHash<QWidget *, QRect> form;
        const QList<QWidget *> all = window.findChildren<QWidget *>();
        for (QWidget *w : all)
            form.insert(w, w->geometry());
        for (const QSize &size :
             {QSize(1000, 500), QSize(301, 97), QSize(666, 273), QSize(1396, 281), QSize(698, 281)})
            window.resize(size);
        for (QWidget *w : all)
            QCOMPARE(w->geometry(), form.value(w));

        window.resize(1396, 281);
        QCOMPARE(window.findChild<QWidget *>("frame")->geometry(), QRect(280, 40, 841, 80));
        QCOMPARE(window.findChild<QWidget *>("botaoTecla1")->x(), 40); // parent-relative
        QCOMPARE(window.findChild<QWidget *>("busy1")->geometry(), QRect(30, 0, 16, 17));
        // Texts follow the width, each group at its own size; the window forgets none.
        auto size = [&window](const char *name) {
            return window.findChild<QWidget *>(name)->font().pixelSize();
        };
        QCOMPARE(QVector<int>({size("botaoTecla1"), size("labelRX4"), size("label"),
                               size("label_2"), size("labelKorvane"), size("labelSite")}),
                 QVector<int>({14, 14, 19, 16, 20, 15}));
    }
};

ORVIK_ISOLATED_SETTINGS_MAIN(ScalingTest, "tst_scaling")
#include "tst_scaling.moc"
