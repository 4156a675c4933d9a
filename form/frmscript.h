#pragma once

#include <QDialog>
#include <QString>
#include <QStringView>

#include <memory>

class QCloseEvent;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace ostrel {
class CommonDialog;
class MessageBoxes;
class ScriptBuffer;
struct PlatformServices;
struct TcDefinition;

/// The filter of every dialog that picks a TC script.
inline constexpr QStringView kScriptFileFilter = u"Quillon TC Scripts (*.tcs)|*.tcs";
} // namespace ostrel

/// The script editor: shows the eleven fields of a TC script, picks files by title and
/// saves the fields as a .tcs file. Opened modally by the control's "Script" and
/// "ScriptView" commands, and by a host that shows a script file.
///
/// Save and Cancel (and the window's close button) close the form and mark it
/// discarded: its owner then deletes it, so the next command starts from a fresh one.
class frmScript : public QDialog
{
    Q_OBJECT
public:
    explicit frmScript(const ostrel::PlatformServices &services, QWidget *parent = nullptr);
    ~frmScript() override;

    /// Shows the open dialog with the given filter ("Description (*.ext)|*.ext") and
    /// returns the chosen file's title, or "" when the user cancelled.
    QString ShowOpenFileTitle(QString &sFilter);

    /// Reads the script held in the script buffer into the fields (every field but the
    /// release date, other files appended) and empties the buffer. False, with no field
    /// changed, for text that is no script (see ScriptDirectives::tooLarge).
    bool ParseScript();

    /// Fills the form from a definition shown in the control: its version, its name and the
    /// titles of its files (a path without a folder leaves its field as it is). Text longer
    /// than a field's limit is cut there.
    void prefillFrom(const ostrel::TcDefinition &definition);

    /// Lets the user choose a TC script in the form's own file dialog, opening in
    /// initialFolder (the drive root of the library's folder when empty), and reads it into
    /// the fields; the caption then names the file. False when the dialog was cancelled or
    /// the file is no script that can be loaded; what was done until then stays.
    bool chooseAndReadScript(const QString &initialFolder);

    /// Reads the TC script at path into the fields as if it had been chosen in the form's
    /// dialog (so that Save proposes its title), the caption naming it. False, with the
    /// reason in *error, when it cannot be loaded.
    bool readScript(const QString &path, QString *error = nullptr);

    /// True once the form has been closed by Save, Cancel or its close button.
    bool isDiscarded() const { return m_discarded; }

public Q_SLOTS:
    void done(int result) override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void wireEvents();
    void setUpKeyboardAndDrops();

    void Form_Load();
    void cmdGroupFile_Click();
    void cmdGameCon_Click();
    void cmdTextFile_Click();
    void cmdOtherFiles_Click();
    void cmdOtherRemove_Click();
    void cmdSave_Click();
    void cmdCancel_Click();

    /// Whether the save dialog gave a file to write.
    enum class Choice {
        Chosen,
        Cancelled
    };
    Choice ChooseScriptFile();
    bool BuildScript();
    bool loadAndParse(const QString &path, const QString &title);

    std::shared_ptr<ostrel::MessageBoxes> m_messages;
    std::unique_ptr<ostrel::ScriptBuffer> rtbScript;
    bool m_discarded = false;

    ostrel::CommonDialog *cdlCont = nullptr;

    QLabel *lblVersComp = nullptr;
    QComboBox *cboVersComp = nullptr;
    QFrame *fraspc[3] = {};
    QLabel *lblTC = nullptr;
    QLineEdit *txtTCName = nullptr;
    QLabel *lblVersion = nullptr;
    QLineEdit *txtVersion = nullptr;
    QLabel *lblReleaseDate = nullptr;
    QLineEdit *txtReleaseDate = nullptr;
    QLabel *lblGroup = nullptr;
    QLabel *lblGroupFile = nullptr;
    QPushButton *cmdGroupFile = nullptr;
    QLabel *lblGame = nullptr;
    QLabel *lblGameCon = nullptr;
    QPushButton *cmdGameCon = nullptr;
    QLabel *lblTCText = nullptr;
    QLabel *lblTextFile = nullptr;
    QPushButton *cmdTextFile = nullptr;
    QLabel *lblOther = nullptr;
    QPushButton *cmdOtherFiles = nullptr;
    QListWidget *lstOtherFiles = nullptr;
    QPushButton *cmdOtherRemove = nullptr;
    QLabel *lblAuthor = nullptr;
    QLineEdit *txtAuthor = nullptr;
    QLabel *lblEmail = nullptr;
    QLineEdit *txtEmail = nullptr;
    QLabel *lblWeb = nullptr;
    QLineEdit *txtWeb = nullptr;
    QPushButton *cmdSave = nullptr;
    QPushButton *cmdCancel = nullptr;
};
