// "LoadScript" on files that are no script or stop being one: no crash, no hang, and where the
// file cannot be loaded the editor stays exactly as it was.

#include "../control/controlharness.h"
#include "scripts/scriptbuffer.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace ostrel;
using namespace ostrel::test;

namespace {

// Answers like the fake, but lets something happen to the chosen file after the user chose it
// and before the control reads it.
class MeddlingDialogs : public FakeFileDialogs
{
public:
    std::optional<QString> show(QWidget *parent, const FileDialogRequest &request) override
    {
        std::optional<QString> answer = FakeFileDialogs::show(parent, request);
        if (answer && meanwhile)
            meanwhile(*answer);
        return answer;
    }
    std::function<void(const QString &)> meanwhile;
};

class HostileScript : public ::testing::Test
{
protected:
    void SetUp() override
    {
        h.fakes.dialogs = dialogs;
        storeDefinition(*h.fakes.store, {u"Foo"_s, u"1.3D"_s, u"/g/FOO.GRP"_s, {}, {}, {u"/g/1"_s}});
        h.start();
        h.choose(u"Foo"_s);
        stateBefore = h.editorState();
        keysBefore = definedKeys(*h.fakes.store);
    }

    void load(const QString &name, const QByteArray &bytes)
    {
        dialogs->answer(h.temp.write(u"scripts/"_s + name, bytes));
        h.click(u"LoadScript"_s);
    }

    void expectUnchanged()
    {
        const QString state = h.editorState();
        EXPECT_TRUE(state == stateBefore) << "now: " << state.left(400).toStdString() << "\nbefore: "
                                          << stateBefore.toStdString();
        EXPECT_EQ(definedKeys(*h.fakes.store), keysBefore);
        EXPECT_EQ(h.fakes.messages->texts(), QStringList{});
    }

    // Loaded: a new definition in entry, nothing stored.
    void expectImported()
    {
        EXPECT_TRUE(h.find<QWidget>(u"txtTCName"_s)->isEnabled());
        EXPECT_EQ(definedKeys(*h.fakes.store), keysBefore);
        EXPECT_EQ(h.fakes.messages->texts(), QStringList{});
    }

    std::shared_ptr<MeddlingDialogs> dialogs = std::make_shared<MeddlingDialogs>();
    ControlHarness h;
    QString stateBefore;
    std::vector<std::pair<QString, QString>> keysBefore;
};

TEST_F(HostileScript, BinaryAndNulBytesAreReadAsTextWithoutDirectives)
{
    QByteArray random(64 * 1024, '\0');
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(random.data()), random.size() / 4);
    load(u"random.tcs"_s, random);
    expectImported();

    load(u"nul.tcs"_s, QByteArray(100000, '\0'));
    expectImported();
    EXPECT_EQ(h.text(u"txtTCName"_s), QString());
    EXPECT_EQ(h.text(u"lblGroupFile"_s), QString());
    EXPECT_EQ(h.otherFiles(), QStringList{});

    // NULs inside a value are kept: they are characters of the line.
    load(u"nul-in-value.tcs"_s, QByteArray("definegroupfile A\0B.GRP\r\n", 25));
    EXPECT_EQ(h.text(u"lblGroupFile"_s), h.temp.file(u"scripts/"_s) + u"A\0B.GRP"_s);
}

TEST_F(HostileScript, ALineOfTheLargestSizeIsReadAndOneByteMoreIsRefused)
{
    const QByteArray keyword = "definegroupfile ";
    const QByteArray value(ScriptBuffer::MaxFileSize - keyword.size(), 'G');
    load(u"long-line.tcs"_s, keyword + value);
    expectImported();
    EXPECT_EQ(h.text(u"lblGroupFile"_s), h.temp.file(u"scripts/"_s) + QString::fromLatin1(value));

    h.click(u"CancelNew"_s);
    h.choose(u"Foo"_s);
    load(u"too-long.tcs"_s, keyword + value + 'G');
    expectUnchanged();
}

TEST_F(HostileScript, ManyOtherFiles)
{
    QByteArray tooMany;
    for (int i = 0; i < 100000; ++i)
        tooMany += "defineotherfile E" + QByteArray::number(i) + ".MAP\r\n";
    load(u"too-many.tcs"_s, tooMany); // over the size limit
    expectUnchanged();

    const QByteArray line = "defineotherfile a\n";
    const int count = int(ScriptBuffer::MaxFileSize / line.size());
    load(u"many.tcs"_s, line.repeated(count));
    expectImported();
    const QStringList others = h.otherFiles();
    ASSERT_EQ(others.size(), count);
    EXPECT_EQ(others.back(), h.temp.file(u"scripts/a"_s));
}

// One line of keywords and values: each occurrence's value is the rest of that line, so the
// values would add up to tens of thousands of times the file. The reader stops early and calls
// it too large.
TEST_F(HostileScript, KeywordsRepeatedOnOneLineAreNoScript)
{
    const QByteArray unit = "defineotherfile x ";
    load(u"one-line.tcs"_s, unit.repeated(int(ScriptBuffer::MaxFileSize / unit.size())));
    expectUnchanged();
}

TEST_F(HostileScript, FileGoneOrReplacedAfterTheDialogIsNotLoaded)
{
    const QByteArray script = "definetcname Replaced\r\ndefinegroupfile R.GRP\r\n";
    const std::pair<const char *, std::function<void(const QString &)>> meddlings[] = {
        {"deleted", [](const QString &path) { QFile::remove(path); }},
        {"folder",
         [](const QString &path) {
             QFile::remove(path);
             QDir().mkpath(path);
         }},
        // Reading a pipe with no writer would block for ever.
        {"pipe",
         [](const QString &path) {
             QFile::remove(path);
             ::mkfifo(QFile::encodeName(path).constData(), 0600);
         }},
        {"grown",
         [](const QString &path) {
             QFile file(path);
             if (file.open(QIODevice::Append))
                 file.write(QByteArray(ScriptBuffer::MaxFileSize, ' '));
         }},
    };
    for (const auto &[what, meddle] : meddlings) {
        SCOPED_TRACE(what);
        dialogs->meanwhile = meddle;
        load(QString::fromLatin1(what) + u".tcs"_s, script);
        expectUnchanged();
    }
}

} // namespace
