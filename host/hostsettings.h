#pragma once

#include <launcher/gamefinder.h>
#include <launcher/launchpolicy.h>

#include <QString>
#include <QStringList>

#include <optional>

namespace ostrel {

class SettingsStore;

/// What the launcher remembers about the player's game and engine, kept in the settings
/// store under "Vantrel" in a section of the host's own ("Quillon"), apart from the
/// definitions and the clean-up preference that the control owns.
struct HostSettings {
    QString gameDir;
    QStringList addedGameFolders; ///< chosen with "Other folder…", searched besides Steam and GOG
    EngineKind engine = EngineKind::EDuke32;
    QString program; ///< empty: the preset's program on PATH, or its Flatpak app
    QString argumentTemplate = QStringLiteral("-g {group} [-x {con}]");
    bool preferFlatpak = false;
    bool restoreOnExit = true; ///< give the game directory back as soon as the game ends

    /// The stored settings; a missing key keeps its default.
    static HostSettings read(const SettingsStore &store);
    /// Writes every setting in one transaction. False, with the store's reason, when the
    /// store refuses; then nothing was written.
    bool write(SettingsStore &store, QString *error = nullptr) const;

    /// The game directory and the engine as the launcher takes them.
    LaunchSetup launchSetup() const;
    /// Where to look for the game: Steam and GOG in the environment's home, the added folders
    /// and the chosen game directory, so that the choice is listed with its release.
    GameSearchPlaces gameSearchPlaces() const;

    friend bool operator==(const HostSettings &, const HostSettings &) = default;
};

} // namespace ostrel
