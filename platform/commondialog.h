#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

namespace ostrel {

class FileDialogBackend;

/// A file dialog that keeps its settings between uses, as the control and the script
/// form rely on: FileName and FileTitle describe the file last chosen, and a cancelled
/// dialog leaves every setting as it was.
class CommonDialog : public QObject
{
    Q_OBJECT
public:
    CommonDialog(std::shared_ptr<FileDialogBackend> backend, QWidget *owner, QObject *parent = nullptr);

    QString Filter;
    int FilterIndex = 1;
    int Flags = 0;
    QString InitDir;
    QString FileName;
    QString FileTitle;

    /// Shows the open dialog; false when the user cancelled.
    bool ShowOpen();
    /// Shows the save dialog; false when the user cancelled.
    bool ShowSave();

    /// Takes path as the file chosen, as a completed dialog would have: FileName and
    /// FileTitle describe it (a file dropped instead of chosen).
    void setChosen(const QString &path);

    /// FileName less its last Len(FileTitle) characters: the folder of the file last
    /// chosen, with its trailing separator.
    QString folderOfFileName() const;

private:
    bool show(int mode);

    std::shared_ptr<FileDialogBackend> m_backend;
    QPointer<QWidget> m_owner;
};

} // namespace ostrel
