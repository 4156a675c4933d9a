#include "scripts/scripttext.h"

#include <QStringDecoder>

#include <array>

namespace ostrel {

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F. The five bytes it leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 code point of the same value, so every byte
// decodes to something and such text still writes back to the same byte.
constexpr std::array<char16_t, 32> windows1252High = {
    0x20AC,
    0x0081,
    0x201A,
    0x0192,
    0x201E,
    0x2026,
    0x2020,
    0x2021,
    0x02C6,
    0x2030,
    0x0160,
    0x2039,
    0x0152,
    0x008D,
    0x017D,
    0x008F,
    0x0090,
    0x2018,
    0x2019,
    0x201C,
    0x201D,
    0x2022,
    0x2013,
    0x2014,
    0x02DC,
    0x2122,
    0x0161,
    0x203A,
    0x0153,
    0x009D,
    0x017E,
    0x0178,
};

constexpr char16_t replacementCharacter = 0xFFFD;

bool startsWith(const QByteArray &bytes, std::initializer_list<unsigned char> prefix)
{
    if (bytes.size() < qsizetype(prefix.size()))
        return false;
    qsizetype i = 0;
    for (unsigned char b : prefix) {
        if (static_cast<unsigned char>(bytes[i++]) != b)
            return false;
    }
    return true;
}

bool startsWithUtf8Bom(const QByteArray &bytes)
{
    return startsWith(bytes, {0xEF, 0xBB, 0xBF});
}
bool startsWithUtf16LeBom(const QByteArray &bytes)
{
    return startsWith(bytes, {0xFF, 0xFE});
}
bool startsWithUtf16BeBom(const QByteArray &bytes)
{
    return startsWith(bytes, {0xFE, 0xFF});
}

bool startsWithAnyBom(const QByteArray &bytes)
{
    return startsWithUtf8Bom(bytes) || startsWithUtf16LeBom(bytes) || startsWithUtf16BeBom(bytes);
}

QString fromWindows1252(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = (b >= 0x80 && b <= 0x9F) ? windows1252High[b - 0x80] : char16_t(b);
    }
    return text;
}

/// False when some character has no byte in Windows-1252.
bool toWindows1252(const QString &text, QByteArray *bytes)
{
    bytes->resize(text.size());
    char *out = bytes->data();
    for (QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            *out++ = char(c);
            continue;
        }
        qsizetype i = 0;
        while (i < qsizetype(windows1252High.size()) && windows1252High[i] != c)
            ++i;
        if (i == qsizetype(windows1252High.size()))
            return false;
        *out++ = char(0x80 + i);
    }
    return true;
}

bool isAscii(const QByteArray &bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// Lone surrogates and a dangling odd byte become U+FFFD, so that the text can be written
// back as UTF-8 without loss.
QString fromUtf16(const QByteArray &bytes, qsizetype offset, bool bigEndian)
{
    const qsizetype units = (bytes.size() - offset) / 2;
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData()) + offset;
    auto unitAt = [&](qsizetype i) -> char16_t {
        const unsigned char first = data[2 * i];
        const unsigned char second = data[2 * i + 1];
        return bigEndian ? char16_t(first << 8 | second) : char16_t(second << 8 | first);
    };

    QString text;
    text.reserve(units + 1);
    for (qsizetype i = 0; i < units; ++i) {
        const char16_t unit = unitAt(i);
        if (QChar::isHighSurrogate(unit) && i + 1 < units && QChar::isLowSurrogate(unitAt(i + 1))) {
            text.append(QChar(unit));
            text.append(QChar(unitAt(++i)));
        } else if (QChar::isSurrogate(unit)) {
            text.append(QChar(replacementCharacter));
        } else {
            text.append(QChar(unit));
        }
    }
    if ((bytes.size() - offset) % 2 != 0)
        text.append(QChar(replacementCharacter));
    return text;
}

// QString::fromUtf8 drops a leading U+FEFF; here it is text (the mark itself is already gone).
// Stateless: a sequence cut off at the end becomes U+FFFD instead of vanishing.
QString fromUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(
        QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom | QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

} // namespace

QString decodeScriptBytes(const QByteArray &bytes)
{
    if (startsWithUtf8Bom(bytes))
        return fromUtf8(QByteArrayView(bytes).sliced(3));
    if (startsWithUtf16LeBom(bytes))
        return fromUtf16(bytes, 2, false);
    if (startsWithUtf16BeBom(bytes))
        return fromUtf16(bytes, 2, true);
    if (QByteArrayView(bytes).isValidUtf8())
        return fromUtf8(bytes);
    return fromWindows1252(bytes);
}

QByteArray encodeScriptText(const QString &text)
{
    // Single bytes are kept only when the reader will take them back as Windows-1252: bytes that
    // happen to form UTF-8 ("Ã©" is C3 A9) or begin like a byte-order mark ("ÿþ" is FF FE)
    // would read back as other text, so such text goes out as UTF-8.
    QByteArray single;
    if (toWindows1252(text, &single) && !startsWithAnyBom(single)
        && (isAscii(single) || !QByteArrayView(single).isValidUtf8())) {
        return single;
    }

    QByteArray utf8 = text.toUtf8();
    // A leading U+FEFF that is part of the text needs a mark in front of it, or the reader
    // would drop it as the mark.
    if (startsWithUtf8Bom(utf8))
        utf8.prepend("\xEF\xBB\xBF");
    return utf8;
}

} // namespace ostrel
