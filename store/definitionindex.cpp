#include "store/definitionindex.h"

#include "store/definitionkeys.h"

#include <QChar>

#include <algorithm>

namespace ostrel {

namespace {

// A hash of a name under which every name that equalsIgnoringCase calls equal falls
// alike: the two have the same length, ASCII letters compare in lower case and other
// characters by Qt's case folding. A surrogate counts only as being one, so that however
// a pair folds, the hash does not depend on it; classifyKey settles such names.
size_t nameHash(QStringView name)
{
    size_t hash = 1469598103934665603u; // FNV-1a
    for (const QChar c : name) {
        char16_t unit = c.unicode();
        if (unit < 0x80) {
            if (unit >= u'A' && unit <= u'Z')
                unit += u'a' - u'A';
        } else if (c.isSurrogate()) {
            unit = 0xD800;
        } else {
            unit = char16_t(QChar::toCaseFolded(char32_t(unit)));
        }
        hash = (hash ^ unit) * 1099511628211u;
    }
    return hash;
}

qsizetype trailingDigits(QStringView key)
{
    const auto notDigit = std::find_if(key.rbegin(), key.rend(), [](QChar c) { return c < u'0' || c > u'9'; });
    return qsizetype(notDigit - key.rbegin());
}

} // namespace

DefinitionIndex::DefinitionIndex(const SettingRows &rows)
{
    const QList<QStringView> suffixes = fixedSuffixes();
    m_rowsByName.reserve(rows.size() / 6);
    for (qsizetype at = 0; at < rows.size(); ++at) {
        const QStringView key = rows[at].key;
        // A name ends before a field's suffix, or before "OtherFile" and the one character
        // or the number that ends the key; classifyKey has the last word on each.
        auto offer = [&](qsizetype split) {
            const QStringView name = key.first(split);
            if (classifyKey(key, name) == KeyField::None)
                return;
            Positions &found = m_rowsByName[nameHash(name)];
            if (found.isEmpty() || found.back() != at)
                found.append(at);
        };
        for (const QStringView suffix : suffixes) {
            if (key.size() >= suffix.size() && equalsIgnoringCase(key.last(suffix.size()), suffix))
                offer(key.size() - suffix.size());
        }
        const qsizetype numberLength = std::max<qsizetype>(2, trailingDigits(key));
        for (qsizetype length = 1; length <= numberLength; ++length) {
            const qsizetype split = key.size() - length - kOtherFile.size();
            if (split >= 0 && equalsIgnoringCase(key.sliced(split, kOtherFile.size()), kOtherFile))
                offer(split);
        }
    }
}

std::span<const qsizetype> DefinitionIndex::candidates(QStringView name) const
{
    const auto found = m_rowsByName.constFind(nameHash(name));
    if (found == m_rowsByName.constEnd())
        return {};
    return {found->constData(), std::size_t(found->size())};
}

} // namespace ostrel
