#include "launcher/journalformat.h"

#include "launcher/fileops.h"

#include <QCryptographicHash>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

constexpr char kMagic[] = "quillon-journal";
constexpr char kFirstFormat[] = "1";
constexpr char kCurrentFormat[] = "2";

// A path or text field: its bytes on disk, percent-encoded, behind '=' (which the encoding
// never leaves bare), so an empty value is still a field and spaces never split one.
QByteArray textField(const QString &text)
{
    return '=' + fileops::encodePath(text).toPercentEncoding();
}

QString fromTextField(const QByteArray &field)
{
    return fileops::decodePath(QByteArray::fromPercentEncoding(field.mid(1)));
}

QByteArray number(qint64 value)
{
    return QByteArray::number(value);
}

// What ends each line: 32 bits of its SHA-256, enough that an edited line never passes for a
// good one (the first format's CRC-16 lets one in 65,536 through).
QByteArray checkOf(JournalFormat format, QByteArrayView line)
{
    if (format == JournalFormat::First)
        return QByteArray::number(qChecksum(line), 16);
    return QCryptographicHash::hash(line, QCryptographicHash::Sha256).toHex().first(8);
}

QByteArray kindText(JournalStepKind kind)
{
    switch (kind) {
    case JournalStepKind::Rename:
        return "rename";
    case JournalStepKind::Trash:
        return "trash";
    case JournalStepKind::Remove:
        return "remove";
    case JournalStepKind::CopyIn:
        return "copyin";
    case JournalStepKind::Save:
        break;
    }
    return "save";
}

std::optional<JournalStepKind> kindOf(const QByteArray &text)
{
    for (const JournalStepKind kind : {JournalStepKind::Rename, JournalStepKind::Trash, JournalStepKind::Remove,
             JournalStepKind::CopyIn, JournalStepKind::Save}) {
        if (text == kindText(kind))
            return kind;
    }
    return std::nullopt;
}

QList<QByteArray> fieldsOf(const JournalHeader &header)
{
    return {kMagic, kCurrentFormat, textField(header.gameDir), textField(header.label), number(header.startedMsecs),
        number(header.stepCount)};
}

QList<QByteArray> fieldsOf(const PlanLine &line)
{
    const PlannedStep &step = line.step;
    QList<QByteArray> fields{"plan", number(line.index), kindText(step.kind), textField(step.name)};
    switch (step.kind) {
    case JournalStepKind::Rename:
        return fields << textField(step.newName) << number(step.size) << number(step.mtimeNs);
    case JournalStepKind::Trash:
    case JournalStepKind::Remove:
        return fields << number(step.size) << number(step.mtimeNs);
    case JournalStepKind::Save:
        return fields << textField(step.saveDir) << number(step.size) << number(step.mtimeNs)
                      << (step.copies ? "copy" : "move") << textField(step.tempName);
    case JournalStepKind::CopyIn:
        break;
    }
    return fields << textField(step.source) << textField(step.tempName) << number(step.size)
                  << (step.sha256.isEmpty() ? "-" : step.sha256) << (step.displaces ? number(step.displacedSize) : "-")
                  << (step.displaces ? number(step.displacedMtimeNs) : "-");
}

QList<QByteArray> fieldsOf(const PlanEndLine &)
{
    return {"planned"};
}

QList<QByteArray> fieldsOf(const StepBegunLine &line)
{
    return {"begin", number(line.index)};
}

QList<QByteArray> fieldsOf(const StepDoneLine &line)
{
    if (!line.movedToTrash)
        return {"done", number(line.index)};
    return {"done", number(line.index), textField(line.trashedPath), textField(line.infoPath)};
}

QList<QByteArray> fieldsOf(const StepSkippedLine &line)
{
    return {"skip", number(line.index)};
}

QList<QByteArray> fieldsOf(const TrashFolderLine &line)
{
    return {"trashdir", textField(line.folder)};
}

QList<QByteArray> fieldsOf(const EngineLine &line)
{
    return {"engine", number(line.engine.pid), QByteArray::number(line.engine.startTime)};
}

QList<QByteArray> fieldsOf(const KeptLine &)
{
    return {"kept"};
}

QList<QByteArray> fieldsOf(const AppliedLine &)
{
    return {"applied"};
}

