#include "hosttesting.h"

#include "host/hostsettings.h"

#include <store/definitionstore.h>
#include <store/sqlitesettingsstore.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace ostrel::test {

LaunchScene::LaunchScene()
{
    for (const char *name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"}) {
        m_saved.append({name, qEnvironmentVariableIsSet(name) ? std::optional<QByteArray>(qgetenv(name)) : std::nullopt});
    }
    // The panel looks for the game in the home's Steam and GOG folders: the scene's, never the user's.
    QDir().mkpath(home());
    qputenv("HOME", QFile::encodeName(home()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(path() + u"/config"_s));
    qputenv("XDG_DATA_HOME", QFile::encodeName(path() + u"/data"_s));
    qputenv("XDG_STATE_HOME", QFile::encodeName(path() + u"/state"_s));
    qputenv("FAKE_ENGINE_RECORD", QFile::encodeName(recordPath()));
    qunsetenv("FAKE_ENGINE_EXIT");
    qunsetenv("FAKE_ENGINE_SLEEP_MS");

    gameDir = path() + u"/Duke Nukem 3D"_s;
    tcDir = path() + u"/tcs/it's \"odd\" $(touch x)\nline"_s;
    writeFile(gameDir + u"/DUKE3D.GRP"_s, "the game's own group");
    writeFile(gameDir + u"/e1l1.map"_s, "a leftover of another TC");
    writeFile(gameDir + u"/GAME.CON"_s, "another TC's con");
    writeFile(gameDir + u"/README.TXT"_s, "the player's notes");
    tc = TcDefinition{u"Odd TC"_s, u"1.3D and 1.4/1.5"_s, tcDir + u"/my \"tc\" $(id).grp"_s, tcDir + u"/GAME.CON"_s,
                      tcDir + u"/README.TXT"_s, {}};
    // A group file of two members, E1L1.MAP (12 bytes) and TILES000.ART (3).
    static const char group[] = "KenSilverman\2\0\0\0E1L1.MAP\0\0\0\0\14\0\0\0TILES000.ART\3\0\0\0the TC's mapart";
    writeFile(tc.groupFile, QByteArray(group, sizeof group - 1));
    writeFile(tc.gameCon, "the TC's con");
    writeFile(tc.textFile, "about the TC");
}

LaunchScene::~LaunchScene()
{
    for (const auto &[name, value] : m_saved) {
        if (value)
            qputenv(name.constData(), *value);
        else
            qunsetenv(name.constData());
    }
}

TcDefinition LaunchScene::tcNamed(const QString &name) const
{
    TcDefinition renamed = tc;
    renamed.name = name;
    return renamed;
}

QString LaunchScene::argumentTemplate()
{
    return u"--game {gamedir} --group {group} [-x {con}] --save {savedir} \"two words\""_s;
}

QList<QByteArray> LaunchScene::expectedArguments() const
{
    QList<QByteArray> arguments;
    for (const QString &argument : QStringList{u"--game"_s, gameDir, u"--group"_s, tc.groupFile, u"-x"_s, tc.gameCon, u"--save"_s,
                                    path() + u"/data/quillon/saves/Odd TC"_s, u"two words"_s})
        arguments << argument.toUtf8();
    return arguments;
}

void LaunchScene::fillStore(const QList<TcDefinition> &extra, const QString &preference, bool hostSettings) const
{
    SqliteSettingsStore store(storePath());
    DefinitionStore definitions(store);
    for (const TcDefinition &definition : QList<TcDefinition>{tc} + extra)
        definitions.save(definition, DefinitionStore::SaveKind::New);
    definitions.setCleanupPreference(preference);
    if (!hostSettings)
        return;
    HostSettings settings;
    settings.gameDir = gameDir;
    settings.engine = EngineKind::Custom;
    settings.program = QStringLiteral(OSTREL_FAKE_ENGINE);
    settings.argumentTemplate = argumentTemplate();
    ASSERT_TRUE(settings.write(store));
}

QMultiMap<QByteArray, QByteArray> LaunchScene::record() const
{
    QMultiMap<QByteArray, QByteArray> facts;
    QFile file(recordPath());
    if (!file.open(QIODevice::ReadOnly))
        return facts;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const qsizetype space = line.indexOf(' ');
        if (space > 0)
            facts.insert(line.first(space), QByteArray::fromHex(line.mid(space + 1)));
    }
    return facts;
}

