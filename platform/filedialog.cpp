#include "platform/filedialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

// A pattern as the platform that wrote the filter means it: there, "*.*" lists every file,
// also README or DUKE3D without an extension; Qt would read it as "a name with a dot".
QString qtPattern(const QString &pattern)
{
    return pattern == u"*.*" ? u"*"_s : pattern;
}

// "Group Files (*.grp)|*.grp" pairs descriptions with patterns; QFileDialog reads the
// patterns from the last parentheses of each entry. Each entry is its description followed
// by its patterns, and the dialog hides that last part (HideNameFilterDetails), so the
// description shows exactly as written while the patterns filter. Qt's own dialog (never
// the native one: the GTK dialog matches case-sensitively) compares names without regard
// to case.
QStringList qtNameFilters(const QString &filter)
{
    QStringList result;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString &pattern : parts[i + 1].split(u';', Qt::SkipEmptyParts))
            patterns << qtPattern(pattern.trimmed());
        result << parts[i] + u" ("_s + patterns.join(u' ') + u')';
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
        dialog.setOption(QFileDialog::HideNameFilterDetails);
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
