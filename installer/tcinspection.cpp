#include "installer/tcinspection.h"

#include "installer/entrypath.h"
#include "installer/grpinfo.h"
#include "installer/tctexts.h"
#include "installer/tcroot.h"

#include "launcher/engine.h"
#include "launcher/fileops.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

QByteArray extensionOf(QByteArrayView path)
{
    const QByteArray name = lastPathPart(path);
    const qsizetype dot = name.lastIndexOf('.');
    return dot < 0 ? QByteArray() : name.mid(dot + 1).toLower();
}

QByteArray lowerBaseName(QByteArrayView path)
{
    return lastPathPart(path).toLower();
}

QString shown(const QByteArray &bytes)
{
    return fileops::decodePath(bytes);
}

// A file kept for the TC's folder, with what the listing read of it.
struct KeptFile {
    int entry = -1;
    QByteArray path;
    qint64 size = -1;
    const ArchiveEntry *archived = nullptr;
};

struct KeptFolder {
    int entry = -1;
    QByteArray path;
};

// The files an inspection chooses from, with lookups by lower-case base name.
class FileSet
{
public:
    explicit FileSet(const QList<KeptFile> &files)
        : m_files(files)
    {
        for (qsizetype i = 0; i < files.size(); ++i)
            m_byBaseName[lowerBaseName(files[i].path)].append(i);
    }

    const QList<KeptFile> &files() const { return m_files; }

    // The files a name written in a text stands for: its last part, any letter case; without
    // an extension, the option's usual one too.
    QList<qsizetype> named(QByteArrayView written, QByteArrayView usualExtension = {}) const
    {
        const QByteArray base = lowerBaseName(written);
        QList<qsizetype> found = m_byBaseName.value(base);
        if (found.isEmpty() && !usualExtension.isEmpty() && !base.contains('.'))
            found = m_byBaseName.value(base + '.' + usualExtension.toByteArray());
        return found;
    }

    QList<qsizetype> withExtension(QByteArrayView extension) const
    {
        QList<qsizetype> found;
        for (qsizetype i = 0; i < m_files.size(); ++i) {
            if (extensionOf(m_files[i].path) == extension)
                found << i;
        }
        return found;
    }

private:
    QList<KeptFile> m_files;
    QHash<QByteArray, QList<qsizetype>> m_byBaseName;
};

QStringList shownPaths(const FileSet &set, const QList<qsizetype> &indexes)
{
    QStringList paths;
    for (const qsizetype i : indexes)
        paths << shown(set.files()[i].path);
    return paths;
}

// Chooses from the candidates: the one there is, or none and the list. A file already chosen
// for another field (exclude) is no candidate.
void choose(ChosenFile &chosen, const FileSet &set, QList<qsizetype> candidates, const QString &why,
    const QString &exclude = {})
{
    candidates.removeIf([&](qsizetype i) { return !exclude.isEmpty() && shown(set.files()[i].path) == exclude; });
    std::sort(candidates.begin(), candidates.end());
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
    if (candidates.size() == 1) {
        chosen.file = shown(set.files()[candidates.first()].path);
        chosen.why = why;
        chosen.candidates.clear();
    } else if (candidates.size() > 1 && chosen.candidates.isEmpty()) {
        chosen.candidates = shownPaths(set, candidates);
        chosen.why = why;
    }
}

bool decided(const ChosenFile &chosen)
{
    return !chosen.file.isEmpty() || !chosen.candidates.isEmpty();
}

QString versionOfMainGroupCrc(quint32 crc)
{
    switch (crc) {
    case 0xBBC9CE44u:
    case 0xAA4F6A40u:
        return kVersion13D.toString();
    case 0xF514A6ACu:
    case 0xFD3DCFF1u:
    case 0x982AFE4Au:
        return kVersionAtomic.toString();
    default:
        return {};
    }
}

// The version texts as the store keeps them, whatever case the player typed.
QString normalisedVersion(const QString &typed)
{
    for (const QStringView known : {kVersion13D, kVersionAtomic, kVersionBoth}) {
        if (typed.trimmed().compare(known, Qt::CaseInsensitive) == 0)
            return known.toString();
    }
    return {};
}

int readMeRank(QByteArrayView path)
{
    const QByteArray base = lowerBaseName(path);
    for (const char *prefix : {"readme", "read.me", "read_me", "read-me", "leeme", "liesmich", "lisezmoi"}) {
        if (base.startsWith(prefix))
            return 0;
    }
    return extensionOf(path) == "txt" ? 1 : 2;
}

