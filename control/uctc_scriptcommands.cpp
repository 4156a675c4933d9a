// The control's "Script" and "ScriptView" commands: the script editor, blank, prefilled
// from the definition on show, or showing a script read from disk.

#include "control/uctc_p.h"

#include "store/appnames.h"

#include "widgets/pathcaption.h"
#include "platform/commondialog.h"
#include "platform/formshower.h"
#include "platform/libraryfolder.h"
#include "platform/messageboxes.h"
#include "platform/pathseparator.h"
#include "platform/platformservices.h"
#include "form/frmscript.h"
#include "scripts/scriptbuffer.h"
#include "store/tcdefinition.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

using namespace Qt::StringLiterals;
using namespace ostrel;

frmScript *ucTCPrivate::loadForm()
{
    if (!m_form)
        m_form = new frmScript(*m_services, q);
    return m_form;
}

// Save, Cancel and the close button leave the form marked; the next command then starts
// from a fresh one. A form that was never shown, or is still open, is kept.
void ucTCPrivate::discardFormIfClosed()
{
    if (m_form && m_form->isDiscarded())
        delete m_form.data();
}

void ucTCPrivate::CreateScript()
{
    if (!txtTCName->text().isEmpty()
        && m_services->messages->question(q, kHostName.toString(), u"Use current TC Definition as default?"_s, true)) {
        loadForm()->prefillFrom(editedDefinition());
    }
    m_services->forms->showModal(loadForm(), q);
    discardFormIfClosed();
}

void ucTCPrivate::ViewScript()
{
    const QString groupFile = lblGroupFile->text();
    const QString initialFolder = groupFile.left(lastSeparatorPosition(groupFile));

    // A cancelled dialog or a file that cannot be loaded ends the command quietly; the
    // form stays loaded, unseen, with whatever was done to it.
    frmScript *form = loadForm();
    if (!form->chooseAndReadScript(initialFolder))
        return;
    m_services->forms->showModal(form, q);
    discardFormIfClosed();
}
