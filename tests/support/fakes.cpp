#include "fakes.h"

#include "store/settingsstore.h"

#include <QDialog>
#include <QTest>

namespace ostrel::test {

std::optional<QString> FakeFileDialogs::show(QWidget *, const FileDialogRequest &request)
{
    requests.push_back(request);
    if (answers.empty())
        return std::nullopt;
    const std::optional<QString> answer = answers.front();
    answers.pop_front();
    return answer;
}

void RecordingMessageBoxes::exclamation(QWidget *, const QString &title, const QString &text)
{
    messages.push_back({Message::Kind::Exclamation, title, text, false});
}

bool RecordingMessageBoxes::question(QWidget *, const QString &title, const QString &text, bool yesIsDefault)
{
    messages.push_back({Message::Kind::Question, title, text, yesIsDefault});
    if (answers.empty())
        return false;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
}

QStringList RecordingMessageBoxes::log() const
{
    QStringList result;
    for (const Message &m : messages) {
        const char *mark = m.kind == Message::Kind::Exclamation ? "! " : m.yesIsDefault ? "?+ " : "? ";
        result << m.title + QLatin1StringView(mark) + m.text;
    }
    return result;
}

void FakeFormShower::showModal(QDialog *form, QWidget *)
{
    ++shown;
    // On screen, so that the callback can click and type into it; it is not modal, and it
    // is put away afterwards if the callback left it open.
    form->show();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form))
        qWarning("the form did not become the active window");
    if (onShow)
        onShow(form);
    if (form->isVisible())
        form->hide();
}

Fakes::Fakes(std::shared_ptr<SettingsStore> store)
    : store(std::move(store))
{
}

PlatformServices Fakes::services() const
{
    return {store, dialogs, messages, shell, forms};
}

} // namespace ostrel::test
