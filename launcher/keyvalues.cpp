#include "launcher/keyvalues.h"

#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

struct Token {
    enum Kind {
        End,
        Text,
        Open,
        Close,
        Condition,
        Broken
    } kind = End;
    QString text; ///< Text: the key or value; Broken: why
    int line = 1;
};

bool isSpace(char c)
{
    return uchar(c) <= 0x20;
}

// A key or value as text. A byte order mark in it is a character like any other: only the one
// that starts the file is dropped, by the tokenizer.
QString textOf(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

// Splits the text into keys and values, braces and conditions; whitespace and comments are
// dropped between them.
class Tokenizer
{
public:
    explicit Tokenizer(QByteArrayView text)
        : m_text(text)
    {
        if (m_text.startsWith("\xEF\xBB\xBF"))
            m_at = 3;
    }

    Token next()
    {
        skipSpaceAndComments();
        Token token;
        token.line = m_line;
        if (m_at >= m_text.size())
            return token;
        const char c = m_text[m_at];
        if (c == '{' || c == '}') {
            ++m_at;
            token.kind = c == '{' ? Token::Open : Token::Close;
        } else if (c == '"') {
            readQuoted(token);
        } else if (c == '[') {
            readCondition(token);
        } else {
            const qsizetype start = m_at;
            while (m_at < m_text.size() && !isSpace(m_text[m_at]) && m_text[m_at] != '{' && m_text[m_at] != '}'
                && m_text[m_at] != '"')
                ++m_at;
            token.kind = Token::Text;
            token.text = textOf(m_text.sliced(start, m_at - start));
        }
        return token;
    }

private:
    void skipSpaceAndComments()
    {
        while (m_at < m_text.size()) {
            const char c = m_text[m_at];
            if (c == '\n') {
                ++m_line;
                ++m_at;
            } else if (isSpace(c)) {
                ++m_at;
            } else if (c == '/' && m_at + 1 < m_text.size() && m_text[m_at + 1] == '/') {
                while (m_at < m_text.size() && m_text[m_at] != '\n')
                    ++m_at;
            } else {
                return;
            }
        }
    }

    void readQuoted(Token &token)
    {
        QByteArray bytes;
        for (++m_at; m_at < m_text.size(); ++m_at) {
            char c = m_text[m_at];
            if (c == '"') {
                ++m_at;
                token.kind = Token::Text;
                token.text = textOf(bytes);
                return;
            }
            if (c == '\n')
                ++m_line;
            if (c == '\\' && m_at + 1 < m_text.size()) {
                const char escaped = m_text[m_at + 1];
                const char meaning = escaped == 'n'     ? '\n'
                    : escaped == 't'                    ? '\t'
                    : escaped == '\\' || escaped == '"' ? escaped
                                                        : 0;
                // A lone backslash is kept: paths written by hand hold them.
                if (meaning) {
                    c = meaning;
                    ++m_at;
                }
            }
            bytes += c;
        }
        token.kind = Token::Broken;
        token.text = u"a quoted text that starts on line %1 never ends"_s.arg(token.line);
    }

    void readCondition(Token &token)
    {
        const qsizetype start = m_at;
        while (m_at < m_text.size() && m_text[m_at] != ']' && m_text[m_at] != '\n')
            ++m_at;
        if (m_at >= m_text.size() || m_text[m_at] != ']') {
            token.kind = Token::Broken;
            token.text = u"a condition on line %1 has no closing ']'"_s.arg(token.line);
            return;
        }
        ++m_at;
        token.kind = Token::Condition;
        token.text = textOf(m_text.sliced(start, m_at - start));
    }

    QByteArrayView m_text;
    qsizetype m_at = 0;
    int m_line = 1;
};

class Parser
{
public:
    explicit Parser(QByteArrayView text)
        : m_tokens(text)
    {
        advance();
    }

    KeyValuesDocument document()
    {
        KeyValuesDocument result;
        if (!readKeys(result.keys, 0, 0) || !m_error.isEmpty()) {
            result.keys.clear();
            result.error = m_error;
        }
        return result;
    }

private:
    void advance()
    {
        m_token = m_tokens.next();
        if (m_token.kind == Token::Broken)
            fail(m_token.text);
    }

    void skipConditions()
    {
        while (m_token.kind == Token::Condition)
            advance();
    }

    bool fail(const QString &why)
    {
        if (m_error.isEmpty())
            m_error = why.at(0).toUpper() + why.mid(1) + u'.';
        return false;
    }

    // Reads keys up to the end of the text (depth 0) or of the block, whose '{' on openedOn is
    // read.
    bool readKeys(QList<KeyValue> &keys, int depth, int openedOn)
    {
        for (;;) {
            switch (m_token.kind) {
            case Token::Broken:
                return false;
            case Token::End:
                return depth == 0 || fail(u"the block opened on line %1 is never closed"_s.arg(openedOn));
            case Token::Close:
                if (depth == 0)
                    return fail(u"a '}' on line %1 closes no block"_s.arg(m_token.line));
                advance();
                return true;
            case Token::Open:
                return fail(u"a block on line %1 has no key"_s.arg(m_token.line));
            case Token::Condition:
                advance();
                break;
            case Token::Text:
                if (!readKey(keys, depth))
                    return false;
                break;
            }
        }
    }

    bool readKey(QList<KeyValue> &keys, int depth)
    {
        KeyValue entry;
        entry.key = m_token.text;
        const int line = m_token.line;
        advance();
        skipConditions();
        if (m_token.kind == Token::Text) {
            entry.value = m_token.text;
            advance();
        } else if (m_token.kind == Token::Open) {
            if (depth + 1 > kKeyValuesMaxDepth)
                return fail(u"blocks are nested deeper than %1 on line %2"_s.arg(kKeyValuesMaxDepth).arg(m_token.line));
            entry.isBlock = true;
            const int openedOn = m_token.line;
            advance();
            if (!readKeys(entry.children, depth + 1, openedOn))
                return false;
        } else if (m_token.kind != Token::Broken) {
            return fail(u"the key \"%1\" on line %2 has no value"_s.arg(entry.key).arg(line));
        } else {
            return false;
        }
        skipConditions();
        keys.append(std::move(entry));
        return true;
    }

    Tokenizer m_tokens;
    Token m_token;
    QString m_error;
};

const KeyValue *childIn(const QList<KeyValue> &keys, QStringView key)
{
    for (const KeyValue &entry : keys) {
        if (entry.key.compare(key, Qt::CaseInsensitive) == 0)
            return &entry;
    }
    return nullptr;
}

} // namespace

const KeyValue *KeyValue::child(QStringView key) const
{
    return childIn(children, key);
}

const KeyValue *KeyValuesDocument::child(QStringView key) const
{
    return childIn(keys, key);
}

KeyValuesDocument readKeyValues(QByteArrayView text)
{
    return Parser(text).document();
}

} // namespace ostrel
