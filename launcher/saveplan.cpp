#include "launcher/saveplan.h"

#include <QHash>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

QList<DirectoryEntry> sortedByName(QList<DirectoryEntry> listing)
{
    std::sort(listing.begin(), listing.end(),
        [](const DirectoryEntry &a, const DirectoryEntry &b) { return a.name < b.name; });
    return listing;
}

QString kindText(EntryKind kind)
{
    return kind == EntryKind::Directory ? u"a folder"_s
        : kind == EntryKind::Symlink    ? u"a link"_s
                                        : u"not a regular file"_s;
}

void failPlan(CleanupPlan &plan, const QString &why)
{
    plan = CleanupPlan();
    plan.error = why;
}

// The TC's save of one name: the file named exactly so, else the first in another case; the
// others stay in the folder, told to the player, since only one can be moved in under the name.
CleanupStep saveStepFor(
    const QString &slot, const QList<DirectoryEntry> &saveListing, const SaveMovesInput &saves, CleanupPlan &plan)
{
    CleanupStep step;
    step.action = StepAction::Save;
    step.name = slot;
    step.saveDir = saves.saveDir;
    step.copies = !saves.sameFileSystem;
    step.size = -1;
    step.reason = u"a name the game writes saves under: what it leaves there goes to the TC's save folder"_s;
    QList<DirectoryEntry> files;
    for (const DirectoryEntry &entry : saveListing) {
        if (entry.name.compare(slot, Qt::CaseInsensitive) != 0)
            continue;
        if (entry.kind != EntryKind::File)
            plan.leftAlone.append({saves.saveDir + u'/' + entry.name,
                kindText(entry.kind) + u" in the TC's save folder; it stays there"_s});
        else
            files.append(entry);
    }
    if (files.isEmpty())
        return step;
    const auto exact =
        std::find_if(files.cbegin(), files.cend(), [&](const DirectoryEntry &entry) { return entry.name == slot; });
    const DirectoryEntry chosen = exact != files.cend() ? *exact : files.constFirst();
    for (const DirectoryEntry &other : std::as_const(files)) {
        if (other.name != chosen.name)
            plan.leftAlone.append({saves.saveDir + u'/' + other.name,
                u"another of the TC's saves named \"%1\" in other letter case; only that one is moved in, this one "
                "stays in the TC's save folder"_s.arg(chosen.name)});
    }
    step.name = chosen.name;
    step.source = saves.saveDir + u'/' + chosen.name;
    step.size = chosen.size;
    step.mtimeNs = chosen.mtimeNs;
    step.reason = step.copies
        ? u"the TC's save, copied into the game directory for the game (its folder is on another drive) "
          "and moved back afterwards"_s
        : u"the TC's save, moved into the game directory for the game and back afterwards"_s;
    return step;
}

} // namespace

QString freeAsideName(const QString &name, QSet<QString> &taken)
{
    QString candidate = name + u".org"_s;
    for (int n = 1; taken.contains(candidate.toUpper()); ++n)
        candidate = name + u'.' + QString::number(n) + u".org"_s;
    taken.insert(candidate.toUpper());
    return candidate;
}

void planSaveMoves(
    const QList<DirectoryEntry> &gameListing, const SaveMovesInput &saves, QSet<QString> &taken, CleanupPlan &plan)
{
    if (saves.slotNames.isEmpty() || !plan.ok())
        return;
    QHash<QString, QString> slots;
    for (const QString &slot : saves.slotNames)
        slots.insert(slot.toUpper(), slot);
    for (const CleanupStep &step : std::as_const(plan.steps)) {
        if (step.action == StepAction::CopyIn && slots.contains(step.name.toUpper())) {
            return failPlan(plan,
                u"The TC's \"%1\" would be copied into the game directory as \"%2\", a name the game writes its "
                "saves under."_s.arg(step.source, step.name));
        }
    }

    QList<CleanupStep> steps;
    for (const DirectoryEntry &entry : sortedByName(gameListing)) {
        if (!slots.contains(entry.name.toUpper()))
            continue;
        // The game would write the TC's saves through a link, and cannot write over a folder.
        if (entry.kind != EntryKind::File) {
            return failPlan(plan,
                u"\"%1\" in the game directory is %2 under a name the game writes its saves under, so the TC's "
                "saves cannot be kept apart from it; move it out of the game directory, then launch again."_s.arg(
                    entry.name, kindText(entry.kind)));
        }
        CleanupStep aside;
        aside.action = StepAction::Rename;
        aside.name = entry.name;
        aside.newName = freeAsideName(entry.name, taken);
        aside.size = entry.size;
        aside.mtimeNs = entry.mtimeNs;
        aside.reason =
            u"a save of the player's own, made without Quillon: set aside so that the TC neither loads nor overwrites "
            "it, and put back afterwards"_s;
        steps.append(aside);
    }
    const QList<DirectoryEntry> saveListing = sortedByName(saves.saveListing);
    for (const QString &slot : saves.slotNames) {
        const CleanupStep step = saveStepFor(slot, saveListing, saves, plan);
        taken.insert(step.name.toUpper());
        steps.append(step);
    }
    plan.steps += steps;
}

} // namespace ostrel
