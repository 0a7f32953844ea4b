#include <QApplication>

#include "app/mainwindow.h"
#include "app/resources.h"
#include "link/threadleitura.h"

int main(int argc, char *argv[])
{
    registerResources();
    int exitCode = 0;
    {
        QApplication application(argc, argv);
        MainWindow window;
        window.show();
        qRegisterMetaType<MainWindow *>("MainWindow*");
        ThreadLeitura pacing(&window);
        exitCode = application.exec();
        // The thread holds a plain pointer to the window: stop and join it first.
        pacing.stopAndWait();
    }
    unregisterResources();
    return exitCode;
}
