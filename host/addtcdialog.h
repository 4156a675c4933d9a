#pragma once

#include <installer/tcinspection.h>

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;

namespace ostrel {

class SettingsStore;

/// The preview of adding a TC, before anything is written: the name it gets (editable), the
/// folder it goes to, its group file, game con, read-me and other files, the version assumed
/// and why, what is skipped and why, and what stands in the way. Changing the name, the
/// version, the group file or the con inspects the source again with the player's choices.
/// "Add" accepts, and only while nothing stands in the way; "Cancel" rejects. The dialog
/// itself writes nothing.
class AddTcDialog : public QDialog
{
    Q_OBJECT
public:
    /// position: "1 of 3" among the TCs of one .grpinfo; empty for a TC on its own.
    AddTcDialog(
        const TcInspection &inspection, SettingsStore &store, const QString &position = {}, QWidget *parent = nullptr);

    /// The TC as last inspected, with the player's choices.
    const TcInspection &inspection() const { return m_inspection; }

private:
    void createWidgets(const QString &position);
    void inspectAgain();
    void showInspection();
    void chooseFile(QComboBox *box, QString InspectOptions::*field);
    void add();

    TcInspection m_inspection;
    InspectOptions m_options;
    SettingsStore &m_store;
    QTimer *m_nameTyped;

    QLineEdit *txtAddName;
    QLabel *lblAddNameWhy;
    QLabel *lblAddFolder;
    QComboBox *cboAddGroup;
    QLabel *lblAddGroupWhy;
    QComboBox *cboAddCon;
    QLabel *lblAddConWhy;
    QLabel *lblAddReadMe;
    QComboBox *cboAddVersion;
    QLabel *lblAddVersionWhy;
    QListWidget *lstAddOther;
    QListWidget *lstAddSkipped;
    QLabel *lblAddNotForTheGame;
    QLabel *lblAddProblems;
    QLabel *lblAddNotes;
    QPushButton *cmdAddTcAdd;
    QPushButton *cmdAddTcCancel;
};

} // namespace ostrel
