// The editing modes, which live in the enabled states of the editor's controls, and
// loading a stored definition into the editor.

#include "control/uctc_p.h"

#include "store/definitionstore.h"
#include "widgets/pathcaption.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

using namespace Qt::StringLiterals;
using namespace ostrel;

void ucTCPrivate::ClearDefinitionFields()
{
    cboVersComp->setCurrentIndex(-1);
    txtTCName->setText(QString());
    setPathCaption(lblGroupFile, QString());
    setPathCaption(lblGameCon, QString());
    setPathCaption(lblTextFile, QString());
    lstOtherFiles->clear();
    markMissingFiles();
}

void ucTCPrivate::BeginNewDefinition()
{
    ClearDefinitionFields();
    for (QWidget *w : std::initializer_list<QWidget *>{cboVersComp, txtTCName, cmdGroupFile, cmdGameCon, cmdTextFile,
             cmdViewTextFile, cmdOtherFiles, cmdOtherRemove})
        w->setEnabled(true);
    cboTClist->setCurrentIndex(-1);
    cboTClist->setEnabled(false);
    setModeButtons(false);
    cboVersComp->setFocus();
}

void ucTCPrivate::CancelNewDefinition()
{
    ClearDefinitionFields();
    for (QWidget *w : std::initializer_list<QWidget *>{cboVersComp, txtTCName, cmdGroupFile, cmdGameCon, cmdTextFile,
             cmdViewTextFile, cmdOtherFiles, cmdOtherRemove})
        w->setEnabled(false);
    cboTClist->setEnabled(true);
    setModeButtons(true);
}

void ucTCPrivate::MarkDefinitionChanged()
{
    // A new definition is already being entered: Save and CancelNew are on.
    if (isNewDefinition())
        return;
    setModeButtons(false);
}

void ucTCPrivate::chooseVersion(const QString &value)
{
    for (int i = 0; i < cboVersComp->count(); ++i) {
        if (cboVersComp->itemText(i).toUpper() == value.toUpper()) {
            cboVersComp->setCurrentIndex(i);
            return;
        }
    }
}

void ucTCPrivate::cboTClist_Click()
{
    if (cboTClist->currentIndex() == -1)
        return;
    const QString name = cboTClist->currentText();
    ClearDefinitionFields();
    const std::optional<TcDefinition> stored = m_definitions->load(name);
    if (!stored)
        return;
    chooseVersion(stored->version);
    txtTCName->setText(stored->name);
    setPathCaption(lblGroupFile, stored->groupFile);
    setPathCaption(lblGameCon, stored->gameCon);
    setPathCaption(lblTextFile, stored->textFile);
    lstOtherFiles->addItems(stored->otherFiles);
    markMissingFiles();
    for (QWidget *w : std::initializer_list<QWidget *>{
             cboVersComp, cmdGroupFile, cmdGameCon, cmdTextFile, cmdViewTextFile, cmdOtherFiles, cmdOtherRemove})
        w->setEnabled(true);
    cboTClist->setCurrentIndex(-1);
    setModeButtons(true);
}

void ucTCPrivate::cboVersComp_Click()
{
    MarkDefinitionChanged();
}
