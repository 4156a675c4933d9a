#include "host/pathdialogs.h"

#include <QFileDialog>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

class QtPathDialogs final : public PathDialogs
{
public:
    std::optional<QString> chooseFolder(QWidget *parent, const QString &title, const QString &start) override
    {
        const QString folder = QFileDialog::getExistingDirectory(parent, title, start);
        return folder.isEmpty() ? std::nullopt : std::optional<QString>(folder);
    }

    std::optional<QString> chooseProgram(QWidget *parent, const QString &title, const QString &start) override
    {
        const QString file = QFileDialog::getOpenFileName(parent, title, start);
        return file.isEmpty() ? std::nullopt : std::optional<QString>(file);
    }

    std::optional<QString> chooseArchive(QWidget *parent, const QString &title, const QString &start) override
    {
        const QString file = QFileDialog::getOpenFileName(parent, title, start,
            u"TC archives (*.zip *.7z *.rar *.tar *.tar.* *.tgz *.tbz2 *.txz *.pk3 *.grpinfo);;All files (*)"_s);
        return file.isEmpty() ? std::nullopt : std::optional<QString>(file);
    }
};

} // namespace

std::shared_ptr<PathDialogs> PathDialogs::qtDialogs()
{
    return std::make_shared<QtPathDialogs>();
}

} // namespace ostrel
