#include "installer/tcinstaller.h"

#include "installer/archivereader.h"
#include "installer/durabletree.h"
#include "installer/tcroot.h"

#include "launcher/fileops.h"

#include "store/definitionkeys.h"
#include "store/definitionstore.h"
#include "store/settingsstore.h"

#include <QFileInfo>
#include <QFile>
#include <QStandardPaths>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

QString folderThereMessage(const QString &folder)
{
    return u"The folder \"%1\" is already there. Choose another name, or move that folder away."_s.arg(folder);
}

// Removes a tree without following a link anywhere in it; names need not be UTF-8.
bool removeTreeBytes(const QByteArray &path)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(st.st_mode))
        return ::unlink(path.constData()) == 0;
    bool removed = true;
    if (DIR *dir = ::opendir(path.constData())) {
        QList<QByteArray> names;
        while (const dirent *entry = ::readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                names.append(entry->d_name);
        }
        ::closedir(dir);
        for (const QByteArray &name : names)
            removed = removeTreeBytes(path + '/' + name) && removed;
    }
    return ::rmdir(path.constData()) == 0 && removed;
}

// The lock every install holds on its TC root, so that a start-up clean-up in another Quillon
// never takes an install in progress for a leftover. The kernel drops it when the holder dies.
class RootLock
{
public:
    RootLock(const QString &root, bool wait)
    {
        m_fd =
            ::open(fileops::encodePath(root + u'/' + kInstallLockName).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd >= 0 && ::flock(m_fd, LOCK_EX | (wait ? 0 : LOCK_NB)) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~RootLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// The marker in a TC's folder: which definition it was installed for, and whether the
// definition was saved ("installed") or not yet ("pending").
struct Marker {
    QString name;
    QString source;
    bool installed = false;
};

QByteArray markerBytes(const Marker &marker)
{
    return "Quillon TC folder 1\nstate " + QByteArray(marker.installed ? "installed" : "pending") + "\nname "
        + marker.name.toUtf8().toPercentEncoding() + "\nsource "
        + fileops::encodePath(marker.source).toPercentEncoding() + '\n';
}

std::optional<Marker> readMarker(const QString &folder)
{
    const QByteArray bytes = fileops::readSmallFile(folder + u'/' + kInstalledMarkerName);
    const QList<QByteArray> lines = bytes.split('\n');
    if (lines.isEmpty() || lines.first() != "Quillon TC folder 1")
        return std::nullopt;
    Marker marker;
    bool named = false, stated = false;
    for (const QByteArray &line : lines) {
        if (line.startsWith("state ")) {
            marker.installed = line.mid(6) == "installed";
            stated = true;
        } else if (line.startsWith("name ")) {
            marker.name = QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(5)));
            named = true;
        } else if (line.startsWith("source ")) {
            marker.source = fileops::decodePath(QByteArray::fromPercentEncoding(line.mid(7)));
        }
    }
    if (!named || !stated)
        return std::nullopt;
    return marker;
}

// Writes the marker whole or not at all: a new file beside it, flushed, renamed over it.
bool writeMarker(const QString &folder, const Marker &marker, QString *error)
{
    const QByteArray path = fileops::encodePath(folder + u'/' + kInstalledMarkerName);
    const QByteArray fresh = path + ".new";
    ::unlink(fresh.constData());
    const int fd = ::open(fresh.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    const QByteArray bytes = markerBytes(marker);
    bool ok =
        fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == ssize_t(bytes.size()) && ::fsync(fd) == 0;
    const int saved = errno;
    if (fd >= 0)
        ::close(fd);
    ok = ok && ::rename(fresh.constData(), path.constData()) == 0 && fileops::syncFolder(folder);
    if (!ok && error)
        *error = u"Quillon's record of the TC's folder could not be written: %1"_s.arg(
            fileops::errorText(saved ? saved : errno));
    return ok;
}

// Takes a folder out of its place at once (one rename to a name the clean-up knows), then
// removes it; a crash in between leaves a leftover the next start removes.
bool discardFolder(const QString &root, const QString &folder)
{
    QByteArray temp = fileops::encodePath(root + u'/' + kRemovalPrefix) + "XXXXXX";
    if (!::mkdtemp(temp.data()))
        return removeTreeBytes(fileops::encodePath(folder));
    if (::rename(fileops::encodePath(folder).constData(), temp.constData()) != 0) {
        ::rmdir(temp.constData());
        return removeTreeBytes(fileops::encodePath(folder));
    }
    fileops::syncFolder(root);
    return removeTreeBytes(temp);
}

// Copies the files planned from beside a .grpinfo into destination.
UnpackOutcome copyPlannedFiles(const QList<PlannedEntry> &plan, const QString &destination)
{
    UnpackOutcome outcome;
    DurableTree tree(destination);
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (const PlannedEntry &planned : plan) {
        if (planned.folder) {
            if (!tree.makeFolder(planned.target)) {
                outcome.error = tree.error();
                return outcome;
            }
            continue;
        }
        const int in = ::open(fileops::encodePath(planned.source).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (in < 0) {
            outcome.error = u"\"%1\" cannot be read: %2"_s.arg(planned.source, fileops::errorText(errno));
            return outcome;
        }
        const int out = tree.createFile(planned.target);
        qint64 offset = 0;
        bool ok = out >= 0;
        while (ok) {
            const ssize_t got = ::read(in, buffer.data(), size_t(buffer.size()));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                outcome.error = u"\"%1\" cannot be read: %2"_s.arg(planned.source, fileops::errorText(errno));
                ok = false;
            } else if (got == 0) {
                break;
            } else {
                ok = tree.write(out, buffer.constData(), got, offset);
                offset += got;
                outcome.bytesWritten += got;
            }
        }
        ::close(in);
        if (out >= 0)
            ok = tree.finishFile(out) && ok;
        if (!ok) {
            if (outcome.error.isEmpty())
                outcome.error = tree.error();
            return outcome;
        }
    }
    if (!tree.finish())
        outcome.error = tree.error();
    return outcome;
}

bool nameTaken(const DefinitionStore &definitions, const QString &name)
{
    const QStringList names = definitions.names();
    return std::any_of(names.cbegin(), names.cend(), SameDefinitionName(name));
}

QString rootOf(const QString &folder)
{
    return folder.left(folder.lastIndexOf(u'/'));
}

// The folder directly in root that holds path, if any.
QString topFolderIn(const QString &root, const QString &path)
{
    if (!path.startsWith(root + u'/'))
        return {};
    const QString rest = path.mid(root.size() + 1);
    const qsizetype slash = rest.indexOf(u'/');
    if (slash <= 0 || rest.startsWith(u'.'))
        return {};
    return root + u'/' + rest.left(slash);
}

} // namespace

QString defaultTcRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/quillon/tcs"_s;
}

