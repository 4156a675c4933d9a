#pragma once

#include <QString>

namespace ostrel {

/// One argument quoted for a POSIX shell (single quotes unless it is plainly safe).
QString shellQuoted(const QString &argument);

} // namespace ostrel