QList<QByteArray> LaunchScene::recordedArguments() const
{
    QList<QByteArray> arguments = record().values("arg");
    std::reverse(arguments.begin(), arguments.end()); // QMultiMap hands back the latest first
    return arguments;
}

namespace {

// The state and start time of a process (fields 3 and 22 of /proc/PID/stat); empty when it is gone.
std::pair<QByteArray, QByteArray> stateAndStartOf(qint64 pid)
{
    QFile stat(u"/proc/%1/stat"_s.arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 1).simplified().split(' ');
    return fields.size() > 19 ? std::pair{fields[0], fields[19]} : std::pair<QByteArray, QByteArray>{};
}

} // namespace

QProcessEnvironment LaunchScene::quillonEnvironment(int sleepMs) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &name : {u"QT_QPA_PLATFORM"_s, u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"FAKE_ENGINE_EXIT"_s})
        env.remove(name);
    env.insert(u"FAKE_ENGINE_RECORD"_s, recordPath());
    if (sleepMs > 0)
        env.insert(u"FAKE_ENGINE_SLEEP_MS"_s, QString::number(sleepMs));
    return env;
}

QByteArray LaunchScene::launchUntilTheGameRuns(QProcess &quillon, int sleepMs) const
{
    quillon.setProcessEnvironment(quillonEnvironment(sleepMs));
    quillon.setStandardInputFile(QProcess::nullDevice());
    quillon.setProcessChannelMode(QProcess::MergedChannels);
    // A group of its own, as a shell gives a command: a terminal's signals reach it and its game.
    quillon.setChildProcessModifier([] { ::setpgid(0, 0); });
    quillon.start(QStringLiteral(QUILLON_PROGRAM), {u"--launch"_s, u"Odd TC"_s, u"--yes"_s});
    QByteArray said;
    while (!said.contains("the game runs") && quillon.waitForReadyRead(10000))
        said += quillon.readAll();
    // The engine writes its record as it starts, which may be just after quillon says it runs.
    for (int waited = 0; !record().contains("pid") && waited < 10000; waited += 10)
        QThread::msleep(10);
    return said;
}

OrphanedGame::OrphanedGame(const LaunchScene &scene, int sleepMs)
{
    QProcess quillon;
    const QByteArray said = scene.launchUntilTheGameRuns(quillon, sleepMs);
    quillon.kill();
    quillon.waitForFinished();
    m_pid = scene.record().value("pid").toLongLong();
    m_startTime = stateAndStartOf(m_pid).second;
    if (!said.contains("the game runs") || m_pid <= 0 || m_startTime.isEmpty()) {
        ADD_FAILURE() << "the game did not start: " << said.toStdString();
        m_pid = 0;
    }
}

bool OrphanedGame::end()
{
    if (m_pid <= 0)
        return false;
    // Only the game itself: its PID may since belong to another process.
    for (int waited = 0; waited < 10000; waited += 10) {
        const auto [state, startTime] = stateAndStartOf(m_pid);
        if (startTime != m_startTime || state == "Z") {
            m_pid = 0;
            return true;
        }
        ::kill(pid_t(m_pid), SIGKILL);
        QThread::msleep(10);
    }
    return false;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
}

QMap<QString, QByteArray> snapshotOf(const QString &folder)
{
    QMap<QString, QByteArray> snapshot;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry(it.next());
        const QString name = QDir(folder).relativeFilePath(entry.filePath());
        if (entry.isDir()) {
            snapshot.insert(name, "<dir>");
        } else {
            QFile file(entry.filePath());
            snapshot.insert(name, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>"));
        }
    }
    return snapshot;
}

} // namespace ostrel::test
