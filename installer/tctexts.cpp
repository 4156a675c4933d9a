#include "installer/tctexts.h"

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

bool isWordChar(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The words of one line, a "quoted part" kept as one word without its quotes.
QList<QByteArray> wordsOf(QByteArrayView line)
{
    QList<QByteArray> words;
    qsizetype at = 0;
    while (at < line.size()) {
        while (at < line.size() && isSpace(line[at]))
            ++at;
        if (at >= line.size())
            break;
        QByteArray word;
        bool quoted = false;
        while (at < line.size() && (quoted || !isSpace(line[at]))) {
            if (line[at] == '"')
                quoted = !quoted;
            else
                word += line[at];
            ++at;
        }
        words << word;
    }
    return words;
}

QString shownLine(QByteArrayView line)
{
    QString text = QString::fromUtf8(line.trimmed());
    if (text.size() > 160)
        text = text.left(157) + u"..."_s;
    return text;
}

// Words that end a sentence in a read-me ("... with /g MYTC.GRP.") are not part of the name.
QByteArray withoutTrailingPunctuation(QByteArray value)
{
    while (!value.isEmpty()
        && (value.endsWith('.') || value.endsWith(',') || value.endsWith(';') || value.endsWith(')')
            || value.endsWith('\'') || value.endsWith(':')))
        value.chop(1);
    return value;
}

} // namespace

QList<CommandLineFile> commandLineFiles(QByteArrayView text)
{
    QList<CommandLineFile> found;
    for (const QByteArray &line : text.toByteArray().split('\n')) {
        const QList<QByteArray> words = wordsOf(line);
        for (qsizetype i = 0; i < words.size(); ++i) {
            const QByteArray &word = words[i];
            if (word.size() < 2 || (word[0] != '/' && word[0] != '-'))
                continue;
            const QByteArray option = word.mid(1).toLower();
            CommandLineFile file;
            QByteArray value;
            bool takesNext = false;
            if (option == "g" || option == "grp" || option == "x") {
                file.option = option == "x" ? CommandLineFile::Option::Con : CommandLineFile::Option::Group;
                takesNext = true;
            } else if (option.startsWith('g') || option.startsWith('x')) {
                // "/gMYTC.GRP": the value is joined to the option. Longer options that happen
                // to start with g or x ("-game_dir") are told apart later: their "value" names
                // no file of the archive.
                file.option = option.startsWith('x') ? CommandLineFile::Option::Con : CommandLineFile::Option::Group;
                value = word.mid(2);
            } else {
                continue;
            }
            if (takesNext) {
                if (i + 1 >= words.size())
                    continue;
                value = words[++i];
            }
            value = withoutTrailingPunctuation(value);
            if (value.isEmpty())
                continue;
            file.value = value;
            file.line = shownLine(line);
            found << file;
        }
    }
    return found;
}

QList<QByteArray> conIncludes(QByteArrayView text)
{
    QList<QByteArray> includes;
    QByteArray word;
    bool afterInclude = false;
    const auto endWord = [&] {
        if (word.isEmpty())
            return;
        if (afterInclude)
            includes << word;
        afterInclude = !afterInclude && word.compare("include", Qt::CaseInsensitive) == 0;
        word.clear();
    };
    for (qsizetype at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '/' && at + 1 < text.size() && text[at + 1] == '/') {
            endWord();
            while (at < text.size() && text[at] != '\n')
                ++at;
        } else if (c == '/' && at + 1 < text.size() && text[at + 1] == '*') {
            endWord();
            at += 2;
            while (at + 1 < text.size() && !(text[at] == '*' && text[at + 1] == '/'))
                ++at;
            ++at;
        } else if (isSpace(c) || c == '\n') {
            endWord();
        } else {
            word += c;
        }
    }
    endWord();
    return includes;
}

VersionWords versionWords(QByteArrayView text)
{
    VersionWords words;
    QStringList evidence;
    const QByteArray lower = text.toByteArray().toLower();
    // A match counts only as a word of its own: "1.3D" but not "11.3D" or "v1.3d2".
    const auto find = [&](QByteArrayView needle) {
        for (qsizetype at = lower.indexOf(needle); at >= 0; at = lower.indexOf(needle, at + 1)) {
            const qsizetype end = at + needle.size();
            // "v1.5" is the version too.
            const bool number = needle[0] >= '0' && needle[0] <= '9';
            const qsizetype from = number && at > 0 && lower[at - 1] == 'v' ? at - 1 : at;
            const bool startsWord = from == 0 || !(isWordChar(lower[from - 1]) || lower[from - 1] == '.');
            const bool endsWord = end >= lower.size()
                || !(isWordChar(lower[end])
                    || (lower[end] == '.' && end + 1 < lower.size() && isWordChar(lower[end + 1])));
            if (startsWord && endsWord) {
                evidence << QString::fromUtf8(text.sliced(at, needle.size()));
                return true;
            }
        }
        return false;
    };
    words.v13d = find("1.3d");
    const bool atomic = find("atomic");
    const bool plutonium = find("plutonium");
    const bool v14 = find("1.4");
    const bool v15 = find("1.5");
    words.atomic = atomic || plutonium || v14 || v15;
    evidence.removeDuplicates();
    words.evidence = evidence.join(u", "_s);
    return words;
}

QByteArray lastPathPart(QByteArrayView path)
{
    const qsizetype slash = std::max(path.lastIndexOf('/'), path.lastIndexOf('\\'));
    return path.sliced(slash + 1).toByteArray();
}

} // namespace ostrel
