#pragma once

#include <launcher/launchjournal.h>

#include <QDialog>

class QPlainTextEdit;

namespace ostrel {

struct PreparedLaunch;

/// What a launch will do, before it does anything: the game as identified, where its saves go,
/// the files the clean-up deletes, renames, copies in and leaves alone (and why), the exact
/// command with a "Copy" button, and what the player should know. "Launch" accepts, "Cancel"
/// rejects; the dialog changes nothing.
class PreviewDialog : public QDialog
{
    Q_OBJECT
public:
    PreviewDialog(const PreparedLaunch &launch, DeleteMode mode, QWidget *parent = nullptr);

private:
    QPlainTextEdit *txtCommand;
};

} // namespace ostrel
