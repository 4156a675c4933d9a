// The script editor on its own: fields, limits, pickers, saving and closing.

#include "formtesting.h"

#include "platform/libraryfolder.h"
#include "scripts/frmscript.h"

#include <QDir>
#include <QFontMetrics>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace ostrel;
using namespace ostrel::test;

namespace {

class ScriptForm : public ::testing::Test
{
protected:
    void click(const QString &name) { child<QPushButton>(&form, name)->click(); }
    const FileDialogRequest &lastRequest() const { return fakes.dialogs->requests.back(); }

    TempFolder temp;
    Fakes fakes{std::make_shared<MemorySettingsStore>()};
    frmScript form{fakes.services()};
};

TEST_F(ScriptForm, LoadsEmptyWithTodayAndFixedTwipsSize)
{
    expectFreshFields(&form);
    // 5760 x 4530 twips at the widget's DPI, and the window cannot be resized.
    EXPECT_EQ(form.size(), QSize(qRound(5760 * form.logicalDpiX() / 1440.0), qRound(4530 * form.logicalDpiY() / 1440.0)));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));

    QStringList chain;
    QWidget *w = child<QWidget>(&form, u"cboVersComp"_s);
    for (int i = 0; i < 15; ++i, w = w->nextInFocusChain()) {
        while (w->focusPolicy() == Qt::NoFocus || w->parentWidget() != &form)
            w = w->nextInFocusChain();
        chain << w->objectName();
    }
    EXPECT_EQ(chain.join(u' '), u"cboVersComp txtTCName txtVersion txtReleaseDate cmdGroupFile cmdGameCon "
                                "cmdTextFile cmdOtherFiles lstOtherFiles cmdOtherRemove txtAuthor txtEmail "
                                "txtWeb cmdSave cmdCancel"_s);
}

TEST_F(ScriptForm, TextBoxesTakeNoMoreThanTheirLimit)
{
    const std::pair<const char *, int> limits[] = {{"txtTCName", 25}, {"txtVersion", 6}, {"txtReleaseDate", 10},
                                                   {"txtAuthor", 200}, {"txtEmail", 80}, {"txtWeb", 80}};
    const QString longText = QString(210, u'w');
    for (const auto &[name, limit] : limits) {
        auto *box = child<QLineEdit>(&form, QString::fromLatin1(name));
        box->clear();
        QTest::keyClicks(box, longText);
        EXPECT_EQ(box->text(), QString(limit, u'w')) << name;
        box->setText(u"x"_s + longText);
        EXPECT_EQ(box->text().size(), limit) << name;
    }
}

TEST_F(ScriptForm, PickersStoreTitlesAndCancelEmptiesTheField)
{
    const QString root = libraryVolumeRoot();
    fakes.dialogs->answer(u"/games/mytc/MYTC.GRP"_s);
    click(u"cmdGroupFile"_s);
    EXPECT_EQ(textOf(&form, u"lblGroupFile"_s), u"MYTC.GRP"_s);
    EXPECT_EQ(lastRequest().filter, u"Group Files (*.grp)|*.grp"_s);
    EXPECT_EQ(lastRequest().initDir, root);

    fakes.dialogs->cancel();
    click(u"cmdGroupFile"_s);
    EXPECT_EQ(textOf(&form, u"lblGroupFile"_s), QString());

    // The cancel left the dialog at the file chosen before.
    fakes.dialogs->answer(u"/games/other/GAME.CON"_s);
    click(u"cmdGameCon"_s);
    EXPECT_EQ(lastRequest().initDir, u"/games/mytc/"_s);
    EXPECT_EQ(lastRequest().fileName, u"/games/mytc/MYTC.GRP"_s);
    EXPECT_EQ(textOf(&form, u"lblGameCon"_s), u"GAME.CON"_s);

}

TEST_F(ScriptForm, OtherFilesAppendEvenEmptyAndRemoveOnlyTheSelectedEntry)
{
    fakes.dialogs->answer(u"/maps/E1L1.MAP"_s);
    fakes.dialogs->answer(u"/maps/E1L1.MAP"_s);
    fakes.dialogs->cancel();
    for (int i = 0; i < 3; ++i)
        click(u"cmdOtherFiles"_s);
    EXPECT_EQ(lastRequest().filter, u"All Files (*.*)|*.*"_s);
    EXPECT_EQ(entries(&form), QStringList({u"E1L1.MAP"_s, u"E1L1.MAP"_s, QString()}));

    auto *list = child<QListWidget>(&form, u"lstOtherFiles"_s);
    list->setCurrentRow(-1);
    click(u"cmdOtherRemove"_s);
    EXPECT_EQ(list->count(), 3);
    list->setCurrentRow(1);
    click(u"cmdOtherRemove"_s);
    EXPECT_EQ(entries(&form), QStringList({u"E1L1.MAP"_s, QString()}));
}

