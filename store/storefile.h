#pragma once

#include <QString>

namespace ostrel {

/// Builds a complete, empty store at path, stamped with today's layout: its folders
/// made private to the user (0700), the file readable by the user alone (0600). A store
/// that another program made there meanwhile is kept as it is. An empty string when the
/// store stands, otherwise the reason in words a user understands.
QString createStoreFile(const QString &path);

} // namespace ostrel
