// A second program on the store: saves and removes TC definitions through the store API, as the
// launcher or another instance of the control would, until it is killed or done.
//
//   store_writer crash STORE FIRST_SERIAL   saves and removes Alpha, Beta and Gamma forever
//   store_writer host STORE COUNT PAUSE_MS  saves the new definitions Host0 ... Host<COUNT-1>,
//                                           pausing between saves as a program that does other work
//
// Prints "started" once the store is in use. A write that fails is printed on stderr; the exit
// code is then 1.

#include "taggedsave.h"

#include "platform/settingsstore.h"
#include "platform/sqlitesettingsstore.h"

#include <QCoreApplication>
#include <QStringList>
#include <QThread>

#include <cstdio>

using namespace Qt::StringLiterals;
using namespace ostrel;

namespace {

void announceStart()
{
    std::fputs("started\n", stdout);
    std::fflush(stdout);
}

int saveAndRemoveForever(SettingsStore &store, qint64 serial)
{
    const QStringList names{u"Alpha"_s, u"Beta"_s, u"Gamma"_s};
    announceStart();
    for (;; ++serial) {
        const QString &name = names.at(int(serial % names.size()));
        // Every sixth command removes a definition, so that first saves (with the name key)
        // keep happening too.
        if (serial % 6 == 5)
            reliability::removeDefinition(store, name);
        else
            reliability::saveTagged(store, name, serial);
    }
}

int saveNewDefinitions(SettingsStore &store, int count, int pauseMs)
{
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        try {
            reliability::saveTagged(store, u"Host"_s + QString::number(i), i);
        } catch (const StoreError &error) {
            std::fprintf(stderr, "Host%d: %s\n", i, qPrintable(error.message()));
            ++failures;
        }
        if (i == 0)
            announceStart();
        QThread::msleep(pauseMs);
    }
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (!(args.size() == 4 && args[1] == u"crash") && !(args.size() == 5 && args[1] == u"host")) {
        std::fputs("usage: store_writer crash STORE FIRST_SERIAL | host STORE COUNT PAUSE_MS\n", stderr);
        return 64;
    }
    SqliteSettingsStore store(args[2]);
    try {
        if (args[1] == u"crash")
            return saveAndRemoveForever(store, args[3].toLongLong());
        return saveNewDefinitions(store, args[3].toInt(), args[4].toInt());
    } catch (const StoreError &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    }
}
