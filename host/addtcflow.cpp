#include "host/addtcflow.h"

#include "host/addtcdialog.h"

#include <installer/tcinstaller.h>
#include <platform/formshower.h>
#include <platform/messageboxes.h>
#include <platform/platformservices.h>
#include <store/appnames.h>

#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

QString quotedNames(const QStringList &names)
{
    QStringList quoted;
    for (const QString &name : names)
        quoted << u'"' + name + u'"';
    return quoted.join(u", "_s);
}

} // namespace

AddTcOutcome addTcsFrom(const QString &source, const PlatformServices &services, QWidget *owner)
{
    AddTcOutcome outcome;
    const QString title = kHostName.toString();
    const QString file = QFileInfo(source).fileName();
    TcSource found = inspectTcSource(source, *services.store);
    const QString nothing = u"Nothing was added from %1, and nothing was written."_s.arg(file);

    // Not a file to unpack (a damaged or locked archive): what is wrong is all there is to say.
    const auto noFile = [](const TcInspection &tc) {
        return std::none_of(tc.plan.cbegin(), tc.plan.cend(), [](const PlannedEntry &entry) { return !entry.folder; });
    };
    if (found.tcs.isEmpty()
        || (found.tcs.size() == 1 && noFile(found.tcs.first()) && !found.tcs.first().problems.isEmpty())) {
        const QStringList reasons = found.tcs.isEmpty() ? found.leftOut : found.tcs.first().problems;
        services.messages->exclamation(owner, title,
            u"\"%1\" cannot be added as a TC:\n\n%2\n\nNothing was written."_s.arg(source, reasons.join(u'\n')));
        outcome.status = nothing;
        return outcome;
    }
    for (const QString &left : found.leftOut) {
        for (TcInspection &tc : found.tcs)
            tc.notes << u"Left out, since its files are not beside %1: %2"_s.arg(file, left);
    }

    QStringList notAdded;
    for (qsizetype i = 0; i < found.tcs.size(); ++i) {
        const QString position = found.tcs.size() > 1 ? u"%1 of %2"_s.arg(i + 1).arg(found.tcs.size()) : QString();
        AddTcDialog preview(found.tcs[i], *services.store, position, owner);
        services.forms->showModal(&preview, owner);
        const TcInspection &chosen = preview.inspection();
        if (preview.result() != QDialog::Accepted) {
            notAdded << chosen.name;
            continue;
        }
        const InstallResult installed = installTc(chosen, *services.store);
        if (!installed.ok()) {
            services.messages->exclamation(owner, title,
                u"\"%1\" was not added; nothing of it was written.\n\n%2"_s.arg(chosen.name, installed.error));
            notAdded << chosen.name;
            continue;
        }
        outcome.added << chosen.name;
        if (found.tcs.size() == 1)
            outcome.status = u"\"%1\" was added from %2 into %3, and is chosen here to launch."_s.arg(
                chosen.name, file, chosen.folder);
    }
    if (outcome.added.isEmpty())
        outcome.status = nothing;
    else if (found.tcs.size() > 1)
        outcome.status = u"Added from %1: %2."_s.arg(file, quotedNames(outcome.added))
            + (notAdded.isEmpty() ? QString() : u" Not added: %1."_s.arg(quotedNames(notAdded)));
    return outcome;
}

} // namespace ostrel
