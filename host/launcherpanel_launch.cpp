// The panel's launch: the questions and the preview before anything changes, how the game
// ended, and the game directory given back, also after an earlier Quillon.

#include "host/launcherpanel.h"

#include <store/appnames.h>

#include "host/logdialog.h"
#include "host/plansummary.h"
#include "host/previewdialog.h"

#include <platform/formshower.h>
#include <platform/messageboxes.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QLabel>
#include <QListWidget>
#include <QLocale>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

// The lines of a log shown when a game fails: enough for the engine's last words.
constexpr int kTailLines = 40;

} // namespace

// Every answer the player must give before anything changes; false when they decline.
bool LauncherPanel::confirmLaunch(const PreparedLaunch &launch, DeleteMode *mode)
{
    if (launch.version.fit == VersionFit::AskFirst
        && !m_services.messages->question(
            this, kHostName.toString(), versionQuestionText(launch) + u"\n\nLaunch it anyway?"_s, false))
        return false;
    *mode = DeleteMode::ToTrash;
    if (launch.hasTrashSteps && !launch.trashAvailable) {
        QStringList doomed;
        for (const CleanupStep &step : launch.plan.steps) {
            if (step.action == StepAction::Trash)
                doomed << step.name;
        }
        if (!m_services.messages->question(this, kHostName.toString(),
                u"%1\n\nThe clean-up would delete these files for good; they cannot be recovered afterwards:\n%2\n\n"
                "Delete them for good? (Choose \"Rename\" on the \"Directory Clean-up\" page to keep them.)"_s.arg(
                    launch.trashUnavailableReason, doomed.join(u'\n')),
                false))
            return false;
        *mode = DeleteMode::RemoveForGood;
    }
    PreviewDialog preview(launch, *mode, this);
    m_services.forms->showModal(&preview, this);
    return preview.result() == QDialog::Accepted;
}

void LauncherPanel::launchSelected()
{
    if (isRunning())
        return;
    const QList<QListWidgetItem *> selected = lstTCs->selectedItems();
    if (selected.isEmpty() || selected.constFirst()->isHidden())
        return;
    const QString name = selected.constFirst()->text();
    saveSettings();
    const StoredLaunch launch = m_launcher->prepare(name, shownSettings().launchSetup());
    if (!launch.ok()) {
        warn(launch.message);
        return;
    }
    DeleteMode mode = DeleteMode::ToTrash;
    if (!confirmLaunch(launch.prepared, &mode)) {
        lblStatus->setText(u"The launch of \"%1\" was cancelled; nothing was changed."_s.arg(name));
        return;
    }

    m_launcher->setRestoreOnExit(chkRestore->isChecked());
    QString error;
    if (!m_launcher->start(launch.prepared, mode, &error)) {
        warn(launchRefusedText(launch.prepared.label, error));
        updateControls();
        return;
    }
    lblStatus->setText(u"Starting \"%1\"..."_s.arg(launch.prepared.label));
    updateControls();
}

void LauncherPanel::launchWhenShown(const QString &tcName)
{
    m_launchWhenShown = tcName;
}

// As the player would: the TC chosen in the list (the filter cleared, should it hide it), then
// Launch.
void LauncherPanel::launchNamed(const QString &tcName)
{
    txtFilter->clear();
    QList<QListWidgetItem *> items = lstTCs->findItems(tcName, Qt::MatchExactly);
    if (items.isEmpty())
        items = lstTCs->findItems(tcName, Qt::MatchFixedString);
    if (items.size() != 1) {
        // The launcher tells a name that is not stored from one stored twice.
        warn(m_launcher->prepare(tcName, shownSettings().launchSetup()).message);
        return;
    }
    lstTCs->setCurrentItem(items.constFirst());
    lstTCs->scrollToItem(items.constFirst());
    launchSelected();
}

