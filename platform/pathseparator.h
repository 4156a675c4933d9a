#pragma once

#include <QString>

#include <algorithm>

namespace ostrel {

/// 1-based position of the last path separator of path, 0 when there is none. Windows
/// accepts both separators in a path; elsewhere only '/' separates.
inline qsizetype lastSeparatorPosition(const QString &path)
{
#ifdef Q_OS_WIN
    return std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/')) + 1;
#else
    return path.lastIndexOf(u'/') + 1;
#endif
}

} // namespace ostrel
