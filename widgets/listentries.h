#pragma once

class QListWidget;

namespace ostrel {

/// Removes the selected entry of a list, if one is selected, and leaves no entry selected,
/// so that a second press removes nothing. Returns whether an entry was removed.
bool removeSelectedEntry(QListWidget *list);

} // namespace ostrel
