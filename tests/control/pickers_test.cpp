// The file pickers: the shared dialog, its initial folders, cancel, removal, viewing.

#include "controlharness.h"

#include "platform/libraryfolder.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFileDialog>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ostrel;
using namespace ostrel::test;

namespace {

class Pickers : public ::testing::Test
{
protected:
    void SetUp() override
    {
        h.start();
        h.click(u"New"_s);
    }

    const FileDialogRequest &lastRequest() const { return h.fakes.dialogs->requests.back(); }

    ControlHarness h;
};

TEST_F(Pickers, EachUsesItsFilterAndPutsThePathInItsTarget)
{
    struct Case {
        QString button, filter, path, target;
    };
    const Case cases[] = {
        {u"cmdGroupFile"_s, u"Group Files (*.grp)|*.grp"_s, u"/a/DUKE3D.GRP"_s, u"lblGroupFile"_s},
        {u"cmdGameCon"_s, u"Con Files (*.con)|*.con"_s, u"/a/game.con"_s, u"lblGameCon"_s},
        {u"cmdTextFile"_s, u"Text Files (*.txt)|*.txt"_s, u"/a/read me.txt"_s, u"lblTextFile"_s},
    };
    for (const Case &c : cases) {
        h.fakes.dialogs->answer(c.path);
        h.clickButton(c.button);
        EXPECT_EQ(lastRequest().filter, c.filter);
        EXPECT_EQ(lastRequest().filterIndex, 1);
        EXPECT_EQ(lastRequest().mode, FileDialogRequest::Mode::Open);
        EXPECT_TRUE(lastRequest().fileName.isEmpty());
        EXPECT_EQ(h.text(c.target), c.path);
    }
    h.fakes.dialogs->answer(u"/a/x.dat"_s);
    h.fakes.dialogs->answer(u"/a/x.dat"_s);
    h.clickButton(u"cmdOtherFiles"_s);
    h.clickButton(u"cmdOtherFiles"_s);
    EXPECT_EQ(lastRequest().filter, u"All Files (*.*)|*.*");
    EXPECT_EQ(h.otherFiles(), (QStringList{u"/a/x.dat"_s, u"/a/x.dat"_s}));
}

TEST_F(Pickers, InitialFolderFollowsTheLastChosenFileAndFallsBackToTheVolumeRoot)
{
    const QString root = libraryVolumeRoot();
    h.fakes.dialogs->answer(u"/games/mytc/MYTC.GRP"_s);
    h.clickButton(u"cmdGroupFile"_s);
    EXPECT_EQ(lastRequest().initDir, root);

    h.fakes.dialogs->cancel();
    h.clickButton(u"cmdGameCon"_s);
    EXPECT_EQ(lastRequest().initDir, u"/games/mytc/");
    EXPECT_TRUE(h.text(u"lblGameCon"_s).isEmpty());

    // After a cancel the dialog has forgotten the file: back to the volume root.
    h.fakes.dialogs->answer(u"/other/readme.txt"_s);
    h.clickButton(u"cmdTextFile"_s);
    EXPECT_EQ(lastRequest().initDir, root);
    EXPECT_EQ(h.text(u"lblGroupFile"_s), u"/games/mytc/MYTC.GRP");

    h.fakes.dialogs->cancel();
    h.clickButton(u"cmdOtherFiles"_s);
    EXPECT_EQ(lastRequest().initDir, u"/other/");
}

TEST_F(Pickers, CancelAndRemovingNothingAreNoChange)
{
    h.click(u"CancelNew"_s);
    h.fakes.store->SaveSetting(u"Vantrel"_s, u"DefinedTCs"_s, u"FooNAME"_s, u"Foo"_s);
    h.fakes.store->SaveSetting(u"Vantrel"_s, u"DefinedTCs"_s, u"FooOtherFile1"_s, u"one"_s);
    h.fakes.store->SaveSetting(u"Vantrel"_s, u"DefinedTCs"_s, u"FooOtherFile2"_s, u"two"_s);
    h.fakes.store->SaveSetting(u"Vantrel"_s, u"DefinedTCs"_s, u"FooOtherFile3"_s, u"three"_s);
    h.control.reset();
    h.start();
    h.choose(u"Foo"_s);
    const QString browsing = h.editorState();

    h.fakes.dialogs->cancel();
    h.clickButton(u"cmdGroupFile"_s);
    h.clickButton(u"cmdOtherRemove"_s); // nothing selected
    h.clickButton(u"cmdViewTextFile"_s); // no text file
    EXPECT_EQ(h.editorState(), browsing);
    EXPECT_TRUE(h.fakes.shell->opened.isEmpty());

    h.find<QListWidget>(u"lstOtherFiles"_s)->setCurrentRow(1);
    h.clickButton(u"cmdOtherRemove"_s);
    EXPECT_EQ(h.otherFiles(), (QStringList{u"one"_s, u"three"_s}));
    EXPECT_TRUE(h.action(u"Save"_s)->isEnabled());
    EXPECT_FALSE(h.action(u"New"_s)->isEnabled());
}

TEST_F(Pickers, ViewTextFileHandsThePathToTheDesktopOnce)
{
    const QString hostile = u"/tmp/a b/it's \"$(rm -rf x)\"; echo.txt"_s;
    h.fakes.dialogs->answer(hostile);
    h.clickButton(u"cmdTextFile"_s);
    const QStringList before = h.enabledButtons();
    h.clickButton(u"cmdViewTextFile"_s);
    EXPECT_EQ(h.fakes.shell->opened, QStringList{hostile});
    EXPECT_EQ(h.enabledButtons(), before);
}

// The real dialog, with a folder holding files in capitals and in lower case: each
// filter must list its files whatever their letter case.
TEST(RealFileDialog, FiltersMatchWithoutRegardToCase)
{
    TempFolder temp;
    temp.write(u"tc/DUKE3D.GRP"_s, "g");
    temp.write(u"tc/game.con"_s, "c");
    temp.write(u"tc/README.TXT"_s, "t");
    const QString folder = temp.file(u"tc"_s);

    auto listedBy = [&](const QString &filter) {
        QStringList listed;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            // Let the file system model read the folder, then look at what the view shows.
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, dialog, [&, dialog] {
                auto *view = dialog->findChild<QAbstractItemView *>(u"listView"_s);
                QAbstractItemModel *model = view ? view->model() : nullptr;
                if (model && model->rowCount(view->rootIndex()) > 0) {
                    for (int r = 0; r < model->rowCount(view->rootIndex()); ++r)
                        listed << model->index(r, 0, view->rootIndex()).data().toString();
                    dialog->reject();
                }
            });
            poll.start(20);
            QTimer::singleShot(30000, dialog, &QDialog::reject);
            while (dialog->isVisible())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        });
        FileDialogRequest request;
        request.filter = filter;
        request.initDir = folder + u'/';
        makeQtFileDialogBackend()->show(nullptr, request);
        return listed;
    };
    EXPECT_EQ(listedBy(u"Group Files (*.grp)|*.grp"_s), QStringList{u"DUKE3D.GRP"_s});
    EXPECT_EQ(listedBy(u"Con Files (*.con)|*.con"_s), QStringList{u"game.con"_s});
    EXPECT_EQ(listedBy(u"Text Files (*.txt)|*.txt"_s), QStringList{u"README.TXT"_s});
}

} // namespace
