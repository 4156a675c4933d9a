#include "widgets/listentries.h"

#include <QListWidget>

namespace ostrel {

bool removeSelectedEntry(QListWidget *list)
{
    QListWidgetItem *selected = list->currentItem();
    if (!selected || !selected->isSelected())
        return false;
    delete list->takeItem(list->row(selected));
    // Qt makes the neighbour current and selects it; the removed entry was the selection.
    list->setCurrentItem(nullptr);
    list->clearSelection();
    return true;
}

} // namespace ostrel
