#include "host/gamedirchooser.h"

#include <launcher/maingroupcache.h>

#include <QAbstractItemView>
#include <QDir>
#include <QFileInfo>
#include <QStandardItemModel>
#include <QStyle>
#include <QThread>
#include <QTimer>

#include <memory>
#include <utility>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

constexpr int kFolderRole = Qt::UserRole;
constexpr int kKindRole = Qt::UserRole + 1;

enum ItemKind {
    Install,
    Unlisted,
    Note,
    OtherFolder
};

// The home folder as "~", so that the part of a path the player tells installs apart by shows.
QString shownPath(const QString &folder)
{
    const QString home = QDir::homePath();
    if (home.size() > 1 && (folder == home || folder.startsWith(home + u'/')))
        return u'~' + folder.mid(home.size());
    return folder;
}

QString sameFolder(const QString &folder)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(folder) : canonical;
}

QString toolTipOf(const GameInstall &install)
{
    QString tip = u"%1\nFound through %2.\nMain group: %3"_s.arg(
        install.folder, installSourceName(install.source), QFileInfo(install.mainGroup).fileName());
    if (install.identity.hasCrc)
        tip += u", CRC %1"_s.arg(crcText(install.identity.crc));
    if (!install.identity.ok())
        tip += u'\n' + install.identity.error;
    return tip;
}

} // namespace

GameDirChooser::GameDirChooser(const QString &cacheFile, QWidget *parent)
    : QComboBox(parent)
    , m_cacheFile(cacheFile)
{
    // A path is long: the field keeps the panel's width, the open list shows the whole text.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(16);
    setPlaceholderText(u"Choose the folder that holds DUKE3D.GRP"_s);
    connect(this, &QComboBox::activated, this, &GameDirChooser::itemActivated);
    connect(this, &QComboBox::currentIndexChanged, this,
        [this](int index) { setToolTip(index < 0 ? QString() : itemData(index, Qt::ToolTipRole).toString()); });
    showChoice();
}

GameDirChooser::~GameDirChooser()
{
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

void GameDirChooser::setFolder(const QString &folder)
{
    m_folder = folder;
    showChoice();
}

void GameDirChooser::search(const GameSearchPlaces &places)
{
    m_places = places;
    if (m_thread) {
        m_searchAgain = true;
        return;
    }
    startSearch();
}

void GameDirChooser::startSearch()
{
    auto result = std::make_shared<GameSearch>();
    m_thread = QThread::create([places = m_places, cacheFile = m_cacheFile, result] {
        MainGroupCache cache(cacheFile);
        *result = findGameInstalls(places, cache);
    });
    connect(m_thread, &QThread::finished, this, [this, result] {
        m_thread->wait();
        delete std::exchange(m_thread, nullptr);
        if (std::exchange(m_searchAgain, false)) {
            startSearch();
            return;
        }
        showInstalls(*result);
    });
    showChoice();
    m_thread->start(QThread::LowPriority);
}

void GameDirChooser::showInstalls(const GameSearch &search)
{
    m_installs = search.installs;
    m_problems = search.problems;
    m_searched = true;
    const bool firstChoice = m_folder.isEmpty() && !m_installs.isEmpty();
    if (firstChoice)
        m_folder = likeliestInstall(m_installs);
    // Not under the player's pointer: the open list keeps its lines until it closes.
    if (view()->isVisible())
        m_showWhenClosed = true;
    else
        showChoice();
    if (firstChoice && !m_folder.isEmpty())
        Q_EMIT likeliestInstallChosen(m_folder);
}

// The whole list again: the installs, the stored choice when no search found it, what the
// search could not read, and "Other folder…".
void GameDirChooser::showChoice()
{
    const QSignalBlocker blocker(this);
    clear();
    const QString chosen = sameFolder(m_folder);
    int current = -1;
    for (const GameInstall &install : std::as_const(m_installs)) {
        addItem(u"%1 — %2 — %3"_s.arg(
                    describeMainGroup(install.identity), installSourceName(install.source), shownPath(install.folder)),
            install.folder);
        setItemData(count() - 1, Install, kKindRole);
        setItemData(count() - 1, toolTipOf(install), Qt::ToolTipRole);
        if (!m_folder.isEmpty() && install.folder == chosen)
            current = count() - 1;
    }
    if (current < 0 && !m_folder.isEmpty()) {
        // Before the first search the release is not known yet. After it, the folder holds no
        // main group (a drive not mounted, a folder moved away): still the choice, which the
        // launch refuses or warns of, until the player chooses another.
        const bool notThere = m_searched && !isSearching();
        insertItem(
            0, notThere ? u"%1 — no DUKE3D.GRP there"_s.arg(shownPath(m_folder)) : shownPath(m_folder), m_folder);
        setItemData(0, Unlisted, kKindRole);
        setItemData(0, m_folder, Qt::ToolTipRole);
        if (notThere)
            setItemIcon(0, style()->standardIcon(QStyle::SP_MessageBoxWarning));
        current = 0;
    }
    if (isSearching())
        addNote(u"Looking for the game in Steam and GOG…"_s);
    for (const QString &problem : std::as_const(m_problems))
        addNote(problem);
    addOtherFolder();
    setCurrentIndex(current);
    setToolTip(current < 0 ? QString() : itemData(current, Qt::ToolTipRole).toString());
    // The open list is as wide as its longest line, so that every path shows whole.
    view()->setMinimumWidth(
        view()->sizeHintForColumn(0) + 2 * view()->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent));
}

void GameDirChooser::hidePopup()
{
    QComboBox::hidePopup();
    // After the item clicked is acted on, which refers to the lines the player saw.
    if (std::exchange(m_showWhenClosed, false))
        QTimer::singleShot(0, this, &GameDirChooser::showChoice);
}

void GameDirChooser::addNote(const QString &text)
{
    addItem(text);
    setItemData(count() - 1, Note, kKindRole);
    setItemData(count() - 1, text, Qt::ToolTipRole);
    if (auto *items = qobject_cast<QStandardItemModel *>(model()))
        items->item(count() - 1)->setFlags(Qt::NoItemFlags);
}

void GameDirChooser::addOtherFolder()
{
    if (count() > 0)
        insertSeparator(count());
    addItem(u"Other folder…"_s);
    setItemData(count() - 1, OtherFolder, kKindRole);
    setItemData(count() - 1, u"Choose a folder that holds DUKE3D.GRP; it is kept in this list."_s, Qt::ToolTipRole);
}

void GameDirChooser::itemActivated(int index)
{
    const int kind = itemData(index, kKindRole).toInt();
    if (kind == OtherFolder) {
        // The dialog may be cancelled: the field shows the choice that still holds.
        showChoice();
        Q_EMIT otherFolderRequested();
        return;
    }
    const QString folder = itemData(index, kFolderRole).toString();
    if (kind == Note || folder.isEmpty() || folder == m_folder)
        return;
    m_folder = folder;
    showChoice();
    Q_EMIT folderChosen(folder);
}

} // namespace ostrel
