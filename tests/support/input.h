#pragma once

#include <QList>
#include <QPoint>
#include <QStringList>
#include <QUrl>
#include <QString>
#include <Qt>

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QWidget;

namespace ostrel::test {

/// A mouse click as the window system delivers it: at pos (in widget's coordinates) through
/// the widget's window, so that whatever lies on top at that point gets it, and a disabled
/// widget swallows it.
void clickAt(QWidget *widget, QPoint pos, Qt::MouseButton button = Qt::LeftButton);
/// A left click at the middle of widget.
void clickOn(QWidget *widget);
/// A left click on an option button or check box, on its indicator.
void clickOption(QAbstractButton *option);
/// Chooses the item at index of a drop-down list as a user does: opens the list from the
/// keyboard (F4) and clicks the item.
void chooseItem(QComboBox *box, int index);
/// Clicks into a text box and types text at its end.
void typeInto(QLineEdit *box, const QString &text);
/// Drags urls over widget's middle and drops them there, as a file manager does; whether the
/// widget took the drop.
bool dropOn(QWidget *widget, const QList<QUrl> &urls);
/// The local files as URLs, as a file manager puts them in a drag.
QList<QUrl> fileUrls(const QStringList &paths);

/// Turns the mouse wheel by one notch (negative: towards the user) over widget at pos.
void wheelOver(QWidget *widget, QPoint pos, int notches);

} // namespace ostrel::test
