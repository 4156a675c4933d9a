#pragma once

#include <memory>

class QDialog;
class QWidget;

namespace ostrel {

/// Shows a form modally with an owner and returns when it has been closed.
class FormShower
{
public:
    virtual ~FormShower() = default;
    virtual void showModal(QDialog *form, QWidget *owner) = 0;
};

std::shared_ptr<FormShower> makeQtFormShower();

} // namespace ostrel
