#include "launcher/cleanuprestore.h"

#include "launcher/fileops.h"
#include "launcher/journalreader.h"
#include "launcher/savemoves.h"
#include "launcher/trashlookup.h"

#include <QMap>

#include <unistd.h>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

QString changesUndoneText(int steps)
{
    return steps == 1 ? u"1 change undone"_s : u"%1 changes undone"_s.arg(steps);
}

void removeFile(const QString &path)
{
    ::unlink(fileops::encodePath(path).constData());
}

// Gives a game directory back one step of its journal at a time.
class StepRestorer
{
public:
    StepRestorer(const JournalContents &journal, const QString &gameDir, Trash &trash, RestoreReport &report)
        : m_journal(journal)
        , m_dir(gameDir + u'/')
        , m_trash(trash)
        , m_report(report)
    {
    }

    void undo(const JournalStep &step);
    /// Tells where the TC's saves went back to, once every step is undone.
    void noteSavesBack();

private:
    void takeSavesBack(const JournalStep &step);
    QStringList playersSavesUnder(const QString &name, bool *leftUnsure);
    void undoCopyIn(const JournalStep &step);
    void undoRename(const JournalStep &step);
    void noteRemovedForGood(const JournalStep &step);
    void undoTrash(const JournalStep &step);
    void dropSecondNameInTrash(const JournalStep &step, const std::optional<fileops::Stat> &here);
    void takeBackFromTrash(const JournalStep &step);

    void notRestored(const QString &name, const QString &why);
    QList<JournalStep> renamesOf(const QString &name) const;
    bool isPlayersFile(const JournalStep &copyIn, const std::optional<fileops::Stat> &there) const;
    bool playersFileLeftItsOtherName(const QString &name) const;

    const JournalContents &m_journal;
    const QString m_dir;
    Trash &m_trash;
    RestoreReport &m_report;
    QMap<QString, QStringList> m_savesBack; ///< by save folder
};

void StepRestorer::undo(const JournalStep &step)
{
    if (step.skipped)
        return;
    switch (step.kind) {
    case JournalStepKind::CopyIn:
        undoCopyIn(step);
        break;
    case JournalStepKind::Rename:
        undoRename(step);
        break;
    case JournalStepKind::Remove:
        noteRemovedForGood(step);
        break;
    case JournalStepKind::Trash:
        undoTrash(step);
        break;
    case JournalStepKind::Save:
        takeSavesBack(step);
        break;
    }
}

// Once the step is begun, whatever is under its name in the game directory is the TC's: its
// save moved in, or one the game wrote. A step not begun took nothing for the TC, and the
// player's own file may still be there; but in a damaged journal the record of its beginning
// may be what was lost, so whatever is under the name is named, and left where it is.
void StepRestorer::takeSavesBack(const JournalStep &step)
{
    bool leftInPlace = false;
    if (!step.begun) {
        if (!m_journal.damage.isEmpty())
            playersSavesUnder(step.name, &leftInPlace);
        return;
    }
    const QStringList players = playersSavesUnder(step.name, &leftInPlace);
    const savemoves::TakenBack taken =
        savemoves::takeBack(m_dir.chopped(1), step.saveDir, step.name, step.tempName, players);
    m_report.stepsUndone += int(taken.names.size());
    m_report.notRestored += taken.problems;
    m_report.notes += taken.notes;
    m_savesBack[step.saveDir] += taken.names;
    // A file left under the name for want of a record may well be the TC's save: named already.
    if (step.size >= 0 && taken.names.isEmpty() && taken.problems.isEmpty() && !leftInPlace
        && !fileops::lstatPath(step.saveDir + u'/' + step.name))
        notRestored(step.name,
            u"the TC's save is gone: it is neither in the game directory nor in its save folder \"%1\""_s.arg(
                step.saveDir));
}

