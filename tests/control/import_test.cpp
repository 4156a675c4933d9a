// "LoadScript": a TC script becomes a new, unsaved definition in the editor.

#include "controlharness.h"

#include "platform/libraryfolder.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ostrel;
using namespace ostrel::test;

namespace {

const QByteArray kScript = "definedukeversion 1.3d\r\n"
                           "definetcname Départ\r\n"
                           "definetcversion 1.0\r\n"
                           "definereldate 01/02/2003\r\n"
                           "definegroupfile DEPART.GRP\r\n"
                           "definegamecon GAME.CON\r\n"
                           "definetextfile \r\n"
                           "defineotherfile E1L1.MAP\r\n"
                           "defineotherfile SOUND.VOC\r\n"
                           "defineotherfile E1L1.MAP\r\n"
                           "defineauthor Somebody\r\n"
                           "defineemail a@b.c\r\n"
                           "defineweb http://x\r\n";

class Import : public ::testing::Test
{
protected:
    void SetUp() override
    {
        storeDefinition(*h.fakes.store, {u"Foo"_s, u"1.3D"_s, u"/g/FOO.GRP"_s, {}, {}, {u"/g/1"_s}});
        h.start();
        folder = h.temp.file(u"my tcs/"_s);
    }

    void importScript(const QString &name, const QByteArray &bytes)
    {
        h.fakes.dialogs->answer(h.temp.write(u"my tcs/"_s + name, bytes));
        h.click(u"LoadScript"_s);
    }

    ControlHarness h;
    QString folder;
};

TEST_F(Import, PutsTheScriptFolderInFrontOfEveryFileAndStoresNothing)
{
    h.choose(u"Foo"_s);
    h.find<QComboBox>(u"cboVersComp"_s)->setCurrentIndex(1); // edited: replaced without a question
    const auto keys = definedKeys(*h.fakes.store);
    QSignalSpy spy(h.control.get(), &ucTC::LoadTCNames);

    importScript(u"depart.tcs"_s, kScript);

    const FileDialogRequest &request = h.fakes.dialogs->requests.back();
    EXPECT_EQ(request.filter, u"Quillon TC Scripts (*.tcs)|*.tcs");
    EXPECT_EQ(request.initDir, libraryVolumeRoot());
    EXPECT_EQ(h.text(u"cboVersComp"_s), u"1.3D");
    EXPECT_EQ(h.text(u"txtTCName"_s), u"Départ");
    EXPECT_EQ(h.text(u"lblGroupFile"_s), folder + u"DEPART.GRP"_s);
    EXPECT_EQ(h.text(u"lblGameCon"_s), folder + u"GAME.CON"_s);
    EXPECT_EQ(h.text(u"lblTextFile"_s), folder); // an empty value still gets the folder
    EXPECT_EQ(h.otherFiles(), (QStringList{folder + u"E1L1.MAP"_s, folder + u"SOUND.VOC"_s, folder + u"E1L1.MAP"_s}));
    // A new definition in entry, nothing stored, nothing raised.
    EXPECT_TRUE(h.find<QWidget>(u"txtTCName"_s)->isEnabled());
    EXPECT_FALSE(h.find<QWidget>(u"cboTClist"_s)->isEnabled());
    EXPECT_EQ(h.enabledButtons(), (QStringList{u"CancelNew"_s, u"Save"_s, u"LoadScript"_s, u"ScriptView"_s}));
    EXPECT_EQ(definedKeys(*h.fakes.store), keys);
    EXPECT_EQ(spy.count(), 0);
    EXPECT_TRUE(h.fakes.messages->messages.empty());

    // The next dialog opens in the script's folder.
    h.fakes.dialogs->cancel();
    h.clickButton(u"cmdGroupFile"_s);
    EXPECT_EQ(h.fakes.dialogs->requests.back().initDir, folder);
}

TEST_F(Import, FollowingSaveStoresTheImportedDefinition)
{
    importScript(u"depart.tcs"_s, kScript);
    h.click(u"Save"_s);
    EXPECT_TRUE(h.fakes.messages->messages.empty());
    EXPECT_EQ(h.names(), (QStringList{u"Foo"_s, u"Départ"_s}));
    const QString app = u"Vantrel"_s, section = u"DefinedTCs"_s;
    EXPECT_EQ(h.fakes.store->GetSetting(app, section, u"DépartGroupFile"_s, {}), folder + u"DEPART.GRP"_s);
    EXPECT_EQ(h.fakes.store->GetSetting(app, section, u"DépartOtherFile3"_s, {}), folder + u"E1L1.MAP"_s);
    EXPECT_EQ(h.fakes.store->GetSetting(app, section, u"DépartVersionComp"_s, {}), u"1.3D");
}

TEST_F(Import, ScriptsThatCannotBeLoadedChangeNothing)
{
    h.choose(u"Foo"_s);
    const QString state = h.editorState();

    h.fakes.dialogs->cancel();
    h.click(u"LoadScript"_s);
    EXPECT_EQ(h.editorState(), state);

    h.fakes.dialogs->answer(folder + u"missing.tcs"_s);
    h.click(u"LoadScript"_s);
    EXPECT_EQ(h.editorState(), state);

    h.temp.write(u"my tcs/folder.tcs/x"_s, "x");
    h.fakes.dialogs->answer(folder + u"folder.tcs"_s);
    h.click(u"LoadScript"_s);
    EXPECT_EQ(h.editorState(), state);

    importScript(u"huge.tcs"_s, QByteArray("definetcname Huge\r\n") + QByteArray(1024 * 1024, 'x'));
    EXPECT_EQ(h.editorState(), state);
    EXPECT_TRUE(h.fakes.messages->messages.empty());
}

TEST_F(Import, ScriptsFromTheWildReadTheSame)
{
    struct Case {
        const char *what;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"LF only", "DefineTCName Départ\ndefinegroupfile DEPART.GRP\ndefineotherfile A\ndefineotherfile B\n"},
        {"CR only", "definetcname Départ\rdefinegroupfile DEPART.GRP\rdefineotherfile A\rdefineotherfile B\r"},
        {"UTF-8 BOM", "\xEF\xBB\xBF" "definetcname Départ\r\nDEFINEGROUPFILE DEPART.GRP\r\ndefineotherfile A\r\n"
                      "defineotherfile B"},
        {"Windows-1252", "definetcname D\xE9part\r\ndefinegroupfile DEPART.GRP\r\ndefineotherfile A\r\n"
                         "defineotherfile B\r\n"},
    };
    for (const Case &c : cases) {
        importScript(u"wild.tcs"_s, c.bytes);
        EXPECT_EQ(h.text(u"txtTCName"_s), u"Départ") << c.what;
        EXPECT_EQ(h.text(u"lblGroupFile"_s), folder + u"DEPART.GRP"_s) << c.what;
        EXPECT_EQ(h.otherFiles(), (QStringList{folder + u"A"_s, folder + u"B"_s})) << c.what;
    }
}

} // namespace

namespace {

// Many other-file directives on one long line would each take the rest of the line: the
// values would add up to far more than the file. Such a file is not imported at all.
TEST_F(Import, ScriptWhoseOtherFilesWouldExplodeIsNotImported)
{
    h.choose(u"Foo"_s);
    const QString state = h.editorState();
    QByteArray line = "definetcname Bomb\r\n";
    while (line.size() < 512 * 1024)
        line += "defineotherfile x";
    importScript(u"bomb.tcs"_s, line);
    EXPECT_EQ(h.editorState(), state);
}

} // namespace
