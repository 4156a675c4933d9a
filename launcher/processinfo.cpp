#include "launcher/processinfo.h"

#include "launcher/fileops.h"

#include <QByteArray>
#include <QList>
#include <QString>

using namespace Qt::StringLiterals;

namespace ostrel::processinfo {

std::optional<quint64> startTimeOf(qint64 pid)
{
    if (pid <= 0)
        return std::nullopt;
    const QByteArray stat = fileops::readSmallFile(u"/proc/%1/stat"_s.arg(pid));
    // The command name in parentheses may hold spaces and parentheses of its own; the fields
    // after the last ')' are plain numbers and letters, starting with the state (field 3).
    const qsizetype nameEnd = stat.lastIndexOf(')');
    if (nameEnd < 0)
        return std::nullopt;
    const QList<QByteArray> fields = stat.mid(nameEnd + 1).simplified().split(' ');
    constexpr qsizetype kState = 0;
    constexpr qsizetype kStartTime = 22 - 3;
    if (fields.size() <= kStartTime)
        return std::nullopt;
    // A zombie (Z) or a process being torn down (X) has let go of its files; its parent may
    // just not have reaped it yet.
    if (fields[kState] == "Z" || fields[kState] == "X")
        return std::nullopt;
    bool ok = false;
    const quint64 startTime = fields[kStartTime].toULongLong(&ok);
    return ok ? std::optional<quint64>(startTime) : std::nullopt;
}

} // namespace ostrel::processinfo
