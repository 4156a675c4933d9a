#pragma once

#include <QByteArray>
#include <QString>

namespace ostrel {

/// The text of a script file's bytes: a UTF-8 or UTF-16 (LE/BE) byte-order mark selects that
/// encoding and is dropped; otherwise valid UTF-8 is read as UTF-8 and anything else as
/// Windows-1252. Malformed sequences become U+FFFD, so the result is always well-formed.
QString decodeScriptBytes(const QByteArray &bytes);

/// The bytes a script file holds for text: Windows-1252 when every character has a byte there,
/// UTF-8 without byte-order mark otherwise. decodeScriptBytes(encodeScriptText(t)) == t for every
/// well-formed t.
QByteArray encodeScriptText(const QString &text);

} // namespace ostrel