namespace {

// The preview says so before the player clicks Add.
TcInspection withFolderChecked(TcInspection inspection)
{
    if (fileops::lstatPath(inspection.folder))
        inspection.problems << folderThereMessage(inspection.folder);
    return inspection;
}

} // namespace

TcInspection inspectArchive(const QString &path, const InspectOptions &options)
{
    return withFolderChecked(inspectListing(listArchive(path, options.limits), options));
}

QList<TcInspection> inspectGrpInfoFile(const QString &path, const InspectOptions &options)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    ArchiveListing listing;
    listing.path = info.absoluteFilePath();
    qint64 texts = 0;
    for (const QString &name : fileops::namesIn(folder)) {
        const auto stat = fileops::lstatPath(folder + u'/' + name);
        if (!stat || !stat->regular)
            continue;
        ArchiveEntry entry;
        entry.name = fileops::encodePath(name);
        entry.size = stat->size;
        const bool group = name.endsWith(u".grp"_s, Qt::CaseInsensitive);
        if ((isTextTheInspectionReads(entry.name) && texts < kAllTextsLimit) || group) {
            QFile file(folder + u'/' + name);
            if (file.open(QIODevice::ReadOnly)) {
                const QByteArray bytes = file.read(group ? 16 : std::min(kTextLimit, kAllTextsLimit - texts));
                if (group) {
                    entry.head = bytes;
                } else {
                    entry.text = bytes;
                    texts += bytes.size();
                }
            }
        }
        listing.entries.append(entry);
    }
    QList<TcInspection> inspections =
        inspectGrpInfoListing(listing, fileops::encodePath(info.fileName()), folder, options);
    for (TcInspection &inspection : inspections)
        inspection = withFolderChecked(inspection);
    return inspections;
}