struct Classified {
    QList<KeptFile> files;
    QList<KeptFolder> folders;
};

// Which entries go into the TC's folder and under which path; the rest is skipped, named.
Classified classify(const ArchiveListing &listing, TcInspection &result)
{
    Classified kept;
    QSet<QByteArray> filePaths;
    QSet<QByteArray> folderPaths;
    QStringList encrypted;
    for (qsizetype i = 0; i < listing.entries.size(); ++i) {
        const ArchiveEntry &entry = listing.entries[i];
        const auto skip = [&](const QString &reason) { result.skipped.append({shown(entry.name), reason}); };
        if (entry.encrypted) {
            encrypted << shown(entry.name);
            continue;
        }
        switch (entry.kind) {
        case ArchiveEntry::Kind::File:
        case ArchiveEntry::Kind::Folder:
            break;
        case ArchiveEntry::Kind::Symlink:
            skip(u"it is a symbolic link"_s);
            continue;
        case ArchiveEntry::Kind::Hardlink:
            skip(u"it is a hard link"_s);
            continue;
        case ArchiveEntry::Kind::Device:
            skip(u"it is a device file"_s);
            continue;
        case ArchiveEntry::Kind::Fifo:
            skip(u"it is a FIFO"_s);
            continue;
        case ArchiveEntry::Kind::Socket:
            skip(u"it is a socket"_s);
            continue;
        case ArchiveEntry::Kind::Other:
            skip(u"it is not a file or a folder"_s);
            continue;
        }
        const EntryPath path = entryPath(entry.name);
        if (!path.ok()) {
            skip(path.refusal);
            continue;
        }
        // A parent that is a file, or a name taken twice, would make one entry overwrite or
        // shadow another: the first one wins.
        bool parentIsFile = false;
        for (qsizetype slash = path.path.indexOf('/'); slash >= 0; slash = path.path.indexOf('/', slash + 1)) {
            if (filePaths.contains(path.path.left(slash)))
                parentIsFile = true;
        }
        if (parentIsFile) {
            skip(u"a file stands where its folder would go"_s);
            continue;
        }
        if (entry.kind == ArchiveEntry::Kind::Folder) {
            if (filePaths.contains(path.path)) {
                skip(u"a file of the same name comes before it"_s);
                continue;
            }
            if (!folderPaths.contains(path.path))
                kept.folders.append({int(i), path.path});
        } else {
            if (filePaths.contains(path.path)) {
                skip(u"another entry of the same name comes before it"_s);
                continue;
            }
            if (folderPaths.contains(path.path)) {
                skip(u"a folder of the same name comes before it"_s);
                continue;
            }
            filePaths.insert(path.path);
            kept.files.append({int(i), path.path, entry.size, &entry});
        }
        for (qsizetype slash = path.path.indexOf('/'); slash >= 0; slash = path.path.indexOf('/', slash + 1))
            folderPaths.insert(path.path.left(slash));
        if (entry.kind == ArchiveEntry::Kind::Folder)
            folderPaths.insert(path.path);
    }
    if (!encrypted.isEmpty()) {
        result.problems
            << u"The archive is password-protected (%1 of its files encrypted, \"%2\" among them); Quillon cannot unpack it."_s
                   .arg(encrypted.size())
                   .arg(encrypted.first());
    }
    return kept;
}

// Archives often hold everything inside one folder named after the TC; the TC's folder is
// that folder already.
void leaveOutCommonTopFolder(Classified &kept)
{
    if (kept.files.isEmpty())
        return;
    const qsizetype slash = kept.files.first().path.indexOf('/');
    if (slash < 0)
        return;
    const QByteArray top = kept.files.first().path.left(slash + 1);
    const auto inside = [&](const QByteArray &path) { return path.startsWith(top) || path + '/' == top; };
    for (const KeptFile &file : kept.files) {
        if (!file.path.startsWith(top))
            return;
    }
    for (const KeptFolder &folder : kept.folders) {
        if (!inside(folder.path))
            return;
    }
    for (KeptFile &file : kept.files)
        file.path.remove(0, top.size());
    QList<KeptFolder> folders;
    for (KeptFolder &folder : kept.folders) {
        if (folder.path + '/' == top)
            continue;
        folder.path.remove(0, top.size());
        folders << folder;
    }
    kept.folders = folders;
}

