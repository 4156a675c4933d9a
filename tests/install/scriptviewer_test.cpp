// Opening a TC script in the editor from outside the control (quillon FILE.tcs).

#include "../form/formtesting.h"

#include "scripts/frmscript.h"
#include "scripts/scriptbuffer.h"
#include "scripts/scriptviewer.h"

#include <uctc.h>

#include <QAction>
#include <QPushButton>

using namespace Qt::StringLiterals;
using namespace ostrel;
using namespace ostrel::test;

namespace {

const QByteArray kScript = "definedukeversion 1.4/1.5 Atomic\r\n"
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

// What the user sees in a shown form.
QStringList visibleState(const QWidget *form)
{
    QStringList state{form->windowTitle(),
                      QString::number(child<QComboBox>(form, u"cboVersComp"_s)->currentIndex())};
    for (const char *name : {"txtTCName", "txtVersion", "txtReleaseDate", "lblGroupFile", "lblGameCon",
                             "lblTextFile", "txtAuthor", "txtEmail", "txtWeb"})
        state << textOf(form, QString::fromLatin1(name));
    return state + entries(form);
}

class ScriptViewer : public ::testing::Test
{
protected:
    TempFolder temp;
    std::shared_ptr<MemorySettingsStore> store = std::make_shared<MemorySettingsStore>();
    Fakes fakes{store};
};

TEST_F(ScriptViewer, ShowsTheSameFormAsTheControlsViewCommand)
{
    const QString script = temp.write(u"MYTC.TCS"_s, kScript);

    QStringList viaControl;
    fakes.forms->onShow = [&](QDialog *form) { viaControl = visibleState(form); };
    ucTC control(fakes.services());
    fakes.dialogs->answer(script);
    control.findChild<QAction *>(u"ScriptView"_s)->trigger();

    QStringList direct;
    fakes.forms->onShow = [&](QDialog *form) { direct = visibleState(form); };
    QString error;
    ASSERT_TRUE(openScriptInEditor(script, fakes.services(), nullptr, &error)) << error.toStdString();

    EXPECT_EQ(fakes.forms->shown, 2);
    ASSERT_FALSE(direct.isEmpty());
    EXPECT_EQ(direct.first(), u"Quillon TC Script - MYTC.TCS"_s);
    EXPECT_EQ(direct.at(1), u"1"_s);
    EXPECT_EQ(direct, viaControl);
}

TEST_F(ScriptViewer, SaveAfterOpeningProposesTheScriptsTitle)
{
    const QString script = temp.write(u"sub/MYTC.TCS"_s, kScript);
    const QString copy = temp.file(u"COPY.TCS"_s);
    fakes.forms->onShow = [&](QDialog *form) {
        fakes.dialogs->answer(copy);
        child<QPushButton>(form, u"cmdSave"_s)->click();
    };
    ASSERT_TRUE(openScriptInEditor(script, fakes.services(), nullptr));
    ASSERT_FALSE(fakes.dialogs->requests.empty());
    EXPECT_EQ(fakes.dialogs->requests.back().fileName, u"MYTC.TCS"_s);
    QByteArray expected = kScript;
    expected.replace("12/24/1999", todayShort().toLatin1());
    EXPECT_EQ(readBytes(copy), expected);
}

TEST_F(ScriptViewer, AFileThatCannotBeLoadedShowsNothingAndSaysWhy)
{
    temp.write(u"folder.tcs/inside"_s, "x");
    const QString big = temp.write(u"big.tcs"_s, QByteArray(ScriptBuffer::MaxFileSize + 1, 'a'));
    const QString atLimit = temp.write(u"limit.tcs"_s, QByteArray(ScriptBuffer::MaxFileSize, 'a'));
    struct Case {
        QString path;
        QString reason;
    };
    const Case cases[] = {{temp.file(u"missing.tcs"_s), u"does not exist"_s},
                          {temp.file(u"folder.tcs"_s), u"is a folder"_s},
                          {big, u"larger than 1 MiB"_s},
                          {QString(), u"No TC script"_s}};
    for (const Case &c : cases) {
        QString error;
        EXPECT_FALSE(openScriptInEditor(c.path, fakes.services(), nullptr, &error)) << c.path.toStdString();
        EXPECT_TRUE(error.contains(c.reason)) << error.toStdString();
    }
    EXPECT_EQ(fakes.forms->shown, 0);

    EXPECT_TRUE(scriptFileProblem(atLimit).isEmpty());
    EXPECT_TRUE(openScriptInEditor(atLimit, fakes.services(), nullptr));
    EXPECT_EQ(fakes.forms->shown, 1);
}

} // namespace
