#include "launcher/cleanupplan.h"
#include "launcher/fileops.h"
#include "launcher/launchjournal.h"
#include "launcher/processinfo.h"
#include "launcher/trash.h"

#include "tests/launcher/launchertesting.h"

#include "tests/support/printers.h"
#include "tests/support/sandbox.h"
#include "tests/support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace ostrel;

namespace {

// Names a launch must give back exactly: spaces, quotes, $( ), a newline and bytes that are
// not UTF-8.
const QByteArray kOddNames[] = {"E1L1.MAP", "it's \"a\" $(map).MAP", "two\nlines.MAP", "caf\xe9\xff.MAP"};

// A plan for gameDir as it is now: duplicates trashed (or renamed), copies in over what is in the way.
CleanupPlan planFor(const QString &gameDir, const QStringList &duplicates, const QList<CopyIn> &copyIns = {})
{
    CleanupInput input;
    input.gameDir = gameDir;
    input.listing = listDirectory(gameDir);
    input.duplicateNames = duplicates;
    input.preference = CleanupPreference::Delete;
    input.copyIns = copyIns;
    return planCleanup(input);
}

std::string whyNot(const RestoreReport &report)
{
    return (report.notRestored.isEmpty() ? report.error : report.notRestored[0].reason).toStdString();
}

struct Scenario {
    test::Sandbox sandbox;
    QString gameDir = sandbox.path() + u"/game dir 'quoted'"_s;
    QString tcDir = sandbox.path() + u"/tc"_s;
    QString fakeTrash = sandbox.path() + u"/.Trash-fake"_s; // named as a volume's trash
    test::FakeTrash trash{fakeTrash};
    LaunchJournal journal{sandbox.stateDir()};

    Scenario()
    {
        for (const QByteArray &name : kOddNames)
            test::writeFile(gameDir + u'/' + fileops::decodePath(name), "player's " + name);
        test::writeFile(gameDir + u"/GAME.CON"_s, "the player's own GAME.CON");
        test::writeFile(gameDir + u"/DUKE3D.GRP"_s, "main group");
        test::writeFile(tcDir + u"/GAME.CON"_s, "the TC's GAME.CON");
    }

