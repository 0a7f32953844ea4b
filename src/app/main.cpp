#include <QApplication>
#include <QFont>
#include <QIcon>

#include "app/mainwindow.h"
#include "app/resources.h"
#include "link/threadleitura.h"

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
        application.setWindowIcon(QIcon(QStringLiteral(":/images/orvik-panel.png")));
        // The panel's fixed geometry was drawn for an 8-point interface font; the larger
        // default of many Linux desktops would clip its smaller labels.
        QFont interfaceFont = application.font();
        interfaceFont.setPointSize(8);
        application.setFont(interfaceFont);
        MainWindow window;
        window.show();
        qRegisterMetaType<MainWindow *>("MainWindow*");
        ThreadLeitura pacing(&window);
        exitCode = application.exec();
        // The thread holds a plain pointer to the window: stop and join it before the
        // window goes (locals die in reverse order, so the window outlives the thread).
        pacing.stopAndWait();
    }
    unregisterResources();
    return exitCode;
}
