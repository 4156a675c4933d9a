#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

namespace ostrel {

/// One key of Valve's KeyValues text, with either a value or a block of keys.
struct KeyValue {
    QString key;
    QString value;            ///< empty for a block
    QList<KeyValue> children; ///< the keys of a block, in file order
    bool isBlock = false;

    /// The first child whose key equals key, in any case (Valve's own lookup ignores case).
    const KeyValue *child(QStringView key) const;
};

/// The keys of a KeyValues text, or the reason it cannot be read.
struct KeyValuesDocument {
    QList<KeyValue> keys;
    QString error; ///< with the line it was found on; empty when the text was read

    bool ok() const { return error.isEmpty(); }
    /// The first top-level key equal to key, in any case.
    const KeyValue *child(QStringView key) const;
};

/// Blocks nested deeper than this are refused, so that no text can exhaust the stack.
inline constexpr int kKeyValuesMaxDepth = 32;

/// Reads KeyValues text (UTF-8, as Steam writes its libraryfolders.vdf): keys and values
/// quoted or not, `{ }` blocks, `//` comments. In quoted text \n, \t, \\ and \" are escapes and
/// any other backslash is kept as it is. A condition such as [$WIN32] after a key, a value or a
/// block is skipped and its key kept. #include and #base lines are read as ordinary keys and
/// never followed.
KeyValuesDocument readKeyValues(QByteArrayView text);

} // namespace ostrel