    // GAME.CON renamed aside, the four odd names trashed, the TC's GAME.CON copied in.
    CleanupPlan plan() const
    {
        QStringList duplicates;
        for (const QByteArray &name : kOddNames)
            duplicates << fileops::decodePath(name);
        return planFor(gameDir, duplicates, {{tcDir + u"/GAME.CON"_s, u"GAME.CON"_s}});
    }
};

// Unrecorded: a crash between a step and its record. The journal says nothing was done, the
// disk says otherwise, and restoring must go by the disk (the trash searched through its
// .trashinfo); the trash folder was there before.
class LaunchJournalRecorded : public testing::TestWithParam<bool>
{
};

TEST_P(LaunchJournalRecorded, ApplyThenRestoreGivesBackEveryByte)
{
    const bool recorded = GetParam();
    Scenario s;
    if (!recorded)
        fileops::makePrivateFolder(s.fakeTrash);
    const test::Snapshot before = test::snapshotOf(s.gameDir);
    const CleanupPlan plan = s.plan();
    ASSERT_EQ(plan.steps.size(), 6);
    const ApplyResult applied = s.journal.apply(s.gameDir, u"My \"TC\"\n"_s, plan, s.trash);
    ASSERT_TRUE(applied.ok()) << applied.error.toStdString();
    EXPECT_TRUE(applied.leftAlone.isEmpty());
    EXPECT_EQ(applied.stepsDone, 6);
    const test::Snapshot during = test::snapshotOf(s.gameDir);
    EXPECT_EQ(during.value("GAME.CON"), "the TC's GAME.CON");
    EXPECT_EQ(during.value("GAME.CON.org"), "the player's own GAME.CON");
    for (const QByteArray &name : kOddNames)
        EXPECT_FALSE(during.contains(name)) << name.toStdString();
    const auto pending = s.journal.pending();
    ASSERT_TRUE(pending.has_value());
    EXPECT_EQ(pending->gameDir, s.gameDir);
    EXPECT_EQ(pending->label, u"My \"TC\"\n"_s);
    EXPECT_FALSE(s.journal.apply(s.gameDir, u"again"_s, plan, s.trash).ok()) << "a second launch before restoring";

    if (!recorded) {
        QList<QByteArray> lines = test::readBytes(s.journal.path()).split('\n');
        lines.removeIf([](const QByteArray &line) { return line.startsWith("done ") || line.startsWith("applied"); });
        test::writeFile(s.journal.path(), lines.join('\n'));
    }
    const RestoreReport report = LaunchJournal(s.sandbox.stateDir()).restore(s.trash); // a later program
    EXPECT_TRUE(report.ok()) << whyNot(report);
    if (recorded) {
        EXPECT_EQ(report.stepsUndone, 6);
    }
    EXPECT_EQ(test::snapshotOf(s.gameDir), before);
    EXPECT_TRUE(test::snapshotOf(s.fakeTrash + u"/files"_s).isEmpty());
    EXPECT_TRUE(test::snapshotOf(s.fakeTrash + u"/info"_s).isEmpty());
    EXPECT_EQ(QFileInfo::exists(s.fakeTrash), !recorded) << "only a trash folder the launch made goes";
    EXPECT_FALSE(s.journal.pending().has_value());
}

INSTANTIATE_TEST_SUITE_P(LaunchJournal, LaunchJournalRecorded, testing::Bool(),
    [](const auto &info) { return std::string(info.param ? "EveryStep" : "StepsDoneButNotRecorded"); });

TEST(LaunchJournal, TheDesktopTrashWorksWithoutADataFolderAndIsEmptiedOfOurFilesAfterwards)
{
    Scenario s;
    // Names QFile cannot express are refused by the trash and stay; the rest go.
    const test::Snapshot before = test::snapshotOf(s.gameDir);
    ASSERT_FALSE(QFileInfo::exists(s.sandbox.dataHome()));
    DesktopTrash trash; // asked nothing before the first move: that is when Qt 6.4 goes astray

    const ApplyResult applied = s.journal.apply(s.gameDir, u"TC"_s, s.plan(), trash);
    ASSERT_TRUE(applied.ok()) << applied.error.toStdString();
    ASSERT_EQ(applied.leftAlone.size(), 1);
    EXPECT_EQ(fileops::encodePath(applied.leftAlone[0].name), kOddNames[3]);
    EXPECT_EQ(test::snapshotOf(s.sandbox.dataHome() + u"/Trash/files"_s).size(), 3);
    EXPECT_EQ(test::snapshotOf(s.sandbox.dataHome() + u"/Trash/info"_s).size(), 3);
    EXPECT_FALSE(QFileInfo::exists(QDir::currentPath() + u"/files"_s)) << "Qt's fallback to the working folder";

    const RestoreReport report = s.journal.restore(trash);
    EXPECT_TRUE(report.ok()) << report.error.toStdString();
    EXPECT_EQ(test::snapshotOf(s.gameDir), before);
    EXPECT_TRUE(test::snapshotOf(s.sandbox.dataHome() + u"/Trash/files"_s).isEmpty());
    EXPECT_TRUE(test::snapshotOf(s.sandbox.dataHome() + u"/Trash/info"_s).isEmpty());
    EXPECT_TRUE(trash.availableFor(s.gameDir));
}

TEST(LaunchJournal, NoRestoreWhileTheRecordedGameRunsAndAReusedPidDoesNotCount)
{
    Scenario s;
    const test::Snapshot before = test::snapshotOf(s.gameDir);
    ASSERT_TRUE(s.journal.apply(s.gameDir, u"TC"_s, s.plan(), s.trash).ok());
    const test::Snapshot during = test::snapshotOf(s.gameDir);

    QProcess game;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(u"FAKE_ENGINE_RECORD"_s);
    env.insert(u"FAKE_ENGINE_SLEEP_MS"_s, u"60000"_s);
    game.setProcessEnvironment(env);
    game.start(QStringLiteral(OSTREL_FAKE_ENGINE), QStringList());
    ASSERT_TRUE(game.waitForStarted());
    const auto gameStart = processinfo::startTimeOf(game.processId());
    ASSERT_TRUE(gameStart.has_value());
    // This very process under another start time: the record of a game whose PID was reused.
    const auto ownStart = processinfo::startTimeOf(::getpid());
    ASSERT_TRUE(ownStart.has_value());
    ASSERT_TRUE(s.journal.recordEngine({::getpid(), *ownStart + 1}));
    ASSERT_TRUE(s.journal.recordEngine({game.processId(), *gameStart}));

    const RestoreReport refused = s.journal.restore(s.trash);
    EXPECT_EQ(refused.gameStillRunning, game.processId());
    EXPECT_TRUE(refused.error.contains(u"(process %1) is still running"_s.arg(game.processId())))
        << refused.error.toStdString();
    EXPECT_EQ(test::snapshotOf(s.gameDir), during);
    ASSERT_TRUE(s.journal.pending().has_value());
    EXPECT_EQ(s.journal.pending()->gameStillRunning, game.processId());

    game.kill();
    ASSERT_TRUE(game.waitForFinished());
    EXPECT_EQ(s.journal.pending()->gameStillRunning, 0);
    const RestoreReport report = s.journal.restore(s.trash);
    EXPECT_TRUE(report.ok()) << whyNot(report);
    EXPECT_EQ(test::snapshotOf(s.gameDir), before);
}

TEST(LaunchJournal, AGameThatEndedCountsAsGoneBeforeItIsReaped)
{
    // A game outliving its launcher is reaped by whoever adopts it, or never.
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ASSERT_GT(child, 0);
    siginfo_t info = {};
    ASSERT_EQ(::waitid(P_PID, id_t(child), &info, WEXITED | WNOWAIT), 0);
    EXPECT_TRUE(QFile::exists(u"/proc/%1/stat"_s.arg(child))) << "not a zombie";
    EXPECT_FALSE(processinfo::startTimeOf(child).has_value());
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(processinfo::startTimeOf(::getpid()).has_value());
}

TEST(LaunchJournal, AFileChangedSincePlanningOrRefusedByTheTrashIsLeftAloneAndReported)
{
    Scenario s;
    const CleanupPlan plan = s.plan();
    test::writeFile(s.gameDir + u"/E1L1.MAP"_s, "changed after the preview");
    s.trash.failMoves = true;
    const test::Snapshot before = test::snapshotOf(s.gameDir);

    const ApplyResult applied = s.journal.apply(s.gameDir, u"TC"_s, plan, s.trash);
    ASSERT_TRUE(applied.ok());
    ASSERT_EQ(applied.leftAlone.size(), 4);
    EXPECT_EQ(applied.leftAlone[0].name, u"E1L1.MAP"_s);
    EXPECT_TRUE(applied.leftAlone[0].reason.contains(u"changed"_s));
    EXPECT_TRUE(applied.leftAlone[1].reason.contains(u"fake trash refuses"_s));

    EXPECT_TRUE(s.journal.restore(s.trash).ok());
    EXPECT_EQ(test::snapshotOf(s.gameDir), before);
}

TEST(LaunchJournal, FilesThatCannotComeBackAreNamed)
{
    Scenario s;
    const ApplyResult applied = s.journal.apply(s.gameDir, u"TC"_s, s.plan(), s.trash, DeleteMode::RemoveForGood);
    ASSERT_TRUE(applied.ok());
    EXPECT_EQ(applied.removedForGood.size(), 4);
    EXPECT_EQ(s.trash.moves, 0);
    // The player's file renamed aside vanishes while the game runs.
    ASSERT_TRUE(QFile::remove(s.gameDir + u"/GAME.CON.org"_s));
    const RestoreReport report = s.journal.restore(s.trash);
    EXPECT_EQ(report.removedForGood.size(), 4);
    ASSERT_EQ(report.notRestored.size(), 1);
    EXPECT_EQ(report.notRestored[0].name, u"GAME.CON"_s);
    EXPECT_TRUE(report.notRestored[0].reason.contains(u"neither"_s)) << whyNot(report);
    const test::Snapshot after = test::snapshotOf(s.gameDir);
    EXPECT_FALSE(after.contains("GAME.CON") || after.contains("E1L1.MAP"));
}

// A journal that is not as the launch wrote it, or a game directory that is not there: the
// restore gives back what it can read and check, names the rest, keeps the journal, and a
// restore once the cause is gone gives everything back.
struct Trouble {
    const char *name;
    std::function<void(const QString &journal, const QString &gameDir)> cause;
    bool allBack; // the first restore still gives everything back
    int named;    // files the first restore names as not put back
};

void PrintTo(const Trouble &trouble, std::ostream *out)
{
    *out << trouble.name;
}

std::function<void(const QString &, const QString &)> editJournal(const std::function<void(QByteArray &)> &edit)
{
    return [edit](const QString &journal, const QString &) {
        QByteArray bytes = test::readBytes(journal);
        edit(bytes);
        test::writeFile(journal, bytes);
    };
}

// Where the line that holds text starts, and where the next one does.
std::pair<qsizetype, qsizetype> lineWith(const QByteArray &bytes, const QByteArray &text)
{
    const qsizetype at = bytes.indexOf(text);
    return std::pair{bytes.lastIndexOf('\n', at) + 1, bytes.indexOf('\n', at) + 1};
}

class LaunchJournalTrouble : public testing::TestWithParam<Trouble>
{
};

TEST_P(LaunchJournalTrouble, KeepsTheJournalAndGivesBackWhatCanBeChecked)
{
    const Trouble &trouble = GetParam();
    Scenario s;
    const test::Snapshot before = test::snapshotOf(s.gameDir);
    // Given relative, the game directory is found again from any working folder.
    const QString workingFolder = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(s.sandbox.path()));
    const bool applied = s.journal.apply(QDir().relativeFilePath(s.gameDir), u"TC"_s, s.plan(), s.trash).ok();
    ASSERT_TRUE(QDir::setCurrent(workingFolder));
    ASSERT_TRUE(applied);
    const QByteArray written = test::readBytes(s.journal.path());
    trouble.cause(s.journal.path(), s.gameDir);

