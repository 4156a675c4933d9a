#pragma once

#include <QString>

namespace ostrel::test {

/// How the bytes before the last four are made.
enum class CrcFileFill {
    Sparse, ///< a hole: zeros that take no room on disk, for tests
    Random, ///< pseudo-random bytes written out, for reading benchmarks
};

/// Writes a file of exactly size bytes (at least 4) whose CRC-32 is crc: its last four bytes are
/// chosen to give it. A main group of any release can so be made without the game's files.
/// Returns false when the file cannot be written.
bool writeFileWithCrc(const QString &path, qint64 size, quint32 crc, CrcFileFill fill = CrcFileFill::Sparse);

} // namespace ostrel::test
