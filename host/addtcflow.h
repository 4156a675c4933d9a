#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace ostrel {

struct PlatformServices;

/// What adding from one archive or .grpinfo came to.
struct AddTcOutcome {
    QStringList added; ///< the names stored
    QString status;    ///< what happened, in a sentence for the status line
};

/// The window's road from a TC archive (or a .grpinfo) to stored TCs: the preview of each TC it
/// holds (shown through the platform's forms), then its install when the player clicks Add. A
/// source with nothing to preview, and an install that fails, are told in a message box with
/// the reason; nothing is written unless the player clicks Add.
AddTcOutcome addTcsFrom(const QString &source, const PlatformServices &services, QWidget *owner);

} // namespace ostrel
