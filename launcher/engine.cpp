#include "launcher/engine.h"

#include "launcher/argumenttemplate.h"
#include "launcher/dosnames.h"
#include "launcher/enginediscovery.h"
#include "launcher/shellquoting.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

// Without a con on its command line, EDuke32 compiles EDUKE.CON when it finds one, and
// GAME.CON otherwise.
const QString kEdukeCon = u"EDUKE.CON"_s;

QString folderOf(const QString &file)
{
    return QFileInfo(file).absolutePath();
}

QString nameOf(const QString &file)
{
    return QFileInfo(file).fileName();
}

// The TC's folders, each once: the group file's first, then those of the con and other files.
QStringList tcFolders(const TcDefinition &tc)
{
    QStringList folders;
    const auto add = [&](const QString &file) {
        if (!file.isEmpty() && !folders.contains(folderOf(file)))
            folders.append(folderOf(file));
    };
    add(tc.groupFile);
    add(tc.gameCon);
    for (const QString &file : tc.otherFiles)
        add(file);
    return folders;
}

LaunchCommand failed(const QString &why)
{
    LaunchCommand command;
    command.error = why;
    return command;
}

QString findCaseInsensitive(const QString &folder, const QString &name)
{
    const QStringList entries = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return {};
}

} // namespace

QString LaunchCommand::displayCommand(Layout layout) const
{
    QString run = shellQuoted(program);
    for (const QString &argument : arguments) {
        // Outside any quotes, where a backslash and a line break are nothing to the shell.
        if (layout == Layout::OptionPerLine && argument.startsWith(u'-'))
            run += u" \\\n   "_s;
        run += u' ' + shellQuoted(argument);
    }
    return workingDir.isEmpty() ? run : u"cd "_s + shellQuoted(workingDir) + u" && "_s + run;
}

QString defaultSaveRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/quillon/saves"_s;
}

QStringList dosSaveNames()
{
    QStringList names;
    for (int slot = 0; slot < 10; ++slot)
        names << u"GAME%1.SAV"_s.arg(slot);
    return names;
}

QString safeFolderName(const QString &tcName)
{
    QString safe;
    bool replaced = false;
    for (const QChar c : tcName) {
        if (c.isLetterOrNumber() || c == u' ' || c == u'.' || c == u'_' || c == u'-') {
            safe += c;
        } else {
            safe += u'_';
            replaced = true;
        }
    }
    // Leading dots would hide the folder, and "." and ".." are no folder of their own.
    while (safe.startsWith(u'.')) {
        safe[0] = u'_';
        replaced = true;
    }
    safe = safe.trimmed();
    if (safe.isEmpty()) {
        safe = u"TC"_s;
        replaced = true;
    }
    if (safe.size() > 64) {
        safe.truncate(64);
        replaced = true;
    }
    if (replaced) {
        const QByteArray hash = QCryptographicHash::hash(tcName.toUtf8(), QCryptographicHash::Sha256).toHex().left(8);
        safe += u'-' + QString::fromLatin1(hash);
    }
    return safe;
}

