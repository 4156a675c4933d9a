#include "launcher/journalreader.h"

#include "launcher/fileops.h"

#include <variant>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

// Puts a journal's lines together, checking that each comes where it may: the plan first and
// whole, then the progress of its steps.
class JournalReader
{
public:
    explicit JournalReader(JournalContents &contents)
        : m_contents(contents)
        , m_planned(contents.firstFormat)
    {
    }

    void read(const QList<QByteArray> &lines, const QByteArray &torn);

private:
    void readHeader(const QByteArray &line);
    void nameDamagedStep(const QByteArray &line, qsizetype lineIndex);
    JournalStep *plannedStep(int index);

    // Each takes one line that matches its check; false when it may not come here.
    bool take(const PlanLine &line);
    bool take(const FirstFormatStepLine &line);
    bool take(const PlanEndLine &);
    bool take(const StepBegunLine &line);
    bool take(const StepDoneLine &line);
    bool take(const StepSkippedLine &line);
    bool take(const TrashFolderLine &line);
    bool take(const EngineLine &line);
    bool take(const KeptLine &);
    bool take(const AppliedLine &);

    JournalContents &m_contents;
    // The first format wrote no plan ahead of its steps.
    bool m_planned;
    int m_plannedSteps = 0;
    QMap<int, LeftAlone> m_unreadable;
};

void JournalReader::read(const QList<QByteArray> &lines, const QByteArray &torn)
{
    readHeader(lines[0]);
    for (qsizetype k = 1; k < lines.size(); ++k) {
        const JournalFields line = splitJournalLine(lines[k], m_contents.firstFormat);
        if (!line.checked) {
            m_contents.damage << u"line %1 does not match its check"_s.arg(k + 1);
            nameDamagedStep(lines[k], k);
            continue;
        }
        const auto decoded = decodeLine(line.fields);
        if (!decoded || !std::visit([this](const auto &known) { return take(known); }, *decoded))
            m_contents.damage << u"line %1 is not one this version can read"_s.arg(k + 1);
    }
    if (!m_planned) {
        m_contents.damage << (torn.isEmpty() ? u"it ends before the end of its plan"_s : u"it ends inside its plan"_s);
        nameDamagedStep(torn, lines.size());
    }
    for (int index = 0; index < m_plannedSteps; ++index) {
        if (!m_contents.steps.contains(index) && !m_unreadable.contains(index)) {
            m_contents.damage << u"step %1 of its plan is missing"_s.arg(index + 1);
            m_unreadable.insert(index,
                {u"(step %1)"_s.arg(index + 1),
                    u"the journal's record of this step is missing, so what it moved was not given back"_s});
        }
    }
    m_contents.unreadable = m_unreadable.values();
}

void JournalReader::readHeader(const QByteArray &line)
{
    const JournalFields first = splitJournalLine(line, m_contents.firstFormat);
    const auto read = decodeHeader(first.fields);
    // Read even when damaged, to name the launch to the player; never acted on then.
    if (read) {
        m_contents.gameDir = fileops::absolutePath(read->header.gameDir);
        m_contents.label = read->header.label;
        m_contents.started = QDateTime::fromMSecsSinceEpoch(read->header.startedMsecs);
    }
    m_contents.headerOk = first.checked && read
        && read->format == (m_contents.firstFormat ? JournalFormat::First : JournalFormat::Current)
        && (m_contents.firstFormat || read->hasStepCount);
    m_plannedSteps = m_contents.headerOk && !m_contents.firstFormat ? read->header.stepCount : 0;
    if (!m_contents.headerOk) {
        m_contents.damage << (first.checked ? u"its first line is not one this version can read"_s
                                            : u"its first line does not match its check"_s);
    }
}