    LaunchJournal later(s.sandbox.stateDir()); // a later program, which knows only the file
    const RestoreReport first = later.restore(s.trash);
    EXPECT_EQ(first.ok(), trouble.allBack) << first.error.toStdString();
    EXPECT_EQ(first.notRestored.size(), trouble.named) << whyNot(first);
    EXPECT_EQ(later.pending().has_value(), !trouble.allBack);
    if (!trouble.allBack) {
        test::writeFile(s.journal.path(), written);
        QDir().rename(s.gameDir + u" away"_s, s.gameDir);
        const RestoreReport report = later.restore(s.trash);
        EXPECT_TRUE(report.ok()) << whyNot(report);
    }
    EXPECT_EQ(test::snapshotOf(s.gameDir), before);
    EXPECT_FALSE(later.pending().has_value());
}

INSTANTIATE_TEST_SUITE_P(LaunchJournal, LaunchJournalTrouble,
    testing::Values(
        Trouble{"ANameEdited", editJournal([](QByteArray &b) { b.replace("=E1L1.MAP ", "=E1L2.MAP "); }), false, 1},
        Trouble{"TheFirstLineEdited", editJournal([](QByteArray &b) { b.replace("=TC ", "=TD "); }), false, 6},
        Trouble{"CutInsideThePlan", editJournal([](QByteArray &b) { b.truncate(lineWith(b, "planned").first - 20); }),
            false, 1},
        Trouble{"AStepOfThePlanTakenOut", editJournal([](QByteArray &b) {
                    const auto [from, to] = lineWith(b, "plan 2 ");
                    b.remove(from, to - from);
                }),
            false, 1},
        Trouble{"Emptied", editJournal([](QByteArray &b) { b.clear(); }), false, 0},
        Trouble{"CutAfterThePlan", editJournal([](QByteArray &b) { b.truncate(lineWith(b, "planned").second + 5); }),
            true, 0},
        Trouble{"TheGameDirectoryMovedAway",
            [](const QString &, const QString &dir) { QDir().rename(dir, dir + u" away"_s); }, false, 0}),
    [](const auto &info) { return std::string(info.param.name); });

