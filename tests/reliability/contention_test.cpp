// Two programs write the same store at once: a control saving through its toolbar and a
// host saving through the store API. Neither may be turned away, and every write of both lands.

#include "taggedsave.h"

#include "../control/controlharness.h"
#include "platform/sqlitesettingsstore.h"

#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ostrel;
using namespace ostrel::test;

namespace {

constexpr int kHostSaves = 150;
constexpr int kControlSaves = 40;
// Neither side pauses between saves: each begins its next write the instant it commits,
// the hardest case for the other one's wait.
constexpr int kPauseMs = 0;

void saveNewThroughToolbar(ControlHarness &h, const QString &name, const QString &groupFile)
{
    h.click(u"New"_s);
    h.find<QLineEdit>(u"txtTCName"_s)->setText(name);
    h.find<QComboBox>(u"cboVersComp"_s)->setCurrentIndex(2);
    h.fakes.dialogs->answer(groupFile);
    h.clickButton(u"cmdGroupFile"_s);
    h.fakes.dialogs->answer(groupFile + u".map"_s);
    h.clickButton(u"cmdOtherFiles"_s);
    h.click(u"Save"_s);
}

TEST(Contention, ControlAndHostBothGetEveryWriteIn)
{
    TempFolder temp;
    const QString path = temp.file(u"settings.sqlite3"_s);
    auto store = std::make_shared<SqliteSettingsStore>(path);
    storeDefinition(*store, {u"Foo"_s, u"1.3D"_s, u"/g/FOO.GRP"_s, {}, {}, {}});
    ControlHarness h(store);
    h.start();

    QProcess host;
    host.start(QStringLiteral(OSTREL_STORE_WRITER), {u"host"_s, path, QString::number(kHostSaves), QString::number(kPauseMs)});
    ASSERT_TRUE(host.waitForReadyRead(30000)) << host.errorString().toStdString();

    // The control starts saving while the host does and keeps on for as long as the host does.
    QStringList saved;
    while (saved.size() < kControlSaves || (!host.waitForFinished(0) && saved.size() < 2000)) {
        const QString name = u"Ctl"_s + QString::number(saved.size());
        saveNewThroughToolbar(h, name, u"/g/"_s + name + u".GRP"_s);
        saved << name;
        QThread::msleep(kPauseMs);
    }
    host.waitForFinished(-1);
    const QString hostErrors = QString::fromLocal8Bit(host.readAllStandardError());
    EXPECT_EQ(host.exitCode(), 0) << hostErrors.toStdString();
    EXPECT_FALSE(hostErrors.contains(u"locked"_s) || hostErrors.contains(u"in use"_s)) << hostErrors.toStdString();
    EXPECT_EQ(h.fakes.messages->texts(), QStringList{});

    // Read back by a program that opens the file afresh.
    const SqliteSettingsStore after(path);
    QStringList hostNames;
    for (int i = 0; i < kHostSaves; ++i)
        hostNames << u"Host"_s + QString::number(i);
    EXPECT_EQ(reliability::damageIn(after, hostNames).filter(u"Host"_s), QStringList{});
    ControlHarness reader(std::make_shared<SqliteSettingsStore>(path));
    reader.start();
    const QStringList names = reader.names();
    EXPECT_EQ(names.size(), 1 + kHostSaves + saved.size());
    for (const QString &name : hostNames + saved)
        EXPECT_TRUE(names.contains(name)) << name.toStdString();
    for (const QString &name : saved) {
        reader.choose(name);
        ASSERT_EQ(reader.text(u"lblGroupFile"_s), u"/g/"_s + name + u".GRP"_s);
        ASSERT_EQ(reader.otherFiles(), QStringList{u"/g/"_s + name + u".GRP.map"_s});
    }
}

} // namespace