TcSource inspectTcSource(const QString &path, SettingsStore &store, const InspectOptions &options)
{
    TcSource source;
    const QList<TcInspection> found =
        isGrpInfoFileName(path) ? inspectGrpInfoFile(path, options) : QList{inspectArchive(path, options)};
    const QString storeProblem = store.readProblem();
    const QStringList names = storeProblem.isEmpty() ? DefinitionStore(store).names() : QStringList();
    for (TcInspection inspection : found) {
        // A group info's TC whose group is not there is not the player's to fix: it is left out.
        if (inspection.grpInfoBlock >= 0 && inspection.group.file.isEmpty() && inspection.group.candidates.isEmpty()) {
            source.leftOut << u"\"%1\": %2"_s.arg(inspection.name, inspection.problems.join(u' '));
            continue;
        }
        if (!storeProblem.isEmpty())
            inspection.problems << u"The TC cannot be added while the settings store cannot be read: %1"_s.arg(
                storeProblem);
        else if (std::any_of(names.cbegin(), names.cend(), SameDefinitionName(inspection.name)))
            inspection.problems << kNameTakenMessage.toString();
        source.tcs << inspection;
    }
    return source;
}

InstallResult installTc(const TcInspection &inspection, SettingsStore &store)
{
    InstallResult result;
    if (!inspection.ok()) {
        result.error =
            inspection.problems.isEmpty() ? u"Please select a group file."_s : inspection.problems.join(u'\n');
        return result;
    }
    if (inspection.version.isEmpty()) {
        result.error = u"Please set the Version Compatibility."_s;
        return result;
    }
    // A store that cannot be read lists no names, so a name taken could not be told.
    if (const QString problem = store.readProblem(); !problem.isEmpty()) {
        result.error = u"The TC was not added: %1"_s.arg(problem);
        return result;
    }
    DefinitionStore definitions(store);
    if (nameTaken(definitions, inspection.name)) {
        result.error = kNameTakenMessage.toString();
        return result;
    }
    const QString &folder = inspection.folder;
    const QString root = rootOf(folder);
    QString why;
    if (!fileops::makePrivateFolder(root, &why)) {
        result.error = u"The folder \"%1\" could not be made: %2"_s.arg(root, why);
        return result;
    }
    const RootLock lock(root, true);
    if (!lock.held()) {
        result.error = u"The folder \"%1\" cannot be locked for the install: %2"_s.arg(root, fileops::errorText(errno));
        return result;
    }
    if (fileops::lstatPath(folder)) {
        result.error = folderThereMessage(folder);
        return result;
    }

    QByteArray temp = fileops::encodePath(root + u'/' + kUnfinishedInstallPrefix) + "XXXXXX";
    if (!::mkdtemp(temp.data())) {
        result.error = u"A folder could not be made in \"%1\": %2"_s.arg(root, fileops::errorText(errno));
        return result;
    }
    const QString tempFolder = fileops::decodePath(temp);
    const auto fail = [&](const QString &error) {
        removeTreeBytes(temp);
        result.error = error;
        return result;
    };

    const bool fromArchive = !inspection.plan.isEmpty() && inspection.plan.first().entry >= 0;
    const UnpackOutcome unpacked = fromArchive ? unpackArchive(inspection.source, QFileInfo(inspection.source).size(),
                                       inspection.plan, tempFolder, inspection.limits)
                                               : copyPlannedFiles(inspection.plan, tempFolder);
    if (!unpacked.ok())
        return fail(unpacked.error);
    Marker marker{inspection.name, inspection.source, false};
    if (!writeMarker(tempFolder, marker, &why))
        return fail(why);
    if (const int error = fileops::renameNoReplace(tempFolder, folder)) {
        return fail(
            u"The TC's folder could not be put in place at \"%1\": %2"_s.arg(folder, fileops::errorText(error)));
    }
    fileops::syncFolder(root);

    // The definition goes in last: whatever it names is complete on disk by now.
    const TcDefinition definition = inspection.definition();
    try {
        if (nameTaken(definitions, inspection.name)) {
            discardFolder(root, folder);
            result.error = kNameTakenMessage.toString();
            return result;
        }
        definitions.save(definition, DefinitionStore::SaveKind::New);
    } catch (const StoreError &error) {
        discardFolder(root, folder);
        result.error = u"The TC definition \"%1\" could not be saved: %2"_s.arg(inspection.name, error.message());
        return result;
    }
    marker.installed = true;
    // The definition is saved: a marker left pending is set right by the next start.
    writeMarker(folder, marker, nullptr);
    result.definition = definition;
    return result;
}

