#include <QAction>
#include <QImageReader>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "app/about.h"
#include "app/mainwindow.h"
#include "app/resources.h"
#include "app/theme.h"
#include "isolatedsettings.h"

// What the operator sees beyond the panel itself: the two about boxes, the dark theme
// in both its variants, and the compiled-in images the theme and dialogs rely on.
class AboutAndLookTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void aboutKorvaneOpensOneMoreEachTime();
    void aboutQtTitle();
    void themeVariantsDifferOnlyInText();
    void themeParsesAndFindsItsImages_data();
    void themeParsesAndFindsItsImages();
    void bundleImages_data();
    void bundleImages();
};

void AboutAndLookTest::initTestCase()
{
    registerResources();
    removeSettingsFiles();
}

void AboutAndLookTest::cleanup()
{
    removeSettingsFiles();
}

void AboutAndLookTest::aboutKorvaneOpensOneMoreEachTime()
{
    MainWindow window;
    auto *open = window.findChild<QAction *>("actionAbout_Korvane");
    QVERIFY(open);
    open->trigger();
    open->trigger();

    const QList<about *> dialogs = window.findChildren<about *>();
    QCOMPARE(dialogs.size(), 2);
    QVERIFY(dialogs.at(0) != dialogs.at(1));
    for (about *dialog : dialogs) {
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->isModal());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("About Korvane"));
        QCOMPARE(dialog->size(), QSize(511, 300));
        QVERIFY(dialog->styleSheet().isEmpty());
        QCOMPARE(dialog->findChild<QLabel *>("labelTopo")->text(),
                 QStringLiteral("ORVIK:  KELMA Remote Control"));
        QCOMPARE(dialog->findChild<QLabel *>("labelVersion")->text(),
                 QStringLiteral("Version: 1.3.0 (07/2019)"));
        QCOMPARE(dialog->findChildren<QLabel *>().size(), 5);
        QVERIFY(dialog->findChildren<QPushButton *>().isEmpty());
    }
    // Closing hides: the window keeps both until it goes itself.
    dialogs.at(0)->close();
    QCOMPARE(window.findChildren<about *>().size(), 2);
}

void AboutAndLookTest::aboutQtTitle()
{
    MainWindow window;
    window.show();
    QString seenTitle;
    // The box is modal: look at it and close it from inside its own event loop.
    QTimer::singleShot(0, this, [&seenTitle] {
        if (QWidget *box = QApplication::activeModalWidget()) {
            seenTitle = box->windowTitle();
            box->close();
        }
    });
    window.findChild<QAction *>("actionAbout")->trigger();
    QCOMPARE(seenTitle, QStringLiteral("About Qt"));
}

// Counts each line of a style sheet, so two variants can be compared as bags of lines.
static QMap<QString, int> lineCounts(const QString &sheet)
{
    QMap<QString, int> counts;
    for (const QString &line : sheet.split(QLatin1Char('\n')))
        ++counts[line.trimmed()];
    return counts;
}

static QMap<QString, int> minus(QMap<QString, int> a, const QMap<QString, int> &b)
{
    for (auto it = b.cbegin(); it != b.cend(); ++it) {
        a[it.key()] -= it.value();
        if (a[it.key()] <= 0)
            a.remove(it.key());
    }
    return a;
}

void AboutAndLookTest::themeVariantsDifferOnlyInText()
{
    const auto main = lineCounts(darkStyleSheet(ThemeVariant::MainWindow));
    const auto dialog = lineCounts(darkStyleSheet(ThemeVariant::Dialog));
    const QMap<QString, int> onlyMain{{"color: white;", 2}};
    const QMap<QString, int> onlyDialog{{"color: #b1b1b1;", 2}, {"font-size: 12px;", 1}};
    QCOMPARE(minus(main, dialog), onlyMain);
    QCOMPARE(minus(dialog, main), onlyDialog);

    // The extra font size belongs to the push buttons and nothing else.
    const QString sheet = darkStyleSheet(ThemeVariant::Dialog);
    const int size = sheet.indexOf(QLatin1String("font-size"));
    const int block = sheet.lastIndexOf(QLatin1Char('{'), size);
    QCOMPARE(sheet.mid(0, block).trimmed().section(QLatin1Char('\n'), -1),
             QStringLiteral("QPushButton"));
}

void AboutAndLookTest::themeParsesAndFindsItsImages_data()
{
    QTest::addColumn<int>("variant");
    QTest::newRow("main window") << int(ThemeVariant::MainWindow);
    QTest::newRow("dialog") << int(ThemeVariant::Dialog);
}

static QStringList styleWarnings;
static void collectStyleWarnings(QtMsgType type, const QMessageLogContext &, const QString &msg)
{
    if (type == QtWarningMsg)
        styleWarnings << msg;
}

void AboutAndLookTest::themeParsesAndFindsItsImages()
{
    QFETCH(int, variant);
    const QString sheet = darkStyleSheet(ThemeVariant(variant));

    // Every image the theme names must be in the bundle, or the combo boxes lose their
    // arrows without a word.
    QRegularExpression url(QStringLiteral("url\\((:/images/[^)]+)\\)"));
    int images = 0;
    for (auto match = url.globalMatch(sheet); match.hasNext(); ++images) {
        const QString path = match.next().captured(1);
        QVERIFY2(QFile::exists(path), qPrintable(path));
    }
    QCOMPARE(images, 3);

    // The toolkit only complains about a broken sheet when it styles a widget with it.
    styleWarnings.clear();
    QtMessageHandler previous = qInstallMessageHandler(collectStyleWarnings);
    QWidget widget;
    widget.setStyleSheet(sheet);
    auto *button = new QPushButton(QStringLiteral("x"), &widget);
    widget.show();
    button->ensurePolished();
    qInstallMessageHandler(previous);
    QVERIFY2(styleWarnings.isEmpty(), qPrintable(styleWarnings.join('\n')));
}

void AboutAndLookTest::bundleImages_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("alpha");

    auto row = [](const char *file, const char *format, QSize size, bool alpha) {
        QTest::newRow(file) << file << QByteArray(format) << size << alpha;
    };
    row("down_arrow.png", "png", QSize(7, 5), true);
    row("handle.png", "png", QSize(6, 6), true);
    row("checkbox.png", "png", QSize(9, 9), true);
    row("Logomarca.png", "png", QSize(1559, 556), true);
    for (const char *swatch :
         {"white.png", "yellow.png", "black.png", "corSplit.png", "corSuperSplit.png"})
        row(swatch, "png", QSize(97, 90), false);
    row("logo1.jpg", "jpeg", QSize(168, 61), false);
    row("Logomarca Branco.png", "png", QSize(1558, 715), true);
    row("orvik-panel.png", "png", QSize(128, 128), true);
}

void AboutAndLookTest::bundleImages()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, format);
    QFETCH(QSize, size);
    QFETCH(bool, alpha);

    QImageReader reader(QStringLiteral(":/images/") + file);
    QCOMPARE(reader.format(), format);
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), size);
    if (alpha)
        QVERIFY(image.hasAlphaChannel());
}

ORVIK_ISOLATED_SETTINGS_MAIN(AboutAndLookTest, "_tst_about")

#include "tst_about.moc"