void LauncherPanel::showOutcome(const LaunchOutcome &outcome)
{
    QString ended;
    switch (outcome.end) {
    case LaunchOutcome::End::Ended:
    case LaunchOutcome::End::Stopped:
        ended = u"\"%1\" ended."_s.arg(outcome.label);
        break;
    case LaunchOutcome::End::FailedToStart:
        ended = outcome.failure;
        break;
    case LaunchOutcome::End::Crashed:
        ended = u"\"%1\" crashed."_s.arg(outcome.label);
        break;
    case LaunchOutcome::End::ExitedWithError:
        ended = u"\"%1\" exited with status %2."_s.arg(outcome.label).arg(outcome.exitCode);
        break;
    }
    const QString back = outcome.restore
        ? u' ' + restoreStatus(*outcome.restore)
        : u" The game directory is as the game left it; \"Give the game directory back\" gives it back."_s;
    lblStatus->setText(ended + back);
    updateControls();

    if (outcome.restore && !outcome.restore->ok())
        warnOfRestore(*outcome.restore);
    const bool failed = outcome.end != LaunchOutcome::End::Ended && outcome.end != LaunchOutcome::End::Stopped;
    if (failed) {
        LogDialog log(ended + u" The end of its log:"_s, outcome.logPath, kTailLines, this);
        m_services.forms->showModal(&log, this);
    }
}

// The status line says how it went; what went wrong is listed in a warning, line by line as
// the command line prints it.
QString LauncherPanel::restoreStatus(const RestoreReport &report)
{
    return report.ok() ? (QStringList{report.headline()} + report.details()).join(u' ') : report.headline();
}

void LauncherPanel::warnOfRestore(const RestoreReport &report)
{
    warn((QStringList{report.headline()} + report.details()).join(u'\n'));
}

void LauncherPanel::restoreByHand()
{
    const RestoreReport report = m_launcher->restore();
    updateControls();
    if (report.gameStillRunning) {
        lblStatus->setText(u"The game directory was not given back, since the game still runs; Quillon asks again once "
                           "it has ended."_s);
        warn(report.error);
        m_waitingForEarlierGame = true;
        return;
    }
    lblStatus->setText(restoreStatus(report));
    if (!report.ok())
        warnOfRestore(report);
}

void LauncherPanel::offerPendingRestore()
{
    const auto &pending = m_launcher->pending();
    updateControls();
    if (!pending || isRunning())
        return;
    if (pending->gameStillRunning) {
        // A launcher that died left its game running on the changed directory: giving it back
        // now would take files away from under the game.
        const QString text =
            u"The game started for \"%1\" (process %2) is still running on the game directory %3, which "
            "its launch changed. The game directory is given back once the game has ended; Quillon "
            "asks then."_s.arg(pending->label)
                .arg(pending->gameStillRunning)
                .arg(pending->gameDir);
        lblStatus->setText(text);
        warn(text);
        m_waitingForEarlierGame = true;
        return;
    }
    const QString started = QLocale().toString(pending->started, QLocale::ShortFormat);
    const QString question = pending->keptOnPurpose
        ? u"The launch of \"%1\" on %2 left its changes in the game directory %3 when the game ended, as it was told to "
          "(\"Give the game directory back when the game ends\" was off, or --no-restore was given).\n\nGive the game "
          "directory back now?"_s.arg(pending->label, started, pending->gameDir)
        : u"The launch of \"%1\" on %2 changed the game directory %3, and the changes were never given back (the "
          "launcher or the computer stopped while the game ran).\n\nGive the game directory back now?"_s.arg(
              pending->label, started, pending->gameDir);
    if (m_services.messages->question(this, kHostName.toString(), question, true))
        restoreByHand();
    else
        lblStatus->setText(
            u"The game directory %1 still holds the changes of a launch; \"Give the game directory back\" "
            "gives it back, and no TC can be launched until then."_s.arg(pending->gameDir));
}

// The launcher says when the launch waiting to be given back changed; the one question
// waiting for it is the give-back of an earlier Quillon's launch, once its game has ended.
void LauncherPanel::followPending()
{
    updateControls();
    const auto &pending = m_launcher->pending();
    if (m_waitingForEarlierGame && !(pending && pending->gameStillRunning)) {
        m_waitingForEarlierGame = false;
        offerPendingRestore();
    }
}

void LauncherPanel::showLastLog()
{
    const QString path = m_launcher->lastLogPath();
    if (path.isEmpty())
        return;
    LogDialog log({}, path, 0, this);
    m_services.forms->showModal(&log, this);
}

} // namespace ostrel
