#include "host/tcremovals.h"

#include <installer/tcinstaller.h>
#include <launcher/desktopshortcut.h>
#include <launcher/trash.h>
#include <platform/messageboxes.h>
#include <store/appnames.h>
#include <store/definitionkeys.h>
#include <store/definitionstore.h>
#include <store/settingsstore.h>

#include <QFile>
#include <QFileInfo>
#include <QSet>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

// The shortcut Quillon wrote for the TC called name: its file, under the name only Quillon
// gives, and launching a TC.
QString shortcutOf(const QString &name, const QString &applications)
{
    const DesktopShortcut shortcut = desktopShortcutFor(name);
    if (!shortcut.ok())
        return {};
    const QString path = applications + u'/' + shortcut.fileName;
    const QFileInfo info(path);
    if (!info.isFile() || info.isSymLink())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = file.read(64 * 1024);
    return text.contains("[Desktop Entry]") && text.contains("--launch") ? path : QString();
}

} // namespace

TcRemovals::TcRemovals(SettingsStore &store, const QString &tcRoot, const QString &applicationsFolder)
    : m_store(store)
    , m_tcRoot(tcRoot)
    , m_applications(applicationsFolder)
{
    update();
}

QStringList TcRemovals::removedNames(const QStringList &before, const QStringList &after)
{
    const QSet<QString> kept(after.cbegin(), after.cend());
    QStringList removed;
    for (const QString &name : before) {
        if (!kept.contains(name))
            removed << name;
    }
    return removed;
}

QList<RemovedTc> TcRemovals::update()
{
    if (!m_store.readProblem().isEmpty())
        return {};
    const DefinitionStore definitions(m_store);
    const QStringList names = definitions.names();
    QList<RemovedTc> removed;
    for (const QString &name : removedNames(m_names, names)) {
        RemovedTc tc{name, {}, shortcutOf(name, m_applications)};
        if (const auto definition = m_installed.constFind(name); definition != m_installed.cend())
            tc.installedFolder = installedTcFolder(*definition, m_tcRoot).value_or(QString());
        if (!tc.installedFolder.isEmpty() || !tc.shortcut.isEmpty())
            removed << tc;
    }
    m_names = names;
    // The definitions of what Quillon installed, as they are now: a definition edited to use
    // files elsewhere no longer has its files in that folder.
    m_installed.clear();
    for (const InstalledTc &installed : installedTcs(m_tcRoot)) {
        const auto stored = std::find_if(names.cbegin(), names.cend(), SameDefinitionName(installed.name));
        if (stored == names.cend())
            continue;
        if (const auto definition = definitions.load(*stored))
            m_installed.insert(*stored, *definition);
    }
    return removed;
}

void offerToClearAway(const QList<RemovedTc> &removed, MessageBoxes &messages, Trash &trash, QWidget *owner)
{
    const QString title = kHostName.toString();
    const auto toTrash = [&](const QString &path) {
        const TrashOutcome outcome = trash.moveToTrash(path);
        if (!outcome.ok)
            messages.exclamation(owner, title, u"\"%1\" was not moved to the trash: %2"_s.arg(path, outcome.error));
    };
    for (const RemovedTc &tc : removed) {
        if (!tc.installedFolder.isEmpty()) {
            QString why;
            if (!trash.availableFor(tc.installedFolder, &why)) {
                messages.exclamation(owner, title,
                    u"\"%1\" was removed. Its files stay in %2, the folder Quillon installed it "
                    "into: %3"_s.arg(tc.name, tc.installedFolder, why));
            } else if (messages.question(owner, title,
                           u"\"%1\" was removed. Its files are in %2, the folder Quillon installed it into.\n\n"
                           "Move that folder to the trash as well?"_s.arg(tc.name, tc.installedFolder),
                           false)) {
                toTrash(tc.installedFolder);
            }
        }
        if (!tc.shortcut.isEmpty()
            && messages.question(owner, title,
                u"\"%1\" was removed. Quillon made a desktop shortcut for it: %2\n\nRemove the shortcut "
                "as well? (It goes to the trash.)"_s.arg(tc.name, tc.shortcut),
                false))
            toTrash(tc.shortcut);
    }
}

} // namespace ostrel
