// A second program on the store: saves and removes TC definitions through the store API, as the
// launcher or another instance of the control would, until it is killed or done.
//
//   store_writer crash STORE FIRST_SERIAL   saves and removes Alpha, Beta and Gamma forever
//   store_writer host STORE COUNT PAUSE_MS  saves the new definitions Host0 ... Host<COUNT-1>
//
// Prints "started" once the store is in use. A write that fails is printed on stderr; the exit
// code is then 1.

#include "taggedsave.h"

#include "store/sqlitesettingsstore.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

using namespace Qt::StringLiterals;
using namespace ostrel;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (!(args.size() == 4 && args[1] == u"crash") && !(args.size() == 5 && args[1] == u"host")) {
        std::fputs("usage: store_writer crash STORE FIRST_SERIAL | host STORE COUNT PAUSE_MS\n", stderr);
        return 64;
    }
    SqliteSettingsStore store(args[2]);
    const auto started = [] { std::fputs("started\n", stdout), std::fflush(stdout); };
    if (args[1] == u"crash") {
        started();
        const QStringList names{u"Alpha"_s, u"Beta"_s, u"Gamma"_s};
        // Every sixth command removes a definition, so that first saves keep happening too.
        for (qint64 serial = args[3].toLongLong();; ++serial) {
            if (serial % 6 == 5)
                reliability::removeDefinition(store, names.at(int(serial % 3)));
            else
                reliability::saveTagged(store, names.at(int(serial % 3)), serial);
        }
    }
    int failures = 0;
    for (int i = 0; i < args[3].toInt(); ++i) {
        try {
            reliability::saveTagged(store, u"Host"_s + QString::number(i), i);
        } catch (const StoreError &error) {
            std::fprintf(stderr, "Host%d: %s\n", i, qPrintable(error.message()));
            ++failures;
        }
        if (i == 0)
            started();
        QThread::msleep(args[4].toInt());
    }
    return failures == 0 ? 0 : 1;
}
