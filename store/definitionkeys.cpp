#include "store/definitionkeys.h"

#include <algorithm>

namespace ostrel {

namespace {

struct FixedSuffix {
    KeyField field;
    QStringView word;
};

// Each fixed field is recognised by its suffix and the exact length it gives the key.
constexpr FixedSuffix kFixedSuffixes[] = {
    {KeyField::VersionComp, u"VersionComp"},
    {KeyField::Name, u"NAME"},
    {KeyField::GroupFile, u"GroupFile"},
    {KeyField::GameCon, u"GameCon"},
    {KeyField::TextFile, u"TextFile"},
};

bool isNumberWithoutLeadingZero(QStringView digits)
{
    if (digits.isEmpty() || digits.front() == u'0')
        return false;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

// One character of any kind, as a key written by hand may end (FooOtherFileX); a character
// outside the Basic Multilingual Plane is one character too, though two UTF-16 units.
bool isOneCharacter(QStringView text)
{
    return text.size() == 1 || (text.size() == 2 && text[0].isHighSurrogate() && text[1].isLowSurrogate());
}

bool isAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

} // namespace

QStringList versionCompatibilityItems()
{
    return {QStringLiteral("1.3D"), QStringLiteral("1.4/1.5 Atomic"), QStringLiteral("1.3D and 1.4/1.5")};
}

bool equalsIgnoringCase(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    // Every load, save and delete compares every key of the store, nearly all of them
    // ASCII: settle those characters here and leave the rest to Qt's case folding.
    // Text before the first non-ASCII character is ASCII, so that character starts a
    // code point and the folding of what follows is unaffected by the split.
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode();
        char16_t y = b[i].unicode();
        if (x >= 0x80 || y >= 0x80)
            return a.sliced(i).compare(b.sliced(i), Qt::CaseInsensitive) == 0;
        if (x >= u'A' && x <= u'Z')
            x += u'a' - u'A';
        if (y >= u'A' && y <= u'Z')
            y += u'a' - u'A';
        if (x != y)
            return false;
    }
    return true;
}

QString definitionKey(const QString &name, KeyField field, int otherFileNumber)
{
    if (field == KeyField::OtherFile)
        return name + kOtherFile + QString::number(otherFileNumber);
    for (const FixedSuffix &suffix : kFixedSuffixes) {
        if (suffix.field == field)
            return name + suffix.word;
    }
    return name;
}

QList<QStringView> fixedSuffixes()
{
    QList<QStringView> words;
    for (const FixedSuffix &suffix : kFixedSuffixes)
        words.append(suffix.word);
    return words;
}

KeyField classifyKey(QStringView key, QStringView name)
{
    if (key.size() <= name.size() || !equalsIgnoringCase(key.first(name.size()), name))
        return KeyField::None;
    const QStringView rest = key.sliced(name.size());
    for (const FixedSuffix &suffix : kFixedSuffixes) {
        if (equalsIgnoringCase(rest, suffix.word))
            return suffix.field;
    }
    if (rest.size() > kOtherFile.size() && equalsIgnoringCase(rest.first(kOtherFile.size()), kOtherFile)) {
        const QStringView number = rest.sliced(kOtherFile.size());
        if (isOneCharacter(number) || isNumberWithoutLeadingZero(number))
            return KeyField::OtherFile;
    }
    return KeyField::None;
}

SameDefinitionName::SameDefinitionName(const QString &name)
    : m_name(name)
    , m_upper(name.toUpper())
    , m_folded(name.toCaseFolded())
    , m_ascii(isAscii(name))
{
}

bool SameDefinitionName::operator()(const QString &listed) const
{
    // Between two ASCII names both conversions are ASCII case-insensitive equality. Any
    // other character can turn into ASCII ones ("ı" upper-cases to "I") or change length
    // ("ß" to "SS"), so those names take the conversions themselves.
    if (m_ascii && isAscii(listed))
        return listed.compare(m_name, Qt::CaseInsensitive) == 0;
    return listed.toUpper() == m_upper || listed.toCaseFolded() == m_folded;
}

bool isNameListKey(QStringView key)
{
    return key.endsWith(u"NAME", Qt::CaseSensitive);
}

} // namespace ostrel
