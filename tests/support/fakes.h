#pragma once

#include "platform/filedialog.h"
#include "platform/formshower.h"
#include "platform/messageboxes.h"
#include "platform/platformservices.h"
#include "platform/shell.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QDialog;

namespace ostrel {
class SettingsStore;
}

namespace ostrel::test {

/// A file dialog that answers from a queue (a path, or std::nullopt for Cancel) and
/// records every request. An unexpected use with an empty queue counts as Cancel.
class FakeFileDialogs : public FileDialogBackend
{
public:
    std::optional<QString> show(QWidget *parent, const FileDialogRequest &request) override;

    void answer(const QString &path) { answers.push_back(path); }
    void cancel() { answers.push_back(std::nullopt); }

    std::deque<std::optional<QString>> answers;
    std::vector<FileDialogRequest> requests;
};

/// Records every message and answers questions with the next queued answer (No when
/// none is queued).
class RecordingMessageBoxes : public MessageBoxes
{
public:
    struct Message {
        enum class Kind {
            Exclamation,
            Question
        } kind;
        QString title;
        QString text;
        bool yesIsDefault = false;
    };

    void exclamation(QWidget *parent, const QString &title, const QString &text) override;
    bool question(QWidget *parent, const QString &title, const QString &text, bool yesIsDefault) override;

    std::deque<bool> answers;
    std::vector<Message> messages;
    /// Every message so far as "Title! text" for a warning, "Title? text" for a question
    /// and "Title?+ text" for a question whose default button is Yes.
    QStringList log() const;
};

class RecordingShell : public Shell
{
public:
    void open(QWidget *, const QString &path) override { opened << path; }
    QStringList opened;
};

/// Shows a form (not modally) and calls onShow with it; the callback plays the user.
class FakeFormShower : public FormShower
{
public:
    void showModal(QDialog *form, QWidget *owner) override;
    std::function<void(QDialog *)> onShow;
    int shown = 0;
};

/// Platform services for a test: the given store and recording fakes for the rest.
struct Fakes {
    explicit Fakes(std::shared_ptr<SettingsStore> store);
    PlatformServices services() const;

    std::shared_ptr<SettingsStore> store;
    std::shared_ptr<FakeFileDialogs> dialogs = std::make_shared<FakeFileDialogs>();
    std::shared_ptr<RecordingMessageBoxes> messages = std::make_shared<RecordingMessageBoxes>();
    std::shared_ptr<RecordingShell> shell = std::make_shared<RecordingShell>();
    std::shared_ptr<FakeFormShower> forms = std::make_shared<FakeFormShower>();
};

} // namespace ostrel::test
