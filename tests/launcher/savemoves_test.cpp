#include "launcher/cleanupplan.h"
#include "launcher/launchjournal.h"
#include "launcher/savemoves.h"

#include "tests/launcher/launchertesting.h"

#include "tests/support/printers.h"
#include "tests/support/sandbox.h"
#include "tests/support/testfiles.h"

#include <QFile>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace ostrel;

namespace {

// What a crash leaves around the move of a save, and the give-back that finishes it: the TC's
// save ends up once in its folder, with the game's bytes, and nothing of the move stays behind.
TEST(SaveMoves, TakingBackFinishesAMoveCutShortAnywhere)
{
    const struct {
        const char *what;
        test::Snapshot game;   ///< the game directory's saves, and the half-made copy in
        test::Snapshot folder; ///< the TC's save folder
        test::Snapshot after;  ///< the TC's save folder after the give-back
        bool linked = false;   ///< GAME0.SAV is one file under both names
    } cases[] = {
        {"the game wrote it in other letter case", {{"game0.sav", "new"}}, {}, {{"game0.sav", "new"}}},
        {"a copy in cut while it was written", {{".t.tmp", "ol"}}, {{"GAME0.SAV", "old"}}, {{"GAME0.SAV", "old"}}},
        {"a copy in cut before the original went", {{"GAME0.SAV", "old"}}, {{"GAME0.SAV", "old"}},
            {{"GAME0.SAV", "old"}}},
        {"a copy back cut while it was written", {{"GAME0.SAV", "changed"}}, {{".t.tmp", "chan"}},
            {{"GAME0.SAV", "changed"}}},
        {"a copy back cut before the original went", {{"GAME0.SAV", "changed"}}, {{"GAME0.SAV", "changed"}},
            {{"GAME0.SAV", "changed"}}},
        {"a rename by link and unlink cut between the two", {}, {{"GAME0.SAV", "changed"}}, {{"GAME0.SAV", "changed"}},
            true},
        {"other saves put in the folder while the game ran", {{"GAME0.SAV", "the game's"}},
            {{"GAME0.SAV", "put in"}, {"GAME0.SAV.1", "put in too"}},
            {{"GAME0.SAV", "put in"}, {"GAME0.SAV.1", "put in too"}, {"GAME0.SAV.2", "the game's"}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        test::Sandbox sandbox;
        const QString game = sandbox.file(u"game"_s), folder = sandbox.file(u"saves/My TC"_s);
        test::writeFile(game + u"/DUKE3D.GRP"_s, "the game");
        for (auto it = c.game.cbegin(); it != c.game.cend(); ++it)
            test::writeFile(game + u'/' + QString::fromLatin1(it.key()), it.value());
        for (auto it = c.folder.cbegin(); it != c.folder.cend(); ++it)
            test::writeFile(folder + u'/' + QString::fromLatin1(it.key()), it.value());
        if (c.linked) {
            ASSERT_EQ(
                ::link(QFile::encodeName(folder + u"/GAME0.SAV"_s), QFile::encodeName(game + u"/GAME0.SAV"_s)), 0);
        }

        for (int run = 0; run < 2; ++run) { // once more, as after a crash of the give-back itself
            const savemoves::TakenBack taken = savemoves::takeBack(game, folder, u"GAME0.SAV"_s, u".t.tmp"_s);
            EXPECT_TRUE(taken.problems.isEmpty()) << taken.problems.value(0).reason.toStdString();
            EXPECT_EQ(taken.notes.size(), run == 0 && c.after.contains("GAME0.SAV.2") ? 1 : 0);
            EXPECT_EQ(test::snapshotOf(folder), c.after);
            EXPECT_EQ(test::snapshotOf(game), (test::Snapshot{{"DUKE3D.GRP", "the game"}}));
        }
    }
}

// A journal damaged on the line of another save, or cut before the record of any step's
// beginning: the TC's save in the game directory cannot be told from the player's own, so it
// stays there, named once, and is not called gone; the journal is kept for a give-back once
// it is mended.
TEST(SaveMoves, ADamagedJournalLeavesTheSaveInPlaceNamedOnce)
{
    for (const bool cut : {false, true}) {
        SCOPED_TRACE(cut ? "cut before the steps began" : "another save's line damaged");
        test::Sandbox sandbox;
        const QString game = sandbox.file(u"game"_s), folder = sandbox.file(u"saves/My TC"_s);
        test::writeFile(game + u"/DUKE3D.GRP"_s, "the game");
        test::writeFile(folder + u"/GAME0.SAV"_s, "the TC's slot 0");
        CleanupInput input{game, listDirectory(game)};
        input.mainGroupNames = {u"DUKE3D.GRP"_s};
        input.saves = {folder, listDirectory(folder), {u"GAME0.SAV"_s, u"GAME1.SAV"_s}};
        test::FakeTrash trash(sandbox.file(u".Trash-fake"_s));
        LaunchJournal journal(sandbox.stateDir());
        ASSERT_TRUE(journal.apply(game, u"My TC"_s, planCleanup(input), trash).ok());
        QByteArray written = test::readBytes(journal.path());
        const qsizetype at = written.indexOf(cut ? "\nplanned" : "=GAME1.SAV ");
        ASSERT_GT(at, 0);
        if (cut)
            written.truncate(at + 1);
        else
            written[at + 1] = 'N';
        test::writeFile(journal.path(), written);

        LaunchJournal later(sandbox.stateDir()); // a later program, which knows only the file
        const RestoreReport report = later.restore(trash);
        const std::string said = report.details().join(u'\n').toStdString();
        ASSERT_EQ(report.notRestored.size(), cut ? 1 : 2) << said;
        EXPECT_EQ(report.notRestored[0].name, u"GAME0.SAV"_s) << said;
        EXPECT_TRUE(report.notRestored[0].reason.contains(u"the journal is damaged, so it was left in the game"_s))
            << said;
        EXPECT_EQ(
            test::snapshotOf(game), (test::Snapshot{{"DUKE3D.GRP", "the game"}, {"GAME0.SAV", "the TC's slot 0"}}));
        EXPECT_TRUE(later.pending().has_value());
    }
}

} // namespace
