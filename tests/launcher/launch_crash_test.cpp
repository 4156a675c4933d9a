// Kills launch_crash_apply with SIGKILL at random moments while it cleans up a generated game
// directory (renames, trashing and copies in, journaled), sometimes kills a restore half-way
// too, then restores from the journal and compares the directory with the original. Every
// fourth time or so, a line of the journal is damaged first, or the game directory moved away:
// that restore must fail and keep the journal (and, for the directory, change nothing), and
// once the journal is whole again or the directory back, a restore must give everything back.
//
// Then, given quillon, kills as many whole launches (see docs/reliability.md) of two TCs in turn
// whose game, the fake engine as DOSBox, changes and writes saves.
//
//   launch_crash_test [--kills N] [--seed S] [--applier PATH] [--quillon PATH --engine PATH]
//
// Prints "N kills, L files lost" and "N launches killed, L saves lost, W in the wrong TC's
// folder, C files of the game directory changed"; exits with 0 only when every file came back
// byte for byte, nothing was left over, nothing of ours stayed in the trash, every damaged
// journal and missing directory was refused, and every TC's saves are whole and its own.

#include "tests/launcher/crashscenario.h"
#include "tests/launcher/launchertesting.h"
#include "tests/support/killloop.h"
#include "tests/support/sandbox.h"
#include "tests/support/testfiles.h"

#include "launcher/fileops.h"
#include "launcher/launchjournal.h"
#include "launcher/trash.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

using namespace Qt::StringLiterals;
using namespace ostrel;

namespace {

// The saves a TC must have after a launch: by name, each content a save may hold. A write the
// game recorded as done must be there; one it did not may be there or not, or (a new save) empty.
using SaveStates = QMap<QByteArray, QList<QByteArray>>;
const QByteArray kAbsent = "(absent)";

SaveStates statesOf(const test::Snapshot &folder)
{
    SaveStates states;
    for (auto it = folder.cbegin(); it != folder.cend(); ++it)
        states.insert(it.key(), {it.value()});
    return states;
}

struct LaunchKills {
    QString quillon, engine, store, gameDir, record, journal;
    QStringList tcs;
    int kills = 0, groupsKilled = 0, restoresKilled = 0, gamesThatSaved = 0;
    int lost = 0, misplaced = 0, changed = 0, leftOver = 0;

