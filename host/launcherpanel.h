#pragma once

#include "host/hostsettings.h"

#include <launcher/launcher.h>
#include <launcher/trash.h>
#include <platform/platformservices.h>

#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QToolButton;

namespace ostrel {

class GameDirChooser;
class PathDialogs;

/// The launcher beside the TC manager: the stored TCs (filtered, those whose group file is
/// gone marked) and their desktop shortcuts, the game directory (a choice of the installs
/// found) and the engine, and the launch itself: the checks and questions, the preview, the
/// running game, and the game directory given back.
///
/// Message boxes and the preview go through the platform services (messages, forms), the
/// folder and program pickers through PathDialogs, so tests answer them.
class LauncherPanel : public QWidget
{
    Q_OBJECT
public:
    /// stateDir holds the launch journal and the logs.
    LauncherPanel(const PlatformServices &services, std::shared_ptr<PathDialogs> pathDialogs,
        const QString &stateDir = LaunchJournal::defaultStateDir(), QWidget *parent = nullptr);
    ~LauncherPanel() override;

    /// Reads the stored TC names again (after the TC manager's LoadTCNames).
    void reloadTCNames();
    /// Whether a game runs.
    bool isRunning() const;
    /// Chooses the stored TC tcName and begins its launch once the panel is shown, after the
    /// question of a launch left to give back (quillon --launch NAME --window).
    void launchWhenShown(const QString &tcName);
    /// Chooses the first of the TCs just added (the list read again already) and says what
    /// adding came to.
    void showAddedTcs(const QStringList &names, const QString &status);

Q_SIGNALS:
    /// The player chose an archive (or a .grpinfo) with "Add TC from archive...".
    void addTcRequested(const QString &source);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The lists and fields (launcherpanel.cpp)
    void createWidgets();
    void showSettings(const HostSettings &settings);
    HostSettings shownSettings() const;
    void saveSettings();
    void applyFilter();
    void markVisibleItems();
    void chooseOtherGameDir();
    void searchForGames();
    void keepChosenGameDir();
    void keepLikeliestGameDir();
    void createShortcut();
    void chooseProgram();
    void chooseArchive();
    void updateControls();
    void warn(const QString &text);

    // The launch and the give-back (launcherpanel_launch.cpp)
    void launchSelected();
    bool confirmLaunch(const PreparedLaunch &launch, DeleteMode *mode);
    void showOutcome(const LaunchOutcome &outcome);
    void restoreByHand();
    void offerPendingRestore();
    void followPending();
    void showLastLog();
    void launchNamed(const QString &tcName);
    static QString restoreStatus(const RestoreReport &report);
    void warnOfRestore(const RestoreReport &report);

    PlatformServices m_services;
    std::shared_ptr<PathDialogs> m_pathDialogs;
    DesktopTrash m_trash;
    Launcher *m_launcher;
    HostSettings m_saved;
    bool m_pendingOffered = false;
    bool m_waitingForEarlierGame = false; ///< the give-back is offered once that game has ended
    QStringList m_addedGameFolders;
    QString m_launchWhenShown;

    QLineEdit *txtFilter;
    QListWidget *lstTCs;
    QLabel *lblCount;
    QPushButton *cmdShortcut;
    QPushButton *cmdAddTc;
    GameDirChooser *cboGameDir;
    QComboBox *cboEngine;
    QLineEdit *txtProgram;
    QToolButton *cmdProgram;
    QLineEdit *txtArguments;
    QCheckBox *chkFlatpak;
    QCheckBox *chkRestore;
    QPushButton *cmdLaunch;
    QPushButton *cmdRestore;
    QPushButton *cmdShowLog;
    QLabel *lblStatus;
};

} // namespace ostrel
