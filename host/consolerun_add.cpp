// quillon --add-tc: the TC of an archive, or the TCs of a .grpinfo, added without a window.

#include "host/consolerun.h"

#include "host/addtcsummary.h"
#include "host/exitstatus.h"

#include <installer/tcinstaller.h>
#include <store/sqlitesettingsstore.h>

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

// What the player can give on the command line for what Quillon could not tell.
QStringList hintsFor(const TcInspection &tc)
{
    QStringList hints;
    if (tc.group.file.isEmpty() && !tc.group.candidates.isEmpty())
        hints << u"give --group with one of: %1"_s.arg(tc.group.candidates.join(u", "_s));
    if (tc.con.file.isEmpty() && !tc.con.candidates.isEmpty())
        hints << u"give --con with one of: %1"_s.arg(tc.con.candidates.join(u", "_s));
    return hints;
}

} // namespace

int ConsoleRun::addTc()
{
    const QFileInfo source(m_line.addSource);
    if (!source.isFile() || !source.isReadable()) {
        say(u"\"%1\" %2: --add-tc takes the archive of a TC, or a .grpinfo file."_s.arg(
            m_line.addSource, source.exists() ? u"is no file that can be read"_s : u"does not exist"_s));
        return kExitBadUsage;
    }
    SqliteSettingsStore store(m_line.storePath.isEmpty() ? SqliteSettingsStore::defaultPath() : m_line.storePath);
    if (!storeReadable(store))
        return kExitStoreUnreadable;
    removeUnfinishedInstalls(store);

    InspectOptions options;
    options.name = m_line.addName;
    options.version = m_line.addVersion;
    options.groupFile = m_line.addGroup;
    options.gameCon = m_line.addCon;
    const TcSource found = inspectTcSource(source.absoluteFilePath(), store, options);
    const bool choicesGiven = !m_line.addName.isEmpty() || !m_line.addGroup.isEmpty() || !m_line.addCon.isEmpty();
    if (choicesGiven && found.tcs.size() + found.leftOut.size() > 1) {
        say(u"\"%1\" describes %2 TCs; --name, --group and --con are for an archive or a .grpinfo of one TC."_s
                .arg(source.fileName())
                .arg(found.tcs.size() + found.leftOut.size()));
        return kExitBadUsage;
    }

    for (qsizetype i = 0; i < found.tcs.size(); ++i)
        out((i > 0 ? u"\n"_s : QString()) + AddTcSummary::of(found.tcs[i]).text());
    for (const QString &left : found.leftOut)
        say(u"left out, since its files are not beside %1: %2"_s.arg(source.fileName(), left));
    if (found.tcs.isEmpty()) {
        say(u"refused: there is no TC to add. Nothing was written."_s);
        return kExitRefused;
    }
    bool refused = false;
    for (const TcInspection &tc : found.tcs) {
        if (tc.ok())
            continue;
        refused = true;
        say(u"refused: \"%1\" cannot be added: %2"_s.arg(tc.name, tc.problems.join(u' ')));
        for (const QString &hint : hintsFor(tc))
            say(hint);
    }
    if (refused) {
        say(u"nothing was written."_s);
        return kExitRefused;
    }
    if (!m_line.yes) {
        if (!onTerminal()) {
            say(u"standard input is not a terminal, so nobody can be asked: give --yes to add. Nothing was written."_s);
            return kExitRefused;
        }
        if (!agrees(found.tcs.size() == 1 ? u"Add?"_s : u"Add these %1 TCs?"_s.arg(found.tcs.size()))) {
            say(u"nothing was written."_s);
            return kExitRefused;
        }
    }
    int status = kExitSuccess;
    for (const TcInspection &tc : found.tcs) {
        const InstallResult installed = installTc(tc, store);
        if (installed.ok()) {
            say(u"added \"%1\" into %2"_s.arg(tc.name, tc.folder));
        } else {
            say(u"\"%1\" was not added (nothing of it was written): %2"_s.arg(tc.name, installed.error));
            status = kExitRefused;
        }
    }
    return status;
}

} // namespace ostrel
