#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace ostrel {

/// One block of a .grpinfo file: an add-on group the way EDuke32-style ports describe it.
struct GrpInfo {
    QString name;                      ///< the add-on's title
    QString scriptName;                ///< its main con
    QString defName;                   ///< its definitions file
    std::optional<quint32> crc;        ///< CRC-32 of its group file
    std::optional<qint64> size;        ///< size of its group file in bytes
    std::optional<quint32> dependency; ///< CRC-32 of the main group it needs
    QStringList flags;
};

/// What a .grpinfo file describes, and what in it could not be read.
struct GrpInfoFile {
    QList<GrpInfo> blocks;
    QStringList problems;
};

/// Reads the blocks `grpinfo { key value ... }` of a .grpinfo file. Values are quoted strings,
/// numbers (decimal, or hexadecimal after 0x; a negative decimal is taken as its 32-bit
/// pattern), the port's names of the main groups' CRCs (DUKE13_CRC, DUKE15_CRC, ...) or flag
/// names joined by '|'. Comments are // to the end of the line and /* ... */. Unknown keys are
/// skipped with their value; anything else that is not a block is reported and skipped.
GrpInfoFile readGrpInfo(QByteArrayView text);

/// The CRC-32 a port's name for a main group stands for (DUKE13_CRC, DUKEKR_CRC, DUKE14_CRC,
/// DUKE15_CRC, DUKEWT_CRC, DUKESW_CRC), case-insensitive.
std::optional<quint32> mainGroupCrcByName(QByteArrayView name);

} // namespace ostrel
