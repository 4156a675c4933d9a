#include "hostwindow.h"

#include "platform/platformservices.h"
#include "platform/sqlitesettingsstore.h"

#include <QApplication>
#include <QCommandLineParser>

using namespace Qt::StringLiterals;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"quillon"_s);
    QApplication::setApplicationDisplayName(u"Quillon"_s);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Quillon, the Duke Nukem 3D launcher: manage TC definitions and TC scripts."_s);
    parser.addHelpOption();
    const QCommandLineOption storeOption(
        u"store"_s,
        u"Use the settings store FILE instead of the per-user store (%1)."_s.arg(
            ostrel::SqliteSettingsStore::defaultPath()),
        u"FILE"_s);
    parser.addOption(storeOption);
    parser.process(app);

    HostWindow window(ostrel::PlatformServices::defaults(parser.value(storeOption)));
    window.show();
    return app.exec();
}
