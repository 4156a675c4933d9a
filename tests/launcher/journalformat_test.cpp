#include "launcher/fileops.h"
#include "launcher/journalformat.h"

#include "tests/support/printers.h"

#include <gtest/gtest.h>

#include <type_traits>

using namespace Qt::StringLiterals;
using namespace ostrel;

namespace {

PlannedStep planned(JournalStepKind kind, const QString &name, qint64 size, qint64 mtimeNs)
{
    PlannedStep step;
    step.kind = kind;
    step.name = name;
    step.size = size;
    step.mtimeNs = mtimeNs;
    return step;
}

PlannedStep copyIn(
    const QString &name, const QString &source, const QString &tempName, qint64 size, const QByteArray &sha256)
{
    PlannedStep step = planned(JournalStepKind::CopyIn, name, size, 0);
    step.source = source;
    step.tempName = tempName;
    step.sha256 = sha256;
    return step;
}

// Read back as any version reads it, then written again.
QByteArray rewritten(const QByteArray &line)
{
    const JournalFields split = splitJournalLine(line.chopped(1), false);
    if (!split.checked)
        return "(fails its check)";
    if (const auto header = decodeHeader(split.fields))
        return journalLine(header->header);
    const auto decoded = decodeLine(split.fields);
    if (!decoded)
        return "(cannot be read)";
    return std::visit(
        [](const auto &known) -> QByteArray {
            if constexpr (std::is_same_v<std::decay_t<decltype(known)>, FirstFormatStepLine>)
                return "(read as the first format's)";
            else
                return journalLine(known);
        },
        *decoded);
}

} // namespace

// Each kind of line as the launcher has always written it, down to the byte: a journal left by
// an earlier version is read as it was meant, and one written now is read by it.
TEST(JournalFormat, EveryKindOfLineIsWrittenAndReadAsEver)
{
    const QString run = u"/tmp/jdump/run"_s;
    PlannedStep rename = planned(JournalStepKind::Rename, u"GAME.CON"_s, 10, 1600000004123456789);
    rename.newName = u"GAME.CON.org"_s;
    PlannedStep displacing = copyIn(u"GAME.CON"_s, run + u"/tc dir/GAME.CON"_s, u".quillon-copy-5.tmp"_s, 6,
        "4b184aa176e484e3a1cdce7763ada6304b7348ea8e81506ae41caedb7ea77c30");
    displacing.displaces = true;
    displacing.displacedSize = 10;
    displacing.displacedMtimeNs = 1600000004123456789;
    PlannedStep save = planned(JournalStepKind::Save, u"game0.sav"_s, 7, 1600000005123456789);
    save.saveDir = run + u"/saves/My TC: 2"_s;
    save.copies = true;
    save.tempName = u".quillon-save-8.tmp"_s;
    PlannedStep noSave = planned(JournalStepKind::Save, u"GAME9.SAV"_s, -1, 0);
    noSave.saveDir = save.saveDir;
    noSave.tempName = u".quillon-save-9.tmp"_s;
    const struct {
        JournalLine line;
        QByteArray written;
    } cases[] = {
        {JournalHeader{run + u"/game dir 'x'"_s, u"My \"TC\"\n%"_s, 1796574669941, 8},
            "quillon-journal 2 =%2Ftmp%2Fjdump%2Frun%2Fgame%20dir%20%27x%27 =My%20%22TC%22%0A%25 1796574669941 8 *57f50728"},
        {PlanLine{3, planned(JournalStepKind::Trash, fileops::decodePath("caf\xe9\xff.MAP"), 4, 1600000003123456789)},
            "plan 3 trash =caf%E9%FF.MAP 4 1600000003123456789 *755d872d"},
        {PlanLine{4, planned(JournalStepKind::Remove, u"two\nlines.MAP"_s, 9, 1600000002123456789)},
            "plan 4 remove =two%0Alines.MAP 9 1600000002123456789 *bd13d4ef"},
        {PlanLine{1, rename}, "plan 1 rename =GAME.CON =GAME.CON.org 10 1600000004123456789 *ee6e608e"},
        {PlanLine{5, displacing},
            "plan 5 copyin =GAME.CON =%2Ftmp%2Fjdump%2Frun%2Ftc%20dir%2FGAME.CON =.quillon-copy-5.tmp 6 "
            "4b184aa176e484e3a1cdce7763ada6304b7348ea8e81506ae41caedb7ea77c30 10 1600000004123456789 *31662f5e"},
        {PlanLine{7, copyIn(u"MISSING.DAT"_s, run + u"/tc dir/MISSING.DAT"_s, u".quillon-copy-7.tmp"_s, -1, {})},
            "plan 7 copyin =MISSING.DAT =%2Ftmp%2Fjdump%2Frun%2Ftc%20dir%2FMISSING.DAT =.quillon-copy-7.tmp -1 - - - *92c6e43e"},
        {PlanLine{8, save},
            "plan 8 save =game0.sav =%2Ftmp%2Fjdump%2Frun%2Fsaves%2FMy%20TC%3A%202 7 1600000005123456789 copy "
            "=.quillon-save-8.tmp *6473a798"},
        {PlanLine{9, noSave},
            "plan 9 save =GAME9.SAV =%2Ftmp%2Fjdump%2Frun%2Fsaves%2FMy%20TC%3A%202 -1 0 move =.quillon-save-9.tmp *e9b06f57"},
        {PlanEndLine{}, "planned *9b0f1b10"},
        {StepBegunLine{0}, "begin 0 *7cb7b43d"},
        {StepDoneLine{0}, "done 0 *b724a603"},
        {StepDoneLine{
             0, true, run + u"/.Trash-fake/files/E1L1.MAP.1"_s, run + u"/.Trash-fake/info/E1L1.MAP.1.trashinfo"_s},
            "done 0 =%2Ftmp%2Fjdump%2Frun%2F.Trash-fake%2Ffiles%2FE1L1.MAP.1 "
            "=%2Ftmp%2Fjdump%2Frun%2F.Trash-fake%2Finfo%2FE1L1.MAP.1.trashinfo *929c8ff2"},
        {TrashFolderLine{run + u"/.Trash-fake"_s}, "trashdir =%2Ftmp%2Fjdump%2Frun%2F.Trash-fake *0b3246fd"},
        {StepSkippedLine{7}, "skip 7 *83244500"},
        {EngineLine{{123456, 789}}, "engine 123456 789 *76fc59fc"},
        {KeptLine{}, "kept *79f076ab"},
        {AppliedLine{}, "applied *b4267ce9"},
    };
    for (const auto &c : cases) {
        const QByteArray expected = c.written + '\n';
        EXPECT_EQ(journalLine(c.line), expected);
        EXPECT_EQ(rewritten(expected), expected);
    }
}
