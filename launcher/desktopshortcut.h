#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace ostrel {

/// A desktop entry that launches one TC, and the file name it is written under.
struct DesktopShortcut {
    QString fileName; ///< "quillon-tc-NAME-HASH.desktop": ASCII, one per TC name
    QByteArray text;  ///< the entry, in UTF-8
    QString error;    ///< the name cannot be written in a desktop entry; the rest is empty

    bool ok() const { return error.isEmpty(); }
};

/// The desktop entry titled with the TC's name whose Exec runs `program --launch NAME`, then
/// the extra arguments, each quoted as desktop entries require whatever it holds. Names with
/// control characters other than newline, tab and carriage return, or that are not valid
/// Unicode, are refused: a desktop entry cannot hold them. program is a name on PATH or an
/// absolute path.
DesktopShortcut desktopShortcutFor(
    const QString &tcName, const QString &program = QStringLiteral("quillon"), const QStringList &extraArguments = {});

/// Where the desktop finds the player's own application entries: $XDG_DATA_HOME/applications,
/// or ~/.local/share/applications.
QString userApplicationsFolder();

/// Where a shortcut was written, or why it was not.
struct WrittenShortcut {
    QString path;
    bool replaced = false; ///< the TC's earlier shortcut was there and is replaced
    QString error;

    bool ok() const { return error.isEmpty(); }
};

/// Writes the entry into folder (made when missing) at once: a desktop that reads the folder
/// meanwhile sees the earlier entry or the new one whole, never a part.
WrittenShortcut writeDesktopShortcut(const DesktopShortcut &shortcut, const QString &folder = userApplicationsFolder());

} // namespace ostrel
