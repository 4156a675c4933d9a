#pragma once

#include <QString>

class QLabel;
class QListWidgetItem;

namespace ostrel {

/// Shows a path in one of the editor's path labels. The caption is the path itself; the tool
/// tip repeats it for paths too long for the label, and screen readers read it as the
/// field's description.
void setPathCaption(QLabel *label, const QString &path);

/// Marks a path label (after setPathCaption) whose file does not exist: a warning sign from
/// the style at the label's right end, and the tool tip "File not found: PATH". An empty
/// caption, or a file that exists, shows no mark. The caption itself never changes.
void markIfMissing(QLabel *label);
/// The same for an entry of a list of paths: the style's warning sign as its icon.
void markIfMissing(QListWidgetItem *item);

} // namespace ostrel
