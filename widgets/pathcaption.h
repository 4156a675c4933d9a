#pragma once

#include <QLabel>
#include <QString>

namespace ostrel {

/// Shows a path in one of the editor's path labels. The caption is the path itself;
/// the tool tip repeats it for paths too long for the label.
inline void setPathCaption(QLabel *label, const QString &path)
{
    label->setText(path);
    label->setToolTip(path);
}

} // namespace ostrel
