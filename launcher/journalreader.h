#pragma once

// Reading a launch journal back: which line may come where, and what is damage. Internal to the
// launcher.

#include "launcher/cleanupplan.h"
#include "launcher/journalformat.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace ostrel {

/// A planned step and how far the launch took it.
struct JournalStep : PlannedStep {
    bool begun = false;
    bool done = false;
    bool skipped = false;
    QString trashedPath{}; ///< Trash, once done: where the file went
    QString infoPath{};    ///< and its .trashinfo
};

/// What a journal says, as far as it can be read.
struct JournalContents {
    bool firstFormat = false; ///< written by the first version, which recorded its plan step by step
    bool headerOk = false;
    /// A first-format journal cut before its first line was whole: nothing was done yet.
    bool headerless = false;
    QString gameDir; ///< absolute
    QString label;
    QDateTime started;
    QMap<int, JournalStep> steps;
    QList<EngineProcess> engines;
    QString trashFolderMade;
    QStringList damage;          ///< why the journal cannot be trusted; empty when it can
    QList<LeftAlone> unreadable; ///< the steps only a damaged line names, or none
    bool kept = false;           ///< the launch left the directory as the game left it, as told
};

/// Reads a journal. Only its last line may be torn: a crash cuts an append short, and a line
/// without its newline was never acted on. Anything else that is not as it was written (a line
/// that fails its check, a plan cut short or a step missing from it) is damage.
JournalContents readJournal(const QByteArray &bytes);

/// Where a step may have left the player's file, for a report that cannot give it back.
QString whereaboutsOf(const JournalStep &step);

} // namespace ostrel
