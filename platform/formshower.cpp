#include "platform/formshower.h"

#include <QDialog>

namespace ostrel {

namespace {

class QtFormShower final : public FormShower
{
public:
    void showModal(QDialog *form, QWidget *owner) override
    {
        if (owner && form->parentWidget() != owner->window())
            form->setParent(owner->window(), form->windowFlags());
        form->setWindowModality(Qt::ApplicationModal);
        form->exec();
    }
};

} // namespace

std::shared_ptr<FormShower> makeQtFormShower()
{
    return std::make_shared<QtFormShower>();
}

} // namespace ostrel
