#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "app/mainwindow.h"
#include "isolatedsettings.h"
#include "panel/scaling.h"

namespace {
AnchorEntry entry(const QRect &geometry, int left, int top, int right, int bottom)
{
    AnchorEntry e;
    e.baseLeft = e.origLeft = geometry.left();
    e.baseTop = e.origTop = geometry.top();
    e.baseRight = e.origRight = geometry.right();
    e.baseBottom = e.origBottom = geometry.bottom();
    e.leftMode = left;
    e.topMode = top;
    e.rightMode = right;
    e.bottomMode = bottom;
    e.widget = nullptr;
    return e;
}
} // namespace

class ScalingTest : public QObject
{
    Q_OBJECT

private slots:
    void placement_data();
    void placement();
    void textSize_data();
    void textSize();
    void windowRestoresEveryWidget();
    void windowTextsFollowWidth();
};

void ScalingTest::placement_data()
{
    QTest::addColumn<QRect>("form");
    QTest::addColumn<QVector<int>>("modes"); // left, top, right, bottom
    QTest::addColumn<QRect>("current");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QSize>("reference");
    QTest::addColumn<QRect>("expected");

    const QVector<int> proportional{3, 3, 3, 3};
    const QSize start(698, 281);
    const QRect frame(140, 40, 421, 80);
    const QRect moved(1, 2, 3, 4);

    QTest::newRow("start-up size: frame") << frame << proportional << moved << start << start
                                          << frame;
    QTest::newRow("start-up size: key 8")
        << QRect(370, 40, 41, 41) << proportional << moved << start << start
        << QRect(370, 40, 41, 41);
    // Corners 140..560 double to 280..1120: 841 wide, same vertical place.
    QTest::newRow("doubled width") << frame << proportional << moved << QSize(1396, 281)
                                   << start << QRect(QPoint(280, 40), QPoint(1120, 119));
    // 140*666/698 = 133.6, 560*666/698 = 534.3, 40*273/281 = 38.9, 119*273/281 = 115.6
    QTest::newRow("666 x 273") << frame << proportional << moved << QSize(666, 273) << start
                               << QRect(QPoint(133, 38), QPoint(534, 115));
    QTest::newRow("truncation 10 x 0.95") << QRect(10, 10, 11, 11) << proportional << moved
                                          << QSize(95, 100) << QSize(100, 100)
                                          << QRect(QPoint(9, 10), QPoint(19, 20));
    QTest::newRow("shrunk to nothing") << frame << proportional << moved << QSize(1, 1)
                                       << start << QRect(QPoint(0, 0), QPoint(0, 0));
    QTest::newRow("left 3 overrides the others")
        << frame << QVector<int>{3, 0, 1, 2} << moved << QSize(1396, 281) << start
        << QRect(QPoint(280, 40), QPoint(1120, 119));
    QTest::newRow("fixed edges") << frame << QVector<int>{1, 1, 1, 1} << moved
                                 << QSize(1000, 400) << start << frame;
    // Growth 302 x 119 moves the edges with mode 2.
    QTest::newRow("following edges")
        << frame << QVector<int>{2, 2, 2, 2} << moved << QSize(1000, 400) << start
        << QRect(QPoint(442, 159), QPoint(862, 238));
    QTest::newRow("follow right, fixed left")
        << frame << QVector<int>{1, 1, 2, 1} << moved << QSize(1000, 281) << start
        << QRect(QPoint(140, 40), QPoint(862, 119));
    QTest::newRow("mode 0 keeps the current edges")
        << frame << QVector<int>{0, 0, 0, 0} << moved << QSize(1000, 400) << start << moved;
    QTest::newRow("3 on the top edge alone keeps it")
        << frame << QVector<int>{1, 3, 1, 1} << moved << QSize(1000, 400) << start
        << QRect(QPoint(140, 2), QPoint(560, 119));
    QTest::newRow("unknown mode keeps the edge")
        << frame << QVector<int>{7, 1, 1, 1} << moved << QSize(1000, 400) << start
        << QRect(QPoint(1, 40), QPoint(560, 119));
}

void ScalingTest::placement()
{
    QFETCH(QRect, form);
    QFETCH(QVector<int>, modes);
    QFETCH(QRect, current);
    QFETCH(QSize, window);
    QFETCH(QSize, reference);
    QFETCH(QRect, expected);
    const AnchorEntry e = entry(form, modes[0], modes[1], modes[2], modes[3]);
    QCOMPARE(anchoredRect(e, current, window, reference), expected);
}

void ScalingTest::textSize_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("size");
    QTest::newRow("start-up 698") << 698 << 9;
    QTest::newRow("666") << 666 << 9;
    QTest::newRow("doubled 1396") << 1396 << 14;
    QTest::newRow("139") << 139 << 5;
    QTest::newRow("0") << 0 << 5;
    QTest::newRow("140") << 140 << 6;
    QTest::newRow("narrowed to 16 bits") << 140 * 40000 << int(qint16(40005));
}

void ScalingTest::textSize()
{
    QFETCH(int, width);
    QFETCH(int, size);
    QCOMPARE(int(textPixelSize(width)), size);
}

void ScalingTest::windowRestoresEveryWidget()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QHash<QWidget *, QRect> form;
    const QList<QWidget *> all = window.findChildren<QWidget *>();
    for (QWidget *w : all)
        form.insert(w, w->geometry());

    for (const QSize &size : {QSize(1000, 500), QSize(301, 97), QSize(666, 273),
                              QSize(1396, 281), QSize(698, 281)})
        window.resize(size);
    QCOMPARE(window.size(), QSize(698, 281));
    for (QWidget *w : all)
        QCOMPARE(w->geometry(), form.value(w));

    window.resize(1396, 281);
    auto *frame = window.findChild<QWidget *>("frame");
    QCOMPARE(frame->geometry(), QRect(QPoint(280, 40), QPoint(1120, 119)));
    // Children keep their parent-relative proportions: key 1 at 20 → 40.
    QCOMPARE(window.findChild<QWidget *>("botaoTecla1")->x(), 40);
    // The hidden radio buttons are not registered and stay where the form put them.
    auto *busy = window.findChild<QWidget *>("busy1");
    QCOMPARE(busy->geometry(), form.value(busy));
}

void ScalingTest::windowTextsFollowWidth()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *superSplit = window.findChild<QWidget *>("botaoSuperSplit");
    const QFont superSplitFont = superSplit->font();
    window.resize(1396, 281);
    const struct
    {
        const char *name;
        int size;
    } expected[] = {{"botaoTecla1", 14}, {"botaoBusy8", 14},    {"labelAnt8", 14},
                    {"labelRX4", 14},    {"botaoRelease", 14}, {"label", 19},
                    {"label_2", 16},     {"labelKorvane", 20}, {"labelSite", 15}};
    for (const auto &e : expected)
        QCOMPARE(window.findChild<QWidget *>(e.name)->font().pixelSize(), e.size);
    QCOMPARE(superSplit->font(), superSplitFont);
    window.resize(100, 281);
    QCOMPARE(window.findChild<QWidget *>("botaoTecla1")->font().pixelSize(), 5);
}

ORVIK_ISOLATED_SETTINGS_MAIN(ScalingTest, "tst_scaling")
#include "tst_scaling.moc"
