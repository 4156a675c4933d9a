// The file pickers: the shared dialog, its initial folders, cancel, removal, viewing.

#include "../support/controlharness.h"

#include "../support/input.h"
#include "platform/libraryfolder.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileDialog>
#include <QTest>
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
// Each picker opens the shared dialog with its own filter, in the folder of the file chosen
// last; after a cancel the dialog has forgotten that file and starts at the volume root.
TEST_F(Pickers, EachUsesItsFilterStartsInTheLastChosenFolderAndPutsThePathInItsTarget)
{
    h.click(u"New"_s);
    const QString root = libraryVolumeRoot(), all = u"All Files (*.*)|*.*"_s;
    const struct {
        QString button, filter;
        std::optional<QString> path;
        QString initDir;
    } cases[] = {
        {u"cmdGroupFile"_s, u"Group Files (*.grp)|*.grp"_s, u"/games/mytc/MYTC.GRP"_s, root},
        {u"cmdGameCon"_s, u"Con Files (*.con)|*.con"_s, std::nullopt, u"/games/mytc/"_s},
        {u"cmdTextFile"_s, u"Text Files (*.txt)|*.txt"_s, u"/a/readme.txt"_s, root},
        {u"cmdGameCon"_s, u"Con Files (*.con)|*.con"_s, u"/a/game.con"_s, u"/a/"_s},
        {u"cmdOtherFiles"_s, all, u"/a/x.dat"_s, u"/a/"_s},
        {u"cmdOtherFiles"_s, all, u"/a/x.dat"_s, u"/a/"_s},
    };
    for (const auto &c : cases) {
        h.pick(c.button, c.path);
        EXPECT_EQ(lastRequest().filter + u'|' + lastRequest().initDir, c.filter + u'|' + c.initDir);
        EXPECT_TRUE(lastRequest().filterIndex == 1 && lastRequest().mode == FileDialogRequest::Mode::Open
            && lastRequest().fileName.isEmpty());
    }
    EXPECT_EQ(
        (QStringList{h.text(u"lblGroupFile"_s), h.text(u"lblGameCon"_s), h.text(u"lblTextFile"_s)} + h.otherFiles()),
        (QStringList{u"/games/mytc/MYTC.GRP"_s, u"/a/game.con"_s, u"/a/readme.txt"_s, u"/a/x.dat"_s, u"/a/x.dat"_s}));
}

// Removing takes only the selected entry, with Delete in the list as with "X", and never the
// definition; a cancel, or removing with nothing selected, is no change.
TEST_F(Pickers, CancelAndRemovingNothingAreNoChangeAndRemovingTakesTheSelectedEntry)
{
    h.choose(u"Foo"_s);
    const QString browsing = h.editorState();
    h.pick(u"cmdGroupFile"_s, std::nullopt);
    h.clickButton(u"cmdOtherRemove"_s);  // nothing selected
    h.clickButton(u"cmdViewTextFile"_s); // no text file
    EXPECT_EQ(h.editorState(), browsing);
    EXPECT_TRUE(h.fakes.shell->opened.isEmpty());

    auto *list = h.find<QListWidget>(u"lstOtherFiles"_s);
    clickAt(list->viewport(), list->visualItemRect(list->item(0)).center());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
    EXPECT_EQ(h.otherFiles(), (QStringList{u"two"_s, u"three"_s}));
    EXPECT_EQ(h.enabledButtons(), kEntryButtons);
    h.removeOtherFile(1);
    EXPECT_EQ(h.otherFiles(), QStringList{u"two"_s});
    // The removed entry was the selection: a second press removes nothing.
    h.clickButton(u"cmdOtherRemove"_s);
    EXPECT_EQ(h.otherFiles(), QStringList{u"two"_s});
    EXPECT_EQ(h.names(), QStringList{u"Foo"_s});
    EXPECT_TRUE(h.fakes.messages->messages.empty());
}

