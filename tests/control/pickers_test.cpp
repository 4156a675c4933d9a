// The file pickers: the shared dialog, its initial folders, cancel, removal, viewing.

#include "controlharness.h"

#include "platform/libraryfolder.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QTimer>

#include <gtest/gtest.h>

using namespace ostrel;
using namespace ostrel::test;

namespace {

class Pickers : public ::testing::Test
{
protected:
    void SetUp() override
    {
        storeDefinition(*h.fakes.store, {u"Foo"_s, u"1.3D"_s, u"/g/F.GRP"_s, {}, {}, {u"one"_s, u"two"_s, u"three"_s}});
        h.start();
    }
    const FileDialogRequest &lastRequest() const { return h.fakes.dialogs->requests.back(); }

    ControlHarness h;
};

// (That the text file goes to the desktop once, its path exactly as chosen, is checked with
// hostile paths in HostileNames.SavedThroughTheControlAndReadBackExactly.)
TEST_F(Pickers, EachUsesItsFilterAndPutsThePathInItsTarget)
{
    h.click(u"New"_s);
    const struct {
        QString button, filter, path, target;
    } cases[] = {
        {u"cmdGroupFile"_s, u"Group Files (*.grp)|*.grp"_s, u"/a/DUKE3D.GRP"_s, u"lblGroupFile"_s},
        {u"cmdGameCon"_s, u"Con Files (*.con)|*.con"_s, u"/a/game.con"_s, u"lblGameCon"_s},
        {u"cmdTextFile"_s, u"Text Files (*.txt)|*.txt"_s, u"/a/readme.txt"_s, u"lblTextFile"_s},
    };
    for (const auto &c : cases) {
        h.pick(c.button, c.path);
        EXPECT_EQ(lastRequest().filter, c.filter);
        EXPECT_TRUE(lastRequest().filterIndex == 1 && lastRequest().mode == FileDialogRequest::Mode::Open
                    && lastRequest().fileName.isEmpty());
        EXPECT_EQ(h.text(c.target), c.path);
    }
    h.pick(u"cmdOtherFiles"_s, u"/a/x.dat"_s);
    h.pick(u"cmdOtherFiles"_s, u"/a/x.dat"_s);
    EXPECT_EQ(lastRequest().filter, u"All Files (*.*)|*.*");
    EXPECT_EQ(h.otherFiles(), (QStringList{u"/a/x.dat"_s, u"/a/x.dat"_s}));
}

TEST_F(Pickers, InitialFolderFollowsTheLastChosenFileAndFallsBackToTheVolumeRoot)
{
    h.click(u"New"_s);
    h.pick(u"cmdGroupFile"_s, u"/games/mytc/MYTC.GRP"_s);
    EXPECT_EQ(lastRequest().initDir, libraryVolumeRoot());
    h.pick(u"cmdGameCon"_s, std::nullopt);
    EXPECT_EQ(lastRequest().initDir, u"/games/mytc/");
    // After a cancel the dialog has forgotten the file: back to the volume root.
    h.pick(u"cmdTextFile"_s, u"/other/readme.txt"_s);
    EXPECT_EQ(lastRequest().initDir, libraryVolumeRoot());
    h.pick(u"cmdOtherFiles"_s, std::nullopt);
    EXPECT_EQ(lastRequest().initDir, u"/other/");
}

TEST_F(Pickers, CancelAndRemovingNothingAreNoChange)
{
    h.choose(u"Foo"_s);
    const QString browsing = h.editorState();
    h.pick(u"cmdGroupFile"_s, std::nullopt);
    h.clickButton(u"cmdOtherRemove"_s);  // nothing selected
    h.clickButton(u"cmdViewTextFile"_s); // no text file
    EXPECT_EQ(h.editorState(), browsing);
    EXPECT_TRUE(h.fakes.shell->opened.isEmpty());

    h.removeOtherFile(1);
    EXPECT_EQ(h.otherFiles(), (QStringList{u"one"_s, u"three"_s}));
    EXPECT_EQ(h.enabledButtons(), kEntryButtons);
}

// The real dialog, on a folder with files in capitals and in lower case: each filter
// must list its files whatever their letter case.
TEST(RealFileDialog, FiltersMatchWithoutRegardToCase)
{
    TempFolder temp;
    temp.write(u"tc/DUKE3D.GRP"_s, "g");
    temp.write(u"tc/game.con"_s, "c");
    temp.write(u"tc/README.TXT"_s, "t");

    auto listedBy = [&](const QString &filter) {
        QStringList listed;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            auto *view = dialog ? dialog->findChild<QAbstractItemView *>(u"listView"_s) : nullptr;
            // Let the file system model read the folder, then take what the view shows.
            const auto rows = [view] { return view ? view->model()->rowCount(view->rootIndex()) : 0; };
            for (QDeadlineTimer deadline(30000); view && rows() == 0 && !deadline.hasExpired();)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            for (int r = 0; r < rows(); ++r)
                listed << view->model()->index(r, 0, view->rootIndex()).data().toString();
            if (dialog)
                dialog->reject();
        });
        FileDialogRequest request;
        request.filter = filter;
        request.initDir = temp.file(u"tc/"_s);
        makeQtFileDialogBackend()->show(nullptr, request);
        return listed;
    };
    EXPECT_EQ(listedBy(u"Group Files (*.grp)|*.grp"_s), QStringList{u"DUKE3D.GRP"_s});
    EXPECT_EQ(listedBy(u"Con Files (*.con)|*.con"_s), QStringList{u"game.con"_s});
    EXPECT_EQ(listedBy(u"Text Files (*.txt)|*.txt"_s), QStringList{u"README.TXT"_s});
}

} // namespace
