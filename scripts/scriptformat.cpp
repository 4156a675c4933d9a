#include "scripts/scriptformat.h"

#include <algorithm>

#include "scripts/scriptbuffer.h"

#include <QStringMatcher>

namespace ostrel {

namespace {

/// line less every occurrence of prefix, ignoring letter case, in one left-to-right pass.
QString withoutPrefix(QStringView line, const QString &prefix)
{
    const QStringMatcher matcher(prefix, Qt::CaseInsensitive);
    QString value;
    value.reserve(line.size());
    qsizetype kept = 0;
    for (qsizetype at = matcher.indexIn(line, 0); at >= 0; at = matcher.indexIn(line, kept)) {
        value += line.sliced(kept, at - kept);
        kept = at + prefix.size();
    }
    if (kept == 0)
        return line.toString();
    value += line.sliced(kept);
    return value;
}

QString prefixOf(QStringView keyword)
{
    return keyword.toString() + u' ';
}

} // namespace

QString BuildScriptText(const ScriptRecord &record)
{
    QString text;
    auto appendLine = [&text](QStringView keyword, const QString &value) { text += keyword % u' ' % value % u"\r\n"; };
    appendLine(ScriptKeyword::DukeVersion, record.dukeVersion);
    appendLine(ScriptKeyword::TcName, record.tcName);
    appendLine(ScriptKeyword::TcVersion, record.tcVersion);
    appendLine(ScriptKeyword::ReleaseDate, record.releaseDate);
    appendLine(ScriptKeyword::GroupFile, record.groupFile);
    appendLine(ScriptKeyword::GameCon, record.gameCon);
    appendLine(ScriptKeyword::TextFile, record.textFile);
    for (const QString &file : record.otherFiles)
        appendLine(ScriptKeyword::OtherFile, file);
    appendLine(ScriptKeyword::Author, record.author);
    appendLine(ScriptKeyword::Email, record.email);
    appendLine(ScriptKeyword::Web, record.web);
    return text;
}

std::optional<QString> ReadDirective(ScriptBuffer &buffer, QStringView keyword)
{
    const qsizetype at = buffer.Find(keyword, 0);
    if (at < 0)
        return std::nullopt;
    buffer.Span();
    return withoutPrefix(buffer.TextView().sliced(at, buffer.SelLength()), prefixOf(keyword));
}

QStringList ReadOtherFiles(ScriptBuffer &buffer, bool *tooLarge)
{
    const QStringView keyword = ScriptKeyword::OtherFile;
    const QString prefix = prefixOf(keyword);
    const QStringView text = buffer.TextView();

    // Several occurrences on one line would each take the rest of the line, so reading each
    // afresh costs the line's length every time: a long line full of "defineotherfile " would
    // take quadratic time. As the keyword cannot overlap itself, no removed prefix straddles a
    // later occurrence, so the value of every later occurrence on a line is a tail of the first
    // one's value: skip what lies before it, less the prefixes removed there.
    QStringList files;
    QString lineValue;
    qsizetype lineStart = -1;
    qsizetype lineEnd = -1;
    qsizetype removedOnLine = 0;
    qsizetype total = 0;

    for (qsizetype start = 0;;) {
        const qsizetype at = buffer.Find(keyword, start);
        if (at < 0)
            break;
        buffer.Span();
        const qsizetype end = at + buffer.SelLength();
        if (end != lineEnd) {
            lineValue = withoutPrefix(text.sliced(at, end - at), prefix);
            lineStart = at;
            lineEnd = end;
            removedOnLine = 0;
        }
        const qsizetype valueStart = at - lineStart - removedOnLine;
        total += std::max<qsizetype>(0, lineValue.size() - valueStart);
        if (total > kMaxOtherFileCharacters) {
            if (tooLarge)
                *tooLarge = true;
            break;
        }
        files.append(lineValue.mid(valueStart));
        const qsizetype after = at + keyword.size();
        if (after < end && text[after] == u' ')
            removedOnLine += prefix.size();
        start = at + 8;
    }
    return files;
}

ScriptDirectives ReadScript(ScriptBuffer &buffer)
{
    ScriptDirectives script;
    script.dukeVersion = ReadDirective(buffer, ScriptKeyword::DukeVersion);
    script.tcName = ReadDirective(buffer, ScriptKeyword::TcName);
    script.tcVersion = ReadDirective(buffer, ScriptKeyword::TcVersion);
    script.groupFile = ReadDirective(buffer, ScriptKeyword::GroupFile);
    script.gameCon = ReadDirective(buffer, ScriptKeyword::GameCon);
    script.textFile = ReadDirective(buffer, ScriptKeyword::TextFile);
    script.otherFiles = ReadOtherFiles(buffer, &script.tooLarge);
    script.author = ReadDirective(buffer, ScriptKeyword::Author);
    script.email = ReadDirective(buffer, ScriptKeyword::Email);
    script.web = ReadDirective(buffer, ScriptKeyword::Web);
    return script;
}

int MatchVersion(const QString &value, const QStringList &items)
{
    const QString wanted = value.toUpper();
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (items[i].toUpper() == wanted)
            return int(i);
    }
    return -1;
}

} // namespace ostrel
