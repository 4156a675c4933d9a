// The script editor on its own: fields, limits, pickers, saving and closing.

#include "../support/formtesting.h"

#include "platform/libraryfolder.h"
#include "form/frmscript.h"

#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace ostrel;
using namespace ostrel::test;

namespace {

class ScriptForm : public ::testing::Test
{
protected:
    void pick(const QString &button, const std::optional<QString> &answer)
    {
        fakes.dialogs->answers.push_back(answer);
        press(&form, button);
    }
    void SetUp() override
    {
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }
    void type(const QString &box, const QString &text) { typeInto(child<QLineEdit>(&form, box), text); }
    const FileDialogRequest &lastRequest() const { return fakes.dialogs->requests.back(); }

    Sandbox temp;
    Fakes fakes{std::make_shared<MemorySettingsStore>()};
    frmScript form{fakes.services()};
};

TEST_F(ScriptForm, LoadsEmptyWithTodayAtAFixedSizeAndTabOrder)
{
    expectFreshFields(&form);
    // 5760 x 4530 twips at the widget's DPI, and the window cannot be resized.
    EXPECT_EQ(
        form.size(), QSize(qRound(5760 * form.logicalDpiX() / 1440.0), qRound(4530 * form.logicalDpiY() / 1440.0)));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));

    QStringList chain;
    QWidget *w = child<QWidget>(&form, u"cboVersComp"_s);
    for (int i = 0; i < 15; ++i, w = w->nextInFocusChain()) {
        while (w->focusPolicy() == Qt::NoFocus || w->parentWidget() != &form)
            w = w->nextInFocusChain();
        chain << w->objectName();
    }
    EXPECT_EQ(chain.join(u' '),
        u"cboVersComp txtTCName txtVersion txtReleaseDate cmdGroupFile cmdGameCon "
        "cmdTextFile cmdOtherFiles lstOtherFiles cmdOtherRemove txtAuthor txtEmail "
        "txtWeb cmdSave cmdCancel"_s);
}

// A value read from a script is cut to the field's limit, but never inside a character: half of
// a pair would be saved as a replacement character. Typing stops at the same limits.
TEST_F(ScriptForm, TextStopsAtEachFieldsLimitAndAValueReadIsNeverCutInsideACharacter)
{
    const QString emoji = u"\U0001F3AE"_s; // two UTF-16 units
    const QString name = QString(24, u'n') + emoji + u"tail"_s, version = u"v1.2"_s + emoji + emoji;
    const QString script = u"definetcname "_s + name + u"\r\ndefinetcversion "_s + version + u"\r\ndefineauthor "_s
        + QString(198, u'a') + emoji + u"\r\n"_s;
    ASSERT_TRUE(form.readScript(writeFile(temp.file(u"long.tcs"_s), script.toUtf8())));
    EXPECT_EQ(textOf(&form, u"txtTCName"_s), QString(24, u'n'));
    EXPECT_EQ(textOf(&form, u"txtVersion"_s), u"v1.2"_s + emoji);
    EXPECT_EQ(textOf(&form, u"txtAuthor"_s), QString(198, u'a') + emoji); // exactly at the limit

    const std::pair<const char *, int> limits[] = {{"txtTCName", 25}, {"txtVersion", 6}, {"txtReleaseDate", 10},
        {"txtAuthor", 200}, {"txtEmail", 80}, {"txtWeb", 80}};
    for (const auto &[name, limit] : limits) {
        auto *box = child<QLineEdit>(&form, QString::fromLatin1(name));
        box->clear();
        typeInto(box, QString(211, u'x'));
        EXPECT_EQ(box->text(), QString(limit, u'x')) << name;
    }
}

