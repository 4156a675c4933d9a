#include "crcfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <zlib.h>

#include <algorithm>
#include <array>
#include <optional>

namespace ostrel::test {

namespace {

quint32 crcOf(quint32 start, quint32 word)
{
    const Bytef bytes[4] = {Bytef(word), Bytef(word >> 8), Bytef(word >> 16), Bytef(word >> 24)};
    return quint32(::crc32(start, bytes, 4));
}

// The four bytes (as a little-endian word) that take a CRC-32 from start to target. The CRC of
// four more bytes is an affine function of their 32 bits and a bijection, so the system
// crcOf(start, x) == target is solved by elimination over GF(2).
quint32 bytesGiving(quint32 start, quint32 target)
{
    struct Row {
        quint32 image = 0; // what the combination of bits maps to, less crcOf(start, 0)
        quint32 bits = 0;
    };
    std::array<std::optional<Row>, 32> byPivot;
    const quint32 offset = crcOf(start, 0);
    for (int bit = 0; bit < 32; ++bit) {
        Row row{crcOf(start, quint32(1) << bit) ^ offset, quint32(1) << bit};
        for (int pivot = 31; pivot >= 0 && row.image; --pivot) {
            if (!(row.image >> pivot & 1))
                continue;
            if (!byPivot[pivot]) {
                byPivot[pivot] = row;
                break;
            }
            row.image ^= byPivot[pivot]->image;
            row.bits ^= byPivot[pivot]->bits;
        }
    }
    quint32 wanted = target ^ offset;
    quint32 bits = 0;
    for (int pivot = 31; pivot >= 0; --pivot) {
        if (wanted >> pivot & 1) {
            wanted ^= byPivot[pivot]->image;
            bits ^= byPivot[pivot]->bits;
        }
    }
    return bits;
}

} // namespace

bool writeFileWithCrc(const QString &path, qint64 size, quint32 crc, CrcFileFill fill)
{
    if (size < 4)
        return false;
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray chunk(1 << 20, '\0');
    QRandomGenerator random(20240501);
    uLong running = ::crc32(0, nullptr, 0);
    for (qint64 done = 0; done < size - 4;) {
        const qint64 n = std::min<qint64>(chunk.size(), size - 4 - done);
        if (fill == CrcFileFill::Random) {
            random.fillRange(reinterpret_cast<quint32 *>(chunk.data()), chunk.size() / 4);
            if (file.write(chunk.constData(), n) != n)
                return false;
        }
        running = ::crc32(running, reinterpret_cast<const Bytef *>(chunk.constData()), uInt(n));
        done += n;
    }
    const quint32 word = bytesGiving(quint32(running), crc);
    const char tail[4] = {char(word), char(word >> 8), char(word >> 16), char(word >> 24)};
    return file.seek(size - 4) && file.write(tail, 4) == 4 && file.size() == size;
}

} // namespace ostrel::test
