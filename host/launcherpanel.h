#pragma once

#include "host/hostsettings.h"

#include <launcher/launchjournal.h>
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
class QTimer;
class QToolButton;

namespace ostrel {

class LaunchSession;
class PathDialogs;
struct PreparedLaunch;

/// The launcher beside the TC manager: the stored TCs (filtered, those whose group file is
/// gone marked), the game directory and the engine, and the launch itself: the checks and
/// questions, the preview, the running game, and the game directory given back.
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

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createWidgets();
    void showSettings(const HostSettings &settings);
    HostSettings shownSettings() const;
    void saveSettings();
    void applyFilter();
    void markVisibleItems();
    void chooseGameDir();
    void chooseProgram();
    void updateControls();

    void launchSelected();
    bool confirmLaunch(const PreparedLaunch &launch, DeleteMode *mode);
    void onFinished(int exitCode, bool crashed);
    void onFailedToStart(const QString &reason);
    void onRestored(const RestoreReport &report);
    void reportGameEnd();
    void restoreByHand();
    void offerLeftoverRestore();
    void checkLeftoverGame();
    void showLastLog();
    QString lastLogPath() const;
    void warn(const QString &text);
    static QString restoreStatus(const RestoreReport &report);
    void warnOfRestore(const RestoreReport &report);

    PlatformServices m_services;
    std::shared_ptr<PathDialogs> m_pathDialogs;
    QString m_stateDir;
    DesktopTrash m_trash;
    LaunchSession *m_session;
    QTimer *m_leftoverGameWatch; ///< while the game of a launcher that died still runs
    HostSettings m_saved;
    bool m_leftoverOffered = false;
    QString m_runningLabel;

    // How the last game ended, gathered from the session's signals and reported once all
    // are in.
    struct GameEnd {
        std::optional<int> exitCode;
        bool crashed = false;
        QString failedToStart;
        std::optional<RestoreReport> restore;
    };
    GameEnd m_end;
    bool m_endReportQueued = false;
    bool m_restoringByHand = false;

    QLineEdit *txtFilter;
    QListWidget *lstTCs;
    QLabel *lblCount;
    QLineEdit *txtGameDir;
    QToolButton *cmdGameDir;
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
