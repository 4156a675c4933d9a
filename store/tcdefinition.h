#pragma once

#include <QString>
#include <QStringList>

namespace ostrel {

/// One TC or custom group as the store holds it. The file fields are full paths; any of
/// them but the group file may be empty.
struct TcDefinition {
    QString name;
    QString version; ///< "1.3D", "1.4/1.5 Atomic" or "1.3D and 1.4/1.5" as stored
    QString groupFile;
    QString gameCon;
    QString textFile;
    QStringList otherFiles;

    friend bool operator==(const TcDefinition &, const TcDefinition &) = default;
};

} // namespace ostrel
