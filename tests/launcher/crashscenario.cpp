#include "tests/launcher/crashscenario.h"

#include "tests/support/testfiles.h"

#include "launcher/cleanupplan.h"
#include "launcher/fileops.h"
#include "launcher/grpfile.h"
#include "launcher/launchjournal.h"
#include "launcher/trash.h"
#include "store/definitionstore.h"
#include "store/sqlitesettingsstore.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace ostrel::test {

namespace {

const char *const kOddOthers[] = {"it's \"odd\" $(x).MAP", "two\nlines.MAP", "space map.MAP", "caf\xe9.MAP"};

QByteArray contentOf(const QByteArray &name, int size)
{
    QByteArray bytes = name + ':';
    while (bytes.size() < size)
        bytes += char('a' + bytes.size() % 26);
    return bytes;
}

} // namespace

void makeCrashGameDir(const QString &gameDir)
{
    const auto put = [&](const QByteArray &name, int size) {
        writeFile(gameDir + u'/' + fileops::decodePath(name), contentOf(name, size));
    };
    put("DUKE3D.GRP", 4000);
    put("DUKE3D.EXE", 900);
    for (const char *name : {"E1L1.MAP", "e1l2.map", "TILES000.ART", "tiles001.art", "USER.CON", "E1L3.MAP",
             "E1L3.MAP.org", "GAME.CON", "GAME.CON.org", "game.con.1.ORG", "DEFS.CON"})
        put(name, 700);
    for (const char *name : kOddOthers)
        put(name, 300);
    for (int i = 0; i < 20; ++i)
        put("NOTE" + QByteArray::number(i) + ".TXT", 100 + 37 * i);
    put("saves/GAME0.SAV", 500);
    // The player's own saves, made without Quillon: set aside for a TC's launch, and given back.
    put("GAME0.SAV", 321);
    put("game5.sav", 123);
    ::symlink("/etc/hostname", fileops::encodePath(gameDir + u"/LINK.MAP"_s).constData());
}

void makeCrashTc(const QString &tcDir)
{
    writeFile(tcDir + u"/TC.GRP"_s,
        grpBytes({{"E1L1.MAP", "m1"}, {"E1L2.MAP", "m2"}, {"TILES000.ART", "t0"}, {"TILES001.ART", "t1"},
            {"USER.CON", "u"}, {"E1L3.MAP", "m3"}, {"LINK.MAP", "l"}}));
    writeFile(tcDir + u"/GAME.CON"_s, contentOf("the TC's GAME.CON", 2000));
    // The player's DEFS.CON holds these very bytes: only its name and time tell it from the copy.
    writeFile(tcDir + u"/DEFS.CON"_s, contentOf("DEFS.CON", 700));
    writeFile(tcDir + u"/NEWDATA.DAT"_s, contentOf("the TC's NEWDATA.DAT", 3000));
    for (const char *name : kOddOthers)
        writeFile(tcDir + u'/' + fileops::decodePath(name), "the TC's own");
}

QStringList makeCrashStore(const QString &storePath, const QString &tcDir)
{
    SqliteSettingsStore store(storePath);
    DefinitionStore definitions(store);
    const QStringList names{u"Crash A"_s, u"Crash B"_s};
    for (const QString &name : names) {
        definitions.save(TcDefinition{name, u"1.3D and 1.4/1.5"_s, tcDir + u"/TC.GRP"_s, tcDir + u"/GAME.CON"_s, {},
                             {tcDir + u"/DEFS.CON"_s, tcDir + u"/NEWDATA.DAT"_s}},
            DefinitionStore::SaveKind::New);
    }
    definitions.setCleanupPreference(u"Rename"_s);
    return names;
}

int applyCrashPlan(const QString &gameDir, const QString &tcDir, const QString &stateDir)
{
    const GrpDirectory group = readGrpDirectory(tcDir + u"/TC.GRP"_s);
    CleanupInput input;
    input.gameDir = gameDir;
    input.listing = listDirectory(gameDir);
    for (const GrpMember &member : group.members)
        input.duplicateNames << member.name;
    for (const char *name : kOddOthers)
        input.duplicateNames << fileops::decodePath(name);
    input.duplicateNames << u"GAME.CON"_s;
    input.tcFiles = {tcDir + u"/TC.GRP"_s, tcDir + u"/GAME.CON"_s};
    input.mainGroupNames = {u"DUKE3D.GRP"_s};
    input.preference = CleanupPreference::Delete;
    input.copyIns = {{tcDir + u"/GAME.CON"_s, u"GAME.CON"_s}, {tcDir + u"/DEFS.CON"_s, u"DEFS.CON"_s},
        {tcDir + u"/NEWDATA.DAT"_s, u"NEWDATA.DAT"_s}};
    const CleanupPlan plan = planCleanup(input);
    if (!plan.ok()) {
        std::fprintf(stderr, "no plan: %s\n", qPrintable(plan.error));
        return 2;
    }
    std::printf("go %d\n", int(plan.steps.size()));
    std::fflush(stdout);
    DesktopTrash trash;
    const ApplyResult result = LaunchJournal(stateDir).apply(gameDir, u"crash test"_s, plan, trash);
    if (!result.ok()) {
        std::fprintf(stderr, "apply: %s\n", qPrintable(result.error));
        return 3;
    }
    return 0;
}

} // namespace ostrel::test