// A journal the previous version wrote (its plan recorded step by step, a game directory given
// as relative) is still given back.
TEST(LaunchJournal, AJournalOfTheFirstFormatIsStillGivenBack)
{
    test::Sandbox sandbox;
    const QString gameDir = sandbox.path() + u"/game"_s;
    const QString workingFolder = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(sandbox.path()));
    const timespec recorded[2] = {{1600000000, 123456789}, {1600000000, 123456789}};
    const auto putRecorded = [&](const QString &path, const QByteArray &bytes) {
        test::writeFile(path, bytes);
        ASSERT_EQ(::utimensat(AT_FDCWD, fileops::encodePath(path).constData(), recorded, 0), 0);
    };
    putRecorded(gameDir + u"/GAME.CON.org"_s, "the player's GAME.CON");
    test::writeFile(gameDir + u"/GAME.CON"_s, "the TC's GAME.CON");
    // Not where the journal says it went: found in the trash by its .trashinfo.
    putRecorded(sandbox.path() + u"/trash/files/E1L1.MAP.1"_s, "the player's E1L1.MAP");
    test::writeFile(sandbox.path() + u"/trash/info/E1L1.MAP.1.trashinfo"_s,
        "[Trash Info]\nPath=" + fileops::encodePath(gameDir).toPercentEncoding("/") + "/E1L1.MAP\n");
    test::writeFile(sandbox.stateDir() + u"/launch.journal"_s,
        test::readBytes(QStringLiteral(OSTREL_JOURNALS_DIR "/version1.journal")));
    test::FakeTrash trash(sandbox.path() + u"/trash"_s);

    LaunchJournal journal(sandbox.stateDir());
    ASSERT_TRUE(journal.pending().has_value());
    EXPECT_EQ(journal.pending()->label, u"Old \"TC\""_s);
    const RestoreReport report = journal.restore(trash);
    ASSERT_TRUE(QDir::setCurrent(workingFolder));
    EXPECT_TRUE(report.ok()) << whyNot(report);
    EXPECT_EQ(report.stepsUndone, 3);
    const test::Snapshot after = test::snapshotOf(gameDir);
    EXPECT_EQ(after.value("GAME.CON"), "the player's GAME.CON");
    EXPECT_EQ(after.value("E1L1.MAP"), "the player's E1L1.MAP");
    EXPECT_EQ(after.size(), 2);
    EXPECT_FALSE(journal.pending().has_value());
}

