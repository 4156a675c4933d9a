#pragma once

#include <QString>
#include <QStringList>

namespace ostrel {

struct TcInspection;

/// What adding a TC will do, in the words both the preview dialog and the command line show:
/// each choice with why it was made.
struct AddTcSummary {
    QString name;
    QString nameWhy;
    QString folder;
    QString group; ///< the file, or what Quillon could not tell
    QString groupWhy;
    QString con;
    QString conWhy;
    QString readMe; ///< "(none)" when there is none
    QStringList otherFiles;
    QStringList notForTheGame; ///< unpacked into the folder too, but no file of the definition
    QString version;
    QString versionWhy;
    QStringList skipped;  ///< "NAME: why"
    QStringList problems; ///< why it cannot be added as it is
    QStringList notes;

    static AddTcSummary of(const TcInspection &inspection);
    /// The whole preview as lines of text, for the command line.
    QString text() const;
};

} // namespace ostrel