// The player's own saves under a name the TC took, which a give-back cut short already put back:
// each still has the size and modification time recorded before it was set aside (and its
// other name no longer does), or it is one file with its other name. When the journal is
// damaged, one whose setting aside cannot be read may be the player's too: it stays, named, and
// *leftUnsure is set.
QStringList StepRestorer::playersSavesUnder(const QString &name, bool *leftUnsure)
{
    QStringList players;
    for (const QString &found : fileops::namesIn(m_dir)) {
        if (found.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        const auto here = fileops::lstatPath(m_dir + found);
        bool recorded = false, theirs = false;
        for (const JournalStep &aside : renamesOf(found)) {
            if (aside.name != found || aside.skipped)
                continue;
            recorded = true;
            const auto other = fileops::lstatPath(m_dir + aside.newName);
            theirs = theirs || fileops::sameInode(here, other)
                || (fileops::sameFile(here, aside.size, aside.mtimeNs)
                    && !fileops::sameFile(other, aside.size, aside.mtimeNs));
        }
        if (!recorded && !m_journal.damage.isEmpty()) {
            notRestored(found,
                u"it may be the TC's save or the player's own: the journal is damaged, so it was left in the game "
                "directory"_s);
            theirs = *leftUnsure = true;
        }
        if (theirs)
            players << found;
    }
    return players;
}

void StepRestorer::noteSavesBack()
{
    for (auto it = m_savesBack.cbegin(); it != m_savesBack.cend(); ++it) {
        if (!it->isEmpty())
            m_report.notes << u"The TC's saves went back to its save folder \"%1\": %2."_s.arg(
                it.key(), it->join(u", "_s));
    }
}

void StepRestorer::undoCopyIn(const JournalStep &step)
{
    const QString original = m_dir + step.name;
    if (const auto temp = fileops::lstatPath(m_dir + step.tempName); temp && temp->regular)
        removeFile(m_dir + step.tempName);
    const auto there = fileops::lstatPath(original);
    if (!there || isPlayersFile(step, there))
        return;
    if (m_journal.firstFormat && !m_journal.damage.isEmpty()) {
        // The lost line may be the record of the player's file this copy displaced.
        notRestored(step.name,
            u"it may be the TC's file copied in, or the player's own file with the same bytes: "
            "the journal is damaged, so it was left as it is"_s);
        return;
    }
    // Only the launch's own copy goes: anything else under that name is not ours to remove.
    const auto digest = there->regular ? fileops::digestOf(original) : std::nullopt;
    if (digest && digest->size == step.size && digest->sha256 == step.sha256) {
        if (::unlink(fileops::encodePath(original).constData()) == 0)
            ++m_report.stepsUndone;
        else
            notRestored(
                step.name, u"the copy of the TC's file could not be removed: %1"_s.arg(fileops::errorText(errno)));
    } else if (step.done && !playersFileLeftItsOtherName(step.name)) {
        notRestored(step.name, u"the TC's file copied in was changed since (by the game?), so it was kept"_s);
    }
}

void StepRestorer::undoRename(const JournalStep &step)
{
    const QString original = m_dir + step.name;
    const QString renamed = m_dir + step.newName;
    const auto from = fileops::lstatPath(original);
    const auto to = fileops::lstatPath(renamed);
    if (!to) {
        // Never renamed, or already back; unless it is under neither name.
        if (!from && step.begun)
            notRestored(step.name,
                u"it is gone: neither \"%1\" nor \"%2\" is in the game directory"_s.arg(step.name, step.newName));
        return;
    }
    if (fileops::sameInode(from, to)) {
        // The player's file is whole under its own name; only the other name is left.
        if (::unlink(fileops::encodePath(renamed).constData()) == 0)
            ++m_report.stepsUndone;
        else
            notRestored(step.name, u"it is also still named \"%1\": %2"_s.arg(step.newName, fileops::errorText(errno)));
        return;
    }
    if (from) {
        if (step.done) {
            notRestored(step.name,
                u"a new \"%1\" is in the game directory, so the player's file stays as \"%2\""_s.arg(
                    step.name, step.newName));
        }
        return;
    }
    if (const int error = fileops::renameNoReplace(renamed, original))
        notRestored(step.name, u"still named \"%1\": %2"_s.arg(step.newName, fileops::errorText(error)));
    else
        ++m_report.stepsUndone;
}

void StepRestorer::noteRemovedForGood(const JournalStep &step)
{
    if (step.done || (step.begun && !fileops::lstatPath(m_dir + step.name)))
        m_report.removedForGood.append(step.name);
}

void StepRestorer::undoTrash(const JournalStep &step)
{
    if (const auto here = fileops::lstatPath(m_dir + step.name))
        dropSecondNameInTrash(step, here);
    else
        takeBackFromTrash(step);
}

// The file is in its place: never trashed, or already back (a crash may have cut the restore
// before the .trashinfo went), or cut between the link and the unlink of a move to or from the
// trash, and then the trash holds a second name of the file that is here.
void StepRestorer::dropSecondNameInTrash(const JournalStep &step, const std::optional<fileops::Stat> &here)
{
    const QString original = m_dir + step.name;
    TrashedFile trashed{step.trashedPath, step.infoPath};
    if (trashed.path.isEmpty() && !step.done && step.begun) {
        const auto found = findInTrash(m_trash, original, step.size, step.mtimeNs);
        if (found && fileops::sameInode(here, fileops::lstatPath(found->path)))
            trashed = *found;
    }
    const auto inTrash = trashed.path.isEmpty() ? std::nullopt : fileops::lstatPath(trashed.path);
    if (fileops::sameInode(here, inTrash)) {
        removeFile(trashed.path);
        if (!trashed.infoPath.isEmpty())
            removeFile(trashed.infoPath);
        ++m_report.stepsUndone;
    } else if (inTrash) {
        notRestored(step.name,
            u"a new \"%1\" is in the game directory; the player's file stays in the trash as \"%2\""_s.arg(
                step.name, trashed.path));
    } else if (!trashed.infoPath.isEmpty()) {
        removeFile(trashed.infoPath);
    } else if (!step.done && step.begun) {
        removeOrphanInfos(m_trash, original);
    }
}

void StepRestorer::takeBackFromTrash(const JournalStep &step)
{
    const QString original = m_dir + step.name;
    TrashedFile trashed{step.trashedPath, step.infoPath};
    if (trashed.path.isEmpty() || !fileops::lstatPath(trashed.path)) {
        const auto found = findInTrash(m_trash, original, step.size, step.mtimeNs);
        if (!found) {
            if (step.begun)
                notRestored(step.name, u"it is gone from the game directory and was not found in the trash"_s);
            return;
        }
        trashed = *found;
    }
    if (const int error = fileops::renameNoReplace(trashed.path, original)) {
        notRestored(
            step.name, u"it could not be taken back from \"%1\": %2"_s.arg(trashed.path, fileops::errorText(error)));
        return;
    }
    if (!trashed.infoPath.isEmpty())
        removeFile(trashed.infoPath);
    ++m_report.stepsUndone;
}

void StepRestorer::notRestored(const QString &name, const QString &why)
{
    m_report.notRestored.append({name, why});
}

QList<JournalStep> StepRestorer::renamesOf(const QString &name) const
{
    QList<JournalStep> renames;
    for (const JournalStep &step : m_journal.steps) {
        if (step.kind == JournalStepKind::Rename && step.name.compare(name, Qt::CaseInsensitive) == 0)
            renames.append(step);
    }
    return renames;
}

// Whether what is under a copy's name is the player's file it displaced, put back by a restore
// cut short or never moved: it still has the size and modification time recorded before it was
// renamed (a rename keeps both, a copy made now cannot have them), or it is one file with its
// other name. Asked before the content, since the player's file may hold the TC's very bytes.
bool StepRestorer::isPlayersFile(const JournalStep &copyIn, const std::optional<fileops::Stat> &there) const
{
    for (const JournalStep &aside : renamesOf(copyIn.name)) {
        if (fileops::sameFile(there, aside.size, aside.mtimeNs)
            || fileops::sameInode(there, fileops::lstatPath(m_dir + aside.newName)))
            return true;
    }
    return copyIn.displaces && fileops::sameFile(there, copyIn.displacedSize, copyIn.displacedMtimeNs);
}

// A restore renames the player's file back only onto a free name, so once it has left its other
// name, what is under its own name came back with it, however it was changed since.
bool StepRestorer::playersFileLeftItsOtherName(const QString &name) const
{
    for (const JournalStep &aside : renamesOf(name)) {
        if (!aside.skipped && !fileops::lstatPath(m_dir + aside.newName))
            return true;
    }
    return false;
}

} // namespace

