#include "form/scriptviewer.h"

#include "platform/formshower.h"
#include "platform/platformservices.h"
#include "form/frmscript.h"
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

    auto form = std::make_unique<frmScript>(services, owner);
    // Reading can still fail if the file changed since the check above.
    QString why;
    if (!form->readScript(path, &why))
        return fail(why);
    services.forms->showModal(form.get(), owner);
    return true;
}

} // namespace ostrel
