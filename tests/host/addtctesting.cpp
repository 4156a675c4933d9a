#include "addtctesting.h"

#include "hosttesting.h"

namespace ostrel::test {

QByteArray tinyGroup(const QByteArray &member)
{
    const QByteArray name = member.left(12) + QByteArray(12 - qMin<qsizetype>(member.size(), 12), '\0');
    return QByteArray("KenSilverman\1\0\0\0", 16) + name + QByteArray("\3\0\0\0", 4) + "map";
}

QList<TestEntry> harbourEntries()
{
    return {
        {"harbour/", {}, TestEntry::Type::Folder},
        {"harbour/HARBOUR.GRP", tinyGroup()},
        {"harbour/GAME.CON", "include DEFS.CON"},
        {"harbour/DEFS.CON", "define X 1"},
        {"harbour/README.TXT",
            "Harbour Strike\r\nUnzip and run: duke3d /x GAME.CON /g HARBOUR.GRP\r\nNeeds the Atomic Edition.\r\n"},
        {"harbour/E2L1.MAP", "a map"},
        {"harbour/SETUP.EXE", "MZ"},
        {"harbour/../../outside.txt", "escaped"},
    };
}

QString writeTestArchive(const QString &folder, const QString &name, ArchiveFormat format,
    const QList<TestEntry> &entries, const QByteArray &passphrase)
{
    const QString path = folder + u'/' + name;
    writeFile(path, makeArchive(format, entries, passphrase));
    return path;
}

} // namespace ostrel::test
