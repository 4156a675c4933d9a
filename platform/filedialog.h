#pragma once

#include "ostrel_export.h"

#include <QString>

#include <memory>
#include <optional>

class QWidget;

namespace ostrel {

/// What a file dialog is asked to show.
struct FileDialogRequest {
    enum class Mode {
        Open,
        Save
    };
    Mode mode = Mode::Open;
    QString filter; ///< "Description (*.ext)|*.ext"
    int filterIndex = 1;
    int flags = 0; ///< 2: ask before replacing an existing file (save dialogs)
    QString initDir;
    QString fileName; ///< the proposed file name, may be empty
};

/// Shows open and save dialogs. The real one uses QFileDialog; tests script a fake.
class OSTREL_EXPORT FileDialogBackend
{
public:
    virtual ~FileDialogBackend() = default;
    /// The chosen file's full path, or std::nullopt when the user cancelled.
    virtual std::optional<QString> show(QWidget *parent, const FileDialogRequest &request) = 0;
};

OSTREL_EXPORT std::shared_ptr<FileDialogBackend> makeQtFileDialogBackend();

} // namespace ostrel
