#pragma once

#include <launcher/desktopshortcut.h>

#include <QString>

namespace ostrel {

class SettingsStore;

/// The desktop shortcut of a stored TC: where it was written, or why it was not.
struct TcShortcut {
    enum class Problem {
        None,
        NoSuchTc,
        NotWritten
    };
    Problem problem = Problem::None;
    QString message; ///< the problem, in words for the player
    QString tcName;  ///< the name as the store holds it
    WrittenShortcut written;

    bool ok() const { return problem == Problem::None; }
};

/// Writes the desktop entry of the stored TC tcName (named in any case) into folder. It runs
/// `quillon --launch NAME --window`: the launcher window opens with the TC chosen and begins its
/// launch there, with the preview and every question a launch may need. A store other than the
/// per-user one is named with --store. Replaces the TC's earlier shortcut.
TcShortcut createTcShortcut(
    SettingsStore &store, const QString &tcName, const QString &folder = userApplicationsFolder());

/// quillon as a desktop entry names it: "quillon" when that is this program on PATH, otherwise
/// this program's absolute path.
QString quillonProgram();

} // namespace ostrel
