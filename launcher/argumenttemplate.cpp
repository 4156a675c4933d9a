#include "launcher/argumenttemplate.h"

#include <QList>
#include <QRegularExpression>
#include <QSet>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

const QStringList kPlaceholders{u"gamedir"_s, u"maingroup"_s, u"group"_s, u"con"_s, u"tcdir"_s, u"savedir"_s};

// The template's arguments with the values in, or the problem with the template in words.
QStringList expandTemplate(const QString &argumentTemplate, const QHash<QString, QString> &values, QString *problemOut)
{
    struct Token {
        QString text;
        int group = -1;
    };
    QList<Token> tokens;
    Token current;
    bool started = false;
    bool inQuote = false;
    bool closeAfter = false;
    int quoteCount = 0;
    int group = -1;
    int groups = 0;
    QString problem;
    const auto flush = [&] {
        if (started)
            tokens.append(current);
        current = Token{};
        started = false;
        if (closeAfter)
            group = -1;
        closeAfter = false;
    };
    const auto append = [&](QChar c) {
        if (closeAfter && problem.isEmpty())
            problem = u"\"]\" must end an argument."_s;
        if (!started)
            current.group = group;
        current.text += c;
        started = true;
    };
    // The quoting of QProcess::splitCommand, plus [ ] around optional arguments.
    for (const QChar c : argumentTemplate) {
        if (c == u'"') {
            ++quoteCount;
            if (quoteCount == 3) {
                quoteCount = 0;
                append(c);
            }
            continue;
        }
        if (quoteCount) {
            if (quoteCount == 1)
                inQuote = !inQuote;
            quoteCount = 0;
        }
        if (!inQuote && c.isSpace()) {
            flush();
        } else if (!inQuote && c == u'[' && !started) {
            if (group >= 0 && problem.isEmpty())
                problem = u"Brackets cannot be nested."_s;
            group = groups++;
        } else if (!inQuote && c == u']') {
            if (group < 0 && problem.isEmpty())
                problem = u"\"]\" without \"[\"."_s;
            closeAfter = true;
            if (!started)
                current.group = group;
        } else {
            append(c);
        }
    }
    if (quoteCount == 1)
        inQuote = !inQuote;
    flush();
    if (inQuote && problem.isEmpty())
        problem = u"A quote is not closed."_s;
    if (group >= 0 && problem.isEmpty())
        problem = u"\"[\" without \"]\"."_s;

    static const QRegularExpression placeholder(u"\\{([A-Za-z_]+)\\}"_s);
    QSet<int> droppedGroups;
    for (const Token &token : std::as_const(tokens)) {
        for (auto it = placeholder.globalMatch(token.text); it.hasNext();) {
            const QString name = it.next().captured(1);
            if (!values.contains(name)) {
                if (problem.isEmpty())
                    problem = u"Unknown placeholder {%1}."_s.arg(name);
            } else if (values.value(name).isEmpty()) {
                if (token.group >= 0)
                    droppedGroups.insert(token.group);
                else if (problem.isEmpty())
                    problem =
                        u"{%1} is empty for this TC; put the option in brackets, e.g. [-x {%1}], so it is left out."_s
                            .arg(name);
            }
        }
    }
    if (!problem.isEmpty()) {
        *problemOut = problem;
        return {};
    }

    QStringList arguments;
    for (const Token &token : std::as_const(tokens)) {
        if (token.group >= 0 && droppedGroups.contains(token.group))
            continue;
        // One pass over the text, so a value that looks like a placeholder stays as it is.
        QString out;
        qsizetype at = 0;
        for (auto it = placeholder.globalMatch(token.text); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            out += QStringView(token.text).sliced(at, m.capturedStart() - at);
            out += values.value(m.captured(1));
            at = m.capturedEnd();
        }
        out += QStringView(token.text).sliced(at);
        arguments.append(out);
    }
    return arguments;
}

} // namespace

QStringList expandArgumentTemplate(
    const QString &argumentTemplate, const QHash<QString, QString> &values, QString *error)
{
    QString problem;
    const QStringList arguments = expandTemplate(argumentTemplate, values, &problem);
    if (!problem.isEmpty() && error)
        *error = u"The argument template cannot be used: %1"_s.arg(problem);
    return arguments;
}

QString argumentTemplateProblem(const QString &argumentTemplate)
{
    QHash<QString, QString> values;
    for (const QString &name : kPlaceholders)
        values.insert(name, u"x"_s);
    QString problem;
    expandTemplate(argumentTemplate, values, &problem);
    return problem;
}

} // namespace ostrel
