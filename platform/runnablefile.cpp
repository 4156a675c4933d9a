#include "platform/runnablefile.h"

#include <QFileInfo>
#include <QMimeDatabase>
#include <QMimeType>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

// Types that a desktop runs, or hands to something that runs them, when asked to open them.
// Scripts of every language inherit application/x-executable in the shared MIME database.
constexpr const char16_t *kRunnableTypes[] = {
    u"application/x-executable",
    u"application/x-sharedlib",
    u"application/x-shellscript",
    u"application/x-desktop",
    u"application/x-ms-dos-executable",
    u"application/x-msdownload",
    u"application/x-msi",
    u"application/x-ms-shortcut",
    u"application/vnd.microsoft.portable-executable",
    u"application/x-bat",
    u"application/x-java-archive",
    u"application/x-java-jnlp-file",
    u"application/x-appimage",
    u"application/vnd.flatpak.ref",
    u"application/vnd.flatpak",
    u"application/x-deb",
    u"application/x-rpm",
    u"application/vnd.snap",
};

bool isRunnable(const QMimeType &type)
{
    for (const char16_t *runnable : kRunnableTypes) {
        if (type.inherits(QString::fromUtf16(runnable)))
            return true;
    }
    return false;
}

} // namespace

QString whyOpeningCouldRun(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return {};
    // By name and by content apart: a program called README.TXT is still a program, and a
    // launcher whose content looks like plain text is still a launcher.
    const QMimeDatabase types;
    for (const QMimeType &type : {types.mimeTypeForFile(info, QMimeDatabase::MatchExtension),
             types.mimeTypeForFile(info, QMimeDatabase::MatchContent)}) {
        if (isRunnable(type))
            return u"it is a program or a launcher (%1)"_s.arg(type.comment());
    }
    if (info.isExecutable())
        return u"it is marked as a program (it has an execute permission)"_s;
    return {};
}

} // namespace ostrel
