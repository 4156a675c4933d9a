#include "launcher/installhints.h"

#include "launcher/keyvalues.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

// Undoes the string escapes of a desktop entry's value (\s, \n, \t, \r, \\).
QString unescapedValue(QStringView value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const QChar c = value[++i];
        out += c == u's' ? u' ' : c == u'n' ? u'\n' : c == u't' ? u'\t' : c == u'r' ? u'\r' : c;
    }
    return out;
}

// The program of an Exec value: its first argument, quoted or not.
QString programOf(const QString &exec)
{
    QString program;
    if (!exec.startsWith(u'"'))
        return exec.section(u' ', 0, 0, QString::SectionSkipEmpty);
    for (qsizetype i = 1; i < exec.size() && exec[i] != u'"'; ++i) {
        if (exec[i] == u'\\' && i + 1 < exec.size())
            ++i;
        program += exec[i];
    }
    return program;
}

} // namespace

QStringList steamLibraryFolders(QByteArrayView libraryFolders, QString *error)
{
    QStringList folders;
    const KeyValuesDocument document = readKeyValues(libraryFolders);
    *error = document.error;
    const KeyValue *root = document.child(u"libraryfolders");
    if (!root)
        return folders;
    for (const KeyValue &library : root->children) {
        bool numbered = false;
        library.key.toUInt(&numbered);
        if (!numbered)
            continue; // "contentstatsid" and other settings of the list
        const KeyValue *path = library.isBlock ? library.child(u"path") : &library;
        if (path && !path->isBlock && QDir::isAbsolutePath(path->value))
            folders << QDir::cleanPath(path->value);
    }
    return folders;
}

QStringList foldersNamedByDesktopEntry(QByteArrayView entry)
{
    QStringList folders;
    bool inMainGroup = false;
    for (const QByteArray &rawLine : entry.toByteArray().split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.startsWith(u'[')) {
            inMainGroup = line == u"[Desktop Entry]"_s;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inMainGroup || equals < 0)
            continue;
        const QString key = line.first(equals).trimmed();
        const QString value = unescapedValue(QStringView(line).sliced(equals + 1).trimmed());
        QString folder;
        if (key == u"Path"_s)
            folder = value;
        else if (key == u"Exec"_s)
            folder = QFileInfo(programOf(value)).path();
        if (QDir::isAbsolutePath(folder) && !folders.contains(QDir::cleanPath(folder)))
            folders << QDir::cleanPath(folder);
    }
    return folders;
}

} // namespace ostrel