// Where Qt's moveToTrash puts a file of another volume: a trash it can use, or none.
TEST(LaunchJournal, AVolumeHasATrashOnlyWhereQtCanMoveFilesIntoIt)
{
    const QString uid = QString::number(::getuid());
    struct Volume {
        const char *what;
        QStringList folders; // made at the volume's top, before
        QStringList files;
        QString trash; // the one used, or empty
    };
    const QList<Volume> volumes{
        {"nothing yet", {}, {}, u".Trash-"_s + uid},
        {"its own trash", {u".Trash-"_s + uid}, {}, u".Trash-"_s + uid},
        {"a file in its place", {}, {u".Trash-"_s + uid}, {}},
        {"a file in place of its files folder", {u".Trash-"_s + uid}, {u".Trash-"_s + uid + u"/files"_s}, {}},
        {"an administrator's sticky trash", {u".Trash"_s}, {}, u".Trash/"_s + uid},
    };
    for (const Volume &volume : volumes) {
        SCOPED_TRACE(volume.what);
        test::Sandbox top;
        for (const QString &folder : volume.folders)
            ASSERT_TRUE(QDir().mkpath(top.path() + u'/' + folder));
        for (const QString &file : volume.files)
            test::writeFile(top.path() + u'/' + file, "not a folder");
        if (volume.folders.contains(u".Trash"_s)) {
            ASSERT_EQ(::chmod(fileops::encodePath(top.path() + u"/.Trash"_s).constData(), 01777), 0);
        }
        const VolumeTrash trash = DesktopTrash::volumeTrashAt(top.path());
        EXPECT_EQ(trash.folder, volume.trash.isEmpty() ? QString() : top.path() + u'/' + volume.trash);
        EXPECT_EQ(trash.why.contains(u"is not a folder"_s), volume.trash.isEmpty()) << trash.why.toStdString();
    }
}

