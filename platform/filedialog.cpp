#include "platform/filedialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

// "Group Files (*.grp)|*.grp" pairs descriptions with patterns; QFileDialog wants the
// patterns inside the descriptions. The patterns are listed again so that a description
// without them still filters. Qt's own dialog (never the native one: the GTK dialog
// matches case-sensitively) compares names without regard to case.
QStringList qtNameFilters(const QString &filter)
{
    QStringList result;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = QString(parts[i + 1]).replace(u';', u' ');
        if (parts[i].contains(u'(' + patterns + u')'))
            result << parts[i];
        else
            result << parts[i] + u" ("_s + patterns + u')';
    }
    return result;
}

class QtFileDialogBackend final : public FileDialogBackend
{
public:
    std::optional<QString> show(QWidget *parent, const FileDialogRequest &request) override
    {
        const bool save = request.mode == FileDialogRequest::Mode::Save;
        QFileDialog dialog(parent, save ? u"Save As"_s : u"Open"_s);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
        if (save && !(request.flags & 2))
            dialog.setOption(QFileDialog::DontConfirmOverwrite);
        const QStringList filters = qtNameFilters(request.filter);
        if (!filters.isEmpty()) {
            dialog.setNameFilters(filters);
            dialog.selectNameFilter(filters.value(qMax(0, request.filterIndex - 1)));
        }
        if (!request.initDir.isEmpty() && QFileInfo(request.initDir).isDir())
            dialog.setDirectory(request.initDir);
        if (!request.fileName.isEmpty())
            dialog.selectFile(request.fileName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
    }
};

} // namespace

std::shared_ptr<FileDialogBackend> makeQtFileDialogBackend()
{
    return std::make_shared<QtFileDialogBackend>();
}

} // namespace ostrel
