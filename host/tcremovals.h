#pragma once

#include <store/tcdefinition.h>

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace ostrel {

class MessageBoxes;
class SettingsStore;
class Trash;

/// A TC gone from the store, with what Quillon made for it.
struct RemovedTc {
    QString name;
    QString installedFolder; ///< the folder Quillon installed it into, which held its files; empty if none
    QString shortcut;        ///< the desktop shortcut Quillon wrote for it; empty if none
};

/// Which TCs disappear from the store from one read of its names to the next (the TC manager
/// deleted them), and what Quillon made for them. The definitions of the TCs Quillon installed
/// (a few) are kept from the read before, since a definition is gone once its name is.
class TcRemovals
{
public:
    TcRemovals(SettingsStore &store, const QString &tcRoot, const QString &applicationsFolder);

    /// Reads the names again and returns the TCs gone since the last read. None while the
    /// store cannot be read: its names are then unknown, not gone.
    QList<RemovedTc> update();

    /// The names of before that after lacks.
    static QStringList removedNames(const QStringList &before, const QStringList &after);

private:
    SettingsStore &m_store;
    QString m_tcRoot;
    QString m_applications;
    QStringList m_names;
    QHash<QString, TcDefinition> m_installed; ///< by name
};

/// Asks, for each TC, whether to move the folder Quillon installed it into to the trash, and
/// whether to remove its desktop shortcut (to the trash as well, which keeps a record of where
/// each was); never without asking, and No is the default.
void offerToClearAway(const QList<RemovedTc> &removed, MessageBoxes &messages, Trash &trash, QWidget *owner);

} // namespace ostrel
