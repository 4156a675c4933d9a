#include "installer/grpinfo.h"

#include <QByteArray>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

struct Token {
    enum class Kind {
        Word,
        String,
        Open,
        Close,
        Bar,
        End
    };
    Kind kind = Kind::End;
    QByteArray text;
    int line = 1;
};

// Splits the text into words, quoted strings, braces and bars, leaving comments out.
class Tokenizer
{
public:
    explicit Tokenizer(QByteArrayView text)
        : m_text(text)
    {
    }

    Token next()
    {
        skipSpaceAndComments();
        Token token;
        token.line = m_line;
        if (m_at >= m_text.size())
            return token;
        const char c = m_text[m_at];
        if (c == '{' || c == '}' || c == '|') {
            ++m_at;
            token.kind = c == '{' ? Token::Kind::Open : c == '}' ? Token::Kind::Close : Token::Kind::Bar;
            return token;
        }
        if (c == '"') {
            token.kind = Token::Kind::String;
            ++m_at;
            while (m_at < m_text.size() && m_text[m_at] != '"') {
                char ch = m_text[m_at++];
                if (ch == '\\' && m_at < m_text.size() && (m_text[m_at] == '"' || m_text[m_at] == '\\'))
                    ch = m_text[m_at++];
                if (ch == '\n')
                    ++m_line;
                token.text += ch;
            }
            ++m_at; // the closing quote, or past the end of an unclosed string
            return token;
        }
        token.kind = Token::Kind::Word;
        while (m_at < m_text.size()) {
            const char ch = m_text[m_at];
            if (isSpace(ch) || ch == '{' || ch == '}' || ch == '|' || ch == '"' || startsComment())
                break;
            token.text += ch;
            ++m_at;
        }
        return token;
    }

private:
    static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

    bool startsComment() const
    {
        return m_at + 1 < m_text.size() && m_text[m_at] == '/' && (m_text[m_at + 1] == '/' || m_text[m_at + 1] == '*');
    }

    void skipSpaceAndComments()
    {
        while (m_at < m_text.size()) {
            const char c = m_text[m_at];
            if (isSpace(c)) {
                if (c == '\n')
                    ++m_line;
                ++m_at;
            } else if (startsComment() && m_text[m_at + 1] == '/') {
                while (m_at < m_text.size() && m_text[m_at] != '\n')
                    ++m_at;
            } else if (startsComment()) {
                m_at += 2;
                while (m_at < m_text.size()
                    && !(m_text[m_at] == '*' && m_at + 1 < m_text.size() && m_text[m_at + 1] == '/')) {
                    if (m_text[m_at] == '\n')
                        ++m_line;
                    ++m_at;
                }
                m_at += 2;
            } else {
                return;
            }
        }
    }

    QByteArrayView m_text;
    qsizetype m_at = 0;
    int m_line = 1;
};

