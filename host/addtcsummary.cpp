#include "host/addtcsummary.h"

#include <installer/tcinspection.h>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

// A file chosen for a field, or what stood in the way of choosing one.
std::pair<QString, QString> chosenText(const ChosenFile &chosen, const QString &none)
{
    if (!chosen.file.isEmpty())
        return {chosen.file, chosen.why};
    if (!chosen.candidates.isEmpty())
        return {u"(Quillon cannot tell: %1)"_s.arg(chosen.candidates.join(u", "_s)), chosen.why};
    return {none, {}};
}

QString withWhy(const QString &what, const QString &why)
{
    return why.isEmpty() ? what : u"%1 (%2)"_s.arg(what, why);
}

QString section(const QString &heading, const QStringList &lines)
{
    if (lines.isEmpty())
        return heading + u": (none)\n"_s;
    return heading + u":\n  "_s + lines.join(u"\n  "_s) + u'\n';
}

} // namespace

AddTcSummary AddTcSummary::of(const TcInspection &inspection)
{
    AddTcSummary summary;
    summary.name = inspection.name;
    summary.nameWhy = inspection.nameWhy;
    summary.folder = inspection.folder;
    std::tie(summary.group, summary.groupWhy) = chosenText(inspection.group, u"(none)"_s);
    std::tie(summary.con, summary.conWhy) =
        chosenText(inspection.con, u"(none: the game's own, or the one in the group)"_s);
    summary.readMe = inspection.readMe.isEmpty() ? u"(none)"_s : inspection.readMe;
    summary.otherFiles = inspection.otherFiles;
    const QStringList listed =
        QStringList{inspection.group.file, inspection.con.file, inspection.readMe} + inspection.otherFiles;
    for (const PlannedEntry &entry : inspection.plan) {
        const QString file = QString::fromUtf8(entry.target);
        if (!entry.folder && !listed.contains(file))
            summary.notForTheGame << file;
    }
    summary.version = inspection.version;
    summary.versionWhy = inspection.versionWhy;
    for (const SkippedEntry &entry : inspection.skipped)
        summary.skipped << u"%1: %2"_s.arg(entry.name, entry.reason);
    summary.problems = inspection.problems;
    summary.notes = inspection.notes;
    return summary;
}

QString AddTcSummary::text() const
{
    QString text = u"TC: "_s + withWhy(name, nameWhy) + u'\n';
    text += u"Folder: "_s + folder + u'\n';
    text += u"Group file: "_s + withWhy(group, groupWhy) + u'\n';
    text += u"Game con: "_s + withWhy(con, conWhy) + u'\n';
    text += u"Read-me: "_s + readMe + u'\n';
    text += section(u"Other files"_s, otherFiles);
    text += section(u"Also unpacked, not for the game"_s, notForTheGame);
    text += u"Version: "_s + withWhy(version, versionWhy) + u'\n';
    text += section(u"Skipped"_s, skipped);
    if (!problems.isEmpty())
        text += section(u"Problems"_s, problems);
    if (!notes.isEmpty())
        text += section(u"Notes"_s, notes);
    return text;
}

} // namespace ostrel