// The step of a "plan" (or the first format's "step") line: index, kind, then the kind's fields.
std::optional<PlannedStep> plannedStepOf(const QList<QByteArray> &f)
{
    const auto kind = kindOf(f.value(2));
    if (!kind)
        return std::nullopt;
    PlannedStep step;
    step.kind = *kind;
    switch (*kind) {
    case JournalStepKind::Trash:
    case JournalStepKind::Remove:
        if (f.size() != 6)
            return std::nullopt;
        step.name = fromTextField(f[3]);
        step.size = f[4].toLongLong();
        step.mtimeNs = f[5].toLongLong();
        return step;
    case JournalStepKind::Rename:
        if (f.size() != 7)
            return std::nullopt;
        step.name = fromTextField(f[3]);
        step.newName = fromTextField(f[4]);
        step.size = f[5].toLongLong();
        step.mtimeNs = f[6].toLongLong();
        return step;
    case JournalStepKind::Save:
        if (f.size() != 9 || (f[7] != "copy" && f[7] != "move"))
            return std::nullopt;
        step.name = fromTextField(f[3]);
        step.saveDir = fromTextField(f[4]);
        step.size = f[5].toLongLong();
        step.mtimeNs = f[6].toLongLong();
        step.copies = f[7] == "copy";
        step.tempName = fromTextField(f[8]);
        return step;
    case JournalStepKind::CopyIn:
        break;
    }
    // The first format wrote no displaced file.
    if (f.size() != 8 && f.size() != 10)
        return std::nullopt;
    step.name = fromTextField(f[3]);
    step.source = fromTextField(f[4]);
    step.tempName = fromTextField(f[5]);
    step.size = f[6].toLongLong();
    step.sha256 = f[7] == "-" ? QByteArray() : f[7];
    step.displaces = f.size() == 10 && f[8] != "-";
    step.displacedSize = f.value(8).toLongLong();
    step.displacedMtimeNs = f.value(9).toLongLong();
    return step;
}

} // namespace

JournalFields splitJournalLine(const QByteArray &line, bool firstFormat)
{
    const qsizetype mark = line.lastIndexOf(" *");
    const JournalFormat format = firstFormat ? JournalFormat::First : JournalFormat::Current;
    const bool checked = mark >= 0 && line.mid(mark + 2) == checkOf(format, QByteArrayView(line).first(mark));
    return {(mark >= 0 ? line.first(mark) : line).split(' '), checked};
}

std::optional<ReadHeader> decodeHeader(const QList<QByteArray> &f)
{
    if (f.size() < 5 || f[0] != kMagic)
        return std::nullopt;
    ReadHeader read;
    read.format = f[1] == kFirstFormat ? JournalFormat::First
        : f[1] == kCurrentFormat       ? JournalFormat::Current
                                       : JournalFormat::Unknown;
    read.header.gameDir = fromTextField(f[2]);
    read.header.label = fromTextField(f[3]);
    read.header.startedMsecs = f[4].toLongLong();
    read.hasStepCount = f.size() >= 6;
    read.header.stepCount = f.value(5).toInt();
    return read;
}

// Progress lines name their step by index alone, and are read as leniently as ever.
std::optional<ReadLine> decodeLine(const QList<QByteArray> &f)
{
    const QByteArray &kind = f[0];
    const int index = f.value(1).toInt();
    if (kind == "plan" || kind == "step") {
        const auto step = plannedStepOf(f);
        if (!step)
            return std::nullopt;
        return kind == "plan" ? ReadLine(PlanLine{index, *step}) : ReadLine(FirstFormatStepLine{index, *step});
    }
    if (kind == "planned")
        return PlanEndLine{};
    if (kind == "begin")
        return StepBegunLine{index};
    if (kind == "done") {
        if (f.size() < 4)
            return StepDoneLine{index};
        return StepDoneLine{index, true, fromTextField(f[2]), fromTextField(f[3])};
    }
    if (kind == "skip")
        return StepSkippedLine{index};
    if (kind == "trashdir" && f.size() == 2)
        return TrashFolderLine{fromTextField(f[1])};
    if (kind == "engine" && f.size() >= 3)
        return EngineLine{{f[1].toLongLong(), f[2].toULongLong()}};
    if (kind == "kept")
        return KeptLine{};
    if (kind == "applied")
        return AppliedLine{};
    return std::nullopt;
}

std::optional<NamedStep> stepNamedBy(const QList<QByteArray> &f)
{
    if ((f[0] != "plan" && f[0] != "step") || f.size() < 4)
        return std::nullopt;
    return NamedStep{f[1].toInt(), fromTextField(f[3]), plannedStepOf(f)};
}

QByteArray journalLine(const JournalLine &line)
{
    const QByteArray text = std::visit([](const auto &known) { return fieldsOf(known).join(' '); }, line);
    return text + " *" + checkOf(JournalFormat::Current, text) + '\n';
}

JournalAppender::JournalAppender(const QString &path, QByteArray &written)
    : m_path(path)
    , m_written(written)
{
    // O_APPEND: the journal's lines so far were each written whole, so every append starts a line.
    if (!fileops::openFile(m_file, path, O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW))
        m_error = errno;
}

bool JournalAppender::append(const JournalLine &line)
{
    if (!m_file.isOpen())
        return false;
    const QByteArray bytes = journalLine(line);
    if (m_file.write(bytes) != bytes.size() || ::fsync(m_file.handle()) != 0) {
        m_error = errno;
        return false;
    }
    m_written += bytes;
    return true;
}

} // namespace ostrel
