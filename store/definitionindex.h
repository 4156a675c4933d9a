#pragma once

#include "store/settingsstore.h"

#include <QHash>
#include <QStringView>
#include <QVarLengthArray>

#include <span>

namespace ostrel {

/// Where the keys of each definition lie among a section's rows, found from a name alone.
/// Every row that classifyKey counts as a key of a name is among that name's candidates,
/// in store order; the candidates may hold a few more, which classifyKey turns away.
class DefinitionIndex
{
public:
    explicit DefinitionIndex(const SettingRows &rows);

    /// Positions in the rows, ascending; valid while the index lives.
    std::span<const qsizetype> candidates(QStringView name) const;

private:
    // A definition has seven keys, and few have more than a handful of other files.
    using Positions = QVarLengthArray<qsizetype, 12>;
    QHash<size_t, Positions> m_rowsByName;
};

} // namespace ostrel
