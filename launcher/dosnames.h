#pragma once

// The DOS game's 8.3 names: which names it can open, a short name for a file it is given by
// name, and which con includes a file by its name. Internal to the launcher.

#include <QSet>
#include <QString>

namespace ostrel {

struct TcDefinition;

/// Whether the DOS game sees name as it is: up to 8 characters, an optional dot and up to 3
/// more, of the characters a FAT directory allows.
bool isDosName(const QString &name);

/// A DOS name for a file that the DOS game is given by name, made from its own name and free
/// among taken (upper case).
QString freeDosName(const QString &name, const QSet<QString> &taken);

/// The first of the TC's other cons, loose or in its group, that includes the file called
/// name ("NAME.CON (in GROUP)" for one in the group); empty when none does.
QString conThatIncludes(const QString &name, const TcDefinition &tc);

} // namespace ostrel
