#pragma once

#include <launcher/engine.h>

#include <QString>
#include <QStringList>

#include <optional>

namespace ostrel {

struct HostSettings;

/// quillon's command line, read before any application object exists, so that the modes
/// without a window run where there is no display (over ssh, in scripts).
struct CommandLine {
    enum class Mode {
        Window, ///< the launcher window
        Script, ///< one TC script in the script editor
        Help,
        Version,
        List,           ///< the stored TC names
        Launch,         ///< launch one TC without a window
        Restore,        ///< finish restoring a game directory left by an earlier launch
        FindGames,      ///< the installs of the game found
        CreateShortcut, ///< a desktop entry that launches one TC
        AddTc,          ///< add the TC of an archive (or the TCs of a .grpinfo) without a window
    };

    Mode mode = Mode::Window;
    QString error;     ///< the command line is wrong, in words for the user (exit status 2)
    QString storePath; ///< empty: the per-user store
    QString scriptFile;
    QString tcName; ///< --launch and --create-shortcut; in the window with --launch --window
    bool dryRun = false;
    bool yes = false;
    bool noRestore = false;
    std::optional<int> quitAfterMs;
    std::optional<QString> gameDir;
    std::optional<EngineKind> engine;
    std::optional<QString> program;
    std::optional<QString> argumentTemplate;
    QString addSource;  ///< the archive or .grpinfo of --add-tc
    QString addName;    ///< --name; empty: worked out
    QString addVersion; ///< --version after --add-tc, as the store keeps it; empty: worked out
    QString addGroup;   ///< --group; empty: worked out
    QString addCon;     ///< --con; empty: worked out

    /// Reads arguments (the program's name first). Qt's own options for a window
    /// (-platform NAME, -style NAME, ...) are set aside for the application object.
    static CommandLine parse(const QStringList &arguments);
    /// The text of --help, the exit statuses included.
    static QString helpText();

    bool ok() const { return error.isEmpty(); }
    bool needsWindow() const { return mode == Mode::Window || mode == Mode::Script; }
    /// The stored settings with this run's overrides (--game-dir, --engine, ...).
    void applyOverrides(HostSettings &settings) const;
};

} // namespace ostrel
