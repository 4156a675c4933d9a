// Kills launch_crash_apply with SIGKILL at random moments while it cleans up a generated game
// directory (renames, trashing and copies in, journaled), sometimes kills a restore half-way
// too, then restores from the journal and compares the directory with the original. Every
// fourth time or so, a line of the journal is damaged first, or the game directory moved away:
// that restore must fail and keep the journal (and, for the directory, change nothing), and
// once the journal is whole again or the directory back, a restore must give everything back.
//
//   launch_crash_test [--kills N] [--seed S] [--applier PATH]
//
// Prints "N kills, L files lost" and exits with 0 only when every file came back byte for
// byte, nothing was left over, nothing of ours stayed in the trash, and every damaged journal
// and missing directory was refused as it should be.

#include "tests/launcher/crashscenario.h"
#include "tests/support/killloop.h"
#include "tests/support/sandbox.h"
#include "tests/support/testfiles.h"

#include "launcher/launchjournal.h"
#include "launcher/trash.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cstdio>

using namespace Qt::StringLiterals;
using namespace ostrel;

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
            if (!refused.error.contains(u"is not there"_s) || !QFile::exists(journalPath) || test::snapshotOf(away) != awayBefore
                || test::snapshotOf(trashDir) != trashBefore) {
                ++mishandled;
                damage << u"a restore without its game directory did not leave everything as it was: "_s + refused.error;
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
    std::printf("%d kills, %d files lost (%d restores killed too; %d journals damaged, %d game directories moved away and "
                "back, %d of them mishandled; %d files left over, %d left in the trash)\n",
                kills, lost, restoresKilled, damaged, movedAway, mishandled, leftOver, trashed);
    return lost == 0 && leftOver == 0 && trashed == 0 && mishandled == 0 ? 0 : 1;
}
