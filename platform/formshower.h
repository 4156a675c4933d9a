#pragma once

#include "ostrel_export.h"

#include <memory>

class QDialog;
class QWidget;

namespace ostrel {

/// Shows a form modally with an owner and returns when it has been closed.
class OSTREL_EXPORT FormShower
{
public:
    virtual ~FormShower() = default;
    virtual void showModal(QDialog *form, QWidget *owner) = 0;
};

OSTREL_EXPORT std::shared_ptr<FormShower> makeQtFormShower();

} // namespace ostrel
