#include "launcher/grpfile.h"

#include <QFile>
#include <QtEndian>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

constexpr char kSignature[] = "KenSilverman";

quint32 uint32At(QByteArrayView bytes, qint64 at)
{
    return qFromLittleEndian<quint32>(bytes.data() + at);
}

bool isNameByte(uchar c)
{
    return c > 0x20 && c < 0x7F && c != '/' && c != '\\';
}

// The reason a stored name cannot be used as a file name, or an empty string. name holds the
// bytes before the first NUL.
QString nameProblem(QByteArrayView name)
{
    if (name.isEmpty())
        return u"an empty name"_s;
    for (const char c : name) {
        if (!isNameByte(uchar(c)))
            return u"a name with the byte 0x%1"_s.arg(uint(uchar(c)), 2, 16, QChar(u'0'));
    }
    if (name == "." || name == "..")
        return u"the name \"%1\""_s.arg(QLatin1StringView(name));
    return {};
}

GrpDirectory refused(const QString &why)
{
    GrpDirectory result;
    result.error = why;
    return result;
}

} // namespace

GrpDirectory readGrpDirectory(QByteArrayView bytes, qint64 fileSize)
{
    if (fileSize < 0 || bytes.size() > fileSize)
        return refused(u"The file size given is smaller than the bytes read."_s);
    if (fileSize < kGrpHeaderSize || bytes.size() < kGrpHeaderSize)
        return refused(u"The file is too short to be a group file (%1 bytes)."_s.arg(fileSize));
    if (bytes.first(12) != QByteArrayView(kSignature, 12))
        return refused(u"The file is not a group file: it does not start with \"KenSilverman\"."_s);

    // All sizes in 64 bits: a count near 2^32 times 16 and a sum of 2^32 sizes below 2^32
    // each cannot overflow, so a hostile header can only fail the checks below.
    const quint64 count = uint32At(bytes, 12);
    const quint64 dataStart = quint64(kGrpHeaderSize) + quint64(kGrpEntrySize) * count;
    if (dataStart > quint64(fileSize)) {
        return refused(
            u"The group file claims %1 members, but their directory alone would run past the end of the file (%2 bytes)."_s
                .arg(count)
                .arg(fileSize));
    }
    if (quint64(bytes.size()) < dataStart)
        return refused(
            u"The group file's directory was not read whole (%1 of %2 bytes)."_s.arg(bytes.size()).arg(dataStart));

    // Only now is the count known to be bounded by bytes that exist.
    GrpDirectory result;
    result.members.reserve(qsizetype(count));
    quint64 offset = dataStart;
    for (quint64 i = 0; i < count; ++i) {
        const qint64 at = kGrpHeaderSize + qint64(i) * kGrpEntrySize;
        QByteArrayView rawName = bytes.sliced(at, 12);
        if (const qsizetype nul = rawName.indexOf('\0'); nul >= 0)
            rawName = rawName.first(nul);
        if (const QString problem = nameProblem(rawName); !problem.isEmpty())
            return refused(u"Member %1 of the group file has %2."_s.arg(i + 1).arg(problem));
        const quint32 size = uint32At(bytes, at + 12);
        if (offset + size > quint64(fileSize)) {
            return refused(
                u"The sizes of the group file's members add up to more than the file holds (member %1, \"%2\", ends at byte %3 of %4)."_s
                    .arg(i + 1)
                    .arg(QLatin1StringView(rawName))
                    .arg(offset + size)
                    .arg(fileSize));
        }
        result.members.append(GrpMember{QString::fromLatin1(rawName), size, offset});
        offset += size;
    }
    return result;
}

GrpDirectory readGrpDirectory(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refused(u"The group file \"%1\" cannot be opened: %2."_s.arg(path, file.errorString()));
    const qint64 fileSize = file.size();
    QByteArray bytes = file.read(kGrpHeaderSize);
    if (bytes.size() == kGrpHeaderSize && bytes.startsWith(kSignature)) {
        // Read the directory only when it fits in the file, so a hostile count never sizes a read.
        const quint64 dataStart = quint64(kGrpHeaderSize) + quint64(kGrpEntrySize) * uint32At(bytes, 12);
        if (dataStart <= quint64(fileSize))
            bytes += file.read(qint64(dataStart) - kGrpHeaderSize);
    }
    GrpDirectory result = readGrpDirectory(bytes, fileSize);
    if (!result.ok()) {
        QString reason = result.error;
        reason[0] = reason[0].toLower();
        result.error = u"The group file \"%1\" cannot be used: %2"_s.arg(path, reason);
    }
    return result;
}

} // namespace ostrel
