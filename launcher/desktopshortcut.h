#pragma once

#include <QByteArray>
#include <QString>

namespace ostrel {

/// A desktop entry that launches one TC, and the file name it is written under.
struct DesktopShortcut {
    QString fileName; ///< "quillon-tc-NAME-HASH.desktop": ASCII, one per TC name
    QByteArray text;  ///< the entry, in UTF-8
    QString error;    ///< the name cannot be written in a desktop entry; the rest is empty

    bool ok() const { return error.isEmpty(); }
};

/// The desktop entry titled with the TC's name whose Exec runs `program --launch NAME`, quoted
/// as desktop entries require whatever the name holds. Names with control characters other
/// than newline, tab and carriage return, or that are not valid Unicode, are refused: a
/// desktop entry cannot hold them. program is a name on PATH or an absolute path.
DesktopShortcut desktopShortcutFor(const QString &tcName, const QString &program = QStringLiteral("quillon"));

} // namespace ostrel