TEST_F(ScriptForm, PickersAndDropsShowTitlesAndCancelEmptiesTheFieldOrAddsAnEmptyEntry)
{
    pick(u"cmdGroupFile"_s, u"/games/mytc/MYTC.GRP"_s);
    EXPECT_EQ(textOf(&form, u"lblGroupFile"_s), u"MYTC.GRP"_s);
    EXPECT_EQ(lastRequest().filter, u"Group Files (*.grp)|*.grp"_s);
    EXPECT_EQ(lastRequest().initDir, libraryVolumeRoot());
    pick(u"cmdGroupFile"_s, std::nullopt);
    EXPECT_EQ(textOf(&form, u"lblGroupFile"_s), QString());
    // The cancel left the dialog at the file chosen before.
    pick(u"cmdGameCon"_s, u"/games/other/GAME.CON"_s);
    EXPECT_EQ(lastRequest().initDir, u"/games/mytc/"_s);
    EXPECT_EQ(lastRequest().fileName, u"/games/mytc/MYTC.GRP"_s);
    EXPECT_EQ(textOf(&form, u"lblGameCon"_s), u"GAME.CON"_s);

    for (const std::optional<QString> &answer :
        {std::optional(u"/maps/E1L1.MAP"_s), std::optional(u"/maps/E1L1.MAP"_s), std::optional<QString>()})
        pick(u"cmdOtherFiles"_s, answer);
    EXPECT_EQ(lastRequest().filter, u"All Files (*.*)|*.*"_s);
    EXPECT_EQ(entries(&form), QStringList({u"E1L1.MAP"_s, u"E1L1.MAP"_s, QString()}));
    auto *list = child<QListWidget>(&form, u"lstOtherFiles"_s);
    press(&form, u"cmdOtherRemove"_s); // nothing selected removes nothing
    EXPECT_EQ(entries(&form).size(), 3);
    clickAt(list->viewport(), list->visualItemRect(list->item(1)).center());
    press(&form, u"cmdOtherRemove"_s);
    press(&form, u"cmdOtherRemove"_s); // the selection went with its entry
    EXPECT_EQ(entries(&form), QStringList({u"E1L1.MAP"_s, QString()}));

    // A file dropped on a field, or its button, is taken by title too, by its own field only.
    const QString grp = writeFile(temp.file(u"tc/MY.GRP"_s), "g");
    EXPECT_FALSE(dropOn(child<QWidget>(&form, u"lblTextFile"_s), fileUrls({grp})));
    EXPECT_TRUE(dropOn(child<QWidget>(&form, u"cmdGroupFile"_s), fileUrls({grp})));
    EXPECT_EQ(textOf(&form, u"lblGroupFile"_s), u"MY.GRP"_s);
}

TEST_F(ScriptForm, CancelledSaveProposesTheSameNameAgainAndCancelDiscardsTheForm)
{
    pick(u"cmdSave"_s, std::nullopt);
    EXPECT_EQ(lastRequest().mode, FileDialogRequest::Mode::Save);
    EXPECT_EQ(lastRequest().filter, u"Quillon TC Scripts (*.tcs)|*.tcs"_s);
    EXPECT_EQ(lastRequest().flags, 6);
    EXPECT_EQ(lastRequest().fileName, QString());
    EXPECT_EQ(lastRequest().initDir, libraryVolumeRoot());

    pick(u"cmdGroupFile"_s, u"/games/mytc/MY.GRP"_s);
    type(u"txtTCName"_s, u"Kept"_s);
    for (int i = 0; i < 2; ++i) {
        pick(u"cmdSave"_s, std::nullopt);
        EXPECT_EQ(lastRequest().fileName, u"MY.GRP"_s);
        EXPECT_EQ(lastRequest().initDir, QString());
    }
    EXPECT_FALSE(form.isDiscarded());
    EXPECT_EQ(textOf(&form, u"txtTCName"_s) + u'|' + textOf(&form, u"lblGroupFile"_s), u"Kept|MY.GRP"_s);

    // Cancel, and the window's close button, discard a form without writing anything.
    press(&form, u"cmdCancel"_s);
    EXPECT_TRUE(form.isDiscarded());
    frmScript closed(fakes.services());
    closed.show();
    closed.close();
    EXPECT_TRUE(closed.isDiscarded());
    EXPECT_EQ(snapshotOf(temp.path()), (Snapshot{{"home", "<dir>"}}));
}

TEST_F(ScriptForm, UnwritableTargetWarnsOnceAndKeepsTheFormOpen)
{
    type(u"txtTCName"_s, u"Kept"_s);
    for (const QString &target : {temp.file(u"missing/folder/x.tcs"_s), temp.path()}) {
        fakes.messages->messages.clear();
        pick(u"cmdSave"_s, target);
        const QStringList log = fakes.messages->log();
        EXPECT_TRUE(log.size() == 1 && log[0].startsWith(u"Quillon! "_s) && log[0].contains(target))
            << log.join(u'/').toStdString();
        EXPECT_FALSE(form.isDiscarded());
        EXPECT_EQ(textOf(&form, u"txtTCName"_s), u"Kept"_s);
    }
    EXPECT_FALSE(QFileInfo::exists(temp.file(u"missing"_s)));
}

} // namespace
