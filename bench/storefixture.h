#pragma once

#include <QString>

namespace ostrel::bench {

/// The name of the index-th stored definition (counting from 0).
QString definitionName(int index);

/// A store file holding `definitions` complete TC definitions under "DefinedTCs" (a
/// version, a name, a group file, a game con, a text file and two other files each) and
/// the clean-up preference. Each size is built once per run, in a temporary folder that
/// lives until the program ends, and handed out to every benchmark that asks for it.
QString storeWithDefinitions(int definitions);

} // namespace ostrel::bench
