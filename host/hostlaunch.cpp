#include "host/hostlaunch.h"

#include "host/hostsettings.h"

#include <launcher/cleanupplan.h>
#include <launcher/engine.h>
#include <launcher/launchsession.h>
#include <store/definitionstore.h>
#include <store/settingsstore.h>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

HostLaunch refused(LaunchRefusal why, const QString &message)
{
    HostLaunch launch;
    launch.refusal = why;
    launch.message = message;
    return launch;
}

HostLaunch refusedLaunchOf(const QString &tcName, LaunchRefusal why, const QString &reason)
{
    return refused(why, launchRefusedText(tcName, reason));
}

} // namespace

// Read on its own (a line among a script's output, a message box), a refusal names the TC and
// says that nothing was launched.
QString launchRefusedText(const QString &tcName, const QString &reason)
{
    return u"The launch of \"%1\" was refused. %2"_s.arg(tcName, reason);
}

HostLaunch prepareHostLaunch(SettingsStore &store, const HostSettings &settings, const QString &tcName, Trash &trash,
                             const QString &stateDir)
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
                       u"The store holds the name \"%1\" %2 times in different case (%3), so the launcher cannot tell "
                       "which definition is meant. Delete the extra ones in the TC manager and define the TC again."_s
                           .arg(tcName)
                           .arg(sameName.size())
                           .arg(u"\""_s + sameName.join(u"\", \""_s) + u"\""_s));
    const std::optional<TcDefinition> tc = definitions.load(sameName.constFirst());
    if (!tc)
        return refused(LaunchRefusal::NoSuchTc, u"The definition of \"%1\" cannot be read from the store."_s.arg(tcName));

    const QString storedPreference = definitions.cleanupPreference();
    const CleanupPreference preference = parseCleanupPreference(storedPreference);
    if (preference == CleanupPreference::Unknown)
        return refusedLaunchOf(tcName, LaunchRefusal::UnknownPreference,
                       u"The directory clean-up preference \"%1\" is none the launcher knows (Delete, Rename or None). "
                       "Choose one on the \"Directory Clean-up\" page of the TC manager."_s.arg(storedPreference));

    const EngineSettings engine = settings.engineSettings();
    // Told apart from the other refusals: a script needs to know the engine is what is missing.
    if (const EngineInstall install = findEngine(engine); install.kind == EngineInstall::Kind::NotFound)
        return refusedLaunchOf(tcName, LaunchRefusal::EngineNotFound, install.error);

    // Asked before the preview, which would otherwise end in the session's refusal.
    if (const auto pending = LaunchSession::leftoverJournal(stateDir)) {
        if (pending->gameStillRunning)
            return refusedLaunchOf(tcName, LaunchRefusal::Refused,
                           u"The game started for \"%1\" (process %2) is still running on the game directory %3, as that "
                           "launch changed it. Once the game has ended, restore the game directory, then launch."_s
                               .arg(pending->label)
                               .arg(pending->gameStillRunning)
                               .arg(pending->gameDir));
        return refusedLaunchOf(tcName, LaunchRefusal::Refused,
                       u"The changes the launch of \"%1\" made to the game directory %2 have not been given back yet; "
                       "restore the game directory first."_s.arg(pending->label, pending->gameDir));
    }
    if (settings.gameDir.trimmed().isEmpty())
        return refusedLaunchOf(tcName, LaunchRefusal::Refused, u"No game directory is set: choose the folder that holds DUKE3D.GRP."_s);

    LaunchRequest request;
    request.tc = *tc;
    request.gameDir = settings.gameDir;
    request.preference = preference;
    request.engine = engine;
    HostLaunch launch;
    launch.prepared = prepareLaunch(request, trash);
    if (!launch.prepared.ok())
        return refusedLaunchOf(tcName, LaunchRefusal::Refused, launch.prepared.error);
    return launch;
}

} // namespace ostrel
