#pragma once

#include <QFont>

namespace ostrel {

/// The face the fixed twips layouts were drawn for: a sans serif with Arial's widths at
/// 8 points. Wider faces (DejaVu Sans, the usual Linux default) would be clipped.
QFont dialogFont(QFont base);

} // namespace ostrel
