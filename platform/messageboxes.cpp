#include "platform/messageboxes.h"

#include <QMessageBox>

namespace ostrel {

namespace {

class QtMessageBoxes final : public MessageBoxes
{
public:
    void exclamation(QWidget *parent, const QString &title, const QString &text) override
    {
        QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
        box.exec();
    }

    bool question(QWidget *parent, const QString &title, const QString &text, bool yesIsDefault) override
    {
        QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
        box.setDefaultButton(yesIsDefault ? QMessageBox::Yes : QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    }
};

} // namespace

std::shared_ptr<MessageBoxes> makeQtMessageBoxes()
{
    return std::make_shared<QtMessageBoxes>();
}

} // namespace ostrel
