#include "launcher/cleanupplan.h"

#include "tests/support/printers.h"

#include <gtest/gtest.h>

#include <optional>

using namespace Qt::StringLiterals;
using namespace ostrel;

namespace {

DirectoryEntry file(const QString &name, qint64 size = 10)
{
    return DirectoryEntry{name, EntryKind::File, size, 1000};
}

// Only what a table needs to say: action, name on disk, new name or source.
QStringList describe(const CleanupPlan &plan)
{
    QStringList lines;
    for (const CleanupStep &s : plan.steps) {
        switch (s.action) {
        case StepAction::Rename:
            lines << s.name + u" -> "_s + s.newName;
            break;
        case StepAction::Trash:
            lines << u"trash "_s + s.name;
            break;
        case StepAction::CopyIn:
            lines << u"copy "_s + s.source + u" as "_s + s.name;
            break;
        case StepAction::Save:
            lines << u"save "_s + s.name
                    + (s.source.isEmpty() ? QString() : (s.copies ? u" copied from "_s : u" from "_s) + s.source);
            break;
        }
    }
    return lines;
}

CleanupInput gameDirWith(const QList<DirectoryEntry> &listing, CleanupPreference preference = CleanupPreference::Rename)
{
    CleanupInput input;
    input.gameDir = u"/games/duke"_s;
    input.listing = listing;
    input.tcFiles = {u"/tcs/mytc/MYTC.GRP"_s, u"/tcs/mytc/MYTC.CON"_s};
    input.duplicateNames = {u"E1L1.MAP"_s, u"TILES000.ART"_s, u"MYTC.CON"_s, u"Z.1"_s, u"DUKE3D.GRP"_s};
    input.mainGroupNames = {u"DUKE3D.GRP"_s};
    input.preference = preference;
    return input;
}

// The preference as the store holds it, read in any case; anything else is refused, not guessed.
TEST(CleanupPlan, ActsOnDuplicatesByTheirNameOnDiskAccordingToTheStoredPreference)
{
    const QList<DirectoryEntry> listing{file(u"e1l1.map"_s), file(u"Tiles000.Art"_s), file(u"README.TXT"_s)};
    const QStringList renamed{u"Tiles000.Art -> Tiles000.Art.org"_s, u"e1l1.map -> e1l1.map.org"_s};
    const struct {
        QString stored;
        std::optional<QStringList> steps; // none: refused
    } cases[] = {
        {u"RENAME"_s, renamed},
        {u"delete"_s, QStringList{u"trash Tiles000.Art"_s, u"trash e1l1.map"_s}},
        {u"None"_s, QStringList()},
        {u"Off"_s, std::nullopt},
        {QString(), std::nullopt},
    };
    for (const auto &c : cases) {
        const CleanupPlan plan = planCleanup(gameDirWith(listing, parseCleanupPreference(c.stored)));
        EXPECT_EQ(plan.ok(), c.steps.has_value()) << c.stored.toStdString();
        EXPECT_EQ(describe(plan), c.steps.value_or(QStringList())) << c.stored.toStdString();
    }
}

TEST(CleanupPlan, RenamesNeverLandOnAnExistingOrPlannedName)
{
    // E1L1.MAP.org and .1.org exist in some case; Z.org exists, so Z goes to Z.1.org, which
    // Z.1's first choice would have been.
    CleanupInput withZ = gameDirWith({file(u"E1L1.MAP"_s), file(u"e1l1.MAP.ORG"_s), file(u"E1L1.map.1.org"_s),
        file(u"Z"_s), file(u"Z.org"_s), file(u"Z.1"_s)});
    withZ.duplicateNames << u"z"_s;
    const CleanupPlan plan = planCleanup(withZ);
    ASSERT_TRUE(plan.ok());
    EXPECT_EQ(describe(plan), (QStringList{u"E1L1.MAP -> E1L1.MAP.2.org"_s, u"Z -> Z.1.org"_s, u"Z.1 -> Z.1.1.org"_s}));
}

TEST(CleanupPlan, NeverTouchesTheTcsOwnFilesTheMainGroupFoldersOrLinks)
{
    CleanupInput input = gameDirWith({file(u"MYTC.CON"_s), file(u"duke3d.grp"_s, 44356548),
                                         DirectoryEntry{u"TILES000.ART"_s, EntryKind::Directory, 0, 0},
                                         DirectoryEntry{u"E1L1.MAP"_s, EntryKind::Symlink, 12, 0}},
        CleanupPreference::Delete);
    input.tcFiles << u"/games/duke/MYTC.CON"_s; // the TC keeps its con in the game directory
    const CleanupPlan plan = planCleanup(input);
    ASSERT_TRUE(plan.ok());
    EXPECT_TRUE(plan.steps.isEmpty()) << describe(plan).join(u"; "_s).toStdString();
    ASSERT_EQ(plan.leftAlone.size(), 4);
    const QStringList names{u"E1L1.MAP"_s, u"MYTC.CON"_s, u"TILES000.ART"_s, u"duke3d.grp"_s};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(plan.leftAlone[i].name, names[i]);
    EXPECT_TRUE(plan.leftAlone[0].reason.contains(u"link"_s));
}

TEST(CleanupPlan, AFileInTheWayOfACopyIsRenamedWhateverThePreference)
{
    for (const CleanupPreference preference : {CleanupPreference::Delete, CleanupPreference::None}) {
        CleanupInput input = gameDirWith({file(u"game.con"_s), file(u"E1L1.MAP"_s)}, preference);
        input.copyIns = {{u"/tcs/mytc/GAME.CON"_s, u"GAME.CON"_s}, {u"/tcs/mytc/MYTC.GRP"_s, u"MYTC.GRP"_s}};
        const CleanupPlan plan = planCleanup(input);
        ASSERT_TRUE(plan.ok()) << plan.error.toStdString();
        QStringList expected;
        if (preference == CleanupPreference::Delete)
            expected << u"trash E1L1.MAP"_s;
        expected << u"game.con -> game.con.org"_s << u"copy /tcs/mytc/GAME.CON as GAME.CON"_s
                 << u"copy /tcs/mytc/MYTC.GRP as MYTC.GRP"_s;
        EXPECT_EQ(describe(plan), expected);
        const CleanupStep &aside = plan.steps[preference == CleanupPreference::Delete ? 1 : 0];
        EXPECT_TRUE(aside.reason.contains(u"whatever the clean-up preference"_s)) << aside.reason.toStdString();
    }
}

TEST(CleanupPlan, ACopyThatCannotBeMadeStopsThePlanAndOneAlreadyInPlaceIsSkipped)
{
    CleanupInput blocked = gameDirWith({DirectoryEntry{u"GAME.CON"_s, EntryKind::Directory, 0, 0}});
    blocked.copyIns = {{u"/tcs/mytc/GAME.CON"_s, u"GAME.CON"_s}};
    const CleanupPlan plan = planCleanup(blocked);
    EXPECT_FALSE(plan.ok());
    EXPECT_TRUE(plan.steps.isEmpty());

    CleanupInput inPlace = gameDirWith({file(u"MYTC.CON"_s)});
    inPlace.tcFiles << u"/games/duke/MYTC.CON"_s;
    inPlace.copyIns = {{u"/games/duke/MYTC.CON"_s, u"MYTC.CON"_s}};
    const CleanupPlan skipped = planCleanup(inPlace);
    ASSERT_TRUE(skipped.ok());
    EXPECT_TRUE(skipped.steps.isEmpty());

    CleanupInput escaping = gameDirWith({});
    escaping.copyIns = {{u"/tcs/mytc/X.CON"_s, u"../X.CON"_s}};
    EXPECT_FALSE(planCleanup(escaping).ok());
}

// The names the DOS game writes saves under: the player's own saves there are set aside, never
// taken for the TC's nor written over, and the TC's are moved in by their names on disk.
TEST(CleanupPlan, TheTcsSavesAreMovedInAndThePlayersOwnSetAside)
{
    CleanupInput input =
        gameDirWith({file(u"game0.sav"_s), file(u"GAME0.SAV.org"_s), file(u"GAME3.SAV"_s), file(u"E1L1.MAP"_s)});
    input.duplicateNames << u"GAME3.SAV"_s; // a save is no leftover, even under a name of the TC's
    const QString folder = u"/saves/My TC"_s;
    input.saves = {folder,
        {file(u"GAME0.SAV"_s), file(u"game1.sav"_s), file(u"GAME1.SAV"_s), file(u"Game2.Sav"_s), file(u"NOTES.TXT"_s),
            DirectoryEntry{u"GAME3.SAV"_s, EntryKind::Directory, 0, 0}},
        {u"GAME0.SAV"_s, u"GAME1.SAV"_s, u"GAME2.SAV"_s, u"GAME3.SAV"_s}, true};
    for (const bool sameFileSystem : {true, false}) {
        input.saves.sameFileSystem = sameFileSystem;
        const CleanupPlan plan = planCleanup(input);
        ASSERT_TRUE(plan.ok()) << plan.error.toStdString();
        const QString from = sameFileSystem ? u" from "_s : u" copied from "_s;
        EXPECT_EQ(describe(plan),
            (QStringList{u"E1L1.MAP -> E1L1.MAP.org"_s, u"GAME3.SAV -> GAME3.SAV.org"_s,
                u"game0.sav -> game0.sav.1.org"_s, u"save GAME0.SAV"_s + from + folder + u"/GAME0.SAV"_s,
                u"save GAME1.SAV"_s + from + folder + u"/GAME1.SAV"_s,
                u"save Game2.Sav"_s + from + folder + u"/Game2.Sav"_s, u"save GAME3.SAV"_s}));
        EXPECT_EQ(plan.leftAlone.size(), 2);
        for (const LeftAlone &left : plan.leftAlone)
            EXPECT_TRUE(left.name == folder + u"/game1.sav"_s || left.name == folder + u"/GAME3.SAV"_s)
                << left.name.toStdString();
    }
}

TEST(CleanupPlan, SavesThatCannotBeKeptApartStopThePlan)
{
    const QStringList slots{u"GAME0.SAV"_s};
    CleanupInput linked = gameDirWith({DirectoryEntry{u"GAME0.SAV"_s, EntryKind::Symlink, 9, 0}});
    linked.saves = {u"/saves/My TC"_s, {}, slots, true};
    EXPECT_TRUE(planCleanup(linked).error.contains(u"is a link under a name the game writes its saves under"_s));
    CleanupInput copied = gameDirWith({});
    copied.copyIns = {{u"/tcs/mytc/game0.sav"_s, u"game0.sav"_s}};
    copied.saves = {u"/saves/My TC"_s, {}, slots, true};
    const CleanupPlan plan = planCleanup(copied);
    EXPECT_TRUE(plan.error.contains(u"a name the game writes its saves under"_s) && plan.steps.isEmpty())
        << plan.error.toStdString();
}

} // namespace
