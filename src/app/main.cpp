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
