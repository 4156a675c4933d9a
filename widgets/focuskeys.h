#pragma once

#include <Qt>

#include <initializer_list>

class QLabel;
class QWidget;

namespace ostrel {

/// Alt and a letter take the focus to the field a label names, while the keyboard is in
/// scope (a page, a form). The label becomes the field's buddy, which also gives the field
/// its name for screen readers. The label's caption stays as it is (an "&" in it would change
/// its text), so the key is given in the label's tool tip.
void giveFocusKey(QWidget *scope, QLabel *label, QWidget *field, Qt::Key letter);

/// The Tab key goes through these widgets in this order.
void chainTabs(std::initializer_list<QWidget *> order);

} // namespace ostrel
