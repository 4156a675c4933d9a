// The script editor as the control's "Script" and "ScriptView" commands show it, driven through
// its toolbar, and as it opens from outside the control (quillon FILE.tcs).

#include "../support/formtesting.h"

#include "../support/controlharness.h"
#include "platform/libraryfolder.h"
#include "form/frmscript.h"

#include <QPointer>
#include "form/scriptviewer.h"
#include "scripts/scriptbuffer.h"

using namespace ostrel;
using namespace ostrel::test;

namespace {

const QByteArray kScript = "definedukeversion 1.3D and 1.4/1.5\r\ndefinetcname Mytc\r\ndefinetcversion 2.0b\r\n"
                           "definereldate 12/24/1999\r\ndefinegroupfile MYTC.GRP\r\ndefinegamecon GAME.CON\r\n"
                           "definetextfile MYTC.TXT\r\ndefineotherfile E1L1.MAP\r\ndefineotherfile TILES000.ART\r\n"
                           "defineauthor Someone\r\ndefineemail someone@example.org\r\n"
                           "defineweb http://example.org/mytc\r\n";

// What the user sees in a shown form.
QStringList visibleState(const QWidget *form)
{
    QStringList state{form->windowTitle(), QString::number(child<QComboBox>(form, u"cboVersComp"_s)->currentIndex())};
    for (const char *name : {"txtTCName", "txtVersion", "txtReleaseDate", "lblGroupFile", "lblGameCon", "lblTextFile",
             "txtAuthor", "txtEmail", "txtWeb"})
        state << textOf(form, QString::fromLatin1(name));
    return state + entries(form);
}

class ScriptCommands : public ::testing::Test
{
protected:
    // Starts the control with a stored definition shown in its editor.
    void show(const TcDefinition &definition)
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

// A view that ends before showing the form, and a form left open, keep the form for the next
// command; a cancelled form is discarded. With an empty editor "Script" asks nothing.
TEST_F(ScriptCommands, FormIsKeptUntilCancelledAndScriptWithAnEmptyEditorShowsItFreshWithoutAsking)
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
    });
    run(u"Script"_s, [&](frmScript *form) {
        EXPECT_EQ(form, kept.data());
        typeInto(child<QLineEdit>(form, u"txtAuthor"_s), u"Typed"_s);
        // The save dialog carries on from the view's settings: it proposes the folder's title.
        h.fakes.dialogs->cancel();
        press(form, u"cmdSave"_s);
        press(form, u"cmdCancel"_s);
    });
    EXPECT_EQ(h.fakes.dialogs->requests.back().fileName, QFileInfo(h.temp.path()).fileName());
    EXPECT_TRUE(kept.isNull());
    run(u"Script"_s, [&](frmScript *form) { expectFreshFields(form); });
    EXPECT_EQ(h.fakes.messages->log(), QStringList{});
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

// "ScriptView" starts in the shown definition's group file folder; saving writes the script back
// byte for byte but for today's release date. quillon FILE.tcs shows the very same form, and its
// Save proposes the file's title too.
TEST_F(ScriptCommands, ViewAndOpeningAFileShowTheSameFormAndSaveChangesOnlyTheReleaseDate)
{
    const QString script = writeFile(h.temp.file(u"MYTC.TCS"_s), kScript);
    show({u"Foo"_s, u"1.3D"_s, u"/games/mytc/MYTC.GRP"_s, {}, {}, {}});
    h.fakes.dialogs->answer(script);
    QStringList viaControl, direct;
    run(u"ScriptView"_s, [&](frmScript *form) {
        const FileDialogRequest &request = h.fakes.dialogs->requests.back();
        EXPECT_EQ(request.initDir + u'|' + request.filter + u'|' + request.fileName,
            u"/games/mytc/|Quillon TC Scripts (*.tcs)|*.tcs|"_s);
        viaControl = visibleState(form);
        h.fakes.dialogs->answer(script);
        press(form, u"cmdSave"_s);
    });
    EXPECT_EQ(viaControl,
        (QStringList{u"Quillon TC Script - MYTC.TCS"_s, u"2"_s, u"Mytc"_s, u"2.0b"_s, todayShort(), u"MYTC.GRP"_s,
            u"GAME.CON"_s, u"MYTC.TXT"_s, u"Someone"_s, u"someone@example.org"_s, u"http://example.org/mytc"_s,
            u"E1L1.MAP"_s, u"TILES000.ART"_s}));
    EXPECT_EQ(h.fakes.dialogs->requests.back().fileName, u"MYTC.TCS"_s);
    EXPECT_EQ(h.fakes.dialogs->requests.back().flags, 6);
    QByteArray expected = kScript;
    expected.replace("12/24/1999", todayShort().toLatin1());
    EXPECT_EQ(readBytes(script), expected);
    EXPECT_EQ(keptForm(), nullptr);

    h.fakes.forms->onShow = [&](QDialog *form) {
        direct = visibleState(form);
        h.fakes.dialogs->cancel();
        press(form, u"cmdSave"_s);
    };
    QString error;
    ASSERT_TRUE(openScriptInEditor(script, h.fakes.services(), nullptr, &error)) << error.toStdString();
    EXPECT_EQ(direct, viaControl);
    EXPECT_EQ(h.fakes.dialogs->requests.back().fileName, u"MYTC.TCS"_s);
}

// What quillon prints when it cannot open a script in the editor.
TEST(ScriptViewer, AFileThatCannotBeLoadedShowsNothingAndSaysWhy)
{
    Sandbox temp;
    Fakes fakes{std::make_shared<MemorySettingsStore>()};
    writeFile(temp.file(u"folder.tcs/inside"_s), "x");
    const QString big = writeFile(temp.file(u"big.tcs"_s), QByteArray(ScriptBuffer::MaxFileSize + 1, 'a'));
    const QString atLimit = writeFile(temp.file(u"limit.tcs"_s), QByteArray(ScriptBuffer::MaxFileSize, 'a'));
    const std::pair<QString, QString> cases[] = {{temp.file(u"missing.tcs"_s), u"does not exist"_s},
        {temp.file(u"folder.tcs"_s), u"is a folder"_s}, {big, u"larger than 1 MiB"_s}, {QString(), u"No TC script"_s}};
    for (const auto &[path, reason] : cases) {
        QString error;
        EXPECT_FALSE(openScriptInEditor(path, fakes.services(), nullptr, &error)) << path.toStdString();
        EXPECT_TRUE(error.contains(reason)) << error.toStdString();
    }
    EXPECT_EQ(fakes.forms->shown, 0);
    EXPECT_TRUE(openScriptInEditor(atLimit, fakes.services(), nullptr));
    EXPECT_EQ(fakes.forms->shown, 1);
}

} // namespace
