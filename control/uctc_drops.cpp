// Files dropped from a file manager, and the marks on files that are gone.

#include "control/uctc_p.h"

#include "platform/commondialog.h"
#include "widgets/filedrops.h"
#include "widgets/pathcaption.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using namespace Qt::StringLiterals;
using namespace ostrel;

void ucTCPrivate::setUpDrops()
{
    // A script dropped anywhere on the control is what "LoadScript" makes of it, with the file
    // given instead of chosen in the dialog.
    FileDrops::install(
        q,
        [this](const QStringList &files) {
            return files.size() == 1 && FileDrops::hasExtension(files.first(), u".tcs"_s)
                && button(u"LoadScript"_s)->isEnabled();
        },
        [this](const QStringList &files) {
            cdlCont->setChosen(QDir::toNativeSeparators(files.first()));
            loadAndImportChosenScript();
        });
    // The name field would take the file's path as text.
    txtTCName->setAcceptDrops(false);

    // A file of the right kind dropped on a field or its "..." button is picked, as long as the
    // picker can be used.
    const struct {
        QLabel *field;
        QPushButton *picker;
        QString extension;
    } fields[] = {{lblGroupFile, cmdGroupFile, u".grp"_s}, {lblGameCon, cmdGameCon, u".con"_s},
        {lblTextFile, cmdTextFile, u".txt"_s}};
    for (const auto &[field, picker, extension] : fields) {
        auto take = [this, field](const QString &path) {
            setPathCaption(field, QDir::toNativeSeparators(path));
            markMissingFiles();
            MarkDefinitionChanged();
        };
        FileDrops::installFileField(field, picker, extension, take, [picker] { return isSwitchedOn(picker); });
    }
    auto acceptsOthers = [this](const QStringList &) { return isSwitchedOn(cmdOtherFiles); };
    auto droppedOthers = [this](const QStringList &files) {
        for (const QString &file : files)
            lstOtherFiles->addItem(QDir::toNativeSeparators(file));
        markMissingFiles();
        MarkDefinitionChanged();
    };
    FileDrops::install(lstOtherFiles->viewport(), acceptsOthers, droppedOthers);
    FileDrops::install(cmdOtherFiles, acceptsOthers, droppedOthers);
}

// Marks the files of the definition shown that do not exist. Nothing else changes: the
// paths stay as stored, and a definition with a missing file can be saved.
void ucTCPrivate::markMissingFiles()
{
    for (QLabel *field : {lblGroupFile, lblGameCon, lblTextFile})
        markIfMissing(field);
    for (int i = 0; i < lstOtherFiles->count(); ++i)
        markIfMissing(lstOtherFiles->item(i));
}
