#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

namespace ostrel {

/// A file a command line in a batch file or a read-me names for the game.
struct CommandLineFile {
    enum class Option {
        Group,
        Con
    };
    Option option = Option::Group;
    QByteArray value; ///< as written, without quotes
    QString line;     ///< the whole line, trimmed, to show why the file was chosen
};

/// The group files (/g, -g, -grp) and cons (/x, -x) that the command lines of a text name,
/// in any letter case, with the value after a space or joined to the option ("/gMYTC.GRP").
/// Every line is read, since read-mes quote the command in prose ("run duke3d /x MYTC.CON").
QList<CommandLineFile> commandLineFiles(QByteArrayView text);

/// The files a con pulls in with `include NAME` statements, in order, comments left out.
QList<QByteArray> conIncludes(QByteArrayView text);

/// What a read-me says of the game version it needs.
struct VersionWords {
    bool v13d = false;   ///< "1.3D"
    bool atomic = false; ///< "Atomic", "Plutonium", "1.4" or "1.5"
    QString evidence;    ///< the words found, as written
};
VersionWords versionWords(QByteArrayView text);

/// The last part of a path written in a text, after its last '/' or '\\'.
QByteArray lastPathPart(QByteArrayView path);

} // namespace ostrel
