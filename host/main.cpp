#include "host/hostwindow.h"

#include "platform/platformservices.h"
#include "store/sqlitesettingsstore.h"
#include "form/scriptviewer.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QTimer>
#include <QWidget>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// Exit status for a script file that cannot be opened.
constexpr int kBadScriptFile = 2;

// After ms milliseconds: closes the modal form, if one is up, and every window, naming each
// on standard output, then quits.
void quitAfter(int ms)
{
    QTimer::singleShot(ms, qApp, [] {
        auto closeNamed = [](QWidget *window) {
            std::printf("quillon: closed \"%s\"\n", qPrintable(window->windowTitle()));
            std::fflush(stdout);
            window->close();
        };
        if (QWidget *modal = QApplication::activeModalWidget())
            closeNamed(modal);
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->isVisible())
                closeNamed(window);
        }
        QCoreApplication::quit();
    });
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"quillon"_s);
    QApplication::setApplicationDisplayName(u"Quillon"_s);
    QApplication::setDesktopFileName(u"quillon"_s);
    // The icon installed with the desktop entry, where the desktop's icon theme has it.
    QApplication::setWindowIcon(QIcon::fromTheme(u"quillon"_s));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Quillon, the Duke Nukem 3D launcher: manage TC definitions and TC scripts.\n\n"
        "Without FILE, the launcher window opens with the TC manager.\n"
        "With FILE, only the script editor opens, showing that TC script, and Quillon quits\n"
        "when the editor is closed; a file that cannot be read ends Quillon at once with\n"
        "exit status 2."_s);
    parser.addHelpOption();
    const QCommandLineOption storeOption(
        u"store"_s,
        u"Use the settings store FILE instead of the per-user store (%1)."_s.arg(
            ostrel::SqliteSettingsStore::defaultPath()),
        u"FILE"_s);
    const QCommandLineOption quitAfterOption(
        u"quit-after"_s, u"Close every window, naming it on standard output, and quit after MS milliseconds (for tests and demos)."_s,
        u"MS"_s);
    parser.addOption(storeOption);
    parser.addOption(quitAfterOption);
    parser.addPositionalArgument(u"FILE"_s, u"A TC script (.tcs) to open in the script editor."_s,
                                 u"[FILE]"_s);
    parser.process(app);

    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        std::fputs("quillon: give at most one TC script file.\n", stderr);
        return kBadScriptFile;
    }
    if (parser.isSet(quitAfterOption)) {
        bool ok = false;
        const int ms = parser.value(quitAfterOption).toInt(&ok);
        if (!ok || ms < 0) {
            std::fputs("quillon: --quit-after takes a number of milliseconds.\n", stderr);
            return kBadScriptFile;
        }
        quitAfter(ms);
    }

    const ostrel::PlatformServices services = ostrel::PlatformServices::defaults(parser.value(storeOption));
    if (!files.isEmpty()) {
        QString error;
        if (!ostrel::openScriptInEditor(files.first(), services, nullptr, &error)) {
            std::fprintf(stderr, "quillon: %s\n", qPrintable(error));
            return kBadScriptFile;
        }
        return 0;
    }

    HostWindow window(services);
    window.show();
    return app.exec();
}
