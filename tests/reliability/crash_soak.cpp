// Kills a store_writer with SIGKILL at random moments while it saves and removes TC definitions,
// and after every kill checks the store as the next program to open it would find it:
//
//   crash_soak [--kills N] [--seed S] [--writer PATH]
//
// Prints "N kills, D damaged" and exits with 0 only when nothing was damaged.

#include "taggedsave.h"
#include "tests/support/killloop.h"
#include "tests/support/sandbox.h"

#include "store/sqlitesettingsstore.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <sqlite3.h>

#include <cstdio>

using namespace Qt::StringLiterals;
using namespace ostrel;

namespace {

// What PRAGMA integrity_check (or opening) reports: "ok" when sound. Opening rolls a hot journal
// back, as the next program to use the file would.
QString integrityOf(const QString &path)
{
    sqlite3 *db = nullptr;
    QStringList result;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_busy_timeout(db, 5000);
    const auto append = [](void *out, int, char **values, char **) {
        static_cast<QStringList *>(out)->append(QString::fromUtf8(values[0]));
        return 0;
    };
    if (sqlite3_exec(db, "PRAGMA integrity_check", append, &result, nullptr) != SQLITE_OK)
        result = QStringList{QString::fromUtf8(sqlite3_errmsg(db))};
    sqlite3_close(db);
    return result.join(u' ');
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const auto [kills, seed, writerPath] = test::killLoopOptions(app.arguments(), u"--writer"_s, u"store_writer"_s);
    const test::Sandbox folder; // never the user's own store
    const QString storePath = folder.file(u"settings.sqlite3"_s);
    QRandomGenerator random(seed);
    std::printf("seed %u, store %s\n", seed, qPrintable(storePath));

    const QStringList names{u"Alpha"_s, u"Beta"_s, u"Gamma"_s};
    int damaged = 0, hotJournals = 0;
    for (int kill = 0; kill < kills; ++kill) {
        QProcess writer;
        writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        writer.start(writerPath, {u"crash"_s, storePath, QString::number(qint64(kill) * 1000000)});
        if (!writer.waitForReadyRead(30000)) {
            std::fprintf(stderr, "kill %d: the writer did not start: %s\n", kill, qPrintable(writer.errorString()));
            return 2;
        }
        QThread::usleep(random.bounded(60000)); // anywhere from before its first write to many saves in
        if (writer.state() != QProcess::Running) {
            std::fprintf(stderr, "kill %d: the writer stopped by itself (exit code %d)\n", kill, writer.exitCode());
            return 2;
        }
        writer.kill(); // SIGKILL
        writer.waitForFinished(-1);

        hotJournals += QFile::exists(storePath + u"-journal"_s);
        QStringList damage;
        if (QFile::exists(storePath)) {
            const QString integrity = integrityOf(storePath);
            if (integrity != u"ok")
                damage << u"integrity_check: "_s + integrity;
            damage << reliability::damageIn(SqliteSettingsStore(storePath), names);
        }
        if (!damage.isEmpty()) {
            ++damaged;
            std::fprintf(stderr, "after kill %d:\n  %s\n", kill + 1, qPrintable(damage.join(u"\n  "_s)));
        }
    }
    std::printf("%d kills, %d damaged (%d in the middle of a transaction)\n", kills, damaged, hotJournals);
    return damaged == 0 ? 0 : 1;
}
