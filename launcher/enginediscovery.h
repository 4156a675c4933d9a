#pragma once

#include <QString>
#include <QStringList>

namespace ostrel {

enum class EngineKind;
struct EngineSettings;

/// Where an engine was found.
struct EngineInstall {
    enum class Kind {
        NotFound,
        Native,
        Flatpak
    };
    Kind kind = Kind::NotFound;
    QString program;   ///< the engine's executable (Native) or flatpak's (Flatpak)
    QString flatpakId; ///< Flatpak only
    QString error;     ///< why it was not found, for the player
};

/// The program names looked for on PATH for a preset (empty for Custom).
QStringList engineProgramNames(EngineKind kind);
/// The Flatpak application ids of a preset, most likely first (empty for Custom).
QStringList engineFlatpakIds(EngineKind kind);
/// The folders Flatpak installs applications in: /var/lib/flatpak/app and
/// $XDG_DATA_HOME/flatpak/app.
QStringList defaultFlatpakAppFolders();

/// Finds the engine: settings.program when given, else the preset's names on PATH
/// (QStandardPaths::findExecutable), else an installed Flatpak app (in flatpakAppFolders).
EngineInstall findEngine(
    const EngineSettings &settings, const QStringList &flatpakAppFolders = defaultFlatpakAppFolders());

} // namespace ostrel