void checkLimits(const ArchiveListing &listing, qint64 unpacked, const ArchiveLimits &limits, TcInspection &result)
{
    if (listing.entries.size() > limits.maxEntries)
        result.problems << entryLimitMessage(limits);
    if (unpacked > limits.maxTotalBytes)
        result.problems << totalSizeLimitMessage(limits);
    else if (unpacked > limits.ratioFloorBytes && listing.packedSize > 0
        && unpacked / listing.packedSize >= limits.maxRatio)
        result.problems << ratioLimitMessage(limits);
}

struct GrpInfoChoice {
    const GrpInfo *block = nullptr;
    QString why;
};

// The group named by the archive's .grpinfo files: the file of the size a block gives.
GrpInfoChoice chooseByGrpInfo(
    const FileSet &set, const QList<std::pair<QString, GrpInfoFile>> &infos, TcInspection &result)
{
    GrpInfoChoice choice;
    QList<qsizetype> groups;
    QList<const GrpInfo *> blocks;
    QString infoName;
    for (const auto &[name, info] : infos) {
        for (const QString &problem : info.problems)
            result.notes << u"%1: %2"_s.arg(name, problem);
        for (const GrpInfo &block : info.blocks) {
            if (!block.size)
                continue;
            QList<qsizetype> sized;
            for (qsizetype i = 0; i < set.files().size(); ++i) {
                if (set.files()[i].size == *block.size && !isNotForTheGame(set.files()[i].path))
                    sized << i;
            }
            QList<qsizetype> grps;
            for (const qsizetype i : sized) {
                if (extensionOf(set.files()[i].path) == "grp")
                    grps << i;
            }
            if (!grps.isEmpty())
                sized = grps;
            if (sized.isEmpty()) {
                result.notes << u"%1 describes \"%2\", a group of %3 bytes, which the archive does not hold."_s.arg(
                    name, block.name, QString::number(*block.size));
                continue;
            }
            groups << sized;
            blocks << &block;
            infoName = name;
        }
    }
    if (blocks.isEmpty())
        return choice;
    const QString why = blocks.size() == 1
        ? u"%1 describes a group file of %2 bytes"_s.arg(infoName, QString::number(*blocks.first()->size))
        : u"the archive's group info describes %1 group files"_s.arg(blocks.size());
    choose(result.group, set, groups, why);
    if (blocks.size() == 1 && !result.group.file.isEmpty())
        choice = {blocks.first(), infoName};
    return choice;
}

void chooseByCommandLines(const FileSet &set, TcInspection &result)
{
    QList<qsizetype> groups, cons;
    QString groupWhy, conWhy;
    for (const KeptFile &file : set.files()) {
        const QByteArray extension = extensionOf(file.path);
        const bool batch = extension == "bat" || extension == "cmd";
        if (!file.archived || !file.archived->text || !(batch || isReadMe(file.path)))
            continue;
        for (const CommandLineFile &named : commandLineFiles(*file.archived->text)) {
            const bool isGroup = named.option == CommandLineFile::Option::Group;
            const QList<qsizetype> found = set.named(named.value, isGroup ? "grp" : "con");
            if (found.isEmpty())
                continue;
            const QString why = u"the command line in %1 names it: %2"_s.arg(shown(file.path), named.line);
            if (isGroup) {
                if (groups.isEmpty())
                    groupWhy = why;
                groups << found;
            } else {
                if (cons.isEmpty())
                    conWhy = why;
                cons << found;
            }
        }
    }
    if (!decided(result.group) && !groups.isEmpty())
        choose(result.group, set, groups, groupWhy);
    if (!decided(result.con) && !cons.isEmpty())
        choose(result.con, set, cons, conWhy, result.group.file);
}

