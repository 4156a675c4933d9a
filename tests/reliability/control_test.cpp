// The control on a real store file, under contention and with names that break naive handling.
// (Damaged, read-only and full stores refuse writes in tests/store; how the control reports a
// refused write is checked in tests/control/storefailure_test.cpp.)
//
// Contention: a host saves through the store API while the control saves, neither pausing
// between saves. Neither is turned away, and every write of both lands.
// HostileNames: names and paths that break naive SQL, shell or text handling are saved, read back
// exactly by another control on the same file, and opened only through the shell hook.

#include "taggedsave.h"

#include "../support/controlharness.h"
#include "store/sqlitesettingsstore.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ostrel;
using namespace ostrel::test;

namespace {

std::unique_ptr<ControlHarness> startOn(const QString &path)
{
    auto h = std::make_unique<ControlHarness>(std::make_shared<SqliteSettingsStore>(path));
    h->start();
    return h;
}

TEST(Contention, ControlAndHostBothGetEveryWriteIn)
{
    constexpr int kHostSaves = 150;
    Sandbox temp;
    const QString path = temp.file(u"settings.sqlite3"_s);
    const auto h = startOn(path);
    QProcess host;
    host.start(QStringLiteral(OSTREL_STORE_WRITER), {u"host"_s, path, QString::number(kHostSaves), u"0"_s});
    ASSERT_TRUE(host.waitForReadyRead(30000)) << host.errorString().toStdString();

    // The control saves for as long as the host does, and at least 40 times.
    QStringList saved;
    // Clicks run the event loop, which may already have seen the host end.
    while (saved.size() < 40 || (host.state() != QProcess::NotRunning && saved.size() < 2000)) {
        saved << u"Ctl"_s + QString::number(saved.size());
        h->enterNew(
            saved.back(), 2, {u"/g/"_s + saved.back() + u".GRP"_s, {}, {}, u"/g/"_s + saved.back() + u".MAP"_s});
        h->click(u"Save"_s);
    }
    host.waitForFinished(-1);
    EXPECT_EQ(host.exitCode(), 0) << host.readAllStandardError().toStdString(); // it prints every refused write
    EXPECT_EQ(h->fakes.messages->log(), QStringList{});

    // Read back by programs that open the file afresh.
    QStringList hostNames;
    for (int i = 0; i < kHostSaves; ++i)
        hostNames << u"Host"_s + QString::number(i);
    EXPECT_EQ(reliability::damageIn(SqliteSettingsStore(path), hostNames).filter(u"Host"_s), QStringList{});
    const auto reader = startOn(path);
    QStringList names = reader->names(), expected = hostNames + saved;
    names.sort();
    expected.sort();
    EXPECT_EQ(names, expected);
    for (const QString &name : saved) {
        reader->choose(name);
        ASSERT_EQ(reader->text(u"lblGroupFile"_s), u"/g/"_s + name + u".GRP"_s);
        ASSERT_EQ(reader->otherFiles(), QStringList{u"/g/"_s + name + u".MAP"_s});
    }
}

const QStringList kNames{
    u"O'Brien \"The Quoted\""_s,
    u"100% _done_ *?[a-z]"_s,
    u"back\\slash\\"_s,
    u"x'); DROP TABLE settings; --"_s,
    u"' OR '1'='1"_s,
    u"Ωmega Ünïcödé 中文 한국어 עברית"_s,
    // One character of each plane with assigned or private-use characters: 1, 2, 3, 14, 15, 16.
    u"\U0001F600 \U00020000 \U00030000 \U000E0041 \U000F0000 \U0010FFFD"_s,
    u"\u0301 starts with a combining mark e\u0301\u0301 a\u0308"_s,
    QString(10000, u'Z'),
    u"NAME"_s,
    QString(),
};

const QStringList kPaths{
    u"/games/with space/DUKE3D.GRP"_s,
    u"/games/\"double\" 'single'/GAME.CON"_s,
    u"/games/$(touch pwned)/`id`; rm -rf ~ & echo $HOME|README.TXT"_s,
    u"/games/new\nline/E1L1.MAP"_s,
    QFile::decodeName("/games/\xff\xfe\x80 latin1 \xe9t\xe9/E1L2.MAP"),
    u"C:\\Games\\%PATH%\\<b>bold</b>&amp;.dat"_s,
    u"/games/\U0001F600/\u0301.voc"_s,
};

// Definition i's group file, game con, text file and four other files.
QStringList pathsFor(int i)
{
    QStringList paths;
    for (int k = 0; k < 7; ++k)
        paths << kPaths.at((i + k) % kPaths.size());
    return paths;
}

// The store's folders do not exist yet: the control comes up empty and the first save makes them.
TEST(HostileNames, SavedThroughTheControlAndReadBackExactly)
{
    Sandbox temp;
    const QString path = temp.file(u"not yet/there/settings.sqlite3"_s);
    {
        const auto writer = startOn(path);
        ASSERT_EQ(writer->names(), QStringList{});
        for (int i = 0; i < kNames.size(); ++i) {
            writer->enterNew(kNames[i], i % 3, pathsFor(i));
            writer->click(u"Save"_s);
        }
        // A second save of each replaces its other files, which finds them by their keys.
        for (const QString &name : kNames) {
            writer->choose(name);
            writer->removeOtherFile(0);
            writer->click(u"Save"_s);
        }
        ASSERT_EQ(writer->fakes.messages->log(), QStringList{});
    }

    const auto reader = startOn(path);
    ASSERT_EQ(reader->names(), kNames);
    for (int i = 0; i < kNames.size(); ++i) {
        SCOPED_TRACE(i);
        const QStringList paths = pathsFor(i);
        reader->choose(kNames[i]);
        EXPECT_EQ(reader->text(u"txtTCName"_s), kNames[i]);
        EXPECT_EQ(reader->find<QComboBox>(u"cboVersComp"_s)->currentIndex(), i % 3);
        EXPECT_EQ(
            (QStringList{reader->text(u"lblGroupFile"_s), reader->text(u"lblGameCon"_s), reader->text(u"lblTextFile"_s)}
                + reader->otherFiles()),
            paths.mid(0, 3) + paths.mid(4));
        reader->fakes.shell->opened.clear();
        reader->clickButton(u"cmdViewTextFile"_s);
        EXPECT_EQ(reader->fakes.shell->opened, QStringList{paths[2]});
    }

    // Removing each in turn takes its keys and no other definition's.
    for (int i = 0; i < kNames.size(); ++i) {
        reader->choose(kNames[i]);
        reader->fakes.messages->answers.push_back(true);
        reader->click(u"Delete"_s);
        ASSERT_EQ(startOn(path)->names(), kNames.mid(i + 1)) << i;
    }
    EXPECT_EQ(definedKeys(SqliteSettingsStore(path)).size(), 0u);
}

// The store compares names after case folding, the names list after upper-casing, and the two
// disagree on a few characters: KELVIN SIGN and ANGSTROM SIGN fold to "k" and "å" but are their
// own upper case; "ß" upper-cases to "SS". A second definition must never take over the first
// one's keys: either it is refused as a duplicate, or both stay whole and apart.
TEST(HostileNames, NamesTheStoreFoldsTogetherNeverOverwriteEachOther)
{
    const std::pair<QString, QString> pairs[] = {
        {u"k"_s, u"\u212A"_s}, {u"\u00C5ngstr"_s, u"\u212Bngstr"_s}, {u"Stra\u00DFe"_s, u"STRASSE"_s}};
    for (const auto &[first, second] : pairs) {
        SCOPED_TRACE(second.toStdString());
        Sandbox temp;
        const QString path = temp.file(u"settings.sqlite3"_s);
        const auto writer = startOn(path);
        for (const QString &name : {first, second}) {
            writer->enterNew(name, 0, {u"/g/"_s + name + u".GRP"_s});
            writer->click(u"Save"_s);
        }

        const auto reader = startOn(path);
        const QStringList names = reader->names();
        ASSERT_FALSE(names.isEmpty());
        EXPECT_EQ(names.front(), first);
        for (const QString &name : names) {
            reader->choose(name);
            EXPECT_EQ(reader->text(u"lblGroupFile"_s), u"/g/"_s + name + u".GRP"_s) << name.toStdString();
        }
        if (names.size() == 1) {
            EXPECT_EQ(writer->fakes.messages->log(),
                QStringList{u"Quillon! TC and Custom Group names must be unique. Save aborted."_s});
        }
    }
}

} // namespace
