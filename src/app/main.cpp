#include <QApplication>
#include <QCommandLineParser>
#include <QFont>
#include <QIcon>
#include <QStandardPaths>

#include "app/mainwindow.h"
#include "app/resources.h"
#include "config/settingspath.h"

namespace {

// --help and --version; the one positional argument keeps its old meaning, the name of
// the settings files to use. process() answers --help and --version and stops at an
// unknown option, so what reaches the settings path rule is only that argument, read
// here once for the whole run (further arguments are ignored).
void readCommandLine(QApplication &application)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QCoreApplication::translate(
            "main", "Control panel for the KELMAR remote antenna switch.\n\n"
                    "Captions, labels, ID, Enable and Release ALL are kept in settings.ini "
                    "(settingsSUFFIX.ini when started with SUFFIX), next to the program when its "
                    "folder can be written and is not under /usr or /opt, otherwise in\n"
                    "  %1\n"
                    "The serial port choice is kept in a file of the same name in\n  %2\n\n"
                    "QT_LOGGING_RULES=\"orvik.wire.debug=true\" traces every frame on the wire.")
            .arg(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation),
                 QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("suffix"),
        QCoreApplication::translate("main", "Use settingsSUFFIX.ini instead of settings.ini "
                                            "(several panels side by side)."),
        QStringLiteral("[suffix]"));
    parser.process(application);
    setSettingsSuffix(parser.positionalArguments().value(0));
}
} // namespace

int main(int argc, char *argv[])
{
    if (argc < 1 || argv == nullptr)
        return -1;

    registerResources();
    // High DPI: the window is laid out once, in pixels, for the 8-point font at 96 dpi.
    // Scaled as a whole by the screen's exact factor (1.25, 1.5, 2 ...), its widgets and
    // its point-sized fonts keep their proportions on any screen. A rounded factor scales
    // the widgets by one amount and those fonts by the true one: at 144 dpi rounding down
    // gives labels too small for their text, rounding up text a quarter too small. Qt 6
    // always scales; Qt 5 is asked to do the same, so both builds show one window.
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
#endif
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    // The panel draws nothing with OpenGL. Without this, every top-level window asks for
    // a GL-capable surface and the X11 platform loads the whole software GL stack: about
    // 50 MiB more memory and a slower start for nothing.
    QCoreApplication::setAttribute(Qt::AA_ForceRasterWidgets);
    int exitCode = 0;
    {
        QApplication application(argc, argv);
        QCoreApplication::setApplicationVersion(QStringLiteral(ORVIK_VERSION));
        readCommandLine(application);
        adoptPanelSettings();
        application.setWindowIcon(QIcon(QStringLiteral(":/images/orvik-panel.png")));
        // The panel's fixed geometry was drawn for an 8-point interface font; the larger
        // default of many Linux desktops would clip its smaller labels.
        QFont interfaceFont = application.font();
        interfaceFont.setPointSize(8);
        application.setFont(interfaceFont);
        MainWindow window;
        window.show();
        exitCode = application.exec();
    }
    unregisterResources();
    return exitCode;
}
