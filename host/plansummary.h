#pragma once

#include <launcher/launchjournal.h>

#include <QString>
#include <QStringList>

namespace ostrel {

struct PreparedLaunch;

/// A prepared launch told as the player reads it, for the preview and the command line:
/// what the clean-up does to the game directory, the command and what to know.
struct PlanSummary {
    QStringList deleted;    ///< names moved to the trash (or removed for good)
    QStringList renamed;    ///< "NAME → NEW NAME"
    QStringList copiedIn;   ///< "NAME (from SOURCE)"
    QStringList leftAlone;  ///< "NAME: why"
    QString game;           ///< the installed game as identified: "Duke Nukem 3D 1.5 Atomic Edition (CRC ...)"
    QString deletedHeading; ///< "Deleted (to the trash)" or "Deleted for good ..."
    QString saves;          ///< where the launch's saves go, and whether they are kept apart (or why not)
    QString command;        ///< the exact command, for display and copying
    QStringList notes;      ///< the version check, warnings and the engine's notes

    static PlanSummary of(const PreparedLaunch &launch, DeleteMode mode = DeleteMode::ToTrash);

    /// Everything as plain text, a heading per part, for a terminal.
    QString text() const;
};

/// Why the TC may not run on the installed game, and what to know of that game: what the
/// window asks and the command line says before a launch the player must agree to.
QString versionQuestionText(const PreparedLaunch &launch);

} // namespace ostrel
