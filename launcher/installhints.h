#pragma once

// Readers of the files that say where games are installed. Internal to the launcher.

#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace ostrel {

/// The library folders a Steam libraryfolders.vdf lists, in the layout with a block per library
/// ("1" { "path" "..." }) and in the older one ("1" "..."). Only absolute paths count. error
/// receives why the text cannot be read, and nothing is listed then.
QStringList steamLibraryFolders(QByteArrayView libraryFolders, QString *error);

/// The folders a desktop entry names: its Path and the folder of the program it runs (GOG's
/// installers leave one naming the game's folder).
QStringList foldersNamedByDesktopEntry(QByteArrayView entry);

} // namespace ostrel
