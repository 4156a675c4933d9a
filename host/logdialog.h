#pragma once

#include <QDialog>

namespace ostrel {

/// A game's log, read-only, under a heading that says why it is shown and the log's path.
class LogDialog : public QDialog
{
    Q_OBJECT
public:
    /// Shows the end of the log at logPath: its last maxLines lines (all when 0).
    LogDialog(const QString &heading, const QString &logPath, int maxLines = 0, QWidget *parent = nullptr);

    /// The last maxLines lines of a text file (all when 0), read from at most its last
    /// megabyte; "" when it cannot be read.
    static QString tailOf(const QString &path, int maxLines);
};

} // namespace ostrel
