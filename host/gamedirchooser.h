#pragma once

#include <launcher/gamefinder.h>

#include <QComboBox>
#include <QString>
#include <QStringList>

class QThread;

namespace ostrel {

/// The game directory as a choice among the installs found, each shown with its release and
/// where it was found (Steam, Steam (Flatpak), GOG, added by the player), then "Other folder…".
///
/// The stored choice shows at once; the search, which may read a main group it has not
/// identified before (44 MB), runs on a thread of its own, and the list is filled when it ends.
class GameDirChooser : public QComboBox
{
    Q_OBJECT
public:
    /// cacheFile: where identified main groups are remembered (MainGroupCache).
    explicit GameDirChooser(const QString &cacheFile, QWidget *parent = nullptr);
    /// Waits for a search still running: it only reads, and ends soon.
    ~GameDirChooser() override;

    /// Shows folder as the choice, as it was stored; a search tells its release.
    void setFolder(const QString &folder);
    QString folder() const { return m_folder; }

    /// Looks for the installs in places on a thread of its own. Asked while a search runs, it
    /// searches again once that one has ended.
    void search(const GameSearchPlaces &places);
    bool isSearching() const { return m_thread != nullptr; }
    /// The installs the last search found.
    const QList<GameInstall> &installs() const { return m_installs; }

    void hidePopup() override;

Q_SIGNALS:
    /// The player chose another install from the list.
    void folderChosen(const QString &folder);
    /// No install was chosen yet, and the search chose the one a TC most likely runs on.
    void likeliestInstallChosen(const QString &folder);
    /// The player chose "Other folder…"; the list shows the current choice again.
    void otherFolderRequested();

private:
    void startSearch();
    void showInstalls(const GameSearch &search);
    void addNote(const QString &text);
    void addOtherFolder();
    void showChoice();
    void itemActivated(int index);

    QString m_cacheFile;
    QString m_folder;
    QList<GameInstall> m_installs;
    QStringList m_problems;
    GameSearchPlaces m_places;
    QThread *m_thread = nullptr;
    bool m_searchAgain = false;
    bool m_showWhenClosed = false; ///< a search ended while the list was open
    bool m_searched = false;       ///< a search has ended: a folder not in m_installs holds no main group
};

} // namespace ostrel
