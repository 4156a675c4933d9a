#include "host/tcshortcut.h"

#include <store/definitionstore.h>
#include <store/sqlitesettingsstore.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

TcShortcut problem(TcShortcut::Problem kind, const QString &message)
{
    TcShortcut shortcut;
    shortcut.problem = kind;
    shortcut.message = message;
    return shortcut;
}

} // namespace

QString quillonProgram()
{
    const QString self = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    const QString onPath = QStandardPaths::findExecutable(u"quillon"_s);
    // By name when it is the same program, so that the entry still works after the package
    // moves it; a build of one's own is named by its path.
    if (!onPath.isEmpty() && QFileInfo(onPath).canonicalFilePath() == self)
        return u"quillon"_s;
    return self.isEmpty() ? u"quillon"_s : self;
}

TcShortcut createTcShortcut(SettingsStore &store, const QString &tcName, const QString &folder)
{
    QStringList sameName;
    for (const QString &stored : DefinitionStore(store).names()) {
        if (stored.compare(tcName, Qt::CaseInsensitive) == 0)
            sameName << stored;
    }
    if (sameName.isEmpty())
        return problem(TcShortcut::Problem::NoSuchTc, u"No TC called \"%1\" is stored."_s.arg(tcName));
    // The launch refuses such a name, as it cannot tell which definition is meant.
    if (sameName.size() > 1)
        return problem(TcShortcut::Problem::NoSuchTc,
            u"The store holds the name \"%1\" %2 times in different case, so a shortcut could not launch it. "
            "Delete the extra ones in the TC manager first."_s.arg(tcName)
                .arg(sameName.size()));

    QStringList arguments{u"--window"_s};
    const QString storeFile = QFileInfo(store.location()).absoluteFilePath();
    if (storeFile != QFileInfo(SqliteSettingsStore::defaultPath()).absoluteFilePath())
        arguments << u"--store"_s << storeFile;
    const DesktopShortcut entry = desktopShortcutFor(sameName.constFirst(), quillonProgram(), arguments);
    if (!entry.ok())
        return problem(TcShortcut::Problem::NotWritten,
            u"No shortcut can be made for \"%1\": %2"_s.arg(sameName.constFirst(), entry.error));
    TcShortcut shortcut;
    shortcut.tcName = sameName.constFirst();
    shortcut.written = writeDesktopShortcut(entry, folder);
    if (!shortcut.written.ok()) {
        shortcut.problem = TcShortcut::Problem::NotWritten;
        shortcut.message = shortcut.written.error;
    }
    return shortcut;
}

} // namespace ostrel
