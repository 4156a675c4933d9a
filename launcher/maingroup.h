#pragma once

#include <QString>

namespace ostrel {

/// The releases of the game, told apart by their main group (DUKE3D.GRP).
enum class GameEdition {
    Unknown,      ///< a main group none of the others has
    V13D,         ///< 1.3D
    V13DCensored, ///< 1.3D as sold in South Korea, censored
    V14Plutonium, ///< 1.4 Plutonium Pak
    V15Atomic,    ///< 1.5 Atomic Edition
    WorldTour,    ///< the Atomic group shipped with the 20th Anniversary World Tour
    Shareware,    ///< shareware 1.3D: the first episode only
};

/// What a main group file is, or why it could not be read.
struct MainGroupIdentity {
    GameEdition edition = GameEdition::Unknown;
    qint64 size = -1;    ///< in bytes; -1 when the file could not be looked at
    quint32 crc = 0;     ///< CRC-32 of the whole file, when hasCrc
    bool hasCrc = false; ///< false when the size alone settled it, or on an error
    QString error;       ///< the file could not be read; edition is Unknown

    bool ok() const { return error.isEmpty(); }
    friend bool operator==(const MainGroupIdentity &, const MainGroupIdentity &) = default;
};

/// Whether identifyMainGroup() reads a file whose size no release has.
enum class CrcOfUnknownSizes {
    Skip,
    Compute
};

/// Tells the release from the file's size and CRC-32. A size that no release has is Unknown
/// at once, without reading the file, unless asked to compute its CRC anyway (to show it).
/// mtimeNs, when given, receives the modification time of the file as it was read.
MainGroupIdentity identifyMainGroup(
    const QString &path, CrcOfUnknownSizes unknownSizes = CrcOfUnknownSizes::Skip, qint64 *mtimeNs = nullptr);

/// The release a size and CRC-32 belong to, Unknown when none.
GameEdition gameEditionOf(qint64 size, quint32 crc);

/// Whether some release's main group has this size.
bool isMainGroupSize(qint64 size);

/// The release's name for the player: "1.5 Atomic Edition", "the 20th Anniversary World Tour's
/// Atomic Edition", ...
QString gameEditionName(GameEdition edition);

/// The identity as the player reads it: the release's name, or "unknown (N bytes, CRC X)".
QString describeMainGroup(const MainGroupIdentity &identity);

/// The CRC-32 as eight upper-case hexadecimal digits.
QString crcText(quint32 crc);

} // namespace ostrel