void chooseByFiles(const FileSet &set, TcInspection &result)
{
    if (!decided(result.group)) {
        const QList<qsizetype> groups = set.withExtension("grp");
        choose(result.group, set, groups,
            groups.size() == 1 ? u"the only group file in the archive"_s : u"the archive holds several group files"_s);
    }
    if (decided(result.con))
        return;
    const QList<qsizetype> cons = set.withExtension("con");
    if (cons.isEmpty())
        return;
    const QList<qsizetype> gameCons = set.named("game.con");
    if (!gameCons.isEmpty()) {
        choose(result.con, set, gameCons, u"the game reads GAME.CON first"_s, result.group.file);
        return;
    }
    QSet<qsizetype> included;
    for (const qsizetype i : cons) {
        const ArchiveEntry *archived = set.files()[i].archived;
        if (!archived || !archived->text)
            continue;
        for (const QByteArray &name : conIncludes(*archived->text)) {
            for (const qsizetype target : set.named(name)) {
                if (target != i)
                    included.insert(target);
            }
        }
    }
    QList<qsizetype> roots;
    for (const qsizetype i : cons) {
        if (!included.contains(i))
            roots << i;
    }
    choose(result.con, set, roots.isEmpty() ? cons : roots,
        roots.size() == 1 ? u"the only con that no other con includes"_s : u"several cons are included by no other"_s,
        result.group.file);
}

// The player's own choice of a file, by the path the preview showed.
void chooseByPlayer(
    ChosenFile &chosen, const FileSet &set, const QString &wanted, const QString &field, TcInspection &result)
{
    if (wanted.isEmpty())
        return;
    chosen = {};
    for (const KeptFile &file : set.files()) {
        if (shown(file.path) == wanted) {
            chosen.file = wanted;
            chosen.why = u"chosen by you"_s;
            return;
        }
    }
    result.problems << u"\"%1\" is not a file of the archive, so it cannot be the %2."_s.arg(wanted, field);
}

void chooseVersion(const FileSet &set, const GrpInfoChoice &info, const QString &wanted, TcInspection &result)
{
    if (!wanted.isEmpty()) {
        result.version = normalisedVersion(wanted);
        result.versionWhy = u"chosen by you"_s;
        if (result.version.isEmpty())
            result.problems << u"\"%1\" is no version; use \"1.3D\", \"1.4/1.5 Atomic\" or \"1.3D and 1.4/1.5\"."_s.arg(
                wanted);
        return;
    }
    if (info.block && info.block->dependency) {
        const quint32 crc = *info.block->dependency;
        result.version = versionOfMainGroupCrc(crc);
        if (!result.version.isEmpty()) {
            result.versionWhy =
                u"%1 names the main group it needs (CRC %2)"_s.arg(info.why, QString::number(crc, 16).toUpper());
            return;
        }
        result.notes << u"%1 names a main group Quillon does not know (CRC %2)."_s.arg(
            info.why, QString::number(crc, 16).toUpper());
    }
    bool v13d = false, atomic = false;
    QStringList evidence;
    for (const KeptFile &file : set.files()) {
        if (!file.archived || !file.archived->text || !isReadMe(file.path))
            continue;
        const VersionWords words = versionWords(*file.archived->text);
        if (!words.v13d && !words.atomic)
            continue;
        v13d = v13d || words.v13d;
        atomic = atomic || words.atomic;
        evidence << u"%1 says \"%2\""_s.arg(shown(file.path), words.evidence);
    }
    if (v13d || atomic) {
        result.version = v13d && atomic ? kVersionBoth.toString()
            : v13d                      ? kVersion13D.toString()
                                        : kVersionAtomic.toString();
        result.versionWhy = evidence.join(u"; "_s);
        return;
    }
    result.version = kVersionBoth.toString();
    result.versionWhy = u"nothing in the archive tells"_s;
    result.notes
        << u"Nothing in the archive tells which version of the game the TC needs: it is marked \"1.3D and 1.4/1.5\". Change it if the read-me says otherwise."_s;
}

void chooseReadMe(const FileSet &set, TcInspection &result)
{
    const KeptFile *best = nullptr;
    const auto depth = [](const QByteArray &path) { return path.count('/'); };
    for (const KeptFile &file : set.files()) {
        if (!isReadMe(file.path) || shown(file.path) == result.group.file || shown(file.path) == result.con.file)
            continue;
        if (!best
            || std::pair(readMeRank(file.path), depth(file.path))
                < std::pair(readMeRank(best->path), depth(best->path)))
            best = &file;
    }
    if (best)
        result.readMe = shown(best->path);
}

