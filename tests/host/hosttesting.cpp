#include "hosttesting.h"

#include "tests/launcher/launchertesting.h"

#include "host/gamedirchooser.h"
#include "host/hostsettings.h"

#include <launcher/processinfo.h>

#include <store/definitionstore.h>
#include <store/sqlitesettingsstore.h>

#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace ostrel::test {

LaunchScene::LaunchScene()
{
    setEnv("FAKE_ENGINE_RECORD", QFile::encodeName(recordPath()));
    setEnv("FAKE_ENGINE_EXIT", std::nullopt);
    setEnv("FAKE_ENGINE_SLEEP_MS", std::nullopt);

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
    for (const QString &argument : QStringList{u"--game"_s, gameDir, u"--group"_s, tc.groupFile, u"-x"_s, tc.gameCon,
             u"--save"_s, path() + u"/data/quillon/saves/Odd TC"_s, u"two words"_s})
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
    return fakeEngineRecord(recordPath());
}

QList<QByteArray> LaunchScene::recordedArguments() const
{
    QList<QByteArray> arguments = record().values("arg");
    std::reverse(arguments.begin(), arguments.end()); // QMultiMap hands back the latest first
    return arguments;
}

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
    m_startTime = processinfo::startTimeOf(m_pid);
    if (!said.contains("the game runs") || m_pid <= 0 || !m_startTime) {
        ADD_FAILURE() << "the game did not start: " << said.toStdString();
        m_pid = 0;
    }
}

bool OrphanedGame::end()
{
    if (m_pid <= 0)
        return false;
    // Only the game itself: its PID may since belong to another process. Gone, or a zombie
    // nobody reaps, it has no start time.
    for (int waited = 0; waited < 10000; waited += 10) {
        if (processinfo::startTimeOf(m_pid) != m_startTime) {
            m_pid = 0;
            return true;
        }
        ::kill(pid_t(m_pid), SIGKILL);
        QThread::msleep(10);
    }
    return false;
}

std::ostream &operator<<(std::ostream &out, const QuillonRun &run)
{
    return out << "status " << run.status << "\nstdout: " << run.out.toStdString()
               << "\nstderr: " << run.err.toStdString();
}

QuillonRun quillon(
    const QProcessEnvironment &env, const QStringList &arguments, int timeoutMs, const QString &workingFolder)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setWorkingDirectory(workingFolder);
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
    process.start(QStringLiteral(QUILLON_PROGRAM), arguments);
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "quillon " << arguments.join(u' ').toStdString() << " did not end normally";
        if (process.processId() > 0)
            ::kill(-pid_t(process.processId()), SIGKILL);
        process.waitForFinished();
        return {};
    }
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
        QString::fromUtf8(process.readAllStandardError())};
}

QStringList itemsOf(QListWidget *list)
{
    QStringList items;
    for (int row = 0; row < list->count(); ++row) {
        if (!list->item(row)->isHidden())
            items << list->item(row)->text();
    }
    return items;
}

QStringList itemsOf(QComboBox *box)
{
    QStringList items;
    for (int row = 0; row < box->count(); ++row)
        items << box->itemText(row);
    return items;
}

QuillonWindow::QuillonWindow(const LaunchScene &scene, std::deque<bool> answers)
    : fakes(std::make_shared<SqliteSettingsStore>(scene.storePath()))
    , window(fakes.services(), paths, scene.stateDir())
{
    fakes.messages->answers = std::move(answers);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        ADD_FAILURE() << "the window was not shown";
    QTest::qWait(20); // the start-up questions come once the window is up
    auto *games = find<GameDirChooser>(u"cboGameDir"_s);
    if (!games || !QTest::qWaitFor([&] { return !games->isSearching(); }, 20000))
        ADD_FAILURE() << "the search for the game's installs did not end";
}

void QuillonWindow::choose(const QString &tc)
{
    auto *list = find<QListWidget>(u"lstTCs"_s);
    const QList<QListWidgetItem *> items = list->findItems(tc, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1);
    clickAt(list->viewport(), list->visualItemRect(items.constFirst()).center());
    ASSERT_TRUE(items.constFirst()->isSelected());
}

void QuillonWindow::launch()
{
    clickOn(find<QPushButton>(u"cmdLaunch"_s));
}

QString QuillonWindow::status()
{
    return find<QLabel>(u"lblStatus"_s)->text();
}

bool QuillonWindow::backAsItWas()
{
    return QTest::qWaitFor([&] { return status().contains(u"back as it was"_s); }, 20000);
}

} // namespace ostrel::test
