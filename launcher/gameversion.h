#pragma once

#include <QString>

namespace ostrel {

/// The installed game's version as its main group file's size tells it.
enum class GameVersion {
    Unknown,
    V13D,
    V14Or15
};

/// DUKE3D.GRP is 26,524,524 bytes in 1.3D, 44,348,015 in 1.4 and 44,356,548 in 1.5 Atomic
/// (also the 20th anniversary's); any other size is Unknown.
GameVersion gameVersionFromMainGroupSize(qint64 size);

/// Whether a TC made for tcVersion ("1.3D", "1.4/1.5 Atomic" or "1.3D and 1.4/1.5", any case)
/// runs on the installed version.
struct VersionCheck {
    bool matches = true; ///< false only when both are known and differ
    bool known = false;  ///< both versions are known
    QString message;     ///< "This TC needs ..." when it does not match, or why it cannot be told
};
VersionCheck checkGameVersion(const QString &tcVersion, GameVersion installed);

} // namespace ostrel
