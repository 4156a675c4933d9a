#include "host/commandline.h"

#include <store/appnames.h>
#include "host/consolerun.h"
#include "host/exitstatus.h"
#include "host/fontconfigwarmup.h"
#include "host/hostwindow.h"
#include "host/launcherpanel.h"

#include "platform/platformservices.h"
#include "store/definitionstore.h"
#include "form/scriptviewer.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <QWidget>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

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

void nameTheApplication()
{
    QCoreApplication::setApplicationName(u"quillon"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLON_VERSION));
}

// Opens the store, which checks the file's integrity, and reads the TC names, which the
// control then finds in the store's cache. A store that cannot be read lists nothing here;
// the window says why.
void readTcNamesAhead(ostrel::SettingsStore &store)
{
    ostrel::DefinitionStore(store).names();
}

} // namespace

int main(int argc, char **argv)
{
    // Read before any application object: a QApplication needs a display, and the modes
    // without a window must run without one (over ssh, in scripts).
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const ostrel::CommandLine line = ostrel::CommandLine::parse(arguments);
    if (!line.ok()) {
        ostrel::ConsoleRun::say(line.error);
        return ostrel::kExitBadUsage;
    }
    if (!line.needsWindow()) {
        QCoreApplication app(argc, argv);
        nameTheApplication();
        return ostrel::ConsoleRun(line).exec();
    }

    QApplication app(argc, argv);
    // Begun once the application object is made, so that it runs apart from what Qt does to
    // the locale and the environment while it starts; until the window's first font, the
    // store is opened meanwhile.
    ostrel::FontConfigWarmUp fonts;
    nameTheApplication();
    QApplication::setApplicationDisplayName(ostrel::kHostName.toString());
    QApplication::setDesktopFileName(u"quillon"_s);
    // The icon installed with the desktop entry, where the desktop's icon theme has it.
    QApplication::setWindowIcon(QIcon::fromTheme(u"quillon"_s));
    if (line.quitAfterMs)
        quitAfter(*line.quitAfterMs);

    const ostrel::PlatformServices services = ostrel::PlatformServices::defaults(line.storePath);
    if (line.mode == ostrel::CommandLine::Mode::Script) {
        fonts.wait();
        QString error;
        if (!ostrel::openScriptInEditor(line.scriptFile, services, nullptr, &error)) {
            ostrel::ConsoleRun::say(error);
            return ostrel::kExitBadUsage;
        }
        return 0;
    }

    readTcNamesAhead(*services.store);
    fonts.wait();
    HostWindow window(services);
    if (!line.tcName.isEmpty())
        window.launcher()->launchWhenShown(line.tcName);
    window.show();
    return app.exec();
}
