#include "hosttesting.h"

#include "host/hostsettings.h"

#include <store/definitionstore.h>
#include <store/sqlitesettingsstore.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace ostrel::test {

LaunchScene::LaunchScene()
{
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"}) {
        m_saved.append({name, qEnvironmentVariableIsSet(name) ? std::optional<QByteArray>(qgetenv(name)) : std::nullopt});
    }
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
    writeFile(tc.groupFile, grpBytes({{"E1L1.MAP", "the TC's map"}, {"TILES000.ART", "art"}}));
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

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
}

QByteArray grpBytes(const QList<std::pair<QByteArray, QByteArray>> &members)
{
    QByteArray bytes("KenSilverman");
    const auto le32 = [&](quint32 value) {
        for (int i = 0; i < 4; ++i)
            bytes.append(char((value >> (8 * i)) & 0xff));
    };
    le32(quint32(members.size()));
    for (const auto &[name, data] : members) {
        QByteArray padded = name;
        padded.resize(12, '\0');
        bytes += padded;
        le32(quint32(data.size()));
    }
    for (const auto &member : members)
        bytes += member.second;
    return bytes;
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
