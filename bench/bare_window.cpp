// The yardstick of quillon's start-up: the least a Qt Widgets program does to show a window
// (an application, a main window with a label, the event loop) and quit.

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QTimer>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Quillon"));
    window.setCentralWidget(new QLabel(QStringLiteral("Quillon")));
    window.resize(1040, 520);
    window.show();
    QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
