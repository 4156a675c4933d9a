#pragma once

#include <QString>

namespace ostrel {

/// How the player wants the game directory cleaned up before a launch.
enum class CleanupPreference {
    Delete,
    Rename,
    None,
    Unknown
};

/// Rename, when the store holds no choice.
inline constexpr CleanupPreference kDefaultCleanupPreference = CleanupPreference::Rename;

/// The text stored under "Vantrel" / "TCSettings" / "Directory Cleanup": "Delete", "Rename" or
/// "None"; empty for Unknown.
QString cleanupPreferenceText(CleanupPreference preference);

/// A stored text: "Delete", "Rename" and "None" without regard to case; any other text is
/// Unknown, and the caller decides (it is never guessed).
CleanupPreference parseCleanupPreference(const QString &stored);

} // namespace ostrel
