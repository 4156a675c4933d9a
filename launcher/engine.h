#pragma once

#include "launcher/cleanupplan.h"

#include "store/tcdefinition.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace ostrel {

struct EngineInstall;

/// The engines the launcher knows how to start.
enum class EngineKind {
    EDuke32, ///< an EDuke32-style port (-g, -x, -j, -nosetup, -cfg), run with -usecwd in the TC's save folder
    Raze,    ///< -gamegrp main group, -file add-ons, -con con, -savedir
    DosBox,  ///< the original DOS game under DOSBox; the TC's files are copied in, its saves moved in and back
    Custom,  ///< a program and an argument template the player edits
};

/// The name of an engine kind as stored and shown: "EDuke32", "Raze", "DOSBox", "Custom".
QString engineKindName(EngineKind kind);
/// The engine kind of a name, compared without regard to case; nullopt for any other text.
std::optional<EngineKind> engineKindFromName(const QString &name);

/// The engine the player chose and how to find it.
struct EngineSettings {
    EngineKind kind = EngineKind::EDuke32;
    /// A program path or name; empty: the preset's usual names on PATH, then its Flatpak apps.
    /// Required for Custom.
    QString program;
    /// Custom only: the arguments, split like QProcess::splitCommand (whitespace separates,
    /// "double quotes" group, """ is a literal quote). Placeholders: {gamedir}, {maingroup},
    /// {group}, {con}, {tcdir}, {savedir}. "[-x {con}]" is dropped whole when a placeholder in
    /// it is empty. A value is substituted inside its argument and never splits or joins
    /// arguments, whatever it holds.
    QString argumentTemplate;
    bool preferFlatpak = false; ///< use the Flatpak app even when a program is on PATH
};

/// What a launch needs besides the engine.
struct LaunchInput {
    TcDefinition tc;
    QString gameDir;
    QString mainGroup = QStringLiteral("DUKE3D.GRP");     ///< the game's group file, in gameDir
    QString dosExecutable = QStringLiteral("DUKE3D.EXE"); ///< DosBox only, in gameDir
    /// Save games and configuration go to saveRoot/<TC name made safe>; empty:
    /// $XDG_DATA_HOME/quillon/saves.
    QString saveRoot;
};

/// Where a launch's saves go, and whether they are kept apart from other TCs'.
struct SavePlacement {
    QString folder;         ///< the TC's own save folder; empty when the engine is told of none
    bool keptApart = false; ///< the launch keeps them there (a custom engine: if it writes where it is told)
    /// The names the engine writes its saves under in the game directory: they are moved there
    /// from folder before the game and back after it. Empty when the engine writes into folder.
    QStringList slotNames;
    QString summary; ///< for the player: where they go and how, or why they are not kept apart
};

/// Everything needed to start the engine, built without starting it or changing anything.
struct LaunchCommand {
    QString program;
    QStringList arguments;
    QString workingDir;
    QStringList foldersToCreate; ///< created (0700) before the start
    QList<CopyIn> copyIns;       ///< TC files the engine only finds in the game directory
    /// Names the engine loads from the game directory in place of the TC's own, besides those
    /// of the TC's files: EDuke32's EDUKE.CON when no con is given.
    QStringList overridingNames;
    SavePlacement saves;
    QStringList notes; ///< what the player should know
    QString error;     ///< the launch cannot be built; the rest is empty

    bool ok() const { return error.isEmpty(); }

    enum class Layout {
        OneLine,
        /// Each option ("-x", "--save") starts a line of its own, the lines joined by a
        /// backslash, so that a wrapping text box never breaks one.
        OptionPerLine,
    };
    /// The exact command for a POSIX shell, each argument quoted as needed, after a cd to the
    /// working folder. For display and copying only; it is never executed.
    QString displayCommand(Layout layout = Layout::OneLine) const;
};

/// Builds the command for a launch. A Flatpak engine is started as `flatpak run` with access to
/// exactly the folders the launch needs (the game directory, the TC's folders read-only, the
/// save folder when the engine writes there), in the command's working folder.
LaunchCommand buildLaunchCommand(
    const EngineSettings &settings, const EngineInstall &install, const LaunchInput &input);

/// A TC name as a folder name: letters, digits, space, '.', '_' and '-' kept, anything else
/// '_', with a short hash of the name added when something was replaced, so two TCs never
/// share a folder.
QString safeFolderName(const QString &tcName);

/// $XDG_DATA_HOME/quillon/saves.
QString defaultSaveRoot();

/// The names the DOS game writes its saves under, in its own folder: GAME0.SAV to GAME9.SAV.
QStringList dosSaveNames();

} // namespace ostrel
