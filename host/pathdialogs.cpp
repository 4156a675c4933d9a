#include "host/pathdialogs.h"

#include <QFileDialog>

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
};

} // namespace

std::shared_ptr<PathDialogs> PathDialogs::qtDialogs()
{
    return std::make_shared<QtPathDialogs>();
}

} // namespace ostrel
