// The smallest host of the TC manager: ucTC in a window, a line on every LoadTCNames.
#include <control/uctc.h>

#include <QApplication>
#include <QMainWindow>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    auto *control = new ucTC; // real dialogs, the per-user settings store
    window.setCentralWidget(control);
    QObject::connect(control, &ucTC::LoadTCNames, [] { std::puts("LoadTCNames: the stored TCs changed"); });
    window.show();
    std::printf("minimal-host: %s shown\n", control->metaObject()->className());
    std::fflush(stdout);
    // --quit-after-show: leave once the window is up (for tests).
    if (app.arguments().contains(QStringLiteral("--quit-after-show")))
        QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
