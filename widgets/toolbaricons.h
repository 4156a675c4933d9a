#pragma once

#include <QIcon>
#include <QList>
#include <QString>

#include <utility>

namespace ostrel {

/// The images of the control's toolbar, keyed, in the order of its image list:
/// "Save", "New", "CancelNew", "Delete", "LoadScript", "Script", "ScriptView".
/// They are drawn as vectors, so they stay crisp at 16 px and on high-DPI screens.
QList<std::pair<QString, QIcon>> toolbarImageList();

/// The image of the button that opens the text file.
QIcon viewTextFileIcon();

/// The window icon of the script editor: a script sheet with a pencil.
QIcon scriptFormIcon();

} // namespace ostrel
