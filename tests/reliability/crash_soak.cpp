// Kills a store_writer with SIGKILL at random moments while it saves and removes TC definitions,
// and after every kill checks the store as the next program to open it would find it:
//
//   crash_soak [--kills N] [--seed S] [--writer PATH] [--keep-store PATH]
//
// Prints "N kills, D damaged" and exits with 0 only when nothing was damaged.

#include "taggedsave.h"

#include "platform/sqlitesettingsstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <sqlite3.h>

#include <cstdio>

using namespace Qt::StringLiterals;
using namespace ostrel;

namespace {

struct Options {
    int kills = 200;
    quint32 seed = 0;
    QString writer;
    QString storePath;
};

// "ok", or what PRAGMA integrity_check (or opening) reports. Opening rolls a hot journal back,
// as the next program to use the file would.
QString integrityOf(const QString &path)
{
    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    QString result;
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(db, 5000);
        sqlite3_stmt *check = nullptr;
        rc = sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr);
        while (rc == SQLITE_OK && sqlite3_step(check) == SQLITE_ROW) {
            result += QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(check, 0)));
            result += u' ';
        }
        sqlite3_finalize(check);
    }
    if (rc != SQLITE_OK)
        result = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_close(db);
    return result.trimmed();
}

bool parse(const QStringList &args, Options *options)
{
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == u"--kills")
            options->kills = args[i + 1].toInt();
        else if (args[i] == u"--seed")
            options->seed = args[i + 1].toUInt();
        else if (args[i] == u"--writer")
            options->writer = args[i + 1];
        else if (args[i] == u"--keep-store")
            options->storePath = args[i + 1];
        else
            return false;
    }
    return args.size() % 2 == 1 && options->kills > 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Options options;
    options.writer = QCoreApplication::applicationDirPath() + u"/store_writer"_s;
    options.seed = QRandomGenerator::system()->generate();
    if (!parse(app.arguments(), &options)) {
        std::fputs("usage: crash_soak [--kills N] [--seed S] [--writer PATH] [--keep-store PATH]\n", stderr);
        return 64;
    }
    QTemporaryDir folder;
    if (options.storePath.isEmpty())
        options.storePath = folder.filePath(u"settings.sqlite3"_s);
    // Nothing here may reach the user's own store.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.path()));
    QRandomGenerator random(options.seed);
    std::printf("seed %u, store %s\n", options.seed, qPrintable(options.storePath));

    const QStringList names{u"Alpha"_s, u"Beta"_s, u"Gamma"_s};
    int damaged = 0, hotJournals = 0, definitionsSeen = 0;
    for (int kill = 0; kill < options.kills; ++kill) {
        QProcess writer;
        writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        writer.start(options.writer, {u"crash"_s, options.storePath, QString::number(qint64(kill) * 1000000)});
        if (!writer.waitForReadyRead(30000)) {
            std::fprintf(stderr, "kill %d: the writer did not start: %s\n", kill, qPrintable(writer.errorString()));
            return 2;
        }
        // Anywhere from before its first write to many saves in.
        QThread::usleep(random.bounded(60000));
        if (writer.state() != QProcess::Running) {
            std::fprintf(stderr, "kill %d: the writer stopped by itself (exit code %d)\n", kill, writer.exitCode());
            return 2;
        }
        writer.kill(); // SIGKILL
        writer.waitForFinished(-1);

        if (QFile::exists(options.storePath + u"-journal"_s))
            ++hotJournals;
        QStringList damage;
        if (QFile::exists(options.storePath)) {
            const QString integrity = integrityOf(options.storePath);
            if (integrity != u"ok")
                damage << u"integrity_check: "_s + integrity;
            const SqliteSettingsStore store(options.storePath);
            damage << reliability::damageIn(store, names);
            for (const QString &name : names)
                definitionsSeen += !store.GetSetting(u"Vantrel"_s, u"DefinedTCs"_s, name + u"NAME"_s, {}).isEmpty();
        }
        if (!damage.isEmpty()) {
            ++damaged;
            std::fprintf(stderr, "after kill %d:\n  %s\n", kill + 1, qPrintable(damage.join(u"\n  "_s)));
        }
    }
    std::printf("%d kills, %d damaged (%d in the middle of a transaction, %d complete definitions checked)\n",
                options.kills, damaged, hotJournals, definitionsSeen);
    return damaged == 0 ? 0 : 1;
}
