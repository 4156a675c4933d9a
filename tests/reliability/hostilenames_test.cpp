// Names and paths that break naive SQL, shell or text handling: saved through the control,
// read back exactly by another control on the same file, and opened only through the shell hook.

#include "../control/controlharness.h"
#include "platform/sqlitesettingsstore.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ostrel;
using namespace ostrel::test;

namespace {

QStringList hostileNames()
{
    return {
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
}

QStringList hostilePaths()
{
    return {
        u"/games/with space/DUKE3D.GRP"_s,
        u"/games/\"double\" 'single'/GAME.CON"_s,
        u"/games/$(touch pwned)/`id`; rm -rf ~ & echo $HOME|README.TXT"_s,
        u"/games/new\nline/E1L1.MAP"_s,
        QFile::decodeName("/games/\xff\xfe\x80 latin1 \xe9t\xe9/E1L2.MAP"),
        u"C:\\Games\\%PATH%\\<b>bold</b>&amp;.dat"_s,
        u"/games/\U0001F600/\u0301.voc"_s,
    };
}

struct Fields {
    QString group, con, text;
    QStringList others;
};

Fields fieldsFor(int i)
{
    const QStringList paths = hostilePaths();
    const auto at = [&](int k) { return paths.at((i + k) % paths.size()); };
    return {at(0), at(1), at(2), {at(3), at(4), at(5), at(6)}};
}

void pick(ControlHarness &h, const char *button, const QString &path)
{
    h.fakes.dialogs->answer(path);
    h.clickButton(QString::fromLatin1(button));
}

TEST(HostileNames, SavedThroughTheControlAndReadBackExactly)
{
    TempFolder temp;
    const QString path = temp.file(u"settings.sqlite3"_s);
    const QStringList names = hostileNames();
    {
        ControlHarness writer(std::make_shared<SqliteSettingsStore>(path));
        writer.start();
        for (int i = 0; i < names.size(); ++i) {
            const Fields f = fieldsFor(i);
            writer.click(u"New"_s);
            writer.find<QLineEdit>(u"txtTCName"_s)->setText(names[i]);
            writer.find<QComboBox>(u"cboVersComp"_s)->setCurrentIndex(i % 3);
            pick(writer, "cmdGroupFile", f.group);
            pick(writer, "cmdGameCon", f.con);
            pick(writer, "cmdTextFile", f.text);
            for (const QString &other : f.others)
                pick(writer, "cmdOtherFiles", other);
            ASSERT_EQ(writer.text(u"txtTCName"_s), names[i]);
            writer.click(u"Save"_s);
            ASSERT_EQ(writer.fakes.messages->texts(), QStringList{}) << i;
        }
        // A second save of each replaces its other files, which finds them by their keys.
        for (int i = 0; i < names.size(); ++i) {
            writer.choose(names[i]);
            auto *list = writer.find<QListWidget>(u"lstOtherFiles"_s);
            list->setCurrentRow(0);
            writer.clickButton(u"cmdOtherRemove"_s);
            writer.click(u"Save"_s);
            ASSERT_EQ(writer.fakes.messages->texts(), QStringList{}) << i;
        }
    }

    ControlHarness reader(std::make_shared<SqliteSettingsStore>(path));
    reader.start();
    ASSERT_EQ(reader.names(), names);
    for (int i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(i);
        const Fields f = fieldsFor(i);
        reader.choose(names[i]);
        EXPECT_EQ(reader.text(u"txtTCName"_s), names[i]);
        EXPECT_EQ(reader.find<QComboBox>(u"cboVersComp"_s)->currentIndex(), i % 3);
        EXPECT_EQ(reader.text(u"lblGroupFile"_s), f.group);
        EXPECT_EQ(reader.text(u"lblGameCon"_s), f.con);
        EXPECT_EQ(reader.text(u"lblTextFile"_s), f.text);
        EXPECT_EQ(reader.otherFiles(), f.others.mid(1));

        reader.fakes.shell->opened.clear();
        reader.clickButton(u"cmdViewTextFile"_s);
        EXPECT_EQ(reader.fakes.shell->opened, QStringList{f.text});
    }

    // Removing each in turn takes its keys and no other definition's.
    for (int i = 0; i < names.size(); ++i) {
        reader.choose(names[i]);
        reader.fakes.messages->answers.push_back(true);
        reader.click(u"Delete"_s);
        ControlHarness check(std::make_shared<SqliteSettingsStore>(path));
        check.start();
        ASSERT_EQ(check.names(), names.mid(i + 1)) << i;
        if (i + 1 < names.size()) {
            check.choose(names[i + 1]);
            EXPECT_EQ(check.otherFiles(), fieldsFor(i + 1).others.mid(1)) << i;
        }
    }
    EXPECT_EQ(definedKeys(SqliteSettingsStore(path)).size(), 0u);
}

// The store compares names after case folding, the names list after upper-casing, and the two
// disagree on a few characters: KELVIN SIGN and ANGSTROM SIGN fold to "k" and "å" but are their
// own upper case; "ß" upper-cases to "SS". A second definition must never take over the first
// one's keys.
TEST(HostileNames, NamesTheStoreFoldsTogetherNeverOverwriteEachOther)
{
    const std::pair<QString, QString> pairs[] = {
        {u"k"_s, u"\u212A"_s},          // KELVIN SIGN
        {u"\u00C5ngstr"_s, u"\u212Bngstr"_s}, // ANGSTROM SIGN
        {u"Stra\u00DFe"_s, u"STRASSE"_s},
    };
    for (const auto &[first, second] : pairs) {
        SCOPED_TRACE(second.toStdString());
        TempFolder temp;
        const QString path = temp.file(u"settings.sqlite3"_s);
        ControlHarness writer(std::make_shared<SqliteSettingsStore>(path));
        writer.start();
        for (const QString &name : {first, second}) {
            writer.click(u"New"_s);
            writer.find<QLineEdit>(u"txtTCName"_s)->setText(name);
            writer.find<QComboBox>(u"cboVersComp"_s)->setCurrentIndex(0);
            pick(writer, "cmdGroupFile", u"/g/"_s + name + u".GRP"_s);
            writer.click(u"Save"_s);
        }
        // Either the second is refused as a duplicate, or both stay whole and apart.
        ControlHarness reader(std::make_shared<SqliteSettingsStore>(path));
        reader.start();
        const QStringList names = reader.names();
        ASSERT_FALSE(names.isEmpty());
        EXPECT_EQ(names.front(), first);
        for (const QString &name : names) {
            reader.choose(name);
            EXPECT_EQ(reader.text(u"lblGroupFile"_s), u"/g/"_s + name + u".GRP"_s) << name.toStdString();
        }
        if (names.size() == 1) {
            EXPECT_EQ(writer.fakes.messages->texts(),
                      QStringList{u"TC and Custom Group names must be unique. Save aborted."_s});
        }
    }
}

} // namespace
