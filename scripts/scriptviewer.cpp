#include "scripts/scriptviewer.h"

#include "platform/commondialog.h"
#include "platform/formshower.h"
#include "platform/platformservices.h"
#include "scripts/frmscript.h"
#include "scripts/scriptbuffer.h"

#include <QDir>
#include <QFileInfo>

#include <memory>

using namespace Qt::StringLiterals;

namespace ostrel {

QString scriptFileProblem(const QString &path)
{
    const QFileInfo info(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (path.isEmpty())
        return u"No TC script file was given."_s;
    if (!info.exists())
        return u"The TC script \"%1\" does not exist."_s.arg(shown);
    if (info.isDir())
        return u"\"%1\" is a folder, not a TC script."_s.arg(shown);
    if (info.size() > ScriptBuffer::MaxFileSize)
        return u"\"%1\" is larger than 1 MiB and cannot be a TC script."_s.arg(shown);
    if (!info.isReadable())
        return u"The TC script \"%1\" cannot be read: permission denied."_s.arg(shown);
    return {};
}

bool openScriptInEditor(const QString &path, const PlatformServices &services, QWidget *owner, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (QString problem = scriptFileProblem(path); !problem.isEmpty())
        return fail(problem);

    const QString fullPath = QFileInfo(path).absoluteFilePath();
    auto form = std::make_unique<frmScript>(services, owner);
    // Loading can still fail if the file changed since the check above.
    if (!form->scriptBuffer().LoadFile(fullPath))
        return fail(u"The TC script \"%1\" cannot be read."_s.arg(QDir::toNativeSeparators(path)));

    const QString title = QFileInfo(fullPath).fileName();
    // The form's dialog ends up as after choosing the file, so that Save proposes its title.
    if (auto *dialog = form->findChild<CommonDialog *>(u"cdlCont"_s)) {
        dialog->Filter = kScriptFileFilter.toString();
        dialog->FilterIndex = 1;
        dialog->InitDir = QFileInfo(fullPath).absolutePath();
        dialog->FileName = fullPath;
        dialog->FileTitle = title;
    }
    form->setWindowTitle(form->windowTitle() + u" - "_s + title);
    form->ParseScript();
    services.forms->showModal(form.get(), owner);
    return true;
}

} // namespace ostrel
