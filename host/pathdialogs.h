#pragma once

#include <QString>

#include <memory>
#include <optional>

class QWidget;

namespace ostrel {

/// The folder, program and archive pickers of the launcher panel, behind an interface so tests answer
/// them. The real one uses QFileDialog.
class PathDialogs
{
public:
    virtual ~PathDialogs() = default;
    /// The chosen folder, or nullopt when the player cancelled.
    virtual std::optional<QString> chooseFolder(QWidget *parent, const QString &title, const QString &start) = 0;
    /// The chosen program file, or nullopt when the player cancelled.
    virtual std::optional<QString> chooseProgram(QWidget *parent, const QString &title, const QString &start) = 0;
    /// The chosen TC archive (or .grpinfo file), or nullopt when the player cancelled.
    virtual std::optional<QString> chooseArchive(QWidget *parent, const QString &title, const QString &start) = 0;

    static std::shared_ptr<PathDialogs> qtDialogs();
};

} // namespace ostrel
