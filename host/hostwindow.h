#pragma once

#include <launcher/launchjournal.h>
#include <launcher/trash.h>
#include <platform/platformservices.h>

#include <QMainWindow>

#include <memory>

class QFrame;
class QHBoxLayout;
class QLabel;
class ucTC;

namespace ostrel {
class LauncherPanel;
class PathDialogs;
class MessageBoxes;
class SettingsStore;
class TcRemovals;
} // namespace ostrel

/// The launcher window: the TC manager on the left, the launcher panel beside it, and above
/// both a warning strip when the settings store cannot be read. A TC archive dropped on
/// either, or chosen in the panel, is previewed and added; a TC deleted in the TC manager is
/// followed by the offer to clear away what Quillon made for it.
class HostWindow : public QMainWindow
{
    Q_OBJECT
public:
    /// Real folder and program pickers, the per-user state folder.
    explicit HostWindow(const ostrel::PlatformServices &services, QWidget *parent = nullptr);
    /// stateDir holds the launch journal and the logs.
    HostWindow(const ostrel::PlatformServices &services, std::shared_ptr<ostrel::PathDialogs> pathDialogs,
        const QString &stateDir = ostrel::LaunchJournal::defaultStateDir(), QWidget *parent = nullptr);
    ~HostWindow() override;

    ucTC *control() const { return m_control; }
    ostrel::LauncherPanel *launcher() const { return m_launcher; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void reloadTCNames();
    void showStoreProblem();
    void watchControl();
    bool controlIsEditing() const;
    void replaceControl();
    void addTcFrom(const QString &source);

    ostrel::PlatformServices m_services;
    std::shared_ptr<ostrel::SettingsStore> m_store;
    std::shared_ptr<ostrel::MessageBoxes> m_messages;
    ostrel::DesktopTrash m_trash;
    std::unique_ptr<ostrel::TcRemovals> m_removals;
    QHBoxLayout *m_row;
    QFrame *fraStoreProblem;
    QLabel *lblStoreProblem;
    QLabel *lblStoreProblemIcon;
    ucTC *m_control;
    ostrel::LauncherPanel *m_launcher;
};
