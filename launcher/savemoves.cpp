#include "launcher/savemoves.h"

#include "launcher/fileops.h"

#include <unistd.h>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace ostrel::savemoves {

namespace {

void removeIfFile(const QString &path)
{
    if (const auto st = fileops::lstatPath(path); st && st->regular)
        ::unlink(fileops::encodePath(path).constData());
}

// Copies from to a new to, durably, through temp in to's folder: the name to appears only with
// the whole file behind it. Returns 0 or an errno (EEXIST: to is taken).
int copyIntoPlace(const QString &from, const QString &to, const QString &temp, QString *why)
{
    removeIfFile(temp);
    const auto copied = fileops::copyToNewFile(from, temp, why);
    const auto source = copied ? fileops::digestOf(from) : std::nullopt;
    int error = !copied ? EIO : source != copied ? EAGAIN : fileops::renameNoReplace(temp, to);
    if (error) {
        ::unlink(fileops::encodePath(temp).constData());
        if (error == EAGAIN)
            *why = u"\"%1\" changed while it was copied"_s.arg(from);
        else if (error != EIO)
            *why = fileops::errorText(error);
    }
    return error;
}

enum class Landing {
    Moved,
    AlreadyThere,
    Taken,
    Failed
};

// Moves from to to, unless to holds the same file (a second name of it, or a copy with its
// bytes), which a move cut short leaves: then from only goes.
Landing land(const QString &from, const QString &to, const QString &temp, QString *why)
{
    const auto source = fileops::lstatPath(from);
    const auto target = fileops::lstatPath(to);
    if (target) {
        const auto there = target->regular ? fileops::digestOf(to) : std::nullopt;
        if (fileops::sameInode(source, target) || (there && there == fileops::digestOf(from))) {
            if (::unlink(fileops::encodePath(from).constData()) != 0) {
                *why = fileops::errorText(errno);
                return Landing::Failed;
            }
            return Landing::AlreadyThere;
        }
        return Landing::Taken;
    }
    int error = fileops::renameNoReplace(from, to);
    if (error == EXDEV && (error = copyIntoPlace(from, to, temp, why)) == 0
        && ::unlink(fileops::encodePath(from).constData()) != 0) {
        *why = fileops::errorText(errno);
        return Landing::Failed;
    }
    if (error == EEXIST)
        return Landing::Taken;
    if (error && why->isEmpty())
        *why = fileops::errorText(error);
    return error ? Landing::Failed : Landing::Moved;
}

} // namespace

QString moveIn(
    const QString &saveDir, const QString &gameDir, const QString &name, bool copies, const QString &tempName)
{
    const QString from = saveDir + u'/' + name;
    const QString to = gameDir + u'/' + name;
    QString why;
    if (!copies) {
        if (const int error = fileops::renameNoReplace(from, to))
            return fileops::errorText(error);
    } else {
        if (copyIntoPlace(from, to, gameDir + u'/' + tempName, &why) != 0)
            return why;
        fileops::syncFolder(gameDir);
        // Both would be the TC's save: the game would change one, and the folder keep the other.
        if (::unlink(fileops::encodePath(from).constData()) != 0) {
            why = fileops::errorText(errno);
            ::unlink(fileops::encodePath(to).constData());
            return u"its copy in its save folder could not be removed: %1"_s.arg(why);
        }
    }
    fileops::syncFolder(gameDir);
    fileops::syncFolder(saveDir);
    return {};
}

TakenBack takeBack(const QString &gameDir, const QString &saveDir, const QString &name, const QString &tempName,
    const QStringList &leave)
{
    TakenBack taken;
    removeIfFile(gameDir + u'/' + tempName);
    QString why;
    if (!fileops::makePrivateFolder(saveDir, &why)) {
        taken.problems.append({name, why});
        return taken;
    }
    removeIfFile(saveDir + u'/' + tempName);
    for (const QString &found : fileops::namesIn(gameDir)) {
        if (found.compare(name, Qt::CaseInsensitive) != 0 || leave.contains(found))
            continue;
        const QString from = gameDir + u'/' + found;
        if (const auto st = fileops::lstatPath(from); !st || !st->regular) {
            taken.problems.append({found, u"not a file, so it was left in the game directory"_s});
            continue;
        }
        // The name in the folder is the game's to keep; a different file there (put in while
        // the game ran) is kept too, and the game's goes beside it.
        QString landed = found;
        Landing landing = Landing::Taken;
        for (int n = 1;
             (landing = land(from, saveDir + u'/' + landed, saveDir + u'/' + tempName, &why)) == Landing::Taken; ++n)
            landed = found + u'.' + QString::number(n);
        if (landing == Landing::Failed) {
            taken.problems.append({found,
                u"the TC's save could not be moved back to \"%1\", so it is still in the game directory: %2"_s.arg(
                    saveDir, why)});
            continue;
        }
        taken.names.append(landed);
        if (landed != found) {
            taken.notes
                << u"Another \"%1\" was put in the TC's save folder \"%2\" while the game ran; the game's is kept beside it "
                   "there as \"%3\"."_s.arg(found, saveDir, landed);
        }
    }
    fileops::syncFolder(saveDir);
    fileops::syncFolder(gameDir);
    return taken;
}

} // namespace ostrel::savemoves
