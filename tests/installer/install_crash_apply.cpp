// The program install_crash_test kills: inspects an archive and installs it as the TC called
// NAME into TCROOT with its definition in the store STORE, printing "go" just before the
// install starts writing.
//
//   install_crash_apply ARCHIVE TCROOT STORE NAME

#include "installer/tcinstaller.h"

#include "store/sqlitesettingsstore.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5) {
        std::fprintf(stderr, "usage: install_crash_apply ARCHIVE TCROOT STORE NAME\n");
        return 2;
    }
    ostrel::InspectOptions options;
    options.tcRoot = args[2];
    options.name = args[4];
    const ostrel::TcInspection inspection = ostrel::inspectArchive(args[1], options);
    ostrel::SqliteSettingsStore store(args[3]);
    std::printf("go\n");
    std::fflush(stdout);
    const ostrel::InstallResult result = ostrel::installTc(inspection, store);
    if (!result.ok()) {
        std::fprintf(stderr, "install_crash_apply: %s\n", qPrintable(result.error));
        return 1;
    }
    return 0;
}
