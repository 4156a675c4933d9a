// The file pickers of the editor, the removal of an other file and viewing the text file.

#include "control/uctc_p.h"

#include "store/appnames.h"

#include "platform/commondialog.h"
#include "platform/libraryfolder.h"
#include "platform/messageboxes.h"
#include "platform/platformservices.h"
#include "platform/runnablefile.h"
#include "platform/shell.h"
#include "widgets/listentries.h"
#include "widgets/pathcaption.h"

#include <QLabel>
#include <QListWidget>

using namespace Qt::StringLiterals;
using namespace ostrel;

QString ucTCPrivate::initialFolder() const
{
    return cdlCont->FileName.isEmpty() ? libraryVolumeRoot() : cdlCont->folderOfFileName();
}

void ucTCPrivate::pickFile(const QString &filter, const std::function<void(const QString &)> &putPath)
{
    cdlCont->Filter = filter;
    cdlCont->FilterIndex = 1;
    cdlCont->InitDir = initialFolder();
    cdlCont->FileName = QString();
    if (!cdlCont->ShowOpen())
        return;
    putPath(cdlCont->FileName);
    markMissingFiles();
    MarkDefinitionChanged();
}

void ucTCPrivate::cmdGroupFile_Click()
{
    pickFile(u"Group Files (*.grp)|*.grp"_s, [this](const QString &path) { setPathCaption(lblGroupFile, path); });
}

void ucTCPrivate::cmdGameCon_Click()
{
    pickFile(u"Con Files (*.con)|*.con"_s, [this](const QString &path) { setPathCaption(lblGameCon, path); });
}

void ucTCPrivate::cmdTextFile_Click()
{
    pickFile(u"Text Files (*.txt)|*.txt"_s, [this](const QString &path) { setPathCaption(lblTextFile, path); });
}

void ucTCPrivate::cmdOtherFiles_Click()
{
    pickFile(u"All Files (*.*)|*.*"_s, [this](const QString &path) { lstOtherFiles->addItem(path); });
}

void ucTCPrivate::cmdOtherRemove_Click()
{
    if (removeSelectedEntry(lstOtherFiles))
        MarkDefinitionChanged();
}

void ucTCPrivate::cmdViewTextFile_Click()
{
    const QString path = lblTextFile->text();
    if (path.isEmpty())
        return;
    // The script that defined the TC chose this name; some desktops run a program or a
    // launcher when asked to open it.
    if (const QString danger = whyOpeningCouldRun(path); !danger.isEmpty()) {
        m_services->messages->exclamation(q, kHostName.toString(),
            u"The text file \"%1\" was not opened: %2, and opening it could run it."_s.arg(path, danger));
        return;
    }
    m_services->shell->open(q, path);
}
