// "LoadScript": a TC script becomes a new, unsaved definition in the editor.

#include "../support/controlharness.h"

#include "platform/libraryfolder.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace ostrel;
using namespace ostrel::test;

namespace {

class Import : public ::testing::Test
{
protected:
    void SetUp() override
    {
        storeDefinition(*h.fakes.store, {u"Foo"_s, u"1.3D"_s, u"/g/FOO.GRP"_s, {}, {}, {u"/g/1"_s}});
        h.start();
        h.choose(u"Foo"_s);
    }

    void importScript(const QString &name, const QByteArray &bytes)
    {
        h.fakes.dialogs->answer(writeFile(h.temp.file(u"my tcs/"_s + name), bytes));
        h.click(u"LoadScript"_s);
    }

    ControlHarness h;
    const QString folder = h.temp.file(u"my tcs/"_s);
};

TEST_F(Import, PrefixesTheScriptFolderAndStoresNothingUntilSave)
{
    h.chooseVersion(1); // edited: replaced without a question
    const auto keys = definedKeys(*h.fakes.store);
    QSignalSpy spy(h.control.get(), &ucTC::LoadTCNames);
    importScript(u"depart.tcs"_s,
        "definedukeversion 1.3d\r\ndefinetcname Départ\r\ndefinetcversion 1.0\r\n"
        "definereldate 01/02/2003\r\ndefinegroupfile DEPART.GRP\r\ndefinegamecon GAME.CON\r\n"
        "definetextfile \r\ndefineotherfile E1L1.MAP\r\ndefineotherfile SOUND.VOC\r\n"
        "defineotherfile E1L1.MAP\r\ndefineauthor Somebody\r\ndefineemail a@b.c\r\n");
    EXPECT_EQ(h.fakes.dialogs->requests.back().filter, u"Quillon TC Scripts (*.tcs)|*.tcs");
    EXPECT_EQ(h.fakes.dialogs->requests.back().initDir, libraryVolumeRoot());
    // Every file gets the folder, even an empty one; a new definition in entry.
    EXPECT_EQ(h.editorState(),
        u"cboVersComp=1.3D; txtTCName=Départ; lblGroupFile=%1DEPART.GRP; lblGameCon=%1GAME.CON; lblTextFile=%1; "
        "other=%1E1L1.MAP|%1SOUND.VOC|%1E1L1.MAP; txtTCName+; cboTClist-; cboVersComp+; cmdGroupFile+; "
        "cmdOtherRemove+; buttons=CancelNew,Save,LoadScript,ScriptView; names=Foo; chosen=-1"_s.arg(folder));
    EXPECT_EQ(definedKeys(*h.fakes.store), keys);
    EXPECT_EQ(spy.count(), 0);

    // The next dialog opens in the script's folder.
    h.pick(u"cmdGroupFile"_s, std::nullopt);
    EXPECT_EQ(h.fakes.dialogs->requests.back().initDir, folder);

    h.click(u"Save"_s);
    EXPECT_EQ(h.fakes.messages->log(), QStringList{});
    EXPECT_EQ(h.names(), (QStringList{u"Foo"_s, u"Départ"_s}));
    EXPECT_EQ(definedKeys(*h.fakes.store).back(), std::pair(u"DépartOtherFile3"_s, QString(folder + u"E1L1.MAP"_s)));
}

// Cancelled, a file that cannot be loaded (ScriptBuffer.LoadFile says which), and text that is
// no script: many other-file directives on one long line would each take the rest of the line,
// and their values would add up to far more than the file.
TEST_F(Import, ScriptsThatCannotBeLoadedChangeNothing)
{
    const QString state = h.editorState();
    writeFile(h.temp.file(u"my tcs/folder.tcs/x"_s), "x");
    QByteArray explosion = "definetcname Bomb\r\n";
    while (explosion.size() < 512 * 1024)
        explosion += "defineotherfile x";
    const std::optional<QString> answers[] = {
        std::nullopt, folder + u"folder.tcs"_s, writeFile(h.temp.file(u"my tcs/bomb.tcs"_s), explosion)};
    for (const auto &answer : answers) {
        h.fakes.dialogs->answers.push_back(answer);
        h.click(u"LoadScript"_s);
        EXPECT_EQ(h.editorState(), state) << answer.value_or(u"(cancel)"_s).toStdString();
    }
    EXPECT_EQ(h.fakes.messages->log(), QStringList{});
}

} // namespace
