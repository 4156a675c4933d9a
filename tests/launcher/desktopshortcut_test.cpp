#include "launcher/desktopshortcut.h"

#include "tests/support/testfiles.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ostrel;

namespace {

const QStringList &hostileNames()
{
    static const QStringList names{
        u"Harbour Strike"_s,
        u" padded  "_s,
        u"\"quoted\" 'single'"_s,
        u"back\\slash\\\\double\\"_s,
        u"$HOME `id` $(id) ${x}"_s,
        u"100% %f %U %%"_s,
        u"line\nbreak\ttab\rreturn"_s,
        u"Ωμέγα — 東京 🎮"_s,
        u"a=b;c&d|e<f>g~h*i?j#k(l)m"_s,
        u"--launch"_s,
        u"\\s\\n"_s,
    };
    return names;
}

TEST(DesktopShortcut, HostileNamesGiveEntriesThatValidate)
{
    const QString validate = QStandardPaths::findExecutable(u"desktop-file-validate"_s);
    const QString install = QStandardPaths::findExecutable(u"desktop-file-install"_s);
    if (validate.isEmpty() || install.isEmpty())
        GTEST_SKIP() << "desktop-file-validate (desktop-file-utils) is not installed";
    const QTemporaryDir folder;
    QSet<QString> fileNames;
    for (const QString &name : hostileNames()) {
        SCOPED_TRACE(name.toStdString());
        const DesktopShortcut shortcut = desktopShortcutFor(name, u"/opt/my games/quillon"_s);
        ASSERT_TRUE(shortcut.ok()) << shortcut.error.toStdString();
        EXPECT_TRUE(shortcut.fileName.endsWith(u".desktop"_s));
        for (const QChar c : shortcut.fileName)
            EXPECT_TRUE(c.unicode() < 0x80 && (c.isLetterOrNumber() || c == u'-' || c == u'.'))
                << shortcut.fileName.toStdString();
        fileNames.insert(shortcut.fileName);

        const QString path = test::writeFile(folder.filePath(shortcut.fileName), shortcut.text);
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(validate, {path});
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitCode(), 0);
        EXPECT_EQ(process.readAll(), QByteArray()) << shortcut.text.toStdString();

        // desktop-file-install reads the entry as every desktop does (spaces around values
        // trimmed) and writes back what it read: the title must come through whole.
        const QString installed = folder.filePath(u"installed"_s);
        EXPECT_EQ(QProcess::execute(install, {u"--dir"_s, installed, path}), 0);
        const QByteArray title = shortcut.text.split('\n').at(3);
        ASSERT_TRUE(title.startsWith("Name="));
        EXPECT_TRUE(test::readBytes(installed + u'/' + shortcut.fileName).split('\n').contains(title))
            << title.toStdString();
    }
    EXPECT_EQ(fileNames.size(), hostileNames().size()) << "two TCs would share a shortcut file";
    EXPECT_NE(desktopShortcutFor(u"Duke"_s).fileName, desktopShortcutFor(u"DUKE"_s).fileName);
}

// GLib's launcher undoes the quoting as every desktop does: the program it starts must receive
// the TC's name exactly as it is.
TEST(DesktopShortcut, ADesktopLaunchesTheProgramWithTheExactName)
{
    const QString gio = QStandardPaths::findExecutable(u"gio"_s);
    if (gio.isEmpty())
        GTEST_SKIP() << "gio (libglib2.0-bin) is not installed";
    const QTemporaryDir folder;
    const QString program = folder.filePath(u"fake quillon $1"_s);
    const QString received = folder.filePath(u"received"_s);
    test::writeFile(program,
        "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"" + QFile::encodeName(received)
            + ".part\"\nmv \"" + QFile::encodeName(received) + ".part\" \"" + QFile::encodeName(received) + "\"\n");
    QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner);
    for (const QString &name : hostileNames()) {
        SCOPED_TRACE(name.toStdString());
        QFile::remove(received);
        const DesktopShortcut shortcut = desktopShortcutFor(name, program);
        ASSERT_TRUE(shortcut.ok());
        QProcess::execute(gio, {u"launch"_s, test::writeFile(folder.filePath(shortcut.fileName), shortcut.text)});
        const QDeadlineTimer deadline(10000);
        while (!QFile::exists(received) && !deadline.hasExpired())
            QThread::msleep(10);
        EXPECT_EQ(test::readBytes(received), "--launch" + QByteArray(1, '\0') + name.toUtf8() + QByteArray(1, '\0'));
    }
}

TEST(DesktopShortcut, RefusesWhatAnEntryCannotHold)
{
    const struct {
        QString name;
        QString program;
        const char *error;
    } cases[] = {
        {u""_s, u"quillon"_s, "without a name"},
        {u"bell\a"_s, u"quillon"_s, "control character"},
        {u"nul"_s + QChar(0) + u"x"_s, u"quillon"_s, "control character"},
        {u"del\x7f"_s, u"quillon"_s, "control character"},
        {QString(QChar(0xD800)), u"quillon"_s, "broken text"},
        {u"TC"_s, u"/opt/a=b/quillon"_s, "cannot be named"},
        {u"TC"_s, u""_s, "cannot be named"},
    };
    for (const auto &c : cases) {
        const DesktopShortcut shortcut = desktopShortcutFor(c.name, c.program);
        EXPECT_TRUE(shortcut.error.contains(QLatin1StringView(c.error))) << shortcut.error.toStdString();
        EXPECT_TRUE(shortcut.text.isEmpty());
    }
}

} // namespace
