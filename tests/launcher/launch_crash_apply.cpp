// The program launch_crash_test kills: applies the crash test's clean-up to a game directory, or
// restores it, and prints "go" just before it starts changing anything.
//
//   launch_crash_apply apply GAMEDIR TCDIR STATEDIR
//   launch_crash_apply restore STATEDIR
//
// XDG_DATA_HOME comes from the caller, so the trash is the test's own.

#include "tests/launcher/crashscenario.h"

#include "launcher/launchjournal.h"
#include "launcher/trash.h"

#include <QCoreApplication>

#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && args[1] == u"apply")
        return ostrel::test::applyCrashPlan(args[2], args[3], args[4]);
    if (args.size() == 3 && args[1] == u"restore") {
        std::printf("go\n");
        std::fflush(stdout);
        ostrel::DesktopTrash trash;
        ostrel::LaunchJournal(args[2]).restore(trash);
        return 0;
    }
    std::fprintf(stderr, "usage: launch_crash_apply apply GAMEDIR TCDIR STATEDIR | restore STATEDIR\n");
    return 2;
}