QString RestoreReport::headline() const
{
    if (ok())
        return u"The game directory is back as it was (%1)."_s.arg(changesUndoneText(stepsUndone));
    if (stepsUndone > 0)
        return u"The game directory could not be fully given back (%1)."_s.arg(changesUndoneText(stepsUndone));
    return u"The game directory could not be given back."_s;
}

QStringList RestoreReport::details() const
{
    QStringList lines;
    if (!error.isEmpty())
        lines << error;
    for (const LeftAlone &left : notRestored)
        lines << u"Not put back: \"%1\": %2."_s.arg(left.name, left.reason);
    if (!removedForGood.isEmpty()) {
        lines << u"Deleted for good at the launch, as agreed (they cannot be recovered): %1."_s.arg(
            u"\""_s + removedForGood.join(u"\", \""_s) + u"\""_s);
    }
    return lines + notes;
}

void restoreSteps(const JournalContents &journal, const QString &gameDir, Trash &trash, RestoreReport &report)
{
    StepRestorer restorer(journal, gameDir, trash, report);
    const QList<int> order = journal.steps.keys();
    for (auto index = order.crbegin(); index != order.crend(); ++index)
        restorer.undo(journal.steps.value(*index));
    restorer.noteSavesBack();
    report.notRestored += journal.unreadable;
    fileops::syncFolder(gameDir);
    removeTrashFolderIfEmpty(journal.trashFolderMade);
}

} // namespace ostrel
