// Opening a TC script in the editor from outside the control (quillon FILE.tcs).

#include "../support/formtesting.h"

#include "form/frmscript.h"
#include "scripts/scriptbuffer.h"
#include "form/scriptviewer.h"

#include <control/uctc.h>

#include <QAction>
#include <QTest>
#include <QToolBar>

using namespace Qt::StringLiterals;
using namespace ostrel;
using namespace ostrel::test;

namespace {

// What the user sees in a shown form.
QStringList visibleState(const QWidget *form)
{
    QStringList state{form->windowTitle(), QString::number(child<QComboBox>(form, u"cboVersComp"_s)->currentIndex())};
    for (const char *name : {"txtTCName", "txtVersion", "txtReleaseDate", "lblGroupFile", "lblGameCon",
                             "lblTextFile", "txtAuthor", "txtEmail", "txtWeb"})
        state << textOf(form, QString::fromLatin1(name));
    return state + entries(form);
}

class ScriptViewer : public ::testing::Test
{
protected:
    TempFolder temp;
    Fakes fakes{std::make_shared<MemorySettingsStore>()};
};

TEST_F(ScriptViewer, ShowsTheSameFormAsTheControlsViewCommandAndSavesUnderItsTitle)
{
    const QString script = temp.write(u"sub/MYTC.TCS"_s,
                                      "definedukeversion 1.4/1.5 Atomic\r\ndefinetcname Mytc\r\ndefinetcversion 2.0b\r\n"
                                      "definegroupfile MYTC.GRP\r\ndefinegamecon GAME.CON\r\ndefinetextfile MYTC.TXT\r\n"
                                      "defineotherfile E1L1.MAP\r\ndefineotherfile TILES000.ART\r\n"
                                      "defineauthor Someone\r\ndefineemail a@example.org\r\ndefineweb http://x.org\r\n");
    QStringList viaControl, direct;
    fakes.forms->onShow = [&](QDialog *form) { viaControl = visibleState(form); };
    ucTC control(fakes.services());
    control.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&control));
    fakes.dialogs->answer(script);
    auto *toolbar = control.findChild<QToolBar *>(u"tbToolbar"_s);
    clickOn(toolbar->widgetForAction(control.findChild<QAction *>(u"ScriptView"_s)));

    fakes.forms->onShow = [&](QDialog *form) {
        direct = visibleState(form);
        fakes.dialogs->cancel();
        press(form, u"cmdSave"_s);
    };
    QString error;
    ASSERT_TRUE(openScriptInEditor(script, fakes.services(), nullptr, &error)) << error.toStdString();
    EXPECT_EQ(fakes.forms->shown, 2);
    ASSERT_EQ(direct.size(), 13);
    EXPECT_EQ(direct.first(), u"Quillon TC Script - MYTC.TCS"_s);
    EXPECT_EQ(direct.at(1), u"1"_s);
    EXPECT_EQ(direct, viaControl);
    EXPECT_EQ(fakes.dialogs->requests.back().fileName, u"MYTC.TCS"_s);
}

TEST_F(ScriptViewer, AFileThatCannotBeLoadedShowsNothingAndSaysWhy)
{
    temp.write(u"folder.tcs/inside"_s, "x");
    const QString big = temp.write(u"big.tcs"_s, QByteArray(ScriptBuffer::MaxFileSize + 1, 'a'));
    const QString atLimit = temp.write(u"limit.tcs"_s, QByteArray(ScriptBuffer::MaxFileSize, 'a'));
    const std::pair<QString, QString> cases[] = {{temp.file(u"missing.tcs"_s), u"does not exist"_s},
                                                 {temp.file(u"folder.tcs"_s), u"is a folder"_s},
                                                 {big, u"larger than 1 MiB"_s},
                                                 {QString(), u"No TC script"_s}};
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
