#include "platform/commondialog.h"

#include "platform/filedialog.h"

#include <QFileInfo>

namespace ostrel {

CommonDialog::CommonDialog(std::shared_ptr<FileDialogBackend> backend, QWidget *owner, QObject *parent)
    : QObject(parent)
    , m_backend(std::move(backend))
    , m_owner(owner)
{
}

bool CommonDialog::ShowOpen()
{
    return show(int(FileDialogRequest::Mode::Open));
}

bool CommonDialog::ShowSave()
{
    return show(int(FileDialogRequest::Mode::Save));
}

QString CommonDialog::folderOfFileName() const
{
    return FileName.left(FileName.size() - FileTitle.size());
}

bool CommonDialog::show(int mode)
{
    FileDialogRequest request;
    request.mode = FileDialogRequest::Mode(mode);
    request.filter = Filter;
    request.filterIndex = FilterIndex;
    request.flags = Flags;
    request.initDir = InitDir;
    request.fileName = FileName;
    const std::optional<QString> chosen = m_backend->show(m_owner, request);
    if (!chosen || chosen->isEmpty())
        return false;
    setChosen(*chosen);
    return true;
}

void CommonDialog::setChosen(const QString &path)
{
    FileName = path;
    FileTitle = QFileInfo(path).fileName();
}

} // namespace ostrel

#include "moc_commondialog.cpp"