std::optional<qint64> parseNumber(const QByteArray &word)
{
    bool ok = false;
    qint64 value = 0;
    if (word.startsWith("0x") || word.startsWith("0X"))
        value = qint64(word.mid(2).toULongLong(&ok, 16));
    else
        value = word.toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<quint32> parseCrc(const QByteArray &word)
{
    if (const auto named = mainGroupCrcByName(word))
        return named;
    const auto number = parseNumber(word);
    if (!number || *number < -qint64(0x80000000) || *number > qint64(0xFFFFFFFF))
        return std::nullopt;
    return quint32(*number);
}

class Parser
{
public:
    explicit Parser(QByteArrayView text)
        : m_tokens(text)
    {
        advance();
    }

    GrpInfoFile read()
    {
        while (m_token.kind != Token::Kind::End) {
            if (m_token.kind == Token::Kind::Word && m_token.text.compare("grpinfo", Qt::CaseInsensitive) == 0) {
                advance();
                readBlock();
            } else {
                problem(u"\"%1\" is not a grpinfo block"_s.arg(shown(m_token)));
                advance();
            }
        }
        return std::move(m_file);
    }

private:
    void advance() { m_token = m_tokens.next(); }

    static QString shown(const Token &token)
    {
        switch (token.kind) {
        case Token::Kind::Open:
            return u"{"_s;
        case Token::Kind::Close:
            return u"}"_s;
        case Token::Kind::Bar:
            return u"|"_s;
        case Token::Kind::End:
            return u"the end"_s;
        default:
            return QString::fromUtf8(token.text.left(40));
        }
    }

    void problem(const QString &what) { m_file.problems << u"line %1: %2"_s.arg(m_token.line).arg(what); }

    // A value and, for flags, the names joined to it by bars.
    QList<QByteArray> readValue()
    {
        QList<QByteArray> parts;
        if (m_token.kind != Token::Kind::Word && m_token.kind != Token::Kind::String)
            return parts;
        parts << m_token.text;
        advance();
        while (m_token.kind == Token::Kind::Bar) {
            advance();
            if (m_token.kind != Token::Kind::Word)
                break;
            parts << m_token.text;
            advance();
        }
        return parts;
    }

    void readBlock()
    {
        if (m_token.kind != Token::Kind::Open) {
            problem(u"grpinfo is not followed by \"{\""_s);
            return;
        }
        advance();
        GrpInfo info;
        bool closed = false;
        while (m_token.kind != Token::Kind::End) {
            if (m_token.kind == Token::Kind::Close) {
                closed = true;
                advance();
                break;
            }
            if (m_token.kind != Token::Kind::Word) {
                problem(u"\"%1\" is no key"_s.arg(shown(m_token)));
                advance();
                continue;
            }
            const QByteArray key = m_token.text.toLower();
            const int line = m_token.line;
            advance();
            const QList<QByteArray> value = readValue();
            if (value.isEmpty()) {
                m_file.problems << u"line %1: \"%2\" has no value"_s.arg(line).arg(QString::fromUtf8(key));
                continue;
            }
            const QByteArray &first = value.first();
            const auto badValue = [&] {
                m_file.problems << u"line %1: \"%2\" is no value for %3"_s.arg(line).arg(
                    QString::fromUtf8(first.left(40)), QString::fromUtf8(key));
            };
            if (key == "name") {
                info.name = QString::fromUtf8(first);
            } else if (key == "scriptname") {
                info.scriptName = QString::fromUtf8(first);
            } else if (key == "defname") {
                info.defName = QString::fromUtf8(first);
            } else if (key == "crc") {
                if (!(info.crc = parseCrc(first)))
                    badValue();
            } else if (key == "dependency") {
                if (!(info.dependency = parseCrc(first)))
                    badValue();
            } else if (key == "size") {
                info.size = parseNumber(first);
                if (!info.size || *info.size < 0) {
                    info.size.reset();
                    badValue();
                }
            } else if (key == "flags") {
                for (const QByteArray &flag : value)
                    info.flags << QString::fromUtf8(flag);
            }
        }
        if (!closed)
            problem(u"a grpinfo block is not closed with \"}\""_s);
        m_file.blocks << info;
    }

    Tokenizer m_tokens;
    Token m_token;
    GrpInfoFile m_file;
};

} // namespace

std::optional<quint32> mainGroupCrcByName(QByteArrayView name)
{
    static const std::pair<const char *, quint32> known[] = {
        {"DUKE13_CRC", 0xBBC9CE44u},
        {"DUKEKR_CRC", 0xAA4F6A40u},
        {"DUKE14_CRC", 0xF514A6ACu},
        {"DUKE15_CRC", 0xFD3DCFF1u},
        {"DUKEWT_CRC", 0x982AFE4Au},
        {"DUKESW_CRC", 0x983AD923u},
    };
    for (const auto &[known_name, crc] : known) {
        if (name.compare(QByteArrayView(known_name), Qt::CaseInsensitive) == 0)
            return crc;
    }
    return std::nullopt;
}

GrpInfoFile readGrpInfo(QByteArrayView text)
{
    return Parser(text).read();
}

} // namespace ostrel
