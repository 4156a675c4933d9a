#pragma once

#include "control/uctc.h"

#include <QMetaObject>
#include <QPointer>
#include <QString>

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
class QStringListModel;
class QToolButton;
class QWidget;
class QWindow;
class frmScript;

namespace ostrel {
class CommonDialog;
class DefinitionStore;
class ScriptBuffer;
class TabStrip;
class ToolStrip;
struct PlatformServices;
struct TcDefinition;
} // namespace ostrel

/// The widgets of ucTC and what its commands do. The state of an edit lives in the widgets:
/// the enabled state of txtTCName is the editing mode, the items of cboTClist the stored
/// names.
class ucTCPrivate
{
public:
    ucTCPrivate(ucTC *control, const ostrel::PlatformServices &services);
    ~ucTCPrivate();

    /// Whether a save must stop: a new definition failed a check and the user was told.
    enum class Validation {
        Passed,
        Refused
    };

    // Building the view (uctc_view.cpp)
    void createToolbar();
    void createEditorPage();
    void createCleanupPage();
    void sizeButtonsAndImages();
    void followScreen();
    void watchScreen(QScreen *screen);
    void applyDpi();
    void recolourImages();

    // Wiring and start-up (uctc.cpp)
    void wireEvents();
    void setUpKeyboard();
    void setUpAccessibility();
    void setUpDrops();
    QAction *button(const QString &key) const;
    void setModeButtons(bool browse);
    void appendName(const QString &name);
    static bool isSwitchedOn(const QWidget *control);
    bool isNewDefinition() const;
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

    // Editing modes and loading (uctc_editing.cpp)
    void ClearDefinitionFields();
    void BeginNewDefinition();
    void CancelNewDefinition();
    void MarkDefinitionChanged();
    void chooseVersion(const QString &value);
    void markMissingFiles();

    // Saving and removing (uctc_saving.cpp)
    void SaveDefinition();
    Validation ValidateDefinition();
    ostrel::TcDefinition editedDefinition() const;
    void DeleteDefinition();

    // The clean-up preference (uctc_saving.cpp)
    QRadioButton *cleanupOptionFor(const QString &stored) const;
    QString cleanupValueOf(const QAbstractButton *option) const;
    void showCleanup(const QString &stored);

    // File pickers (uctc_pickers.cpp)
    QString initialFolder() const;
    void pickFile(const QString &filter, const std::function<void(const QString &)> &putPath);

    // Scripts (uctc_import.cpp, uctc_scriptcommands.cpp)
    void LoadScriptFile();
    void loadAndImportChosenScript();
    void ImportScript();
    void CreateScript();
    void ViewScript();
    frmScript *loadForm();
    void discardFormIfClosed();

    ucTC *const q;
    std::unique_ptr<ostrel::PlatformServices> m_services;
    std::unique_ptr<ostrel::DefinitionStore> m_definitions;
    std::unique_ptr<ostrel::ScriptBuffer> rtbScript;
    QPointer<frmScript> m_form;
    QButtonGroup *m_cleanupOptions = nullptr;
    QPointer<QWindow> m_window;          // the window whose screen the control follows
    QMetaObject::Connection m_screenDpi; // to its screen's DPI
    // The items of cboTClist.
    QStringListModel *m_names = nullptr;

    ostrel::ToolStrip *tbToolbar = nullptr;
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