// The text file's name comes from a script, and desktops run some files when asked to open
// them: those are not handed over, and a warning says why.
TEST(ViewTextFile, ProgramsAndLaunchersAreNotHandedToTheDesktop)
{
    ControlHarness h;
    QByteArray elf(64, '\0');
    elf.replace(0, 7,
        "\x7f"
        "ELF\x02\x01\x01");
    elf[16] = 2; // an executable
    const struct {
        QString name;
        QByteArray content;
        bool executeBit;
        bool opened;
    } cases[] = {
        {u"README.TXT"_s, "Read me.\r\n", false, true},
        {u"README"_s, "No extension, still text.", false, true},
        {u"readme.desktop"_s, "[Desktop Entry]\nType=Application\nName=Read me\nExec=sh -c true\n", false, false},
        {u"notes.txt"_s, "#!/bin/sh\necho hello\n", false, false},
        {u"INFO.TXT"_s, elf, false, false},
        {u"SETUP.EXE"_s, "MZ\x90\x00\x03", false, false},
        {u"MANUAL.TXT"_s, "Plain words.", true, false},
    };
    for (const auto &c : cases) {
        const QString path = writeFile(h.temp.file(u"tc/"_s + c.name), c.content);
        if (c.executeBit)
            QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeUser);
        storeDefinition(*h.fakes.store, {c.name, u"1.3D"_s, u"/g/F.GRP"_s, {}, path, {}});
    }
    h.start();
    for (const auto &c : cases) {
        h.fakes.messages->messages.clear();
        h.fakes.shell->opened.clear();
        h.choose(c.name);
        h.clickButton(u"cmdViewTextFile"_s);
        EXPECT_EQ(h.fakes.shell->opened.size(), c.opened ? 1 : 0) << c.name.toStdString();
        if (c.opened) {
            EXPECT_TRUE(h.fakes.messages->messages.empty()) << c.name.toStdString();
        } else {
            ASSERT_EQ(h.fakes.messages->messages.size(), 1u) << c.name.toStdString();
            EXPECT_TRUE(h.fakes.messages->log().constFirst().startsWith(
                u"Quillon! The text file \""_s + h.temp.file(u"tc/"_s + c.name) + u"\" was not opened: "_s))
                << h.fakes.messages->log().constFirst().toStdString();
        }
        EXPECT_EQ(h.enabledButtons(), kBrowseButtons);
    }
}

// The real dialog, on a folder with files in capitals, in lower case and without an
// extension: each filter lists its files whatever their letter case, "All Files (*.*)"
// lists every file, and the filter shows its description exactly.
TEST(RealFileDialog, FiltersListWhatTheirPatternsMeanUnderTheirOwnDescription)
{
    Sandbox temp;
    writeFile(temp.file(u"tc/DUKE3D.GRP"_s), "g");
    writeFile(temp.file(u"tc/game.con"_s), "c");
    writeFile(temp.file(u"tc/README.TXT"_s), "t");
    writeFile(temp.file(u"tc/README"_s), "r");

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
            listed.sort(Qt::CaseInsensitive);
            if (auto *types = dialog ? dialog->findChild<QComboBox *>(u"fileTypeCombo"_s) : nullptr)
                listed.prepend(types->currentText());
            if (dialog)
                dialog->reject();
        });
        FileDialogRequest request;
        request.filter = filter;
        request.initDir = temp.file(u"tc/"_s);
        makeQtFileDialogBackend()->show(nullptr, request);
        return listed.join(u", "_s);
    };
    EXPECT_EQ(listedBy(u"Group Files (*.grp)|*.grp"_s), u"Group Files (*.grp), DUKE3D.GRP");
    EXPECT_EQ(listedBy(u"Con Files (*.con)|*.con"_s), u"Con Files (*.con), game.con");
    EXPECT_EQ(listedBy(u"Text Files (*.txt)|*.txt"_s), u"Text Files (*.txt), README.TXT");
    EXPECT_EQ(listedBy(u"All Files (*.*)|*.*"_s), u"All Files (*.*), DUKE3D.GRP, game.con, README, README.TXT");
}

} // namespace