// A definition holds text: a name that is not UTF-8 is unpacked but cannot be one of its files.
void keepDefinitionFilesNameable(const FileSet &set, TcInspection &result)
{
    const auto nameable = [&](const QString &file) { return isValidUtf8(fileops::encodePath(file)); };
    if (!result.group.file.isEmpty() && !nameable(result.group.file))
        result.problems << u"The group file's name \"%1\" is not valid UTF-8; a definition cannot name it."_s.arg(
            result.group.file);
    if (!result.con.file.isEmpty() && !nameable(result.con.file))
        result.problems << u"The con's name \"%1\" is not valid UTF-8; a definition cannot name it."_s.arg(
            result.con.file);
    if (!result.readMe.isEmpty() && !nameable(result.readMe))
        result.readMe.clear();
    for (const KeptFile &file : set.files()) {
        const QString path = shown(file.path);
        if (path == result.group.file || path == result.con.file || path == result.readMe || isNotForTheGame(file.path))
            continue;
        if (isValidUtf8(file.path))
            result.otherFiles << path;
        else
            result.notes
                << u"\"%1\" is unpacked under its name as it is, which is not valid UTF-8, so the definition does not list it."_s
                       .arg(path);
    }
}

void nameAndPlace(TcInspection &result, const InspectOptions &options, const GrpInfo *block, const QString &blockSource,
    const QString &fallback, const QString &fallbackWhy)
{
    if (!options.name.trimmed().isEmpty()) {
        result.name = options.name.trimmed();
        result.nameWhy = u"chosen by you"_s;
    } else if (block && !block->name.trimmed().isEmpty()) {
        result.name = block->name.trimmed();
        result.nameWhy = u"named by %1"_s.arg(blockSource);
    } else {
        result.name = fallback;
        result.nameWhy = fallbackWhy;
    }
    if (result.name.isEmpty()) {
        result.name = u"TC"_s;
        result.nameWhy = u"there is no name to take"_s;
    }
    result.folder = (options.tcRoot.isEmpty() ? defaultTcRoot() : options.tcRoot) + u'/' + safeFolderName(result.name);
}

} // namespace

TcDefinition TcInspection::definition() const
{
    const auto full = [&](const QString &relative) {
        return relative.isEmpty() ? QString() : folder + u'/' + relative;
    };
    TcDefinition definition;
    definition.name = name;
    definition.version = version;
    definition.groupFile = full(group.file);
    definition.gameCon = full(con.file);
    definition.textFile = full(readMe);
    for (const QString &file : otherFiles)
        definition.otherFiles << full(file);
    return definition;
}

TcInspection inspectListing(const ArchiveListing &listing, const InspectOptions &options)
{
    TcInspection result;
    result.source = listing.path;
    result.limits = options.limits;
    if (!listing.ok())
        result.problems << listing.error;

    Classified kept = classify(listing, result);
    leaveOutCommonTopFolder(kept);
    for (const KeptFolder &folder : kept.folders)
        result.plan.append({folder.entry, QString(), folder.path, true, -1, listing.entries[folder.entry].name});
    for (const KeptFile &file : kept.files) {
        result.plan.append({file.entry, QString(), file.path, false, file.size, file.archived->name});
        result.unpackedSize += std::max<qint64>(file.size, 0);
    }
    checkLimits(listing, result.unpackedSize, options.limits, result);

    const FileSet set(kept.files);
    QList<std::pair<QString, GrpInfoFile>> infos;
    for (const qsizetype i : set.withExtension("grpinfo")) {
        if (const ArchiveEntry *archived = set.files()[i].archived; archived && archived->text)
            infos.append({shown(set.files()[i].path), readGrpInfo(*archived->text)});
    }
    const GrpInfoChoice info = chooseByGrpInfo(set, infos, result);
    if (info.block && !info.block->scriptName.isEmpty()) {
        choose(result.con, set, set.named(info.block->scriptName.toUtf8()),
            u"%1 names it as the TC's script"_s.arg(info.why), result.group.file);
        if (!decided(result.con))
            result.notes << u"%1 names the script \"%2\", which the archive does not hold."_s.arg(
                info.why, info.block->scriptName);
    }
    chooseByCommandLines(set, result);
    chooseByFiles(set, result);
    chooseByPlayer(result.group, set, options.groupFile, u"group file"_s, result);
    chooseByPlayer(result.con, set, options.gameCon, u"game con"_s, result);
    if (!result.con.file.isEmpty() && result.con.file == result.group.file) {
        result.problems << u"\"%1\" cannot be both the group file and the game con."_s.arg(result.con.file);
        result.con = {};
    }

    if (result.group.file.isEmpty()) {
        if (!result.group.candidates.isEmpty())
            result.problems << u"Quillon cannot tell which file is the group file: %1. Choose one."_s.arg(
                result.group.candidates.join(u", "_s));
        else if (listing.ok())
            result.problems << u"The archive holds no group file (.grp)."_s;
    } else {
        for (const KeptFile &file : set.files()) {
            if (shown(file.path) == result.group.file && file.archived && !file.archived->head.isEmpty()
                && !file.archived->head.startsWith("KenSilverman"))
                result.problems << u"\"%1\" is not a group file: it does not start with \"KenSilverman\"."_s.arg(
                    result.group.file);
        }
    }
    if (result.con.file.isEmpty() && !result.con.candidates.isEmpty())
        result.problems << u"Quillon cannot tell which con is the game con: %1. Choose one."_s.arg(
            result.con.candidates.join(u", "_s));

    chooseVersion(set, info, options.version, result);
    chooseReadMe(set, result);
    keepDefinitionFilesNameable(set, result);
    nameAndPlace(
        result, options, info.block, info.why, nameFromArchiveFileName(listing.path), u"the archive's file name"_s);
    return result;
}

