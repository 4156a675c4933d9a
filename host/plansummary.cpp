#include "host/plansummary.h"

#include <launcher/launchpreparation.h>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

QString versionName(GameVersion version)
{
    switch (version) {
    case GameVersion::V13D:
        return u"1.3D"_s;
    case GameVersion::V14Or15:
        return u"1.4/1.5"_s;
    case GameVersion::Unknown:
        break;
    }
    return u"of an unknown version"_s;
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
        }
    }
    for (const LeftAlone &left : launch.plan.leftAlone)
        summary.leftAlone << left.name + u": "_s + left.reason;
    summary.command = launch.command.displayCommand();
    if (!launch.version.matches)
        summary.notes << versionMismatchText(launch);
    else if (!launch.version.known && !launch.version.message.isEmpty())
        summary.notes << launch.version.message;
    summary.notes << launch.warnings << launch.command.notes;
    return summary;
}

QString PlanSummary::text() const
{
    QString out;
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
    out += u"Command:\n  "_s + command + u'\n';
    if (!notes.isEmpty())
        part(u"Notes"_s, notes);
    return out;
}

QString versionMismatchText(const PreparedLaunch &launch)
{
    return u"%1 The game in %2 is %3, so the TC may not run."_s.arg(launch.version.message, launch.gameDir,
                                                                     versionName(launch.installedVersion));
}


} // namespace ostrel
