#pragma once

#include <QMainWindow>

#include <memory>

class QLabel;
class QListWidget;
class ucTC;

namespace ostrel {
class SettingsStore;
struct PlatformServices;
}

/// The demo launcher window: the TC manager on the left, and on the right what the
/// launcher itself reads from the store after every LoadTCNames.
class HostWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit HostWindow(const ostrel::PlatformServices &services, QWidget *parent = nullptr);

    ucTC *control() const { return m_control; }

private:
    void reloadTCNames();

    std::shared_ptr<ostrel::SettingsStore> m_store;
    ucTC *m_control;
    QLabel *m_count;
    QListWidget *m_names;
};
