#pragma once

#include "ostrel_export.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class QAbstractButton;
class QAction;
class QButtonGroup;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QScreen;
class QWindow;
class QStringListModel;
class QToolBar;
class QToolButton;
class frmScript;

namespace ostrel {
class CommonDialog;
class DefinitionStore;
class ScriptBuffer;
class TabStrip;
struct PlatformServices;
struct TcDefinition;
}

/// The TC manager control: keeps the list of TC definitions (total conversions and
/// custom groups) and the directory clean-up preference in the per-user settings store,
/// and imports, writes and views TC scripts.
///
/// Its only public face is the signal LoadTCNames, raised after every "Save" and
/// "Delete": the stored set of definitions may have changed.
class OSTREL_EXPORT ucTC : public QWidget
{
    Q_OBJECT
public:
    /// Real dialogs and the default per-user store.
    explicit ucTC(QWidget *parent = nullptr);
    /// The given platform services (a host with a store of its own, tests).
    explicit ucTC(const ostrel::PlatformServices &services, QWidget *parent = nullptr);
    ~ucTC() override;

Q_SIGNALS:
    void LoadTCNames();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void createToolbar();
    void sizeButtonsAndImages();
    void followScreen();
    void watchScreen(QScreen *screen);
    void applyDpi();
    void createEditorPage();
    void createCleanupPage();
    void wireEvents();
    void setUpKeyboard();
    void setUpAccessibility();
    void setUpDrops();
    void markMissingFiles();
    void loadAndImportChosenScript();
    QAction *button(const QString &key) const;
    static bool isSwitchedOn(const QWidget *control);
    bool isNewDefinition() const;
    void setModeButtons(bool browse);
    void appendName(const QString &name);
    QString initialFolder() const;
    void pickFile(const QString &filter, const std::function<void(const QString &)> &putPath);
    void chooseVersion(const QString &value);
    QRadioButton *cleanupOptionFor(const QString &stored) const;
    QString cleanupValueOf(const QAbstractButton *option) const;
    void showCleanup(const QString &stored);
    void reportStoreFailure(const QString &what, const QString &why);

    // Events
    void UserControl_Initialize();
    void UserControl_Resize();
    void tbsTabStrip_Click();
    void tbToolbar_ButtonClick(const QString &key);
    void cboTClist_Click();
    void cboVersComp_Click();
    void optCleanup_Click(const QString &value);
    void cmdGroupFile_Click();
    void cmdGameCon_Click();
    void cmdTextFile_Click();
    void cmdOtherFiles_Click();
    void cmdOtherRemove_Click();
    void cmdViewTextFile_Click();

    // Editing modes
    void ClearDefinitionFields();
    void BeginNewDefinition();
    void CancelNewDefinition();
    void MarkDefinitionChanged();

    // Saving and removing
    void SaveDefinition();
    bool ValidateDefinition();
    ostrel::TcDefinition editedDefinition() const;
    void DeleteDefinition();

    // Scripts
    void LoadScriptFile();
    void ImportScript();
    void CreateScript();
    void ViewScript();
    frmScript *loadForm();
    void discardFormIfClosed();

    std::unique_ptr<ostrel::PlatformServices> m_services;
    std::unique_ptr<ostrel::DefinitionStore> m_definitions;
    std::unique_ptr<ostrel::ScriptBuffer> rtbScript;
    QPointer<frmScript> m_form;
    QButtonGroup *m_cleanupOptions = nullptr;
    QPointer<QWindow> m_window;           // the window whose screen the control follows
    QMetaObject::Connection m_screenDpi;  // to its screen's DPI
    // The items of cboTClist.
    QStringListModel *m_names = nullptr;

    QToolBar *tbToolbar = nullptr;
    ostrel::TabStrip *tbsTabStrip = nullptr;
    QWidget *picTC[2] = {};
    ostrel::CommonDialog *cdlCont = nullptr;

    QLabel *lblVersComp = nullptr;
    QComboBox *cboVersComp = nullptr;
    QLabel *lblTC = nullptr;
    QLineEdit *txtTCName = nullptr;
    QComboBox *cboTClist = nullptr;
    QLabel *lblGroup = nullptr;
    QLabel *lblGroupFile = nullptr;
    QPushButton *cmdGroupFile = nullptr;
    QLabel *lblGame = nullptr;
    QLabel *lblGameCon = nullptr;
    QPushButton *cmdGameCon = nullptr;
    QLabel *lblTCText = nullptr;
    QLabel *lblTextFile = nullptr;
    QToolButton *cmdViewTextFile = nullptr;
    QPushButton *cmdTextFile = nullptr;
    QLabel *lblOther = nullptr;
    QListWidget *lstOtherFiles = nullptr;
    QPushButton *cmdOtherFiles = nullptr;
    QPushButton *cmdOtherRemove = nullptr;

    QLabel *Label1 = nullptr;
    QRadioButton *optDelete = nullptr;
    QRadioButton *optRename = nullptr;
    QRadioButton *optNone = nullptr;
    QLabel *lblNote = nullptr;
    QFrame *fraDiv = nullptr;
    QLabel *lblLaunchInfo = nullptr;
    QLabel *lblLaunchInfo2 = nullptr;
};