QList<TcInspection> inspectGrpInfoListing(const ArchiveListing &folder, const QByteArray &grpInfoName,
    const QString &folderPath, const InspectOptions &options)
{
    QList<KeptFile> files;
    for (qsizetype i = 0; i < folder.entries.size(); ++i) {
        const ArchiveEntry &entry = folder.entries[i];
        if (entry.kind == ArchiveEntry::Kind::File && entryPath(entry.name).ok())
            files.append({int(i), entry.name, entry.size, &entry});
    }
    const FileSet set(files);
    const QString infoName = shown(grpInfoName);
    GrpInfoFile info;
    for (const KeptFile &file : files) {
        if (file.path == grpInfoName && file.archived->text)
            info = readGrpInfo(*file.archived->text);
    }
    QList<TcInspection> inspections;
    if (info.blocks.isEmpty()) {
        TcInspection result;
        result.source = folder.path;
        result.problems << u"%1 describes no TC."_s.arg(infoName);
        result.notes << info.problems;
        nameAndPlace(result, options, nullptr, infoName, nameFromArchiveFileName(infoName), u"the file's name"_s);
        return {result};
    }
    for (qsizetype index = 0; index < info.blocks.size(); ++index) {
        if (options.grpInfoBlock >= 0 && options.grpInfoBlock != index)
            continue;
        const GrpInfo &block = info.blocks[index];
        TcInspection result;
        result.source = folder.path;
        result.limits = options.limits;
        result.grpInfoBlock = int(index);
        for (const QString &problem : info.problems)
            result.notes << u"%1: %2"_s.arg(infoName, problem);
        const QString blockName = block.name.isEmpty() ? infoName : u"\"%1\" in %2"_s.arg(block.name, infoName);
        if (block.size) {
            const auto one = std::pair<QString, GrpInfoFile>(infoName, GrpInfoFile{{block}, {}});
            chooseByGrpInfo(set, {one}, result);
            if (result.group.file.isEmpty() && result.group.candidates.isEmpty())
                result.problems << u"The group file of %1 (%2 bytes) is not beside it."_s.arg(
                    blockName, QString::number(*block.size));
        } else {
            result.problems << u"%1 gives no size of its group file."_s.arg(blockName);
        }
        if (!block.scriptName.isEmpty()) {
            choose(result.con, set, set.named(block.scriptName.toUtf8()),
                u"%1 names it as the TC's script"_s.arg(infoName), result.group.file);
            if (!decided(result.con))
                result.problems << u"The script \"%1\" of %2 is not beside it."_s.arg(block.scriptName, blockName);
        }
        chooseByPlayer(result.group, set, options.groupFile, u"group file"_s, result);
        chooseByPlayer(result.con, set, options.gameCon, u"game con"_s, result);
        if (!result.con.file.isEmpty() && result.con.file == result.group.file) {
            result.problems << u"\"%1\" cannot be both the group file and the game con."_s.arg(result.con.file);
            result.con = {};
        }
        if (result.group.file.isEmpty() && !result.group.candidates.isEmpty())
            result.problems << u"Quillon cannot tell which file is the group file: %1. Choose one."_s.arg(
                result.group.candidates.join(u", "_s));

        // What the TC needs besides its group: the cons its script includes, and its definitions.
        QList<qsizetype> needed;
        QList<qsizetype> queue;
        for (qsizetype i = 0; i < files.size(); ++i) {
            if (shown(files[i].path) == result.con.file)
                queue << i;
        }
        while (!queue.isEmpty()) {
            const qsizetype at = queue.takeFirst();
            if (!files[at].archived->text)
                continue;
            for (const QByteArray &included : conIncludes(*files[at].archived->text)) {
                for (const qsizetype target : set.named(included)) {
                    if (!needed.contains(target) && shown(files[target].path) != result.con.file) {
                        needed << target;
                        queue << target;
                    }
                }
            }
        }
        if (!block.defName.isEmpty())
            needed << set.named(block.defName.toUtf8());
        for (const KeptFile &file : files) {
            const QString path = shown(file.path);
            const bool chosen = path == result.group.file || path == result.con.file;
            const bool other = needed.contains(qsizetype(&file - files.constData()));
            if (!chosen && !other)
                continue;
            if (other && !result.otherFiles.contains(path))
                result.otherFiles << path;
            result.plan.append({-1, folderPath + u'/' + path, file.path, false, file.size, file.path});
            result.unpackedSize += std::max<qint64>(file.size, 0);
        }
        const GrpInfoChoice choice{&block, infoName};
        chooseVersion(FileSet({}), choice, options.version, result);
        keepDefinitionFilesNameable(FileSet({}), result);
        const bool nameApplies = info.blocks.size() == 1 || options.grpInfoBlock == index;
        nameAndPlace(result, nameApplies ? options : InspectOptions{options.tcRoot, {}, {}, {}, {}, {}}, &block,
            infoName, nameFromArchiveFileName(infoName), u"the file's name"_s);
        inspections << result;
    }
    return inspections;
}

