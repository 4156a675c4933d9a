#pragma once

#include <QString>

namespace ostrel {

/// Why the desktop's "open" could run the file at path instead of showing it: it is a
/// program, a script, a library, a launcher (.desktop) or a Windows program, by its name or
/// by its content, or it has an execute bit. Empty for a document (or a path that is not a
/// file), which the desktop may open.
QString whyOpeningCouldRun(const QString &path);

} // namespace ostrel
