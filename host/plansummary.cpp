#include "host/plansummary.h"

#include <launcher/launchpreparation.h>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

QString installedGameText(const MainGroupIdentity &installed)
{
    if (!installed.ok())
        return u"not identified: %1"_s.arg(installed.error);
    if (installed.edition == GameEdition::Unknown)
        return describeMainGroup(installed);
    return u"Duke Nukem 3D %1 (CRC %2)"_s.arg(gameEditionName(installed.edition), crcText(installed.crc));
}

// The engine's placement, and for the DOS game which saves move in and which of the player's
// are set aside meanwhile.
QString savesText(const PreparedLaunch &launch)
{
    const SavePlacement &saves = launch.command.saves;
    QString text = saves.summary.isEmpty() ? QString() : saves.summary.front().toUpper() + saves.summary.mid(1);
    if (saves.slotNames.isEmpty())
        return text;
    QStringList movedIn, setAside;
    for (const CleanupStep &step : launch.plan.steps) {
        if (step.action == StepAction::Save && !step.source.isEmpty())
            movedIn << step.name;
        else if (step.action == StepAction::Rename && saves.slotNames.contains(step.name, Qt::CaseInsensitive))
            setAside << step.name;
    }
    text += movedIn.isEmpty() ? u" The TC has no saves yet."_s
                              : u" The TC's saves to move in: %1."_s.arg(movedIn.join(u", "_s));
    if (!setAside.isEmpty())
        text += u" The player's own saves there, set aside meanwhile: %1."_s.arg(setAside.join(u", "_s));
    return text;
}

} // namespace

PlanSummary PlanSummary::of(const PreparedLaunch &launch, DeleteMode mode)
{
    PlanSummary summary;
    summary.deletedHeading = mode == DeleteMode::RemoveForGood
        ? u"Deleted for good (there is no trash: these cannot be recovered)"_s
        : u"Deleted (moved to the trash, put back afterwards)"_s;
    for (const CleanupStep &step : launch.plan.steps) {
        switch (step.action) {
        case StepAction::Trash:
            summary.deleted << step.name;
            break;
        case StepAction::Rename:
            summary.renamed << step.name + u" → "_s + step.newName;
            break;
        case StepAction::CopyIn:
            summary.copiedIn << u"%1 (from %2)"_s.arg(step.name, step.source);
            break;
        case StepAction::Save:
            // Told on the saves' own line.
            break;
        }
    }
    for (const LeftAlone &left : launch.plan.leftAlone)
        summary.leftAlone << left.name + u": "_s + left.reason;
    summary.saves = savesText(launch);
    summary.command = launch.command.displayCommand();
    summary.game = installedGameText(launch.installed);
    if (launch.version.fit == VersionFit::AskFirst)
        summary.notes << versionQuestionText(launch);
    else if (!launch.version.warning.isEmpty())
        summary.notes << launch.version.warning;
    summary.notes << launch.warnings << launch.command.notes;
    return summary;
}

QString PlanSummary::text() const
{
    QString out = u"Game: "_s + game + u'\n';
    const auto part = [&](const QString &heading, const QStringList &lines) {
        out += heading + u":\n"_s;
        if (lines.isEmpty())
            out += u"  (nothing)\n"_s;
        for (const QString &line : lines)
            out += u"  "_s + line + u'\n';
    };
    part(deletedHeading, deleted);
    part(u"Renamed (given back their names afterwards)"_s, renamed);
    part(u"Copied in (removed afterwards)"_s, copiedIn);
    part(u"Left alone"_s, leftAlone);
    out += u"Saves: "_s + saves + u'\n';
    out += u"Command:\n  "_s + command + u'\n';
    if (!notes.isEmpty())
        part(u"Notes"_s, notes);
    return out;
}

QString versionQuestionText(const PreparedLaunch &launch)
{
    const VersionDecision &version = launch.version;
    return version.warning.isEmpty() ? version.reason : version.reason + u' ' + version.warning;
}

} // namespace ostrel