TEST_F(ScriptForm, CancelledSaveKeepsFieldsAndProposesTheSameNameAgain)
{
    fakes.dialogs->cancel();
    click(u"cmdSave"_s);
    EXPECT_EQ(lastRequest().mode, FileDialogRequest::Mode::Save);
    EXPECT_EQ(lastRequest().filter, u"Quillon TC Scripts (*.tcs)|*.tcs"_s);
    EXPECT_EQ(lastRequest().flags, 6);
    EXPECT_EQ(lastRequest().fileName, QString());
    EXPECT_EQ(lastRequest().initDir, libraryVolumeRoot());

    fakes.dialogs->answer(u"/games/mytc/MY.GRP"_s);
    click(u"cmdGroupFile"_s);
    child<QLineEdit>(&form, u"txtTCName"_s)->setText(u"Kept"_s);
    for (int i = 0; i < 2; ++i) {
        fakes.dialogs->cancel();
        click(u"cmdSave"_s);
        EXPECT_EQ(lastRequest().fileName, u"MY.GRP"_s);
        EXPECT_EQ(lastRequest().initDir, QString());
    }
    EXPECT_FALSE(form.isDiscarded());
    EXPECT_EQ(textOf(&form, u"txtTCName"_s), u"Kept"_s);
    EXPECT_EQ(textOf(&form, u"lblGroupFile"_s), u"MY.GRP"_s);
    EXPECT_TRUE(QDir(temp.path()).isEmpty());
}

TEST_F(ScriptForm, SaveWritesTheScriptAndCloses)
{
    child<QComboBox>(&form, u"cboVersComp"_s)->setCurrentIndex(1);
    child<QLineEdit>(&form, u"txtTCName"_s)->setText(u"Caf\u00e9 Wars"_s);
    child<QLineEdit>(&form, u"txtReleaseDate"_s)->setText(u"1/2/03"_s);
    fakes.dialogs->answer(u"/tc/CAFE.GRP"_s);
    click(u"cmdGroupFile"_s);
    fakes.dialogs->answer(u"/tc/A.ART"_s);
    fakes.dialogs->cancel();
    click(u"cmdOtherFiles"_s);
    click(u"cmdOtherFiles"_s);
    child<QLineEdit>(&form, u"txtWeb"_s)->setText(u"http://x.example/"_s);

    const QString target = temp.file(u"cafe.tcs"_s);
    fakes.dialogs->answer(target);
    click(u"cmdSave"_s);

    EXPECT_EQ(readBytes(target), QByteArray("definedukeversion 1.4/1.5 Atomic\r\n"
                                            "definetcname Caf\xe9 Wars\r\n"
                                            "definetcversion \r\n"
                                            "definereldate 1/2/03\r\n"
                                            "definegroupfile CAFE.GRP\r\n"
                                            "definegamecon \r\n"
                                            "definetextfile \r\n"
                                            "defineotherfile A.ART\r\n"
                                            "defineotherfile \r\n"
                                            "defineauthor \r\n"
                                            "defineemail \r\n"
                                            "defineweb http://x.example/\r\n"));
    EXPECT_TRUE(form.isDiscarded());
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST_F(ScriptForm, UnwritableTargetWarnsOnceAndKeepsTheFormOpen)
{
    const QString targets[] = {temp.file(u"missing/folder/x.tcs"_s), temp.path()};
    child<QLineEdit>(&form, u"txtTCName"_s)->setText(u"Kept"_s);
    for (const QString &target : targets) {
        fakes.messages->messages.clear();
        fakes.dialogs->answer(target);
        click(u"cmdSave"_s);
        ASSERT_EQ(fakes.messages->messages.size(), 1u) << target.toStdString();
        const auto &warning = fakes.messages->messages.front();
        EXPECT_EQ(warning.kind, RecordingMessageBoxes::Message::Kind::Exclamation);
        EXPECT_TRUE(warning.title == u"Quillon"_s && warning.text.contains(target)) << warning.text.toStdString();
        EXPECT_FALSE(form.isDiscarded());
        EXPECT_EQ(textOf(&form, u"txtTCName"_s), u"Kept"_s);
    }
    EXPECT_FALSE(QFileInfo::exists(targets[0]));
}

TEST_F(ScriptForm, CancelAndCloseButtonDiscardWithoutWriting)
{
    click(u"cmdCancel"_s);
    EXPECT_TRUE(form.isDiscarded());

    frmScript closed(fakes.services());
    closed.show();
    closed.close();
    EXPECT_TRUE(closed.isDiscarded());
    EXPECT_TRUE(fakes.dialogs->requests.empty());
}

// Every caption fits its control at the form's own font; OSTREL_SCREENSHOT=path saves a picture.
TEST_F(ScriptForm, CaptionsFitTheirControls)
{
    for (auto *label : form.findChildren<QLabel *>()) {
        if (!label->text().isEmpty()) {
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width())
                << label->objectName().toStdString();
        }
    }
    for (auto *button : form.findChildren<QPushButton *>()) {
        const int needed = button->fontMetrics().horizontalAdvance(QString(button->text()).remove(u'&'));
        EXPECT_LT(needed, button->width()) << button->objectName().toStdString();
    }
    if (const QString path = qEnvironmentVariable("OSTREL_SCREENSHOT"); !path.isEmpty()) {
        child<QLabel>(&form, u"lblGroupFile"_s)->setText(u"MYTC.GRP"_s);
        child<QLineEdit>(&form, u"txtTCName"_s)->setText(u"Quality Gyp Jumps"_s);
        child<QComboBox>(&form, u"cboVersComp"_s)->setCurrentIndex(2);
        child<QListWidget>(&form, u"lstOtherFiles"_s)->addItems({u"E1L1.MAP"_s, u"TILES000.ART"_s});
        form.show();
        form.grab().save(path);
    }
}

} // namespace
