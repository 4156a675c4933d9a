#pragma once

#include "ostrel_export.h"

#include <QString>

#include <memory>

class QWidget;

namespace ostrel {

/// Message boxes, as the logic uses them. The real one uses QMessageBox; tests record.
class OSTREL_EXPORT MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    /// A box with the exclamation (warning) icon and a single OK button.
    virtual void exclamation(QWidget *parent, const QString &title, const QString &text) = 0;
    /// A question with Yes and No and no icon; true when the user answered Yes.
    virtual bool question(QWidget *parent, const QString &title, const QString &text, bool yesIsDefault) = 0;
};

OSTREL_EXPORT std::shared_ptr<MessageBoxes> makeQtMessageBoxes();

} // namespace ostrel