    void run(QRandomGenerator &random, const QString &dataHome, int count);
};

void LaunchKills::run(QRandomGenerator &random, const QString &dataHome, int count)
{
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome));
    const QString saveRoot = dataHome + u"/quillon/saves/"_s;
    QMap<QString, test::Snapshot> saves;
    for (const QString &tc : tcs) {
        test::removeTree(saveRoot + tc);
        for (const char slot : {'0', '2'}) // in the TC's own words: "A0-00000" is A's slot 0
            test::writeFile(saveRoot + tc + u"/GAME%1.SAV"_s.arg(QLatin1Char(slot)),
                tc.back().toLatin1() + QByteArray(1, slot) + "-00000");
        saves.insert(tc, test::snapshotOf(saveRoot + tc));
    }
    test::removeTree(gameDir);
    test::makeCrashGameDir(gameDir);
    const test::Snapshot game = test::snapshotOf(gameDir);
    qint64 launchUs = 0, restoreUs = 0;

    // The first launch runs whole, and is not given back by itself, to time both halves.
    for (int kill = -1; kill < count; ++kill) {
        const QString tc = tcs[(kill + 2) % tcs.size()];
        const QByteArray stamp = '-' + QByteArray::number(kill + 2).rightJustified(5, '0');
        const QByteArray letter(1, tc.back().toLatin1());
        const QList<std::pair<QByteArray, QByteArray>> writes{
            {"GAME0.SAV", letter + '0' + stamp}, {"GAME5.SAV", letter + '5' + stamp}};
        qputenv("FAKE_ENGINE_SAVES", "GAME0.SAV=" + writes[0].second + ";GAME5.SAV=" + writes[1].second);
        QFile::remove(record);
        const auto target = random.bounded(2) ? test::KillTarget::Group : test::KillTarget::Program;
        QStringList launch{u"--store"_s, store, u"--launch"_s, tc, u"--yes"_s, u"--engine"_s, u"dosbox"_s,
            u"--program"_s, engine, u"--game-dir"_s, gameDir};
        if (kill < 0)
            launch << u"--no-restore"_s;
        const qint64 ran =
            test::runAndKill(quillon, launch, kill < 0 ? -1 : random.bounded(launchUs * 5 / 4 + 1), target, true);
        if (kill >= 0 && random.bounded(2) == 0 && QFile::exists(journal)) {
            ++restoresKilled;
            test::runAndKill(
                quillon, {u"--store"_s, store, u"--restore"_s}, random.bounded(restoreUs * 5 / 4 + 1), target, true);
        }
        const qint64 restored =
            test::runAndKill(quillon, {u"--store"_s, store, u"--restore"_s}, -1, test::KillTarget::Program, true);
        if (ran < 0 || restored < 0)
            return;
        if (kill < 0) {
            launchUs = ran;
            restoreUs = restored;
            std::printf("a launch takes %lld us, its give-back %lld us\n", launchUs, restoreUs);
        } else {
            ++kills;
            groupsKilled += target == test::KillTarget::Group;
        }

        QStringList damage;
        const QList<QByteArray> wrote = test::fakeEngineRecord(record).values("wrote");
        gamesThatSaved += wrote.isEmpty() ? 0 : 1;
        SaveStates expected = statesOf(saves[tc]);
        for (const auto &[name, text] : writes) {
            if (wrote.contains(name + '=' + text))
                expected[name] = {text};
            else
                expected[name] +=
                    expected.contains(name) ? QList<QByteArray>{text} : QList<QByteArray>{kAbsent, "", text};
        }
        for (const QString &each : tcs) {
            const test::Snapshot now = test::snapshotOf(saveRoot + each);
            const SaveStates may = each == tc ? expected : statesOf(saves[each]);
            for (const QByteArray &name :
                QSet<QByteArray>(may.keyBegin(), may.keyEnd()) + QSet<QByteArray>(now.keyBegin(), now.keyEnd())) {
                const QByteArray content = now.value(name, kAbsent);
                if (may.value(name).contains(content))
                    continue;
                if (content != kAbsent && !content.isEmpty() && content.front() != each.back().toLatin1())
                    ++misplaced; // another TC's save, or the player's own
                else if (may.contains(name))
                    ++lost;
                else
                    ++leftOver;
                damage << u"%1's %2: %3, expected %4"_s.arg(each, QString::fromLatin1(name),
                    QString::fromLatin1(content), QString::fromLatin1(may.value(name).join(" or ")));
            }
            saves[each] = now;
        }
        const test::Snapshot after = test::snapshotOf(gameDir);
        for (const QByteArray &name :
            QSet<QByteArray>(game.keyBegin(), game.keyEnd()) + QSet<QByteArray>(after.keyBegin(), after.keyEnd())) {
            if (after.value(name, kAbsent) != game.value(name, kAbsent)) {
                ++changed;
                damage << u"the game directory's %1 changed"_s.arg(QString::fromUtf8(name.toPercentEncoding()));
            }
        }
        if (QFile::exists(journal))
            damage << u"the journal is still there"_s;
        if (!damage.isEmpty()) {
            std::fprintf(
                stderr, "after launch %d of %s:\n  %s\n", kill + 1, qPrintable(tc), qPrintable(damage.join(u"\n  "_s)));
            test::removeTree(gameDir);
            test::makeCrashGameDir(gameDir);
            QFile::remove(journal);
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const auto [kills, seed, applier] = test::killLoopOptions(app.arguments(), u"--applier"_s, u"launch_crash_apply"_s);

    const test::Sandbox root; // never the player's own trash: the applier inherits it
    const QString gameDir = root.file(u"game dir"_s);
    const QString tcDir = root.file(u"my tc"_s);
    const QString stateDir = root.stateDir();
    const QString trashDir = root.dataHome() + u"/Trash"_s;
    test::makeCrashTc(tcDir);
    QRandomGenerator random(seed);
    std::printf("seed %u, folder %s\n", seed, qPrintable(root.path()));
    DesktopTrash trash;

    const auto freshGameDir = [&] {
        test::removeTree(gameDir);
        test::makeCrashGameDir(gameDir);
        return test::snapshotOf(gameDir);
    };

    // How long a whole apply and a whole restore take, so the kills spread over them.
    freshGameDir();
    const qint64 applyUs = test::runAndKill(applier, {u"apply"_s, gameDir, tcDir, stateDir}, -1);
    const qint64 restoreUs = test::runAndKill(applier, {u"restore"_s, stateDir}, -1);
    if (applyUs < 0 || restoreUs < 0)
        return 2;
    std::printf("an apply takes %lld us, a restore %lld us\n", applyUs, restoreUs);

    int lost = 0, leftOver = 0, trashed = 0, restoresKilled = 0, damaged = 0, movedAway = 0, mishandled = 0;
    for (int kill = 0; kill < kills; ++kill) {
        const test::Snapshot before = freshGameDir();
        if (test::runAndKill(applier, {u"apply"_s, gameDir, tcDir, stateDir}, random.bounded(applyUs * 5 / 4 + 1)) < 0)
            return 2;
        if (random.bounded(2) == 0 && QFile::exists(stateDir + u"/launch.journal"_s)) {
            ++restoresKilled;
            if (test::runAndKill(applier, {u"restore"_s, stateDir}, random.bounded(restoreUs * 5 / 4 + 1)) < 0)
                return 2;
        }
        const QString journalPath = stateDir + u"/launch.journal"_s;
        const QByteArray journalBefore = test::readBytes(journalPath);
        QStringList damage;
        const int trouble = QFile::exists(journalPath) ? int(random.bounded(8)) : -1;
        if (trouble == 0 && journalBefore.count('\n') > 0) {
            // One byte of a whole line changed: that line no longer matches its check.
            ++damaged;
            const qsizetype lineEnd = journalBefore.lastIndexOf('\n');
            qsizetype at = random.bounded(int(lineEnd));
            while (journalBefore[at] == '\n')
                --at;
            QByteArray broken = journalBefore;
            broken[at] = broken[at] == 'x' ? 'y' : 'x';
            test::writeFile(journalPath, broken);
            const RestoreReport refused = LaunchJournal(stateDir).restore(trash);
            if (refused.ok() || !QFile::exists(journalPath)) {
                ++mishandled;
                damage << u"a damaged journal was taken as whole (byte %1)"_s.arg(at);
            }
            test::writeFile(journalPath, journalBefore);
        } else if (trouble == 1) {
            ++movedAway;
            const QString away = gameDir + u" away"_s;
            QDir().rename(gameDir, away);
            const test::Snapshot awayBefore = test::snapshotOf(away);
            const test::Snapshot trashBefore = test::snapshotOf(trashDir);
            const RestoreReport refused = LaunchJournal(stateDir).restore(trash);
            if (!refused.error.contains(u"is not there"_s) || !QFile::exists(journalPath)
                || test::snapshotOf(away) != awayBefore || test::snapshotOf(trashDir) != trashBefore) {
                ++mishandled;
                damage << u"a restore without its game directory did not leave everything as it was: "_s
                        + refused.error;
            }
            QDir().rename(away, gameDir);
        }
        const RestoreReport report = LaunchJournal(stateDir).restore(trash);

        const test::Snapshot after = test::snapshotOf(gameDir);
        for (auto it = before.cbegin(); it != before.cend(); ++it) {
            if (after.value(it.key(), "<missing>") != it.value()) {
                ++lost;
                damage << u"lost or changed: "_s + QString::fromUtf8(it.key().toPercentEncoding());
            }
        }
        for (auto it = after.cbegin(); it != after.cend(); ++it) {
            if (!before.contains(it.key())) {
                ++leftOver;
                damage << u"left over: "_s + QString::fromUtf8(it.key().toPercentEncoding());
            }
        }
        for (const char *part : {"/files", "/info"}) {
            const test::Snapshot inTrash = test::snapshotOf(trashDir + QLatin1StringView(part));
            trashed += int(inTrash.size());
            for (auto it = inTrash.cbegin(); it != inTrash.cend(); ++it)
                damage << u"still in the trash: "_s + QString::fromUtf8(it.key().toPercentEncoding());
        }
        if (QFile::exists(stateDir + u"/launch.journal"_s))
            damage << u"the journal is still there"_s;
        for (const LeftAlone &left : report.notRestored)
            damage << u"not restored: "_s + left.name + u": "_s + left.reason;
        if (!damage.isEmpty()) {
            if (qEnvironmentVariableIsSet("LAUNCH_CRASH_SHOW_JOURNAL"))
                std::fprintf(stderr, "journal:\n%s\n", journalBefore.constData());
            std::fprintf(stderr, "after kill %d:\n  %s\n", kill + 1, qPrintable(damage.join(u"\n  "_s)));
            test::removeTree(trashDir);
            QFile::remove(stateDir + u"/launch.journal"_s);
        }
    }
    std::printf(
        "%d kills, %d files lost (%d restores killed too; %d journals damaged, %d game directories moved away and "
        "back, %d of them mishandled; %d files left over, %d left in the trash)\n",
        kills, lost, restoresKilled, damaged, movedAway, mishandled, leftOver, trashed);
    const bool appliesOk = lost == 0 && leftOver == 0 && trashed == 0 && mishandled == 0;
    const QStringList args = app.arguments();
    if (!args.contains(u"--quillon"_s))
        return appliesOk ? 0 : 1;

    LaunchKills launches;
    // The engine starts in the game directory, where a relative path means nothing.
    launches.quillon = QFileInfo(args.value(args.indexOf(u"--quillon"_s) + 1)).absoluteFilePath();
    launches.engine = QFileInfo(args.value(args.indexOf(u"--engine"_s) + 1)).absoluteFilePath();
    launches.store = root.file(u"settings.sqlite3"_s);
    launches.gameDir = root.file(u"launched game"_s);
    launches.record = root.file(u"record"_s);
    launches.journal = stateDir + u"/launch.journal"_s;
    launches.tcs = test::makeCrashStore(launches.store, tcDir);
    qputenv("FAKE_ENGINE_RECORD", QFile::encodeName(launches.record));
    qputenv("FAKE_ENGINE_SAVE_PAUSE_MS", "10");
    qputenv("FAKE_ENGINE_SLEEP_MS", "10");
    qunsetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    // Half of them with the saves where a rename cannot take them.
    QTemporaryDir otherDrive(u"/dev/shm/quillon-crash-XXXXXX"_s);
    const auto there = otherDrive.isValid() ? fileops::lstatPath(otherDrive.path()) : std::nullopt;
    const bool another = there && there->device != fileops::lstatPath(root.path())->device;
    launches.run(random, root.dataHome(), another ? kills - kills / 2 : kills);
    if (another)
        launches.run(random, otherDrive.path(), kills / 2);
    std::printf(
        "%d launches killed, %d saves lost, %d in the wrong TC's folder, %d files of the game directory changed (%d with "
        "their game, %d restores killed too, %d with the saves on another file system, %d while the game saved; %d files "
        "left over)\n",
        launches.kills, launches.lost, launches.misplaced, launches.changed, launches.groupsKilled,
        launches.restoresKilled, another ? kills / 2 : 0, launches.gamesThatSaved, launches.leftOver);
    const bool launchesOk =
        launches.kills == kills && launches.lost + launches.misplaced + launches.changed + launches.leftOver == 0;
    return appliesOk && launchesOk ? 0 : 1;
}
