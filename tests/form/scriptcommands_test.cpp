// The control's "Script" and "ScriptView" commands, driven through its toolbar.

#include "../support/formtesting.h"

#include "../support/controlharness.h"
#include "platform/libraryfolder.h"
#include "form/frmscript.h"

using namespace ostrel;
using namespace ostrel::test;

namespace {

const QByteArray kScript = "definedukeversion 1.3D and 1.4/1.5\r\ndefinetcname Mytc\r\ndefinetcversion 2.0b\r\n"
                           "definereldate 12/24/1999\r\ndefinegroupfile MYTC.GRP\r\ndefinegamecon GAME.CON\r\n"
                           "definetextfile MYTC.TXT\r\ndefineotherfile E1L1.MAP\r\ndefineotherfile TILES000.ART\r\n"
                           "defineauthor Someone\r\ndefineemail someone@example.org\r\n"
                           "defineweb http://example.org/mytc\r\n";

class ScriptCommands : public ::testing::Test
{
protected:
    // Starts the control with a stored definition shown in its editor.
    void show(const StoredDefinition &definition)
    {
        storeDefinition(*h.fakes.store, definition);
        h.start();
        h.choose(definition.name);
        ASSERT_EQ(h.text(u"txtTCName"_s), definition.name);
    }

    // Runs a toolbar command; play is the user while the form is shown. Without play no
    // form may be shown.
    void run(const QString &key, const std::function<void(frmScript *)> &play = {})
    {
        h.fakes.forms->onShow = [&](QDialog *dialog) {
            auto *form = qobject_cast<frmScript *>(dialog);
            ASSERT_TRUE(form && play) << key.toStdString();
            play(form);
        };
        if (!h.control)
            h.start();
        const int shownBefore = h.fakes.forms->shown;
        h.click(key);
        EXPECT_EQ(h.fakes.forms->shown, shownBefore + (play ? 1 : 0)) << key.toStdString();
    }

    frmScript *keptForm() const { return h.control->findChild<frmScript *>(); }

    ControlHarness h;
};

TEST_F(ScriptCommands, ScriptWithAnEmptyEditorOpensAFreshFormWithoutAsking)
{
    QPointer<frmScript> cancelled, open;
    run(u"Script"_s, [&](frmScript *form) {
        expectFreshFields(cancelled = form);
        typeInto(child<QLineEdit>(form, u"txtAuthor"_s), u"Typed"_s);
        press(form, u"cmdCancel"_s);
    });
    run(u"Script"_s, [&](frmScript *form) { expectFreshFields(open = form); });
    EXPECT_EQ(h.fakes.messages->log(), QStringList{});
    EXPECT_TRUE(cancelled.isNull()) << "a cancelled form is discarded";
    EXPECT_FALSE(open.isNull()) << "a form left open is kept";
}

TEST_F(ScriptCommands, ScriptAsksWhetherToStartFromTheShownDefinition)
{
    // 30 units, the 25th the first half of a character outside the basic plane.
    const QString longName = u"A Very Long Total Conver\U0001F3AEsion"_s;
    show({longName, u"1.4/1.5 atomic"_s, u"/games/mytc/MYTC.GRP"_s, {}, {},
          {u"/games/mytc/E1L1.MAP"_s, u"NOFOLDER.ART"_s, u"/x/y/SOUND.VOC"_s, u"/games/mytc/E1L1.MAP"_s}});
    // No: a blank form.
    run(u"Script"_s, [](frmScript *form) {
        expectFreshFields(form);
        press(form, u"cmdCancel"_s);
    });
    EXPECT_EQ(h.fakes.messages->log(), QStringList{u"Quillon?+ Use current TC Definition as default?"_s});

    // Yes: version, name cut to 25 units or less, never inside a character, and file titles;
    // entries without a folder are skipped.
    h.fakes.messages->answers.push_back(true);
    run(u"Script"_s, [&](frmScript *form) {
        EXPECT_EQ(child<QComboBox>(form, u"cboVersComp"_s)->currentIndex(), 1);
        EXPECT_EQ(textOf(form, u"txtTCName"_s), u"A Very Long Total Conver"_s);
        EXPECT_EQ(textOf(form, u"lblGroupFile"_s), u"MYTC.GRP"_s);
        EXPECT_EQ(textOf(form, u"lblGameCon"_s), QString());
        EXPECT_EQ(entries(form), QStringList({u"E1L1.MAP"_s, u"SOUND.VOC"_s, u"E1L1.MAP"_s}));
    });
}

TEST_F(ScriptCommands, ViewThatEndsEarlyStartsAtTheVolumeRootAndKeepsTheFormForTheNextCommand)
{
    h.fakes.dialogs->answer(h.temp.path()); // a folder cannot be loaded
    run(u"ScriptView"_s);
    EXPECT_EQ(h.fakes.dialogs->requests.back().initDir, libraryVolumeRoot()); // no group file shown
    QPointer<frmScript> kept = keptForm();
    ASSERT_FALSE(kept.isNull());
    EXPECT_FALSE(kept->isVisible());

    h.fakes.dialogs->cancel();
    run(u"ScriptView"_s);
    EXPECT_EQ(keptForm(), kept.data());

    run(u"Script"_s, [&](frmScript *form) {
        EXPECT_EQ(form, kept.data());
        expectFreshFields(form);
        // The save dialog carries on from the view's settings: it proposes the folder's title.
        h.fakes.dialogs->cancel();
        press(form, u"cmdSave"_s);
        press(form, u"cmdCancel"_s);
    });
    EXPECT_EQ(h.fakes.dialogs->requests.back().fileName, QFileInfo(h.temp.path()).fileName());
    EXPECT_TRUE(kept.isNull());
}

TEST_F(ScriptCommands, ViewOpensInTheGroupFileFolderAndSaveChangesOnlyTheReleaseDate)
{
    const QString script = h.temp.write(u"MYTC.TCS"_s, kScript);
    show({u"Foo"_s, u"1.3D"_s, u"/games/mytc/MYTC.GRP"_s, {}, {}, {}});
    h.fakes.dialogs->answer(script);
    run(u"ScriptView"_s, [&](frmScript *form) {
        // The dialog opened in the shown definition's group file folder.
        const FileDialogRequest &request = h.fakes.dialogs->requests.back();
        EXPECT_EQ(request.initDir + u'|' + request.filter + u'|' + request.fileName,
                  u"/games/mytc/|Quillon TC Scripts (*.tcs)|*.tcs|"_s);
        EXPECT_EQ(form->windowTitle(), u"Quillon TC Script - MYTC.TCS"_s);
        EXPECT_EQ(child<QComboBox>(form, u"cboVersComp"_s)->currentIndex(), 2);
        EXPECT_EQ(textOf(form, u"txtVersion"_s), u"2.0b"_s);
        EXPECT_EQ(textOf(form, u"txtReleaseDate"_s), todayShort());
        EXPECT_EQ(entries(form), QStringList({u"E1L1.MAP"_s, u"TILES000.ART"_s}));
        h.fakes.dialogs->answer(script);
        press(form, u"cmdSave"_s);
    });
    EXPECT_EQ(h.fakes.dialogs->requests.back().fileName, u"MYTC.TCS"_s);
    EXPECT_EQ(h.fakes.dialogs->requests.back().flags, 6);
    QByteArray expected = kScript;
    expected.replace("12/24/1999", todayShort().toLatin1());
    EXPECT_EQ(readBytes(script), expected);
    EXPECT_EQ(keptForm(), nullptr);
}

} // namespace
