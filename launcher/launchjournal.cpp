#include "launcher/launchjournal.h"

#include "launcher/fileops.h"
#include "launcher/processinfo.h"
#include "launcher/trash.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QMap>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

constexpr char kMagic[] = "quillon-journal";

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

QByteArray checksumOf(QByteArrayView line)
{
    return QByteArray::number(qChecksum(line), 16);
}

// Appends whole lines and makes each durable before returning.
class JournalFile
{
public:
    ~JournalFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    int create(const QString &path)
    {
        m_fd = ::open(fileops::encodePath(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
        return m_fd >= 0 ? 0 : errno;
    }

    int openExisting(const QString &path)
    {
        m_fd = ::open(fileops::encodePath(path).constData(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW);
        return m_fd >= 0 ? 0 : errno;
    }

    bool append(const QList<QByteArray> &fields)
    {
        QByteArray line = fields.join(' ');
        line += " *" + checksumOf(line) + '\n';
        qsizetype written = 0;
        while (written < line.size()) {
            const ssize_t n = ::write(m_fd, line.constData() + written, size_t(line.size() - written));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            written += n;
        }
        return ::fsync(m_fd) == 0;
    }

private:
    int m_fd = -1;
};

// One step as the journal recorded it.
struct JournalStep {
    QByteArray kind; // rename, trash, remove, copyin
    QString name;
    QString newName;
    QString source;
    QString tempName;
    qint64 size = 0;
    qint64 mtimeNs = 0;
    QByteArray sha256;
    bool done = false;
    bool skipped = false;
    QString trashedPath;
    QString infoPath;
};

struct JournalContents {
    QString gameDir;
    QString label;
    QDateTime started;
    QMap<int, JournalStep> steps;
    QList<EngineProcess> engines;
    bool kept = false;
    QString error;
    bool headerless = false; // cut before its first line was whole: nothing was done yet
};

// Reads every whole line up to the first torn or damaged one: a crash can only cut the last
// append short, and a line without its newline or checksum was never acted on.
JournalContents readJournal(const QString &path)
{
    JournalContents contents;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        contents.error = u"The journal \"%1\" cannot be read: %2."_s.arg(path, file.errorString());
        return contents;
    }
    QList<QByteArray> lines = file.readAll().split('\n');
    lines.removeLast(); // after the last newline: empty, or a torn append
    bool first = true;
    for (const QByteArray &line : std::as_const(lines)) {
        const qsizetype mark = line.lastIndexOf(" *");
        if (mark < 0 || line.mid(mark + 2) != checksumOf(QByteArrayView(line).first(mark)))
            break;
        const QList<QByteArray> f = line.first(mark).split(' ');
        if (first) {
            if (f.size() < 5 || f[0] != kMagic || f[1] != "1") {
                contents.error = u"\"%1\" is not a launch journal this version can read."_s.arg(path);
                return contents;
            }
            contents.gameDir = fromTextField(f[2]);
            contents.label = fromTextField(f[3]);
            contents.started = QDateTime::fromMSecsSinceEpoch(f[4].toLongLong());
            first = false;
            continue;
        }
        if (f[0] == "step" && f.size() >= 3) {
            JournalStep step;
            step.kind = f[2];
            if ((step.kind == "trash" || step.kind == "remove") && f.size() == 6) {
                step.name = fromTextField(f[3]);
                step.size = f[4].toLongLong();
                step.mtimeNs = f[5].toLongLong();
            } else if (step.kind == "rename" && f.size() == 7) {
                step.name = fromTextField(f[3]);
                step.newName = fromTextField(f[4]);
                step.size = f[5].toLongLong();
                step.mtimeNs = f[6].toLongLong();
            } else if (step.kind == "copyin" && f.size() == 8) {
                step.name = fromTextField(f[3]);
                step.source = fromTextField(f[4]);
                step.tempName = fromTextField(f[5]);
                step.size = f[6].toLongLong();
                step.sha256 = f[7];
            } else {
                continue;
            }
            contents.steps.insert(f[1].toInt(), step);
        } else if (f[0] == "done" && f.size() >= 2) {
            const auto it = contents.steps.find(f[1].toInt());
            if (it != contents.steps.end()) {
                it->done = true;
                if (f.size() >= 4) {
                    it->trashedPath = fromTextField(f[2]);
                    it->infoPath = fromTextField(f[3]);
                }
            }
        } else if (f[0] == "skip" && f.size() >= 2) {
            const auto it = contents.steps.find(f[1].toInt());
            if (it != contents.steps.end())
                it->skipped = true;
        } else if (f[0] == "engine" && f.size() >= 3) {
            contents.engines.append({f[1].toLongLong(), f[2].toULongLong()});
        } else if (f[0] == "kept") {
            contents.kept = true;
        }
    }
    contents.headerless = first;
    return contents;
}

// The game a journal's launch started, while it still runs: same PID, same start time.
std::optional<EngineProcess> runningEngineOf(const JournalContents &contents)
{
    for (const EngineProcess &engine : contents.engines) {
        if (processinfo::startTimeOf(engine.pid) == engine.startTime)
            return engine;
    }
    return std::nullopt;
}

bool sameFile(const std::optional<fileops::Stat> &st, qint64 size, qint64 mtimeNs)
{
    return st && st->regular && st->size == size && st->mtimeNs == mtimeNs;
}

// Two names of one file: what a rename by link and unlink leaves when it is cut between the two.
bool sameInode(const std::optional<fileops::Stat> &a, const std::optional<fileops::Stat> &b)
{
    return a && b && a->device == b->device && a->inode == b->inode;
}

// Copies source to a new file target (never over one), hashing what it writes.
std::optional<fileops::Digest> copyNew(const QString &source, const QString &target, QString *error)
{
    const int in = ::open(fileops::encodePath(source).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        *error = u"\"%1\" cannot be read: %2"_s.arg(source, fileops::errorText(errno));
        return std::nullopt;
    }
    const int out = ::open(fileops::encodePath(target).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (out < 0) {
        *error = u"\"%1\" cannot be created: %2"_s.arg(target, fileops::errorText(errno));
        ::close(in);
        return std::nullopt;
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    fileops::Digest digest;
    char buffer[65536];
    bool ok = true;
    for (;;) {
        ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        hash.addData(QByteArrayView(buffer, got));
        digest.size += got;
        for (ssize_t written = 0; ok && written < got;) {
            const ssize_t n = ::write(out, buffer + written, size_t(got - written));
            if (n < 0 && errno == EINTR)
                continue;
            ok = n > 0;
            written += n > 0 ? n : 0;
        }
        if (!ok)
            break;
    }
    // The copy must be whole on disk before its name appears in the game directory.
    ok = ok && ::fsync(out) == 0;
    if (!ok)
        *error = u"\"%1\" cannot be copied: %2"_s.arg(source, fileops::errorText(errno));
    ::close(in);
    ::close(out);
    if (!ok)
        return std::nullopt;
    digest.sha256 = hash.result().toHex();
    return digest;
}

// Whether a .trashinfo in a trash folder may belong to original. Qt creates the .trashinfo
// empty, renames the file into files/, and only then writes the original path into it, so a
// crash between the steps leaves an empty one named after the file.
bool infoMayName(const QString &infoFolder, const QString &infoName, const QByteArray &originalBytes, const QString &originalName)
{
    if (!infoName.endsWith(u".trashinfo"_s))
        return false;
    const QByteArray content = fileops::readSmallFile(infoFolder + u'/' + infoName);
    // Qt 6.4 writes the path as it is, not percent-encoded, so a name with a newline spans
    // two lines: look for it whole first.
    if (content.contains(QByteArray("Path=" + originalBytes + '\n')))
        return true;
    bool hasPath = false;
    for (const QByteArray &line : content.split('\n')) {
        if (!line.startsWith("Path="))
            continue;
        hasPath = true;
        // On another volume the path is relative to that volume's top folder.
        const QByteArray recorded = QByteArray::fromPercentEncoding(line.mid(5).trimmed());
        if (recorded == originalBytes || (!recorded.startsWith('/') && originalBytes.endsWith(QByteArray('/' + recorded))))
            return true;
    }
    return !hasPath && infoName.startsWith(originalName);
}

// The trashed file a crash left unrecorded: the file in files/ of an info that names original,
// still with the size and modification time the journal recorded.
QStringList findInTrash(const QString &original, qint64 size, qint64 mtimeNs, Trash &trash)
{
    const QByteArray originalBytes = fileops::encodePath(original);
    const QString originalName = QFileInfo(original).fileName();
    for (const QString &folder : trash.trashFoldersFor(QFileInfo(original).path())) {
        const QString infoFolder = folder + u"/info"_s;
        for (const QString &infoName : fileops::namesIn(infoFolder)) {
            if (!infoMayName(infoFolder, infoName, originalBytes, originalName))
                continue;
            const QString trashed = folder + u"/files/"_s + infoName.chopped(int(qstrlen(".trashinfo")));
            if (sameFile(fileops::lstatPath(trashed), size, mtimeNs))
                return {trashed, infoFolder + u'/' + infoName};
        }
    }
    return {};
}

// Removes the .trashinfo files a crash left for original without a file in files/: the trash
// would list them as entries that cannot be restored.
void removeOrphanInfos(const QString &original, Trash &trash)
{
    const QByteArray originalBytes = fileops::encodePath(original);
    const QString originalName = QFileInfo(original).fileName();
    for (const QString &folder : trash.trashFoldersFor(QFileInfo(original).path())) {
        const QString infoFolder = folder + u"/info"_s;
        for (const QString &infoName : fileops::namesIn(infoFolder)) {
            if (infoMayName(infoFolder, infoName, originalBytes, originalName)
                && !fileops::lstatPath(folder + u"/files/"_s + infoName.chopped(int(qstrlen(".trashinfo"))))) {
                ::unlink(fileops::encodePath(infoFolder + u'/' + infoName).constData());
            }
        }
    }
}

} // namespace

LaunchJournal::LaunchJournal(const QString &stateDir)
    : m_stateDir(stateDir)
{
}

QString LaunchJournal::defaultStateDir()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + u"/.local/state"_s;
    return state + u"/quillon"_s;
}

QString LaunchJournal::path() const
{
    return m_stateDir + u"/launch.journal"_s;
}

std::optional<PendingJournal> LaunchJournal::pending() const
{
    if (!fileops::lstatPath(path()))
        return std::nullopt;
    const JournalContents contents = readJournal(path());
    const auto engine = runningEngineOf(contents);
    return PendingJournal{path(), contents.gameDir, contents.label, contents.started, engine ? engine->pid : 0, contents.kept};
}

bool LaunchJournal::appendRecord(const QList<QByteArray> &fields, QString *error)
{
    JournalFile journal;
    // The journal's lines so far were each written whole by apply(), so this one starts a line.
    if (const int failed = journal.openExisting(path())) {
        if (error)
            *error = u"The launch journal \"%1\" cannot be opened: %2."_s.arg(path(), fileops::errorText(failed));
        return false;
    }
    if (!journal.append(fields)) {
        if (error)
            *error = u"The launch journal \"%1\" cannot be written: %2."_s.arg(path(), fileops::errorText(errno));
        return false;
    }
    return true;
}

bool LaunchJournal::recordEngine(const EngineProcess &engine, QString *error)
{
    return appendRecord({"engine", QByteArray::number(engine.pid), QByteArray::number(engine.startTime)}, error);
}

bool LaunchJournal::recordKept(QString *error)
{
    return appendRecord({"kept"}, error);
}

ApplyResult LaunchJournal::apply(const QString &gameDir, const QString &label, const CleanupPlan &plan, Trash &trash,
                                 DeleteMode mode)
{
    ApplyResult result;
    if (!plan.ok()) {
        result.error = plan.error;
        return result;
    }
    if (const auto left = pending()) {
        result.error = u"The changes of an earlier launch to \"%1\" have not been put back yet; restore them first."_s.arg(left->gameDir);
        return result;
    }
    if (!fileops::makePrivateFolder(m_stateDir, &result.error))
        return result;
    JournalFile journal;
    if (const int error = journal.create(path())) {
        result.error = u"The launch journal \"%1\" cannot be created: %2."_s.arg(path(), fileops::errorText(error));
        return result;
    }
    const auto journalBroken = [&] {
        result.error = u"The launch journal \"%1\" cannot be written: %2. The launch stops here."_s.arg(path(), fileops::errorText(errno));
        return result;
    };
    if (!journal.append({kMagic, "1", textField(gameDir), textField(label),
                         QByteArray::number(QDateTime::currentMSecsSinceEpoch())})
        || !fileops::syncFolder(m_stateDir)) {
        return journalBroken();
    }

    const QString dir = QDir::cleanPath(gameDir) + u'/';
    for (int i = 0; i < plan.steps.size(); ++i) {
        const CleanupStep &step = plan.steps[i];
        const QByteArray index = QByteArray::number(i);
        const QString path = dir + step.name;

        if (step.action == StepAction::CopyIn) {
            const auto sourceDigest = fileops::digestOf(step.source);
            if (!sourceDigest) {
                result.leftAlone.append({step.name, u"the TC's file \"%1\" cannot be read, so it was not copied in"_s.arg(step.source)});
                continue;
            }
            QString tempName = u".quillon-copy-%1.tmp"_s.arg(i);
            for (int n = 1; fileops::lstatPath(dir + tempName); ++n)
                tempName = u".quillon-copy-%1-%2.tmp"_s.arg(i).arg(n);
            if (!journal.append({"step", index, "copyin", textField(step.name), textField(step.source), textField(tempName),
                                 QByteArray::number(sourceDigest->size), sourceDigest->sha256})) {
                return journalBroken();
            }
            QString error;
            const auto copied = copyNew(step.source, dir + tempName, &error);
            int renamed = -1;
            if (copied && *copied == *sourceDigest)
                renamed = fileops::renameNoReplace(dir + tempName, path);
            if (renamed != 0) {
                ::unlink(fileops::encodePath(dir + tempName).constData());
                if (!journal.append({"skip", index}))
                    return journalBroken();
                const QString why = !copied                 ? error
                                    : *copied != *sourceDigest ? u"the TC's file changed while it was copied"_s
                                    : renamed == EEXIST        ? u"a file of that name appeared in the game directory"_s
                                                               : fileops::errorText(renamed);
                result.leftAlone.append({step.name, u"not copied in: %1"_s.arg(why)});
                continue;
            }
            if (!journal.append({"done", index}))
                return journalBroken();
            ++result.stepsDone;
            continue;
        }

        if (!sameFile(fileops::lstatPath(path), step.size, step.mtimeNs)) {
            result.leftAlone.append({step.name, u"changed or gone since the clean-up was planned; left as it is"_s});
            continue;
        }
        const QByteArray size = QByteArray::number(step.size);
        const QByteArray mtime = QByteArray::number(step.mtimeNs);

        if (step.action == StepAction::Rename) {
            if (!journal.append({"step", index, "rename", textField(step.name), textField(step.newName), size, mtime}))
                return journalBroken();
            if (const int error = fileops::renameNoReplace(path, dir + step.newName)) {
                if (!journal.append({"skip", index}))
                    return journalBroken();
                result.leftAlone.append({step.name, u"could not be renamed to \"%1\": %2"_s.arg(step.newName, fileops::errorText(error))});
                continue;
            }
            if (!journal.append({"done", index}))
                return journalBroken();
            ++result.stepsDone;
            continue;
        }

        if (mode == DeleteMode::RemoveForGood) {
            if (!journal.append({"step", index, "remove", textField(step.name), size, mtime}))
                return journalBroken();
            if (::unlink(fileops::encodePath(path).constData()) != 0) {
                const int error = errno;
                if (!journal.append({"skip", index}))
                    return journalBroken();
                result.leftAlone.append({step.name, u"could not be removed: %1"_s.arg(fileops::errorText(error))});
                continue;
            }
            if (!journal.append({"done", index}))
                return journalBroken();
            result.removedForGood.append(step.name);
            ++result.stepsDone;
            continue;
        }

        if (!journal.append({"step", index, "trash", textField(step.name), size, mtime}))
            return journalBroken();
        const TrashOutcome trashed = trash.moveToTrash(path);
        if (!trashed.ok && trashed.trashedPath.isEmpty()) {
            if (!journal.append({"skip", index}))
                return journalBroken();
            result.leftAlone.append({step.name, trashed.error});
            continue;
        }
        // Also when the file left for somewhere that is no trash and could not come back:
        // the path is recorded, so restoring puts it back.
        if (!journal.append({"done", index, textField(trashed.trashedPath), textField(trashed.infoPath)}))
            return journalBroken();
        if (!trashed.ok)
            result.leftAlone.append({step.name, trashed.error});
        else
            ++result.stepsDone;
    }
    if (!journal.append({"applied"}))
        return journalBroken();
    return result;
}

RestoreReport LaunchJournal::restore(Trash &trash)
{
    RestoreReport report;
    if (!fileops::lstatPath(path())) {
        report.error = u"There is no launch to restore."_s;
        return report;
    }
    const JournalContents journal = readJournal(path());
    if (!journal.error.isEmpty()) {
        report.error = journal.error;
        return report;
    }
    // Files put back or taken away under a running game make it fail in odd ways, and a file
    // it is writing could go; its process outlives a launcher that was killed.
    if (const auto engine = runningEngineOf(journal)) {
        report.error = u"The game started for \"%1\" (process %2) is still running; give the game directory back once it "
                       "has ended. Nothing was changed."_s.arg(journal.label).arg(engine->pid);
        report.gameStillRunning = engine->pid;
        return report;
    }
    if (journal.headerless) {
        // The header is made durable before the first step, so nothing needs undoing.
        ::unlink(fileops::encodePath(path()).constData());
        fileops::syncFolder(m_stateDir);
        return report;
    }
    const QString dir = QDir::cleanPath(journal.gameDir) + u'/';
    const auto notRestored = [&](const QString &name, const QString &why) { report.notRestored.append({name, why}); };
    const auto renamesOf = [&](const QString &name) {
        QList<JournalStep> renames;
        for (const JournalStep &step : journal.steps) {
            if (step.kind == "rename" && step.name.compare(name, Qt::CaseInsensitive) == 0)
                renames.append(step);
        }
        return renames;
    };
    // Whether what is under a copy's name is the player's file it displaced, put back by a
    // restore cut short or never moved: it still has the size and modification time recorded
    // before it was renamed (a rename keeps both, a copy made now cannot have them), or it is
    // one file with its other name. Asked before the content, since the player's file may hold
    // the TC's very bytes.
    const auto isPlayersFile = [&](const QString &name, const std::optional<fileops::Stat> &there) {
        for (const JournalStep &aside : renamesOf(name)) {
            if (sameFile(there, aside.size, aside.mtimeNs) || sameInode(there, fileops::lstatPath(dir + aside.newName)))
                return true;
        }
        return false;
    };
    // A restore renames the player's file back only onto a free name, so once it has left its
    // other name, what is under its own name came back with it, however it was changed since.
    const auto playersFileLeftItsOtherName = [&](const QString &name) {
        for (const JournalStep &aside : renamesOf(name)) {
            if (!aside.skipped && !fileops::lstatPath(dir + aside.newName))
                return true;
        }
        return false;
    };

    const QList<int> order = journal.steps.keys();
    for (auto it = order.crbegin(); it != order.crend(); ++it) {
        const JournalStep &step = journal.steps[*it];
        if (step.skipped)
            continue;
        const QString original = dir + step.name;

        if (step.kind == "copyin") {
            if (const auto temp = fileops::lstatPath(dir + step.tempName); temp && temp->regular)
                ::unlink(fileops::encodePath(dir + step.tempName).constData());
            const auto there = fileops::lstatPath(original);
            if (!there || isPlayersFile(step.name, there))
                continue;
            // Only the launch's own copy goes: anything else under that name is not ours to remove.
            const auto digest = there->regular ? fileops::digestOf(original) : std::nullopt;
            if (digest && digest->size == step.size && digest->sha256 == step.sha256) {
                if (::unlink(fileops::encodePath(original).constData()) == 0)
                    ++report.stepsUndone;
                else
                    notRestored(step.name, u"the copy of the TC's file could not be removed: %1"_s.arg(fileops::errorText(errno)));
            } else if (step.done && !playersFileLeftItsOtherName(step.name)) {
                notRestored(step.name, u"the TC's file copied in was changed since (by the game?), so it was kept"_s);
            }
            continue;
        }

        if (step.kind == "remove") {
            if (step.done || !fileops::lstatPath(original))
                report.removedForGood.append(step.name);
            continue;
        }

        if (step.kind == "rename") {
            const QString renamed = dir + step.newName;
            const auto from = fileops::lstatPath(original);
            const auto to = fileops::lstatPath(renamed);
            if (!to)
                continue; // never renamed, or already back
            if (sameInode(from, to)) {
                // The player's file is whole under its own name; only the other name is left.
                if (::unlink(fileops::encodePath(renamed).constData()) == 0)
                    ++report.stepsUndone;
                else
                    notRestored(step.name, u"it is also still named \"%1\": %2"_s.arg(step.newName, fileops::errorText(errno)));
                continue;
            }
            if (from) {
                if (step.done) {
                    notRestored(step.name, u"a new \"%1\" is in the game directory, so the player's file stays as \"%2\""_s
                                               .arg(step.name, step.newName));
                }
                continue;
            }
            if (const int error = fileops::renameNoReplace(renamed, original))
                notRestored(step.name, u"still named \"%1\": %2"_s.arg(step.newName, fileops::errorText(error)));
            else
                ++report.stepsUndone;
            continue;
        }

        // trash
        QString trashed = step.trashedPath;
        QString info = step.infoPath;
        if (const auto here = fileops::lstatPath(original)) {
            // Never trashed, or already back (a crash may have cut the restore before the
            // .trashinfo went), or cut between the link and the unlink of a move to or from
            // the trash: then the trash holds a second name of the file that is here.
            if (trashed.isEmpty() && !step.done) {
                const QStringList found = findInTrash(original, step.size, step.mtimeNs, trash);
                if (!found.isEmpty() && sameInode(here, fileops::lstatPath(found[0]))) {
                    trashed = found[0];
                    info = found[1];
                }
            }
            const auto inTrash = trashed.isEmpty() ? std::nullopt : fileops::lstatPath(trashed);
            if (sameInode(here, inTrash)) {
                ::unlink(fileops::encodePath(trashed).constData());
                if (!info.isEmpty())
                    ::unlink(fileops::encodePath(info).constData());
                ++report.stepsUndone;
            } else if (inTrash) {
                notRestored(step.name, u"a new \"%1\" is in the game directory; the player's file stays in the trash as \"%2\""_s
                                           .arg(step.name, trashed));
            } else if (!info.isEmpty()) {
                ::unlink(fileops::encodePath(info).constData());
            } else if (!step.done) {
                removeOrphanInfos(original, trash);
            }
            continue;
        }
        if (trashed.isEmpty() || !fileops::lstatPath(trashed)) {
            const QStringList found = findInTrash(original, step.size, step.mtimeNs, trash);
            if (found.isEmpty()) {
                notRestored(step.name, u"it is gone from the game directory and was not found in the trash"_s);
                continue;
            }
            trashed = found[0];
            info = found[1];
        }
        if (const int error = fileops::renameNoReplace(trashed, original)) {
            notRestored(step.name, u"it could not be taken back from \"%1\": %2"_s.arg(trashed, fileops::errorText(error)));
            continue;
        }
        if (!info.isEmpty())
            ::unlink(fileops::encodePath(info).constData());
        ++report.stepsUndone;
    }

    fileops::syncFolder(QDir::cleanPath(journal.gameDir));
    // Even when something could not be put back: the report says where it is, and keeping the
    // journal would only block every later launch.
    if (::unlink(fileops::encodePath(path()).constData()) != 0 && errno != ENOENT)
        report.error = u"The launch journal \"%1\" cannot be removed: %2."_s.arg(path(), fileops::errorText(errno));
    fileops::syncFolder(m_stateDir);
    return report;
}

} // namespace ostrel
