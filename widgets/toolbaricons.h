#pragma once

#include <QIcon>
#include <QList>
#include <QString>

#include <utility>

class QPalette;
class QWidget;

namespace ostrel {

/// The images of the control's toolbar, keyed, in the order of its image list:
/// "Save", "New", "CancelNew", "Delete", "LoadScript", "Script", "ScriptView".
/// They are drawn in the palette's colours, sharp at any size and pixel ratio; a widget
/// takes them anew when its palette or style changes.
QList<std::pair<QString, QIcon>> toolbarImageList(const QPalette &palette);

/// The image of the button that opens the text file.
QIcon viewTextFileIcon(const QPalette &palette);

/// Gives the script editor its window icon (a script sheet with a pencil), and draws it
/// anew whenever the form's palette or style changes.
void setScriptFormIcon(QWidget *form);

} // namespace ostrel
