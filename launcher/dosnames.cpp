#include "launcher/dosnames.h"

#include "launcher/grpfile.h"

#include "store/tcdefinition.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

// The con language's "include NAME", outside comments. DOS compares names without regard to case.
bool includes(const QByteArray &con, const QString &name)
{
    static const QRegularExpression comments(
        u"//[^\n]*|/\\*.*?(\\*/|$)"_s, QRegularExpression::DotMatchesEverythingOption);
    const QStringList words =
        QString::fromLatin1(con).remove(comments).split(QRegularExpression(u"\\s+"_s), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i + 1 < words.size(); ++i) {
        if (words[i].compare(u"include"_s, Qt::CaseInsensitive) == 0
            && words[i + 1].compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

bool isDosName(const QString &name)
{
    static const QRegularExpression dos(u"^[A-Za-z0-9_!#$%&'()@^`{}~-]{1,8}(\\.[A-Za-z0-9_!#$%&'()@^`{}~-]{1,3})?$"_s);
    return dos.match(name).hasMatch();
}

// Only letters and digits are kept and no '~' is added, so that the name never meets the short
// names DOSBox makes up for the long names in the game directory.
QString freeDosName(const QString &name, const QSet<QString> &taken)
{
    const auto dosPart = [](QStringView text, qsizetype length) {
        QString part;
        for (const QChar c : text) {
            if (part.size() < length && c.isLetterOrNumber() && c.unicode() < 128)
                part += c.toUpper();
        }
        return part;
    };
    const qsizetype dot = name.lastIndexOf(u'.');
    QString stem = dosPart(dot > 0 ? QStringView(name).first(dot) : QStringView(name), 8);
    const QString extension = dot > 0 ? dosPart(QStringView(name).sliced(dot + 1), 3) : QString();
    if (stem.isEmpty())
        stem = u"TC"_s;
    const QString dotted = extension.isEmpty() ? QString() : u'.' + extension;
    QString candidate = stem + dotted;
    for (int n = 1; taken.contains(candidate) && n < 100000; ++n) {
        const QString number = QString::number(n);
        candidate = stem.first(std::min(stem.size(), 8 - number.size())) + number + dotted;
    }
    return candidate;
}

QString conThatIncludes(const QString &name, const TcDefinition &tc)
{
    // A con is a few hundred kilobytes at most; anything far larger is no con of a game.
    constexpr qint64 kMostConBytes = 16 * 1024 * 1024;
    for (const QString &file : tc.otherFiles) {
        QFile con(file);
        if (file.endsWith(u".con"_s, Qt::CaseInsensitive) && con.open(QIODevice::ReadOnly)
            && includes(con.read(kMostConBytes), name))
            return file;
    }
    const GrpDirectory group = readGrpDirectory(tc.groupFile);
    QFile groupFile(tc.groupFile);
    if (!group.ok() || !groupFile.open(QIODevice::ReadOnly))
        return {};
    for (const GrpMember &member : group.members) {
        if (!member.name.endsWith(u".con"_s, Qt::CaseInsensitive) || !groupFile.seek(qint64(member.offset)))
            continue;
        if (includes(groupFile.read(std::min<qint64>(member.size, kMostConBytes)), name))
            return u"%1 (in %2)"_s.arg(member.name, tc.groupFile);
    }
    return {};
}

} // namespace ostrel
