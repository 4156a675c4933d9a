// Feeds arbitrary bytes to the group file directory reader, as the start of files of several
// sizes, and checks what must hold for any input: a result is either an error with no members
// or a directory that agrees with the bytes entry by entry, and the reader accepts exactly what
// the format allows when the rules are carried out literally, one entry at a time.

#include "launcher/grpfile.h"

#include <QtEndian>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "group reader check failed: %s\n", what);
        std::abort();
    }
}

quint32 le32(const uint8_t *p)
{
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

// The format's rules, literally: whether a file of fileSize bytes starting with data has a
// readable directory.
bool literallyReadable(const uint8_t *data, size_t size, qint64 fileSize)
{
    if (size < 16 || std::memcmp(data, "KenSilverman", 12) != 0)
        return false;
    const quint64 count = le32(data + 12);
    if (16 + 16 * count > quint64(fileSize) || 16 + 16 * count > size)
        return false;
    quint64 end = 16 + 16 * count;
    for (quint64 i = 0; i < count; ++i) {
        const uint8_t *entry = data + 16 + 16 * i;
        size_t length = 0;
        while (length < 12 && entry[length] != 0)
            ++length;
        if (length == 0 || (length == 1 && entry[0] == '.') || (length == 2 && entry[0] == '.' && entry[1] == '.'))
            return false;
        for (size_t k = 0; k < length; ++k) {
            if (entry[k] <= ' ' || entry[k] >= 0x7F || entry[k] == '/' || entry[k] == '\\')
                return false;
        }
        end += le32(entry + 12);
        if (end > quint64(fileSize))
            return false;
    }
    return true;
}

void checkOne(const uint8_t *data, size_t size, qint64 fileSize)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const ostrel::GrpDirectory dir = ostrel::readGrpDirectory(bytes, fileSize);
    check(dir.ok() == literallyReadable(data, size, fileSize), "accepted exactly when the format allows");
    if (!dir.ok()) {
        check(dir.members.isEmpty(), "a refused file lists no members");
        return;
    }
    check(quint64(dir.members.size()) == le32(data + 12), "one member per directory entry");
    quint64 offset = 16 + 16 * quint64(dir.members.size());
    for (qsizetype i = 0; i < dir.members.size(); ++i) {
        const ostrel::GrpMember &m = dir.members[i];
        const uint8_t *entry = data + 16 + 16 * i;
        check(m.offset == offset, "members follow each other");
        check(m.size == le32(entry + 12), "the size is the entry's");
        check(m.name.size() >= 1 && m.name.size() <= 12, "a name has 1 to 12 characters");
        check(m.name.toLatin1() == QByteArray(reinterpret_cast<const char *>(entry), m.name.size()),
            "the name is the entry's bytes");
        check(m.name.size() == 12 || entry[m.name.size()] == 0, "a name ends at a NUL or after 12 bytes");
        offset += m.size;
    }
    check(offset <= quint64(fileSize), "the data fits in the file");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // As the whole file, and as the start of longer files (a sparse file of that size).
    checkOne(data, size, qint64(size));
    if (size > 0)
        checkOne(data, size, qint64(size) + qint64(data[size - 1]) * 4099);
    if (size >= 16)
        checkOne(data, size, qint64(size) + qint64(le32(data + 12)) * 16);
    return 0;
}
