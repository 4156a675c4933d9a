// The panel's part in adding a TC from its archive: choosing the archive, and showing the TCs
// added. The preview and the install are the window's (addtcflow.h).

#include "host/launcherpanel.h"

#include "host/pathdialogs.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace ostrel {

void LauncherPanel::chooseArchive()
{
    // Where browsers put what they download.
    const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    const QString start = QDir(downloads).exists() ? downloads : QDir::homePath();
    if (const auto archive = m_pathDialogs->chooseArchive(this, u"Add TC from archive"_s, start))
        Q_EMIT addTcRequested(*archive);
}

void LauncherPanel::showAddedTcs(const QStringList &names, const QString &status)
{
    if (!names.isEmpty()) {
        const QList<QListWidgetItem *> items = lstTCs->findItems(names.constFirst(), Qt::MatchExactly);
        // A filter that hides the new TC would hide that it was added.
        if (!items.isEmpty() && items.constFirst()->isHidden())
            txtFilter->clear();
        if (!items.isEmpty()) {
            lstTCs->setCurrentItem(items.constFirst());
            lstTCs->scrollToItem(items.constFirst());
        }
    }
    lblStatus->setText(status);
    updateControls();
}

} // namespace ostrel
