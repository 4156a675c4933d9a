#pragma once

#include <QString>

namespace ostrel {

/// The root of the volume holding the folder from which this library was loaded,
/// with its trailing separator: where file dialogs open when they know no better.
QString libraryVolumeRoot();

} // namespace ostrel
