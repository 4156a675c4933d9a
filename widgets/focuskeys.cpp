#include "widgets/focuskeys.h"

#include <QKeySequence>
#include <QLabel>
#include <QShortcut>
#include <QWidget>

namespace ostrel {

void giveFocusKey(QWidget *scope, QLabel *label, QWidget *field, Qt::Key letter)
{
    label->setBuddy(field);
    const QKeySequence keys(Qt::ALT | letter);
    auto *shortcut = new QShortcut(keys, scope, field, [field] {
        if (field->isEnabled())
            field->setFocus(Qt::ShortcutFocusReason);
    });
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    label->setToolTip(keys.toString(QKeySequence::NativeText));
}

void chainTabs(std::initializer_list<QWidget *> order)
{
    QWidget *previous = nullptr;
    for (QWidget *w : order) {
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

} // namespace ostrel
