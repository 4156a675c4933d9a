#pragma once

#include "ostrel_export.h"

#include <QString>

class QWidget;

namespace ostrel {

struct PlatformServices;

/// Opens the TC script at path in a fresh script editor form, as the control's
/// "ScriptView" command does once its dialog has chosen the file: the file is loaded
/// into the form's script buffer, the caption becomes "Quillon TC Script - <file title>",
/// the fields are read from the script and the form is shown modally with owner as its
/// owner (through services.forms). Returns when the form has been closed.
///
/// A file that cannot be loaded (missing, a folder, unreadable, larger than 1 MiB)
/// shows nothing: the result is false and *error, when given, says why.
OSTREL_EXPORT bool openScriptInEditor(
    const QString &path, const PlatformServices &services, QWidget *owner, QString *error = nullptr);

/// Why the file at path cannot be loaded as a TC script, or "" when it can be read.
OSTREL_EXPORT QString scriptFileProblem(const QString &path);

} // namespace ostrel
