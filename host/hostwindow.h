#pragma once

#include <launcher/launchjournal.h>

#include <QMainWindow>

#include <memory>

class QFrame;
class QLabel;
class ucTC;

namespace ostrel {
class LauncherPanel;
class PathDialogs;
class MessageBoxes;
class SettingsStore;
struct PlatformServices;
}

/// The launcher window: the TC manager on the left, the launcher panel beside it, and above
/// both a warning strip when the settings store cannot be read.
class HostWindow : public QMainWindow
{
    Q_OBJECT
public:
    /// Real folder and program pickers, the per-user state folder.
    explicit HostWindow(const ostrel::PlatformServices &services, QWidget *parent = nullptr);
    /// stateDir holds the launch journal and the logs.
    HostWindow(const ostrel::PlatformServices &services, std::shared_ptr<ostrel::PathDialogs> pathDialogs,
               const QString &stateDir = ostrel::LaunchJournal::defaultStateDir(), QWidget *parent = nullptr);

    ucTC *control() const { return m_control; }
    ostrel::LauncherPanel *launcher() const { return m_launcher; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void reloadTCNames();
    void showStoreProblem();

    std::shared_ptr<ostrel::SettingsStore> m_store;
    std::shared_ptr<ostrel::MessageBoxes> m_messages;
    QFrame *fraStoreProblem;
    QLabel *lblStoreProblem;
    QLabel *lblStoreProblemIcon;
    ucTC *m_control;
    ostrel::LauncherPanel *m_launcher;
};