// The journal as a crash just before line was written leaves it.
void cutJournalBefore(const QString &path, const QByteArray &line)
{
    const QByteArray lines = test::readBytes(path);
    ASSERT_TRUE(lines.contains(line)) << line.toStdString();
    test::writeFile(path, lines.first(lines.indexOf(line)));
}

// Where a file system cannot rename without replacing, a move to or from the trash is a link and
// an unlink; cut between the two, the file is in the game directory and in the trash: by a
// restore taking it back, or by the apply trashing it (not recorded yet).
class LaunchJournalLinkCut : public testing::TestWithParam<bool>
{
};

TEST_P(LaunchJournalLinkCut, AMoveToOrFromTheTrashCutBetweenLinkAndUnlinkLeavesTheFileOnlyInPlace)
{
    const bool recorded = GetParam();
    test::Sandbox sandbox;
    const QString gameDir = sandbox.path() + u"/game"_s;
    test::writeFile(gameDir + u"/E1L1.MAP"_s, "the player's map");
    const test::Snapshot before = test::snapshotOf(gameDir);
    test::FakeTrash trash(sandbox.path() + u"/fake trash"_s);
    LaunchJournal journal(sandbox.stateDir());
    ASSERT_TRUE(journal.apply(gameDir, u"TC"_s, planFor(gameDir, {u"E1L1.MAP"_s}), trash).ok());

    if (!recorded)
        cutJournalBefore(journal.path(), "done 0 ");
    ASSERT_EQ(::link(fileops::encodePath(sandbox.path() + u"/fake trash/files/E1L1.MAP.1"_s).constData(),
                  fileops::encodePath(gameDir + u"/E1L1.MAP"_s).constData()),
        0);

    const RestoreReport report = LaunchJournal(sandbox.stateDir()).restore(trash);
    EXPECT_TRUE(report.ok()) << whyNot(report);
    EXPECT_EQ(test::snapshotOf(gameDir), before);
    EXPECT_TRUE(test::snapshotOf(sandbox.path() + u"/fake trash/files"_s).isEmpty());
    EXPECT_TRUE(test::snapshotOf(sandbox.path() + u"/fake trash/info"_s).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(LaunchJournal, LaunchJournalLinkCut, testing::Bool(),
    [](const auto &info) { return std::string(info.param ? "ARestoreTakingItBack" : "TheApplyTrashingIt"); });

// Crashes around a copy in over a player's file, cut between two system calls of the apply or
// of a restore: the journal holds what was recorded by then, the disk what was done.
enum class OnDisk {
    CopyInPlace,
    PlayersFileRenamedBack, // a restore removed the copy and renamed the player's file back
    PlayersFileLinkedBack,  // one file, two names: a rename by link and unlink, cut between them
};

struct CutAroundACopy {
    const char *name;
    const char *journalEndsBefore; // the line the crash kept from being written, if any
    OnDisk onDisk;
    bool sameBytes;              // the player's file holds exactly the TC's bytes
    bool renameLineLost = false; // the journal's record of the rename aside is damaged
};

void PrintTo(const CutAroundACopy &cut, std::ostream *out)
{
    *out << cut.name;
}

class LaunchJournalCut : public testing::TestWithParam<CutAroundACopy>
{
};

TEST_P(LaunchJournalCut, RestoringGivesBackThePlayersFileAndReportsNothing)
{
    const CutAroundACopy &cut = GetParam();
    test::Sandbox sandbox;
    const QString gameDir = sandbox.path() + u"/game"_s;
    const QByteArray game = fileops::encodePath(gameDir + u"/GAME.CON"_s);
    const QByteArray aside = fileops::encodePath(gameDir + u"/GAME.CON.org"_s);
    const QByteArray tcBytes = "the TC's GAME.CON";
    test::writeFile(sandbox.path() + u"/tc/GAME.CON"_s, tcBytes);
    test::writeFile(gameDir + u"/GAME.CON"_s, cut.sameBytes ? tcBytes : QByteArray("the player's own GAME.CON"));
    // An old file, as a player's is, so the copy made now never shares its time.
    const timespec old[2] = {{1600000000, 0}, {1600000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, game.constData(), old, 0), 0);
    const test::Snapshot before = test::snapshotOf(gameDir);

    const CleanupPlan plan = planFor(gameDir, {}, {{sandbox.path() + u"/tc/GAME.CON"_s, u"GAME.CON"_s}});
    ASSERT_EQ(plan.steps.size(), 2); // step 0 renames it aside, step 1 copies in
    test::FakeTrash trash(sandbox.path() + u"/fake trash"_s);
    LaunchJournal journal(sandbox.stateDir());
    ASSERT_TRUE(journal.apply(gameDir, u"TC"_s, plan, trash).ok());

    if (cut.journalEndsBefore)
        cutJournalBefore(journal.path(), cut.journalEndsBefore);
    if (cut.onDisk != OnDisk::CopyInPlace) {
        ASSERT_EQ(::unlink(game.constData()), 0);
    }
    if (cut.onDisk == OnDisk::PlayersFileRenamedBack) {
        ASSERT_EQ(::rename(aside.constData(), game.constData()), 0);
    }
    if (cut.onDisk == OnDisk::PlayersFileLinkedBack) {
        ASSERT_EQ(::link(aside.constData(), game.constData()), 0);
    }
    if (cut.renameLineLost)
        test::writeFile(
            journal.path(), test::readBytes(journal.path()).replace("rename =GAME.CON ", "rename =GAME.COM "));

    const RestoreReport report = LaunchJournal(sandbox.stateDir()).restore(trash); // a later program
    EXPECT_EQ(report.ok(), !cut.renameLineLost) << whyNot(report);
    EXPECT_EQ(test::snapshotOf(gameDir), before);
    EXPECT_EQ(journal.pending().has_value(), cut.renameLineLost);
}

INSTANTIATE_TEST_SUITE_P(AroundACopyIn, LaunchJournalCut,
    testing::Values(CutAroundACopy{"ApplyCopiedInNotRecordedSameBytes", "done 1 ", OnDisk::CopyInPlace, true},
        CutAroundACopy{"ApplyRenamingAsideByLink", "done 0 ", OnDisk::PlayersFileLinkedBack, false},
        CutAroundACopy{"RestoreRenamedBack", nullptr, OnDisk::PlayersFileRenamedBack, false},
        CutAroundACopy{"RestoreRenamedBackSameBytes", nullptr, OnDisk::PlayersFileRenamedBack, true},
        CutAroundACopy{
            "RestoreRenamedBackSameBytesRenameLineDamaged", nullptr, OnDisk::PlayersFileRenamedBack, true, true},
        CutAroundACopy{"RestoreRenamingBackByLink", nullptr, OnDisk::PlayersFileLinkedBack, false}),
    [](const testing::TestParamInfo<CutAroundACopy> &info) { return std::string(info.param.name); });

} // namespace