// The step a damaged or torn line names, as far as it can be read: never acted on, but named to
// the player, who may find the file by it.
void JournalReader::nameDamagedStep(const QByteArray &line, qsizetype lineIndex)
{
    const auto named = stepNamedBy(splitJournalLine(line, m_contents.firstFormat).fields);
    if (!named)
        return;
    const QString whereabouts = named->step ? whereaboutsOf(JournalStep{*named->step}) : u"moved"_s;
    m_unreadable.insert(named->index,
        {named->name,
            u"the journal's record of it (line %1) is damaged, so it was not given "
            "back; as far as that line can be read, it was %2"_s.arg(lineIndex + 1)
                .arg(whereabouts)});
}

JournalStep *JournalReader::plannedStep(int index)
{
    const auto step = m_contents.steps.find(index);
    return step == m_contents.steps.end() ? nullptr : &*step;
}

bool JournalReader::take(const PlanLine &line)
{
    if (m_planned || plannedStep(line.index))
        return false;
    m_contents.steps.insert(line.index, JournalStep{line.step});
    return true;
}

bool JournalReader::take(const FirstFormatStepLine &line)
{
    if (!m_contents.firstFormat)
        return false;
    JournalStep step{line.step};
    step.begun = true;
    m_contents.steps.insert(line.index, step);
    return true;
}

bool JournalReader::take(const PlanEndLine &)
{
    if (m_planned)
        return false;
    m_planned = true;
    return true;
}

// A step whose own line is damaged is named as such; its progress tells nothing more.
bool JournalReader::take(const StepBegunLine &line)
{
    if (!m_planned)
        return false;
    if (JournalStep *step = plannedStep(line.index))
        step->begun = true;
    return true;
}

bool JournalReader::take(const StepDoneLine &line)
{
    if (!m_planned)
        return false;
    if (JournalStep *step = plannedStep(line.index)) {
        step->done = true;
        if (line.movedToTrash) {
            step->trashedPath = line.trashedPath;
            step->infoPath = line.infoPath;
        }
    }
    return true;
}

bool JournalReader::take(const StepSkippedLine &line)
{
    if (!m_planned)
        return false;
    if (JournalStep *step = plannedStep(line.index))
        step->skipped = true;
    return true;
}

bool JournalReader::take(const TrashFolderLine &line)
{
    if (m_planned)
        m_contents.trashFolderMade = line.folder;
    return m_planned;
}

bool JournalReader::take(const EngineLine &line)
{
    if (m_planned)
        m_contents.engines.append(line.engine);
    return m_planned;
}

bool JournalReader::take(const KeptLine &)
{
    if (m_planned)
        m_contents.kept = true;
    return m_planned;
}

bool JournalReader::take(const AppliedLine &)
{
    return m_planned;
}

} // namespace

JournalContents readJournal(const QByteArray &bytes)
{
    JournalContents contents;
    contents.firstFormat = bytes.startsWith("quillon-journal 1 ");
    QList<QByteArray> lines = bytes.split('\n');
    const QByteArray torn = lines.takeLast();
    if (lines.isEmpty()) {
        // The first format created the file empty and wrote its first line after; the journal
        // of today appears whole with its plan, so it is never cut short by a crash.
        if (contents.firstFormat || torn == "quillon-journal 1")
            contents.headerless = true;
        else
            contents.damage << (bytes.isEmpty() ? u"it is empty"_s : u"it ends inside its first line"_s);
        return contents;
    }
    JournalReader(contents).read(lines, torn);
    return contents;
}

QString whereaboutsOf(const JournalStep &step)
{
    switch (step.kind) {
    case JournalStepKind::Rename:
        return u"renamed to \"%1\" in the game directory"_s.arg(step.newName);
    case JournalStepKind::Trash:
        return step.trashedPath.isEmpty() ? u"moved to the trash"_s
                                          : u"moved to the trash as \"%1\""_s.arg(step.trashedPath);
    case JournalStepKind::Remove:
        return u"deleted for good"_s;
    case JournalStepKind::Save:
        return u"a save of the TC's, in the game directory or in its save folder \"%1\""_s.arg(step.saveDir);
    case JournalStepKind::CopyIn:
        break;
    }
    return u"the TC's file, copied in under this name"_s;
}

} // namespace ostrel
