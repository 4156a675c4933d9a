// The control's "Script" and "ScriptView" commands, driven through its toolbar.

#include "formtesting.h"

#include "platform/libraryfolder.h"
#include "scripts/frmscript.h"
#include "store/definitionkeys.h"

#include <uctc.h>

#include <QAction>
#include <QPushButton>

using namespace Qt::StringLiterals;
using namespace ostrel;
using namespace ostrel::test;

namespace {

class ScriptCommands : public ::testing::Test
{
protected:
    // Stores a definition under name and shows it in the control's editor.
    void showDefinition(const QString &name, const QString &version, const QString &groupFile,
                        const QString &gameCon, const QStringList &otherFiles)
    {
        auto save = [&](const QString &suffix, const QString &value) {
            store->SaveSetting(kApplication.toString(), kDefinedTCs.toString(), name + suffix, value);
        };
        save(u"VersionComp"_s, version);
        save(u"NAME"_s, name);
        save(u"GroupFile"_s, groupFile);
        save(u"GameCon"_s, gameCon);
        save(u"TextFile"_s, QString());
        for (qsizetype i = 0; i < otherFiles.size(); ++i)
            save(u"OtherFile"_s + QString::number(i + 1), otherFiles[i]);
        control = std::make_unique<ucTC>(fakes.services());
        auto *names = child<QComboBox>(control.get(), u"cboTClist"_s);
        const int index = names->findText(name);
        names->setCurrentIndex(index);
        Q_EMIT names->activated(index);
        ASSERT_EQ(textOf(control.get(), u"txtTCName"_s), name);
    }

    // Runs a toolbar command; play is the user while the form is shown.
    void run(const QString &key, const std::function<void(frmScript *)> &play = {})
    {
        fakes.forms->onShow = [&](QDialog *dialog) {
            auto *form = qobject_cast<frmScript *>(dialog);
            ASSERT_NE(form, nullptr);
            shownForms << form;
            if (play)
                play(form);
        };
        if (!control)
            control = std::make_unique<ucTC>(fakes.services());
        const int shownBefore = fakes.forms->shown;
        control->findChild<QAction *>(key)->trigger();
        if (play) {
            EXPECT_EQ(fakes.forms->shown, shownBefore + 1) << key.toStdString() << " showed no form";
        }
    }

    static void press(frmScript *form, const QString &button) { child<QPushButton>(form, button)->click(); }
    frmScript *keptForm() const { return control->findChild<frmScript *>(); }

