#include "launcher/desktopshortcut.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

// Characters that oblige an Exec argument to be quoted.
bool isReserved(QChar c)
{
    return u" \t\n\"'\\><~|&;$*?#()`"_s.contains(c);
}

// An Exec argument: quoted when it must be, with the characters that keep a meaning inside
// quotes escaped, and '%' doubled since field codes are expanded after the quotes are undone.
QString execArgument(const QString &argument, bool alwaysQuote)
{
    QString quoted;
    bool needsQuotes = alwaysQuote || argument.isEmpty();
    for (const QChar c : argument) {
        needsQuotes = needsQuotes || isReserved(c);
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted.replace(u'%', u"%%"_s);
    return needsQuotes ? u'"' + quoted + u'"' : quoted;
}

// The string escapes every value gets, undone before anything else is read from it; spaces at
// either end are escaped too, since readers trim them.
QString escapedValue(const QString &value)
{
    QString out;
    for (const QChar c : value) {
        switch (c.unicode()) {
        case u'\\':
            out += u"\\\\"_s;
            break;
        case u'\n':
            out += u"\\n"_s;
            break;
        case u'\t':
            out += u"\\t"_s;
            break;
        case u'\r':
            out += u"\\r"_s;
            break;
        default:
            out += c;
        }
    }
    if (out.startsWith(u' '))
        out.replace(0, 1, u"\\s"_s);
    if (out.endsWith(u' '))
        out.replace(out.size() - 1, 1, u"\\s"_s);
    return out;
}

bool isWritableText(const QString &text)
{
    if (!text.isValidUtf16())
        return false;
    for (const QChar c : text) {
        if ((c.unicode() < 0x20 && c != u'\n' && c != u'\t' && c != u'\r') || c.unicode() == 0x7F)
            return false;
    }
    return true;
}

// Letters and digits of the name, for a file name the player can recognise; the hash makes it
// one file per name, names that differ only in case or punctuation included.
QString fileNameFor(const QString &tcName)
{
    QString slug;
    for (const QChar c : tcName) {
        if (c.unicode() < 0x80 && c.isLetterOrNumber())
            slug += c.toLower();
        else if (!slug.endsWith(u'-'))
            slug += u'-';
    }
    slug = slug.first(std::min<qsizetype>(slug.size(), 40));
    while (slug.startsWith(u'-'))
        slug.remove(0, 1);
    while (slug.endsWith(u'-'))
        slug.chop(1);
    const QByteArray hash = QCryptographicHash::hash(tcName.toUtf8(), QCryptographicHash::Sha256).toHex().left(12);
    return u"quillon-tc-%1%2.desktop"_s.arg(slug.isEmpty() ? QString() : slug + u'-', QLatin1StringView(hash));
}

DesktopShortcut refused(const QString &why)
{
    DesktopShortcut shortcut;
    shortcut.error = why;
    return shortcut;
}

} // namespace

DesktopShortcut desktopShortcutFor(const QString &tcName, const QString &program, const QStringList &extraArguments)
{
    if (tcName.isEmpty())
        return refused(u"A TC without a name gets no shortcut."_s);
    if (!isWritableText(tcName))
        return refused(u"The TC's name holds a control character or broken text, which a desktop entry cannot hold."_s);
    if (program.isEmpty() || program.contains(u'=') || !isWritableText(program))
        return refused(u"The program \"%1\" cannot be named in a desktop entry."_s.arg(program));

    QString exec = execArgument(program, false) + u" --launch "_s + execArgument(tcName, true);
    for (const QString &argument : extraArguments) {
        if (!isWritableText(argument))
            return refused(u"The argument \"%1\" cannot be written in a desktop entry."_s.arg(argument));
        exec += u' ' + execArgument(argument, false);
    }
    DesktopShortcut shortcut;
    shortcut.fileName = fileNameFor(tcName);
    shortcut.text = (u"[Desktop Entry]\n"
                     "Type=Application\n"
                     "Version=1.4\n"
                     "Name="_s
        + escapedValue(tcName)
        + u"\n"
          "Comment=A TC started by Quillon\n"
          "Exec="_s
        + escapedValue(exec)
        + u"\n"
          "Icon=quillon\n"
          "Terminal=false\n"
          "Categories=Game;ActionGame;\n"_s)
                        .toUtf8();
    return shortcut;
}

QString userApplicationsFolder()
{
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    // A relative XDG_DATA_HOME is ignored, as the desktops ignore it.
    if (!QDir::isAbsolutePath(dataHome))
        dataHome = QDir::homePath() + u"/.local/share"_s;
    return dataHome + u"/applications"_s;
}

WrittenShortcut writeDesktopShortcut(const DesktopShortcut &shortcut, const QString &folder)
{
    WrittenShortcut written;
    if (!shortcut.ok()) {
        written.error = shortcut.error;
        return written;
    }
    written.path = QDir(folder).filePath(shortcut.fileName);
    if (!QDir().mkpath(folder)) {
        written.error = u"The folder %1 cannot be made."_s.arg(folder);
        return written;
    }
    written.replaced = QFileInfo::exists(written.path);
    QSaveFile file(written.path);
    if (!file.open(QIODevice::WriteOnly) || file.write(shortcut.text) != shortcut.text.size() || !file.commit())
        written.error = u"The shortcut %1 cannot be written: %2"_s.arg(written.path, file.errorString());
    return written;
}

} // namespace ostrel
