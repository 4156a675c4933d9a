#pragma once

#include "ostrel_export.h"

#include <QString>

#include <memory>

class QWidget;

namespace ostrel {

/// The desktop's "open" action: opens a file in the program associated with it.
class OSTREL_EXPORT Shell
{
public:
    virtual ~Shell() = default;
    /// Opens path as a document; never runs it and never reports back.
    virtual void open(QWidget *owner, const QString &path) = 0;
};

OSTREL_EXPORT std::shared_ptr<Shell> makeDesktopShell();

} // namespace ostrel
