// The panel's game directory, a choice of the installs found, and the TCs' desktop shortcuts.

#include "host/launcherpanel.h"

#include <store/appnames.h>

#include "host/gamedirchooser.h"
#include "host/pathdialogs.h"
#include "host/tcshortcut.h"

#include <platform/messageboxes.h>

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>

using namespace Qt::StringLiterals;

namespace ostrel {

void LauncherPanel::searchForGames()
{
    cboGameDir->search(shownSettings().gameSearchPlaces());
}

// A folder the player chose is kept in the list, and searched like Steam's and GOG's.
void LauncherPanel::chooseOtherGameDir()
{
    const QString current = cboGameDir->folder();
    const auto chosen =
        m_pathDialogs->chooseFolder(this, u"Game directory"_s, current.isEmpty() ? QDir::homePath() : current);
    if (!chosen)
        return;
    const QString folder = QDir::cleanPath(*chosen);
    if (mainGroupIn(folder).isEmpty()) {
        warn(u"%1 holds no DUKE3D.GRP, so it is not the game's folder: choose the folder that holds the game's main "
             "group."_s.arg(QDir::toNativeSeparators(folder)));
        return;
    }
    if (!m_addedGameFolders.contains(folder))
        m_addedGameFolders << folder;
    cboGameDir->setFolder(folder);
    saveSettings();
    searchForGames();
}

// The folder chosen until now keeps its place in the list when it was the player's own (typed
// or chosen before the list told installs apart).
void LauncherPanel::keepChosenGameDir()
{
    const QString previous = m_saved.gameDir;
    const QString previousFolder = QFileInfo(previous).canonicalFilePath();
    bool kept = previous.isEmpty() || previousFolder.isEmpty();
    for (const QString &added : std::as_const(m_addedGameFolders))
        kept = kept || QFileInfo(added).canonicalFilePath() == previousFolder;
    for (const GameInstall &install : cboGameDir->installs()) {
        if (!kept && install.folder == previousFolder && install.source == InstallSource::AddedByPlayer) {
            m_addedGameFolders << previous;
            kept = true;
        }
    }
    saveSettings();
}

// Quillon's own choice, for a player who never made one: kept like the player's, but a store
// that refuses it (the window says why) is no reason to stop the player with a dialog. It
// holds until Quillon ends.
void LauncherPanel::keepLikeliestGameDir()
{
    const HostSettings settings = shownSettings();
    QString error;
    if (settings.write(*m_services.store, &error))
        m_saved = settings;
    else
        lblStatus->setText(u"The game directory Quillon chose could not be saved: %1"_s.arg(error));
}

void LauncherPanel::createShortcut()
{
    const QList<QListWidgetItem *> selected = lstTCs->selectedItems();
    if (selected.isEmpty())
        return;
    const TcShortcut shortcut = createTcShortcut(*m_services.store, selected.constFirst()->text());
    if (!shortcut.ok()) {
        warn(shortcut.message);
        return;
    }
    lblStatus->setText(
        u"The shortcut of \"%1\" is in the desktop's application menu, under Games (%2). It opens Quillon "
        "with the TC chosen and begins its launch."_s.arg(shortcut.tcName, shortcut.written.path));
}

} // namespace ostrel
