#include "launcher/launchpreparation.h"

#include "launcher/fileops.h"
#include "launcher/grpfile.h"
#include "launcher/maingroupcache.h"
#include "launcher/trash.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

PreparedLaunch refused(const QString &why)
{
    PreparedLaunch launch;
    launch.error = why;
    return launch;
}

// Through the cache, so that a launch reads a main group only once for as long as it is
// unchanged.
MainGroupIdentity identifyInstalledGame(
    const QString &gameDir, const QList<DirectoryEntry> &listing, const LaunchRequest &request)
{
    QString mainGroup;
    for (const DirectoryEntry &entry : listing) {
        if (entry.kind != EntryKind::File || entry.name.compare(request.mainGroup, Qt::CaseInsensitive) != 0)
            continue;
        // The exact name wins when the folder holds it in several cases, as the engines find it.
        if (mainGroup.isEmpty() || entry.name == request.mainGroup)
            mainGroup = entry.name;
    }
    if (mainGroup.isEmpty()) {
        MainGroupIdentity none;
        none.error = u"The game directory holds no %1."_s.arg(request.mainGroup);
        return none;
    }
    return MainGroupCache(request.mainGroupCache).identify(gameDir + u'/' + mainGroup);
}

// The TC's saves as they are now, for an engine that writes them in the game directory. The
// folder may not exist yet: then it is made beside its nearest existing parent, on its drive.
SaveMovesInput saveMovesFor(const SavePlacement &saves, const QString &gameDir)
{
    SaveMovesInput input;
    input.saveDir = saves.folder;
    input.slotNames = saves.slotNames;
    if (saves.slotNames.isEmpty())
        return input;
    input.saveListing = listDirectory(saves.folder);
    QString existing = saves.folder;
    auto there = fileops::lstatPath(existing);
    while (!there && QFileInfo(existing).path() != existing) {
        existing = QFileInfo(existing).path();
        there = fileops::lstatPath(existing);
    }
    const auto game = fileops::lstatPath(gameDir);
    input.sameFileSystem = there && game && there->device == game->device;
    return input;
}

} // namespace

PreparedLaunch prepareLaunch(const LaunchRequest &request, Trash &trash)
{
    const TcDefinition &tc = request.tc;
    // First, and told apart from the other refusals: a script needs to know the engine is what
    // is missing.
    const EngineInstall install = findEngine(request.engine, request.flatpakAppFolders);
    if (install.kind == EngineInstall::Kind::NotFound) {
        PreparedLaunch launch = refused(install.error);
        launch.engineNotFound = true;
        return launch;
    }

    if (request.gameDir.trimmed().isEmpty())
        return refused(u"No game directory is set: choose the folder that holds DUKE3D.GRP."_s);
    // Absolute, so that the journal finds the directory again from any working folder.
    const QString gameDir = QDir(request.gameDir).absolutePath();
    const auto gameDirStat = fileops::lstatPath(gameDir);
    if (!QFileInfo(gameDir).isDir())
        return refused(u"The game directory \"%1\" does not exist."_s.arg(request.gameDir));
    if (gameDirStat && gameDirStat->symlink)
        return refused(u"The game directory \"%1\" is a link; choose the folder it leads to."_s.arg(gameDir));

    if (tc.groupFile.isEmpty())
        return refused(u"The TC has no group file."_s);
    QStringList missing;
    for (const QString &file : QStringList{tc.groupFile, tc.gameCon} + tc.otherFiles) {
        if (!file.isEmpty() && !QFileInfo(file).isFile())
            missing << file;
    }
    if (!missing.isEmpty())
        return refused(u"The TC's files are missing: %1"_s.arg(missing.join(u", "_s)));

    const GrpDirectory group = readGrpDirectory(tc.groupFile);
    if (!group.ok())
        return refused(group.error);

    QString listError;
    const QList<DirectoryEntry> listing = listDirectory(gameDir, &listError);
    if (!listError.isEmpty())
        return refused(listError);

    PreparedLaunch launch;
    launch.gameDir = gameDir;
    launch.label = tc.name;

    launch.installed = identifyInstalledGame(gameDir, listing, request);
    launch.version = decideVersionFit(tc.version, launch.installed);
    if (launch.version.fit == VersionFit::Refused)
        return refused(launch.version.reason);
    if (!tc.textFile.isEmpty() && !QFileInfo(tc.textFile).isFile())
        launch.warnings << u"The TC's text file \"%1\" is missing."_s.arg(tc.textFile);

    LaunchInput input;
    input.tc = tc;
    input.gameDir = gameDir;
    input.mainGroup = request.mainGroup;
    input.dosExecutable = request.dosExecutable;
    input.saveRoot = request.saveRoot;
    launch.command = buildLaunchCommand(request.engine, install, input);
    if (!launch.command.ok())
        return refused(launch.command.error);

    // The names that would override the TC's own: its group's members, its con and its other
    // files (the text file is for the player, not the game).
    CleanupInput cleanup;
    cleanup.gameDir = gameDir;
    cleanup.listing = listing;
    for (const GrpMember &member : group.members)
        cleanup.duplicateNames << member.name;
    if (!tc.gameCon.isEmpty())
        cleanup.duplicateNames << QFileInfo(tc.gameCon).fileName();
    for (const QString &file : tc.otherFiles)
        cleanup.duplicateNames << QFileInfo(file).fileName();
    cleanup.duplicateNames << launch.command.overridingNames;
    cleanup.tcFiles = QStringList{tc.groupFile, tc.gameCon, tc.textFile} + tc.otherFiles;
    cleanup.mainGroupNames = {request.mainGroup};
    cleanup.preference = request.preference;
    cleanup.copyIns = launch.command.copyIns;
    cleanup.saves = saveMovesFor(launch.command.saves, gameDir);
    launch.plan = planCleanup(cleanup);
    if (!launch.plan.ok())
        return refused(launch.plan.error);

    // Not a name of the TC's, so the player would not see why the clean-up takes it.
    for (const QString &name : launch.command.overridingNames) {
        const auto inPlan = std::find_if(launch.plan.steps.cbegin(), launch.plan.steps.cend(),
            [&](const CleanupStep &step) { return step.name.compare(name, Qt::CaseInsensitive) == 0; });
        const auto inGameDir = std::find_if(listing.cbegin(), listing.cend(), [&](const DirectoryEntry &entry) {
            return entry.kind == EntryKind::File && entry.name.compare(name, Qt::CaseInsensitive) == 0
                && !cleanup.tcFiles.contains(gameDir + u'/' + entry.name);
        });
        if (inPlan != launch.plan.steps.cend())
            launch.warnings
                << u"The engine would load %1 from the game directory in place of the TC's game code, as no con is "
                   "given: the clean-up moves it aside."_s.arg(inPlan->name);
        else if (inGameDir != listing.cend() && request.preference == CleanupPreference::None)
            launch.warnings
                << u"The engine will load %1 from the game directory in place of the TC's game code, as no con is "
                   "given, and the clean-up preference None leaves it there: the TC may not run as it was made."_s.arg(
                       inGameDir->name);
    }

    for (const CleanupStep &step : launch.plan.steps)
        launch.hasTrashSteps = launch.hasTrashSteps || step.action == StepAction::Trash;
    if (launch.hasTrashSteps)
        launch.trashAvailable = trash.availableFor(gameDir, &launch.trashUnavailableReason);
    return launch;
}

} // namespace ostrel