    TempFolder temp;
    std::shared_ptr<MemorySettingsStore> store = std::make_shared<MemorySettingsStore>();
    Fakes fakes{store};
    std::unique_ptr<ucTC> control;
    QList<QPointer<frmScript>> shownForms;
};

TEST_F(ScriptCommands, ScriptWithoutADefinitionOpensAFreshFormWithoutAsking)
{
    run(u"Script"_s, [](frmScript *form) {
        expectFreshFields(form);
        child<QLineEdit>(form, u"txtAuthor"_s)->setText(u"Typed"_s);
        press(form, u"cmdCancel"_s);
    });
    run(u"Script"_s, [](frmScript *form) { expectFreshFields(form); });
    EXPECT_TRUE(fakes.messages->messages.empty());
    ASSERT_EQ(shownForms.size(), 2);
    EXPECT_TRUE(shownForms[0].isNull()) << "a cancelled form is discarded";
    EXPECT_FALSE(shownForms[1].isNull()) << "a form left open is kept";
}

TEST_F(ScriptCommands, AnsweringNoOpensABlankForm)
{
    showDefinition(u"Foo"_s, u"1.3D"_s, u"/games/foo/FOO.GRP"_s, QString(), {});
    run(u"Script"_s, [](frmScript *form) { expectFreshFields(form); });
    ASSERT_EQ(fakes.messages->messages.size(), 1u);
    const auto &question = fakes.messages->messages.front();
    EXPECT_EQ(question.kind, RecordingMessageBoxes::Message::Kind::Question);
    EXPECT_EQ(question.title + u'|' + question.text, u"Quillon|Use current TC Definition as default?"_s);
    EXPECT_TRUE(question.yesIsDefault);
}

TEST_F(ScriptCommands, AnsweringYesCopiesVersionNameAndFileTitles)
{
    const QString longName = u"A Very Long Total Conversion"_s + u"!!"_s; // 30 characters
    showDefinition(longName, u"1.4/1.5 atomic"_s, u"/games/mytc/MYTC.GRP"_s, QString(),
                   {u"/games/mytc/E1L1.MAP"_s, u"NOFOLDER.ART"_s, u"/x/y/SOUND.VOC"_s, u"/games/mytc/E1L1.MAP"_s});
    fakes.messages->answers.push_back(true);
    run(u"Script"_s, [&](frmScript *form) {
        EXPECT_EQ(child<QComboBox>(form, u"cboVersComp"_s)->currentIndex(), 1);
        EXPECT_EQ(textOf(form, u"txtTCName"_s), longName.left(25));
        EXPECT_EQ(textOf(form, u"lblGroupFile"_s), u"MYTC.GRP"_s);
        EXPECT_EQ(textOf(form, u"lblGameCon"_s), QString());
        EXPECT_EQ(entries(form), QStringList({u"E1L1.MAP"_s, u"SOUND.VOC"_s, u"E1L1.MAP"_s}));
        EXPECT_EQ(textOf(form, u"txtReleaseDate"_s), todayShort());
    });
}

TEST_F(ScriptCommands, ViewOpensInTheGroupFileFolderOrAtTheVolumeRoot)
{
    run(u"ScriptView"_s);
    ASSERT_EQ(fakes.dialogs->requests.size(), 1u);
    EXPECT_EQ(fakes.dialogs->requests[0].initDir, libraryVolumeRoot());

    showDefinition(u"Foo"_s, u"1.3D"_s, u"/games/mytc/MYTC.GRP"_s, QString(), {});
    run(u"ScriptView"_s);
    const FileDialogRequest &request = fakes.dialogs->requests.back();
    EXPECT_EQ(request.initDir, u"/games/mytc/"_s);
    EXPECT_EQ(request.filter, u"Quillon TC Scripts (*.tcs)|*.tcs"_s);
    EXPECT_EQ(request.fileName, QString());
    EXPECT_EQ(fakes.forms->shown, 0);
}

TEST_F(ScriptCommands, ViewThatEndsEarlyKeepsTheFormForTheNextCommand)
{
    fakes.dialogs->answer(temp.path()); // a folder cannot be loaded
    run(u"ScriptView"_s);
    QPointer<frmScript> kept = keptForm();
    ASSERT_FALSE(kept.isNull());
    EXPECT_FALSE(kept->isVisible());
    EXPECT_EQ(fakes.forms->shown, 0);

    fakes.dialogs->cancel();
    run(u"ScriptView"_s);
    EXPECT_EQ(keptForm(), kept.data());

    run(u"Script"_s, [&](frmScript *form) {
        EXPECT_EQ(form, kept.data());
        EXPECT_EQ(form->windowTitle(), u"Quillon TC Script"_s);
        // The save dialog carries on from the view's settings: it proposes the folder's title.
        fakes.dialogs->cancel();
        press(form, u"cmdSave"_s);
        press(form, u"cmdCancel"_s);
    });
    EXPECT_EQ(fakes.dialogs->requests.back().fileName, QFileInfo(temp.path()).fileName());
    EXPECT_TRUE(kept.isNull());
}

TEST_F(ScriptCommands, ViewAndSaveRoundTripChangesOnlyTheReleaseDate)
{
    const QByteArray original = "definedukeversion 1.3D and 1.4/1.5\r\n"
                                "definetcname Mytc\r\n"
                                "definetcversion 2.0b\r\n"
                                "definereldate 12/24/1999\r\n"
                                "definegroupfile MYTC.GRP\r\n"
                                "definegamecon GAME.CON\r\n"
                                "definetextfile MYTC.TXT\r\n"
                                "defineotherfile E1L1.MAP\r\n"
                                "defineotherfile TILES000.ART\r\n"
                                "defineauthor Someone\r\n"
                                "defineemail someone@example.org\r\n"
                                "defineweb http://example.org/mytc\r\n";
    const QString script = temp.write(u"MYTC.TCS"_s, original);
    fakes.dialogs->answer(script);
    run(u"ScriptView"_s, [&](frmScript *form) {
        EXPECT_EQ(form->windowTitle(), u"Quillon TC Script - MYTC.TCS"_s);
        EXPECT_EQ(child<QComboBox>(form, u"cboVersComp"_s)->currentIndex(), 2);
        EXPECT_EQ(textOf(form, u"txtVersion"_s), u"2.0b"_s);
        EXPECT_EQ(textOf(form, u"txtReleaseDate"_s), todayShort());
        EXPECT_EQ(entries(form), QStringList({u"E1L1.MAP"_s, u"TILES000.ART"_s}));
        fakes.dialogs->answer(script);
        press(form, u"cmdSave"_s);
    });
    EXPECT_EQ(fakes.dialogs->requests.back().fileName, u"MYTC.TCS"_s);
    EXPECT_EQ(fakes.dialogs->requests.back().flags, 6);
    QByteArray expected = original;
    expected.replace("12/24/1999", todayShort().toLatin1());
    EXPECT_EQ(readBytes(script), expected);
    EXPECT_EQ(keptForm(), nullptr);
}

} // namespace
