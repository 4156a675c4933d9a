#include "launcher/cleanupplan.h"

#include "launcher/fileops.h"
#include "launcher/saveplan.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

namespace ostrel {

QList<DirectoryEntry> listDirectory(const QString &folder, QString *error)
{
    QList<DirectoryEntry> entries;
    const QByteArray native = fileops::encodePath(folder);
    DIR *dir = ::opendir(native.constData());
    if (!dir) {
        if (error)
            *error =
                u"The folder \"%1\" cannot be read: %2."_s.arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
        return entries;
    }
    const int fd = ::dirfd(dir);
    while (const dirent *entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        struct stat st;
        if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue; // gone since readdir: nothing to clean up
        DirectoryEntry e;
        e.name = fileops::decodePath(QByteArray(entry->d_name));
        e.kind = S_ISREG(st.st_mode) ? EntryKind::File
            : S_ISDIR(st.st_mode)    ? EntryKind::Directory
            : S_ISLNK(st.st_mode)    ? EntryKind::Symlink
                                     : EntryKind::Other;
        e.size = st.st_size;
        e.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        entries.append(e);
    }
    ::closedir(dir);
    return entries;
}

namespace {

bool isPlainName(const QString &name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') && !name.contains(QChar(0));
}

QString kindReason(EntryKind kind)
{
    switch (kind) {
    case EntryKind::Directory:
        return u"a folder; the clean-up only moves files"_s;
    case EntryKind::Symlink:
        return u"a link; it may lead out of the game directory, so it is neither followed nor moved"_s;
    case EntryKind::Other:
        return u"not a regular file"_s;
    case EntryKind::File:
        break;
    }
    return {};
}

CleanupPlan planError(const QString &why)
{
    CleanupPlan plan;
    plan.error = why;
    return plan;
}

} // namespace

CleanupPlan planCleanup(const CleanupInput &input)
{
    if (input.preference == CleanupPreference::Unknown)
        return planError(
            u"The directory clean-up preference is not one of Delete, Rename or None; choose one before launching."_s);

    const QString gameDir = QDir::cleanPath(input.gameDir);
    QSet<QString> ownFiles;
    for (const QString &file : input.tcFiles) {
        if (!file.isEmpty())
            ownFiles.insert(QDir::cleanPath(file));
    }
    QSet<QString> duplicates;
    for (const QString &name : input.duplicateNames)
        duplicates.insert(name.toUpper());
    QSet<QString> mainGroups;
    for (const QString &name : input.mainGroupNames)
        mainGroups.insert(name.toUpper());
    QSet<QString> saveNames;
    for (const QString &name : input.saves.slotNames)
        saveNames.insert(name.toUpper());

    // Copies in, by upper-case target name; a TC file already in place needs no copy.
    QHash<QString, CopyIn> copies;
    QList<CopyIn> copyOrder;
    for (const CopyIn &copy : input.copyIns) {
        if (!isPlainName(copy.targetName))
            return planError(u"\"%1\" cannot be copied into the game directory under the name \"%2\"."_s.arg(
                copy.source, copy.targetName));
        const QString upper = copy.targetName.toUpper();
        if (copies.contains(upper))
            return planError(u"Two of the TC's files would be copied in as \"%1\"."_s.arg(copy.targetName));
        copies.insert(upper, copy);
        copyOrder.append(copy);
    }

    QList<DirectoryEntry> listing = input.listing;
    std::sort(listing.begin(), listing.end(),
        [](const DirectoryEntry &a, const DirectoryEntry &b) { return a.name < b.name; });

    // Every name that exists or will exist, so a .org name never lands on one.
    QStringList taken;
    taken.reserve(listing.size() * 2 + copies.size());
    for (const DirectoryEntry &entry : listing)
        taken.append(entry.name.toUpper());
    for (auto it = copies.cbegin(); it != copies.cend(); ++it)
        taken.append(it.key());
    QSet<QString> takenSet(taken.begin(), taken.end());

    CleanupPlan plan;
    QSet<QString> copiesInPlace;
    for (const DirectoryEntry &entry : listing) {
        if (!isPlainName(entry.name)) {
            plan.leftAlone.append({entry.name, u"not a plain file name in the game directory"_s});
            continue;
        }
        const QString upper = entry.name.toUpper();
        const auto copy = copies.constFind(upper);
        const bool inTheWay = copy != copies.cend();
        if ((!inTheWay && !duplicates.contains(upper)) || saveNames.contains(upper))
            continue;

        const QString path = gameDir + u'/' + entry.name;
        QString keepReason;
        if (ownFiles.contains(path)) {
            if (inTheWay && QDir::cleanPath(copy->source) == path) {
                copiesInPlace.insert(upper);
                continue;
            }
            keepReason = u"one of the TC's own files"_s;
        } else if (mainGroups.contains(upper)) {
            keepReason = u"the game's main group file"_s;
        } else if (entry.kind != EntryKind::File) {
            keepReason = kindReason(entry.kind);
        }
        if (!keepReason.isEmpty()) {
            if (inTheWay) {
                return planError(
                    u"\"%1\" is in the game directory where the TC's \"%2\" has to be copied, and it cannot be moved aside: %3."_s
                        .arg(entry.name, copy->source, keepReason));
            }
            plan.leftAlone.append({entry.name, keepReason});
            continue;
        }

        CleanupStep step;
        step.name = entry.name;
        step.size = entry.size;
        step.mtimeNs = entry.mtimeNs;
        if (inTheWay) {
            step.action = StepAction::Rename;
            step.reason =
                u"in the way of the TC's \"%1\", which this launch copies in; renamed aside whatever the clean-up preference, and put back afterwards"_s
                    .arg(QDir(copy->source).dirName());
        } else if (input.preference == CleanupPreference::Rename) {
            step.action = StepAction::Rename;
            step.reason =
                u"a loose file of the same name as one of the TC's; the game would load it instead of the TC's"_s;
        } else if (input.preference == CleanupPreference::Delete) {
            step.action = StepAction::Trash;
            step.reason =
                u"a loose file of the same name as one of the TC's; the game would load it instead of the TC's"_s;
        } else {
            continue;
        }
        if (step.action == StepAction::Rename)
            step.newName = freeAsideName(entry.name, takenSet);
        plan.steps.append(step);
    }

    for (const CopyIn &copy : copyOrder) {
        if (copiesInPlace.contains(copy.targetName.toUpper()))
            continue;
        CleanupStep step;
        step.action = StepAction::CopyIn;
        step.name = copy.targetName;
        step.source = copy.source;
        step.reason = u"the engine reads the TC's files only from the game directory; removed again afterwards"_s;
        plan.steps.append(step);
    }
    planSaveMoves(listing, input.saves, takenSet, plan);
    return plan;
}

} // namespace ostrel