CleanupReport removeUnfinishedInstalls(const QString &tcRoot, SettingsStore &store)
{
    CleanupReport report;
    if (!fileops::lstatPath(tcRoot))
        return report;
    const RootLock lock(tcRoot, false);
    if (!lock.held()) {
        report.problems << u"Another Quillon is installing a TC into \"%1\"; its leftovers are left for later."_s.arg(
            tcRoot);
        return report;
    }
    const bool storeReadable = store.readProblem().isEmpty();
    DefinitionStore definitions(store);
    for (const QString &name : fileops::namesIn(tcRoot)) {
        const QString path = tcRoot + u'/' + name;
        const auto stat = fileops::lstatPath(path);
        if (!stat || !stat->directory)
            continue;
        if (name.startsWith(kUnfinishedInstallPrefix) || name.startsWith(kRemovalPrefix)) {
            if (removeTreeBytes(fileops::encodePath(path)))
                report.removed << path;
            else
                report.problems << u"\"%1\" could not be removed: %2"_s.arg(path, fileops::errorText(errno));
            continue;
        }
        const auto marker = readMarker(path);
        if (!marker || marker->installed)
            continue;
        // A store that cannot be read cannot say whether the definition was saved.
        if (!storeReadable) {
            report.problems
                << u"\"%1\" was being installed; the store cannot be read to tell whether it was finished."_s.arg(path);
            continue;
        }
        const auto definition = definitions.load(marker->name);
        if (definition && !definition->name.isEmpty() && topFolderIn(tcRoot, definition->groupFile) == path) {
            Marker finished = *marker;
            finished.installed = true;
            writeMarker(path, finished, nullptr);
        } else if (discardFolder(tcRoot, path)) {
            report.removed << path;
        } else {
            report.problems << u"\"%1\" could not be removed: %2"_s.arg(path, fileops::errorText(errno));
        }
    }
    return report;
}

std::optional<QString> installedTcFolder(const TcDefinition &definition, const QString &tcRoot)
{
    const QString folder = topFolderIn(tcRoot, definition.groupFile);
    if (folder.isEmpty())
        return std::nullopt;
    const auto stat = fileops::lstatPath(folder);
    if (!stat || !stat->directory)
        return std::nullopt;
    const auto marker = readMarker(folder);
    if (!marker || !SameDefinitionName(marker->name)(definition.name))
        return std::nullopt;
    return folder;
}

QList<InstalledTc> installedTcs(const QString &tcRoot)
{
    QList<InstalledTc> installed;
    for (const QString &name : fileops::namesIn(tcRoot)) {
        const QString folder = tcRoot + u'/' + name;
        const auto stat = fileops::lstatPath(folder);
        if (name.startsWith(u'.') || !stat || !stat->directory)
            continue;
        if (const auto marker = readMarker(folder); marker && marker->installed)
            installed.append({folder, marker->name});
    }
    return installed;
}

} // namespace ostrel
