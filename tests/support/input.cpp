#include "input.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QWheelEvent>
#include <QWindow>

#include <gtest/gtest.h>

namespace ostrel::test {

void clickAt(QWidget *widget, QPoint pos, Qt::MouseButton button)
{
    QWidget *window = widget->window();
    if (!window->windowHandle() || !window->isVisible()) {
        ADD_FAILURE() << "clicked " << widget->objectName().toStdString() << " in a window that is not shown";
        return;
    }
    QTest::mouseClick(window->windowHandle(), button, {}, widget->mapTo(window, pos));
}

void clickOn(QWidget *widget)
{
    clickAt(widget, widget->rect().center());
}

void clickOption(QAbstractButton *option)
{
    QStyleOptionButton style;
    style.initFrom(option);
    clickAt(option, option->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &style, option).center());
}

void chooseItem(QComboBox *box, int index)
{
    QTest::keyClick(box, Qt::Key_F4);
    QAbstractItemView *view = box->view();
    if (!view->isVisible()) {
        ADD_FAILURE() << box->objectName().toStdString() << " did not open its list";
        return;
    }
    // An item in sight is clicked; one further down a long list is reached with the keys, as
    // the list's scroll arrows would move it under the mouse only after a delay.
    const QModelIndex item = box->model()->index(index, box->modelColumn(), box->rootModelIndex());
    const QRect place = view->visualRect(item);
    if (view->viewport()->rect().contains(place)) {
        clickAt(view->viewport(), place.center());
    } else {
        // Page by page while far off, then row by row, watching the highlight as a user would.
        const int page = qMax(1, view->viewport()->height() / qMax(1, view->sizeHintForRow(0)) - 1);
        QTest::keyClick(view, Qt::Key_Home);
        for (int row = view->currentIndex().row(), steps = 0; row != index && steps < 10000; ++steps) {
            if (row < index)
                QTest::keyClick(view, index - row > page ? Qt::Key_PageDown : Qt::Key_Down);
            else
                QTest::keyClick(view, row - index > page ? Qt::Key_PageUp : Qt::Key_Up);
            row = view->currentIndex().row();
        }
        QTest::keyClick(view, Qt::Key_Return);
    }
    // The offscreen platform does not give the window back its activation when the list
    // closes, as a desktop does.
    box->window()->activateWindow();
    if (!QTest::qWaitForWindowActive(box->window()))
        ADD_FAILURE() << "the window did not become active again";
}

void typeInto(QLineEdit *box, const QString &text)
{
    clickOn(box);
    QTest::keyClick(box, Qt::Key_End);
    QTest::keyClicks(box, text);
}

bool dropOn(QWidget *widget, const QList<QUrl> &urls)
{
    QMimeData data;
    data.setUrls(urls);
    const QPoint at = widget->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &drop);
    return drop.isAccepted();
}

QList<QUrl> fileUrls(const QStringList &paths)
{
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls << QUrl::fromLocalFile(path);
    return urls;
}

void wheelOver(QWidget *widget, QPoint pos, int notches)
{
    const QPoint global = widget->mapToGlobal(pos);
    QWheelEvent wheel(
        pos, global, QPoint(), QPoint(0, notches * 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &wheel);
}

} // namespace ostrel::test
