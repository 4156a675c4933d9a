#pragma once

// The launch journal's lines: what each kind holds, how it is written, with its check, and how
// its fields are read back. Internal to the launcher.

#include "launcher/processinfo.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <optional>
#include <variant>

namespace ostrel {

/// What a step of the journal's plan does to its file.
enum class JournalStepKind {
    Rename, ///< renamed aside within the game directory
    Trash,  ///< moved to the trash
    Remove, ///< removed for good, as the player agreed
    CopyIn, ///< a TC's file copied in
    Save,   ///< a name the game writes a save under, taken for the TC: its save moved in, if any
};

/// A step as the plan names it, before anything is done.
struct PlannedStep {
    JournalStepKind kind = JournalStepKind::Rename;
    QString name;        ///< the file in the game directory; CopyIn: the name the copy gets; Save: also in saveDir
    QString newName;     ///< Rename: the name it is given
    QString source;      ///< CopyIn: the TC's file
    QString saveDir;     ///< Save: the TC's save folder, where the save comes from and goes back to
    bool copies = false; ///< Save: saveDir is on another file system, so a move is a copy, then a removal
    /// CopyIn, and Save when it copies: the name the copy is written under before it gets its own
    QString tempName;
    qint64 size = 0;    ///< the file as planned; CopyIn: the copy's, -1 when the TC's file cannot be read;
                        ///< Save: the TC's save in saveDir, -1 when it has none
    qint64 mtimeNs = 0; ///< not for CopyIn
    QByteArray sha256;  ///< CopyIn: the copy's digest in hex; empty when the TC's file cannot be read
    /// CopyIn: the player's file renamed aside to make room, with the size and modification time
    /// the rename's own step records, so that the copy is told from it even when that line is lost.
    bool displaces = false;
    qint64 displacedSize = 0;
    qint64 displacedMtimeNs = 0;
};

/// The first line: which launch the journal records, and how many steps its plan has.
struct JournalHeader {
    QString gameDir;
    QString label;
    qint64 startedMsecs = 0;
    int stepCount = 0;
};
/// One step of the plan, written before anything moves.
struct PlanLine {
    int index = 0;
    PlannedStep step;
};
/// The end of the plan: the journal is whole from here on.
struct PlanEndLine {
};
/// A step is about to be taken.
struct StepBegunLine {
    int index = 0;
};
/// A step was taken; a move to the trash says where the file went.
struct StepDoneLine {
    int index = 0;
    bool movedToTrash = false; ///< then the line names where it went:
    QString trashedPath{};     ///< the file in the trash's files/
    QString infoPath{};        ///< and its .trashinfo
};
/// A step was not taken (the file changed, the trash refused it, ...).
struct StepSkippedLine {
    int index = 0;
};
/// A volume's trash folder that a move to the trash created.
struct TrashFolderLine {
    QString folder;
};
/// The game started on the cleaned-up directory.
struct EngineLine {
    EngineProcess engine;
};
/// The game ended and the launch was told to leave the directory as it is.
struct KeptLine {
};
/// Every step was taken or skipped.
struct AppliedLine {
};

using JournalLine = std::variant<JournalHeader, PlanLine, PlanEndLine, StepBegunLine, StepDoneLine, StepSkippedLine,
    TrashFolderLine, EngineLine, KeptLine, AppliedLine>;

/// The line as it is written to the journal, with its check and its newline.
QByteArray journalLine(const JournalLine &line);

/// The first format's record of a step: planned and begun at once. Only ever read.
struct FirstFormatStepLine {
    int index = 0;
    PlannedStep step;
};

/// Any line but the first, as read back.
using ReadLine = std::variant<PlanLine, FirstFormatStepLine, PlanEndLine, StepBegunLine, StepDoneLine, StepSkippedLine,
    TrashFolderLine, EngineLine, KeptLine, AppliedLine>;

/// A line's fields, without its check, and whether it matches its check.
struct JournalFields {
    QList<QByteArray> fields;
    bool checked = false;
};
/// Splits one line (without its newline); firstFormat: checked as the first format did.
JournalFields splitJournalLine(const QByteArray &line, bool firstFormat);

/// The formats of the journal that this version reads.
enum class JournalFormat {
    Unknown,
    First,   ///< no plan ahead of the steps, a CRC-16 check
    Current, ///< the whole plan first, 32 bits of SHA-256 as the check
};

/// The first line as far as it can be read, even when it fails its check.
struct ReadHeader {
    JournalFormat format = JournalFormat::Unknown;
    JournalHeader header;
    bool hasStepCount = false; ///< the first format did not count its steps
};
/// nullopt when the fields are no journal's first line at all.
std::optional<ReadHeader> decodeHeader(const QList<QByteArray> &fields);

/// nullopt for a line this version cannot read.
std::optional<ReadLine> decodeLine(const QList<QByteArray> &fields);

/// The step a damaged line names, as far as its fields can be read.
struct NamedStep {
    int index = 0;
    QString name;
    std::optional<PlannedStep> step; ///< when its fields still make a whole step
};
/// nullopt when the line is no step of the plan, or too short to name one.
std::optional<NamedStep> stepNamedBy(const QList<QByteArray> &fields);

/// The journal open for appending, as the launch goes on: each line is on disk (fsync) before
/// append() returns, and is added to the lines the launch keeps in memory.
class JournalAppender
{
public:
    JournalAppender(const QString &path, QByteArray &written);

    QString path() const { return m_path; }
    bool isOpen() const { return m_file.isOpen(); }
    /// False when the journal is not open or the line did not reach the disk whole.
    bool append(const JournalLine &line);
    /// The errno of the open or append that failed.
    int error() const { return m_error; }

private:
    QString m_path;
    QFile m_file;
    QByteArray &m_written;
    int m_error = 0;
};

} // namespace ostrel
