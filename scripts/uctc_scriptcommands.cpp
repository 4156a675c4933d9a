// The control's "Script" and "ScriptView" commands: the script editor, blank, prefilled
// from the definition on show, or showing a script read from disk.

#include "uctc.h"

#include "control/pathcaption.h"
#include "platform/commondialog.h"
#include "platform/formshower.h"
#include "platform/libraryfolder.h"
#include "platform/messageboxes.h"
#include "platform/pathseparator.h"
#include "platform/platformservices.h"
#include "scripts/frmscript.h"
#include "scripts/scriptbuffer.h"
#include "store/tcdefinition.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>


using namespace Qt::StringLiterals;
using namespace ostrel;

frmScript *ucTC::loadForm()
{
    if (!m_form)
        m_form = new frmScript(*m_services, this);
    return m_form;
}

// Save, Cancel and the close button leave the form marked; the next command then starts
// from a fresh one. A form that was never shown, or is still open, is kept.
void ucTC::discardFormIfClosed()
{
    if (m_form && m_form->isDiscarded())
        delete m_form.data();
}

void ucTC::CreateScript()
{
    if (!txtTCName->text().isEmpty()
        && m_services->messages->question(this, u"Quillon"_s, u"Use current TC Definition as default?"_s, true)) {
        TcDefinition shown;
        shown.name = txtTCName->text();
        shown.version = cboVersComp->currentText();
        shown.groupFile = lblGroupFile->text();
        shown.gameCon = lblGameCon->text();
        shown.textFile = lblTextFile->text();
        for (int i = 0; i < lstOtherFiles->count(); ++i)
            shown.otherFiles << lstOtherFiles->item(i)->text();
        loadForm()->prefillFrom(shown);
    }
    m_services->forms->showModal(loadForm(), this);
    discardFormIfClosed();
}

void ucTC::ViewScript()
{
    const QString groupFile = lblGroupFile->text();
    const QString initialFolder = groupFile.left(lastSeparatorPosition(groupFile));

    frmScript *form = loadForm();
    CommonDialog &dialog = *form->cdlCont;
    dialog.Filter = kScriptFileFilter.toString();
    dialog.FilterIndex = 1;
    dialog.InitDir = initialFolder.isEmpty() ? libraryVolumeRoot() : initialFolder;
    dialog.FileName = QString();
    // A cancelled dialog or a file that cannot be loaded ends the command quietly; the
    // form stays loaded, unseen, with whatever was done to it.
    if (!dialog.ShowOpen())
        return;
    if (!form->rtbScript->LoadFile(dialog.FileName))
        return;
    form->setWindowTitle(form->windowTitle() + u" - "_s + dialog.FileTitle);
    if (!form->ParseScript())
        return;
    m_services->forms->showModal(form, this);
    discardFormIfClosed();
}
