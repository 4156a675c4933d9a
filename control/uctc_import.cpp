// The control's "LoadScript" command: a TC script becomes a new, unsaved definition.

#include "control/uctc_p.h"

#include "widgets/pathcaption.h"
#include "platform/commondialog.h"
#include "platform/libraryfolder.h"
#include "scripts/scriptbuffer.h"
#include "scripts/scriptformat.h"
#include "form/frmscript.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

using namespace Qt::StringLiterals;
using namespace ostrel;

void ucTCPrivate::LoadScriptFile()
{
    cdlCont->Filter = kScriptFileFilter.toString();
    cdlCont->FilterIndex = 1;
    cdlCont->InitDir = initialFolder();
    cdlCont->FileName = QString();
    if (!cdlCont->ShowOpen())
        return;
    loadAndImportChosenScript();
}

// The file last chosen with cdlCont, by the dialog or by a drop.
void ucTCPrivate::loadAndImportChosenScript()
{
    // A file that cannot be loaded (gone, a folder, too large) ends the command quietly.
    if (!rtbScript->LoadFile(cdlCont->FileName))
        return;
    ImportScript();
}

void ucTCPrivate::ImportScript()
{
    // Reading leaves the editor alone, so a script that turns out to be no script can
    // still leave everything as it was.
    const ScriptDirectives script = ReadScript(*rtbScript);
    if (script.tooLarge) {
        rtbScript->SetText(QString());
        return;
    }
    BeginNewDefinition();
    const QString scriptPath = rtbScript->FileName();
    // The script names its files relative to its own folder.
    const QString folder = scriptPath.left(scriptPath.size() - cdlCont->FileTitle.size());
    if (script.dukeVersion)
        chooseVersion(*script.dukeVersion);
    if (script.tcName)
        txtTCName->setText(*script.tcName);
    if (script.groupFile)
        setPathCaption(lblGroupFile, folder + *script.groupFile);
    if (script.gameCon)
        setPathCaption(lblGameCon, folder + *script.gameCon);
    if (script.textFile)
        setPathCaption(lblTextFile, folder + *script.textFile);
    for (const QString &file : script.otherFiles)
        lstOtherFiles->addItem(folder + file);
    markMissingFiles();
    rtbScript->SetText(QString());
}
