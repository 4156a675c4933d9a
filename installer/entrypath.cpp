#include "installer/entrypath.h"

#include <QList>
#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

bool isDriveLetter(QByteArrayView part)
{
    return part.size() >= 2 && part[1] == ':'
        && ((part[0] >= 'A' && part[0] <= 'Z') || (part[0] >= 'a' && part[0] <= 'z'));
}

EntryPath refused(const QString &why)
{
    return {QByteArray(), why};
}

} // namespace

EntryPath entryPath(QByteArrayView name)
{
    QByteArray unified = name.toByteArray();
    unified.replace('\\', '/');
    if (unified.isEmpty())
        return refused(u"it has no name"_s);
    if (unified.startsWith('/'))
        return refused(u"it is an absolute path"_s);
    if (isDriveLetter(unified))
        return refused(u"it names a drive (\"%1\")"_s.arg(QString::fromLatin1(unified.left(2))));
    if (unified.contains('\0'))
        return refused(u"its name holds a NUL byte"_s);

    QByteArray path;
    for (const QByteArray &part : unified.split('/')) {
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..")
            return refused(u"it goes up a folder (\"..\")"_s);
        // At any depth: a single top folder is left out, which brings the next level up.
        if (part.startsWith(kReservedPrefix))
            return refused(u"its name is reserved for Quillon's own files"_s);
        if (part.size() > kMaxNamePartBytes)
            return refused(u"a part of its name is longer than %1 bytes"_s.arg(kMaxNamePartBytes));
        if (!path.isEmpty())
            path += '/';
        path += part;
    }
    if (path.isEmpty())
        return refused(u"it has no name"_s);
    if (path.size() > kMaxEntryPathBytes)
        return refused(u"its name is longer than %1 bytes"_s.arg(kMaxEntryPathBytes));
    return {path, QString()};
}

bool isValidUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder.decode(bytes);
    return !decoder.hasError();
}

} // namespace ostrel
