#pragma once

#include <QString>
#include <QStringView>

namespace ostrel {

/// $XDG_DATA_HOME/quillon/tcs: the folder that holds a folder per TC Quillon installed.
QString defaultTcRoot();

/// Names of Quillon's own entries in the TC root and in a TC's folder. Folders whose names
/// start with the first two are leftovers of an install or a removal cut short.
inline constexpr QStringView kUnfinishedInstallPrefix = u".quillon-install-";
inline constexpr QStringView kRemovalPrefix = u".quillon-remove-";
inline constexpr QStringView kInstallLockName = u".quillon-lock";
/// The file in a TC's folder that says Quillon installed it, and for which definition.
inline constexpr QStringView kInstalledMarkerName = u".quillon-tc";

} // namespace ostrel
