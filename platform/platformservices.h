#pragma once

#include "ostrel_export.h"

#include <QString>

#include <memory>

namespace ostrel {

class SettingsStore;
class FileDialogBackend;
class MessageBoxes;
class Shell;
class FormShower;

/// Everything the control reaches outside itself. A host normally takes the defaults;
/// tests and hosts with a store of their own pass their own.
struct OSTREL_EXPORT PlatformServices {
    std::shared_ptr<SettingsStore> store;
    std::shared_ptr<FileDialogBackend> fileDialogs;
    std::shared_ptr<MessageBoxes> messages;
    std::shared_ptr<Shell> shell;
    std::shared_ptr<FormShower> forms;

    /// Real dialogs, message boxes, shell and forms on the store file at storePath
    /// (the default per-user store when empty).
    static PlatformServices defaults(const QString &storePath = {});
};

} // namespace ostrel