namespace {

const char *const kSourceExtensions[] = {".tar.gz", ".tar.bz2", ".tar.xz", ".tar.zst", ".tar.lz4", ".tar.lzma", ".tgz",
    ".tbz2", ".txz", ".tar", ".zip", ".7z", ".rar", ".pk3", ".grpinfo"};

} // namespace

bool isTcSourceFileName(const QString &path)
{
    // Any compression of a tar: libarchive reads the filters it knows, and says so of the rest.
    const QString name = QFileInfo(path).fileName();
    const qsizetype lastDot = name.lastIndexOf(u'.');
    if (lastDot > 0 && name.left(lastDot).endsWith(u".tar"_s, Qt::CaseInsensitive))
        return true;
    return std::any_of(std::begin(kSourceExtensions), std::end(kSourceExtensions),
        [&](const char *extension) { return name.endsWith(QLatin1StringView(extension), Qt::CaseInsensitive); });
}

bool isGrpInfoFileName(const QString &path)
{
    return path.endsWith(u".grpinfo"_s, Qt::CaseInsensitive);
}

QString nameFromArchiveFileName(const QString &path)
{
    QString name = QFileInfo(path).fileName();
    for (const char *extension : kSourceExtensions) {
        if (name.endsWith(QLatin1StringView(extension), Qt::CaseInsensitive)) {
            name.chop(qsizetype(std::strlen(extension)));
            break;
        }
    }
    return name.trimmed();
}

namespace {

bool isProgram(QByteArrayView relativePath)
{
    static const QSet<QByteArray> extensions = {
        "exe", "com", "bat", "cmd", "pif", "dll", "sys", "scr", "msi", "lnk", "url", "sh"};
    return extensions.contains(extensionOf(relativePath));
}

} // namespace

bool isReadMe(QByteArrayView relativePath)
{
    static const QSet<QByteArray> extensions = {
        "txt", "1st", "me", "nfo", "diz", "md", "wri", "doc", "rtf", "htm", "html", "pdf"};
    return extensions.contains(extensionOf(relativePath))
        || (lowerBaseName(relativePath).startsWith("readme") && !isProgram(relativePath));
}

bool isNotForTheGame(QByteArrayView relativePath)
{
    static const QSet<QByteArray> extensions = {"ini", "cfg", "grpinfo", "bak", "docx", "odt"};
    const QByteArray base = lowerBaseName(relativePath);
    return isReadMe(relativePath) || isProgram(relativePath) || extensions.contains(extensionOf(relativePath))
        || base.startsWith("install") || base.startsWith("setup") || base.startsWith("license")
        || base.startsWith("licence");
}

} // namespace ostrel
