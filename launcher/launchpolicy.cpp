#include "launcher/launchpolicy.h"

#include "store/definitionstore.h"
#include "store/settingsstore.h"

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

StoredLaunch refused(LaunchRefusal why, const QString &message)
{
    StoredLaunch launch;
    launch.refusal = why;
    launch.message = message;
    return launch;
}

StoredLaunch refusedLaunchOf(const QString &tcName, LaunchRefusal why, const QString &reason)
{
    return refused(why, launchRefusedText(tcName, reason));
}

// Asked before the preview: the journal would refuse the launch only after the player said yes.
QString pendingRefusal(const PendingJournal &pending)
{
    if (pending.gameStillRunning)
        return u"The game started for \"%1\" (process %2) is still running on the game directory %3, as that launch "
               "changed it. Once the game has ended, give the game directory back, then launch."_s.arg(pending.label)
                   .arg(pending.gameStillRunning)
                   .arg(pending.gameDir);
    return u"The changes the launch of \"%1\" made to the game directory %2 have not been given back yet; give the "
           "game directory back first."_s.arg(pending.label, pending.gameDir);
}

} // namespace

QString launchRefusedText(const QString &tcName, const QString &reason)
{
    return u"The launch of \"%1\" was refused. %2"_s.arg(tcName, reason);
}

StoredLaunch prepareStoredLaunch(SettingsStore &store, const QString &tcName, const LaunchSetup &setup,
    const std::optional<PendingJournal> &pending, Trash &trash, const QString &mainGroupCache)
{
    // An unreadable store reads as empty: say so rather than "no such TC".
    if (const QString problem = store.readProblem(); !problem.isEmpty())
        return refused(LaunchRefusal::StoreUnreadable, problem);

    const DefinitionStore definitions(store);
    QStringList sameName;
    for (const QString &listed : definitions.names()) {
        if (listed.compare(tcName, Qt::CaseInsensitive) == 0)
            sameName << listed;
    }
    if (sameName.isEmpty())
        return refused(LaunchRefusal::NoSuchTc, u"No TC called \"%1\" is stored."_s.arg(tcName));
    // The store finds a definition's keys without regard to case, so two such names share
    // their keys and neither can be launched as what the player meant.
    if (sameName.size() > 1)
        return refusedLaunchOf(tcName, LaunchRefusal::AmbiguousName,
            u"The store holds the name \"%1\" %2 times in different case (%3), so the launcher cannot "
            "tell which definition is meant. Delete the extra ones in the TC manager and define the TC "
            "again."_s.arg(tcName)
                .arg(sameName.size())
                .arg(u"\""_s + sameName.join(u"\", \""_s) + u"\""_s));
    const std::optional<TcDefinition> tc = definitions.load(sameName.constFirst());
    if (!tc)
        return refused(
            LaunchRefusal::NoSuchTc, u"The definition of \"%1\" cannot be read from the store."_s.arg(tcName));

    const QString storedPreference = definitions.cleanupPreference();
    const CleanupPreference preference = parseCleanupPreference(storedPreference);
    if (preference == CleanupPreference::Unknown)
        return refusedLaunchOf(tcName, LaunchRefusal::UnknownPreference,
            u"The directory clean-up preference \"%1\" is none the launcher knows (Delete, Rename or "
            "None). Choose one on the \"Directory Clean-up\" page of the TC manager."_s.arg(storedPreference));
    if (pending)
        return refusedLaunchOf(tcName, LaunchRefusal::Refused, pendingRefusal(*pending));

    LaunchRequest request;
    request.tc = *tc;
    request.gameDir = setup.gameDir;
    request.preference = preference;
    request.engine = setup.engine;
    request.mainGroupCache = mainGroupCache;
    StoredLaunch launch;
    launch.prepared = prepareLaunch(request, trash);
    if (!launch.prepared.ok())
        return refusedLaunchOf(tcName,
            launch.prepared.engineNotFound ? LaunchRefusal::EngineNotFound : LaunchRefusal::Refused,
            launch.prepared.error);
    return launch;
}

} // namespace ostrel