LaunchCommand buildLaunchCommand(const EngineSettings &settings, const EngineInstall &install, const LaunchInput &input)
{
    if (install.kind == EngineInstall::Kind::NotFound)
        return failed(install.error.isEmpty() ? u"The engine is not installed."_s : install.error);
    const TcDefinition &tc = input.tc;
    const QString gameDir = QDir::cleanPath(input.gameDir);
    const QString mainGroup = gameDir + u'/' + input.mainGroup;
    const QString saveDir =
        (input.saveRoot.isEmpty() ? defaultSaveRoot() : input.saveRoot) + u'/' + safeFolderName(tc.name);

    LaunchCommand command;
    command.workingDir = gameDir;
    QStringList engineArgs;
    bool usesSaveDir = false;
    bool engineWritesSaves = false; ///< into the save folder itself, which a sandbox must then reach

    switch (settings.kind) {
    case EngineKind::EDuke32: {
        // Loose files are looked up in the search folders: the game directory for the main
        // group, the TC's folders for its other files.
        engineArgs << u"-nosetup"_s << u"-j"_s << gameDir;
        for (const QString &folder : tcFolders(tc))
            engineArgs << u"-j"_s << folder;
        if (!tc.groupFile.isEmpty())
            engineArgs << u"-g"_s << tc.groupFile;
        if (!tc.gameCon.isEmpty())
            engineArgs << u"-x"_s << tc.gameCon;
        else
            command.overridingNames << kEdukeCon;
        // EDuke32 has no option for a save folder: it writes its saves (and configuration) in
        // its profile folder, ~/.config/eduke32 (the Flatpak's under ~/.var/app), or with
        // -usecwd in its working folder. Run in the TC's own folder with -usecwd, it writes them
        // where they are kept, so they never need moving: a crash of the game or of Quillon
        // cannot leave them where another TC finds them, and the player's own saves in the
        // profile folder are never touched. Moving saves in and out of the profile folder would
        // do neither.
        engineArgs.prepend(u"-usecwd"_s);
        engineArgs << u"-cfg"_s << saveDir + u"/eduke32.cfg"_s;
        command.workingDir = saveDir;
        usesSaveDir = engineWritesSaves = true;
        command.saves.summary =
            u"kept apart in \"%1\": EDuke32 runs there (-usecwd) and writes its saves and configuration "
            "there."_s.arg(saveDir);
        break;
    }
    case EngineKind::Raze: {
        engineArgs << u"-gamegrp"_s << mainGroup;
        if (!tc.groupFile.isEmpty())
            engineArgs << u"-file"_s << tc.groupFile;
        for (const QString &file : tc.otherFiles)
            engineArgs << u"-file"_s << file;
        if (!tc.gameCon.isEmpty())
            engineArgs << u"-con"_s << tc.gameCon;
        engineArgs << u"-savedir"_s << saveDir;
        usesSaveDir = engineWritesSaves = true;
        command.saves.summary = u"kept apart in \"%1\": Raze writes them there (-savedir)."_s.arg(saveDir);
        break;
    }
    case EngineKind::DosBox: {
        // DOSBox's MOUNT takes the folder in double quotes and has no way to escape one.
        if (gameDir.contains(u'"'))
            return failed(
                u"DOSBox cannot mount a game directory whose path holds a double quote: \"%1\"."_s.arg(gameDir));
        const QString executable = findCaseInsensitive(gameDir, input.dosExecutable);
        if (executable.isEmpty())
            return failed(u"%1 is not in the game directory \"%2\"."_s.arg(input.dosExecutable, gameDir));
        // The other files keep their names: the game looks for them by name, or a con names them.
        QSet<QString> taken;
        for (const QString &entry :
            QDir(gameDir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
            taken.insert(entry.toUpper());
        for (const QString &file : tc.otherFiles) {
            if (!isDosName(nameOf(file)))
                return failed(
                    u"The DOS game cannot open the TC's file \"%1\": its name is no DOS 8.3 name, and the file cannot "
                    "be copied in under another, since the game finds it by its name."_s.arg(nameOf(file)));
            taken.insert(nameOf(file).toUpper());
        }
        // The group and the con are named on the game's command line, so a long name is copied
        // in under a free short one; nothing in a TC names its group, but a con may be included.
        for (const QString &file : {tc.groupFile, tc.gameCon}) {
            if (!file.isEmpty() && isDosName(nameOf(file)))
                taken.insert(nameOf(file).toUpper());
        }
        const auto dosNameOf = [&](const QString &file) {
            if (isDosName(nameOf(file)))
                return nameOf(file).toUpper();
            const QString name = freeDosName(nameOf(file), taken);
            taken.insert(name);
            return name;
        };
        QString conName, groupName;
        if (!tc.gameCon.isEmpty()) {
            if (!isDosName(nameOf(tc.gameCon))) {
                if (const QString includer = conThatIncludes(nameOf(tc.gameCon), tc); !includer.isEmpty())
                    return failed(
                        u"The DOS game cannot open the TC's con \"%1\": its name is no DOS 8.3 name, and the con cannot "
                        "be copied in under another, since %2 includes it by that name."_s.arg(
                            nameOf(tc.gameCon), includer));
            }
            conName = dosNameOf(tc.gameCon);
            command.copyIns.append(CopyIn{tc.gameCon, conName});
        }
        if (!tc.groupFile.isEmpty()) {
            groupName = dosNameOf(tc.groupFile);
            command.copyIns.prepend(CopyIn{tc.groupFile, groupName});
        }
        for (const QString &file : tc.otherFiles)
            command.copyIns.append(CopyIn{file, nameOf(file).toUpper()});
        QString run = executable;
        // The group must come last on the DOS game's command line.
        if (!conName.isEmpty())
            run += u" /x"_s + conName;
        if (!groupName.isEmpty())
            run += u" /g"_s + groupName;
        // DOSBox's -exit closes it only after a program given as its first argument; after -c
        // commands it stays at the prompt, and the launch would never end, unless told to exit.
        engineArgs << u"-c"_s << u"MOUNT C \"%1\""_s.arg(gameDir) << u"-c"_s << u"C:"_s << u"-c"_s << run << u"-c"_s
                   << u"exit"_s;
        // The game reads and writes its saves only in its own folder, so the TC's are moved
        // there for the game and back after it. DUKE3D.CFG stays: it is the install's setup
        // (sound card, controls, made with SETUP.EXE), which every TC needs as it is, not a
        // TC's progress.
        usesSaveDir = true;
        command.saves.slotNames = dosSaveNames();
        command.saves.summary =
            u"kept apart in \"%1\": the DOS game writes them in the game directory, so they are moved there "
            "for the game and back when it ends."_s.arg(saveDir);
        break;
    }
    case EngineKind::Custom: {
        const QHash<QString, QString> values{
            {u"gamedir"_s, gameDir},
            {u"maingroup"_s, mainGroup},
            {u"group"_s, tc.groupFile},
            {u"con"_s, tc.gameCon},
            {u"tcdir"_s, tc.groupFile.isEmpty() ? QString() : folderOf(tc.groupFile)},
            {u"savedir"_s, saveDir},
        };
        QString error;
        engineArgs = expandArgumentTemplate(settings.argumentTemplate, values, &error);
        if (!error.isEmpty())
            return failed(error);
        usesSaveDir = engineWritesSaves = settings.argumentTemplate.contains(u"{savedir}"_s);
        command.saves.summary = usesSaveDir
            ? u"\"%1\", given to the engine as {savedir}: kept apart if the engine writes its saves where it is told."_s
                  .arg(saveDir)
            : u"not kept apart: the arguments do not pass {savedir}, so the engine writes its saves where it always does, "
              "shared between TCs."_s;
        // Most custom engines are EDuke32's kin.
        if (tc.gameCon.isEmpty() || !settings.argumentTemplate.contains(u"{con}"_s))
            command.overridingNames << kEdukeCon;
        break;
    }
    }
    if (usesSaveDir) {
        command.foldersToCreate << saveDir;
        command.saves.folder = saveDir;
        command.saves.keptApart = true;
    }

    if (install.kind == EngineInstall::Kind::Flatpak) {
        // The sandbox sees only what it is given: the game directory (the engine may write
        // there), the TC's folders read-only, and the save folder the engine writes in.
        QStringList access{gameDir};
        if (engineWritesSaves)
            access << saveDir;
        QStringList readOnly;
        for (const QString &folder : tcFolders(tc)) {
            if (folder != gameDir)
                readOnly << folder;
        }
        command.program = install.program;
        command.arguments << u"run"_s;
        for (const QString &folder : std::as_const(access) + readOnly) {
            // flatpak reads a colon as the start of an access mode.
            if (folder.contains(u':'))
                return failed(
                    u"A Flatpak engine cannot be given the folder \"%1\": its path holds a colon."_s.arg(folder));
        }
        for (const QString &folder : std::as_const(access))
            command.arguments << u"--filesystem="_s + folder;
        for (const QString &folder : std::as_const(readOnly))
            command.arguments << u"--filesystem="_s + folder + u":ro"_s;
        // Inside the sandbox as well, the engine starts in the command's working folder.
        command.arguments << u"--cwd="_s + command.workingDir << install.flatpakId << engineArgs;
    } else {
        command.program = install.program;
        command.arguments = engineArgs;
    }
    return command;
}

QString engineKindName(EngineKind kind)
{
    switch (kind) {
    case EngineKind::EDuke32:
        return u"EDuke32"_s;
    case EngineKind::Raze:
        return u"Raze"_s;
    case EngineKind::DosBox:
        return u"DOSBox"_s;
    case EngineKind::Custom:
        break;
    }
    return u"Custom"_s;
}

std::optional<EngineKind> engineKindFromName(const QString &name)
{
    for (EngineKind kind : {EngineKind::EDuke32, EngineKind::Raze, EngineKind::DosBox, EngineKind::Custom}) {
        if (name.compare(engineKindName(kind), Qt::CaseInsensitive) == 0)
            return kind;
    }
    return std::nullopt;
}

} // namespace ostrel
