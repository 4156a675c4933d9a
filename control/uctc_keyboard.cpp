// The control without a mouse and with a screen reader: shortcuts for the toolbar's
// commands, keys that take the focus to a field, the order of the Tab key, and the names a
// screen reader gives every control.

#include "control/uctc_p.h"

#include "widgets/focuskeys.h"
#include "widgets/toolstrip.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QToolButton>

using namespace Qt::StringLiterals;
using namespace ostrel;

namespace {

void tellShortcut(QAction *action, const QKeySequence &keys)
{
    action->setStatusTip(action->toolTip() + u" ("_s + keys.toString(QKeySequence::NativeText) + u')');
}

// A key for a command while the keyboard is anywhere in the control; a disabled command
// does not fire, as its button cannot be clicked. The tool tip stays the command's own text;
// the key is told in the status tip, which a host's status bar shows on hover.
void giveShortcut(QWidget *control, QAction *action, const QKeySequence &keys)
{
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    control->addAction(action);
    tellShortcut(action, keys);
}

} // namespace

void ucTCPrivate::setUpKeyboard()
{
    giveShortcut(q, button(u"New"_s), QKeySequence::New);
    giveShortcut(q, button(u"CancelNew"_s), QKeySequence(Qt::Key_Escape));
    giveShortcut(q, button(u"Save"_s), QKeySequence::Save);
    giveShortcut(q, button(u"LoadScript"_s), QKeySequence::Open);

    // Delete removes the definition only from the names list, where no text or entry could
    // be meant; in the other files it removes the selected entry, as "X" does.
    const QKeySequence deleteKey(QKeySequence::Delete);
    QAction *remove = button(u"Delete"_s);
    tellShortcut(remove, deleteKey);
    new QShortcut(
        deleteKey, cboTClist, remove, [remove] { remove->trigger(); }, Qt::WidgetShortcut);
    new QShortcut(
        deleteKey, lstOtherFiles, cmdOtherRemove,
        [this] {
            if (isSwitchedOn(cmdOtherRemove))
                cmdOtherRemove_Click();
        },
        Qt::WidgetShortcut);

    // The toolbar's buttons are reached with Tab like every other control.
    for (QAction *action : tbToolbar->actions()) {
        if (QWidget *w = action->isSeparator() ? nullptr : tbToolbar->widgetForAction(action))
            w->setFocusPolicy(Qt::TabFocus);
    }

    QWidget *editor = picTC[0];
    giveFocusKey(editor, lblVersComp, cboVersComp, Qt::Key_V);
    giveFocusKey(editor, lblTC, txtTCName, Qt::Key_T);
    giveFocusKey(editor, lblGroup, cmdGroupFile, Qt::Key_G);
    giveFocusKey(editor, lblGame, cmdGameCon, Qt::Key_C);
    giveFocusKey(editor, lblTCText, cmdTextFile, Qt::Key_X);
    giveFocusKey(editor, lblOther, lstOtherFiles, Qt::Key_O);
    // Left to right, top to bottom, as the page reads.
    chainTabs({cboVersComp, txtTCName, cboTClist, cmdGroupFile, cmdGameCon, cmdViewTextFile, cmdTextFile, lstOtherFiles,
        cmdOtherFiles, cmdOtherRemove});
    chainTabs({optDelete, optRename, optNone});
}

void ucTCPrivate::setUpAccessibility()
{
    const std::pair<const char16_t *, const char16_t *> descriptions[] = {
        {u"New", u"Starts a new TC or custom group definition."},
        {u"CancelNew", u"Drops the new or changed definition; the store keeps what it holds."},
        {u"Save", u"Stores the definition shown in the editor."},
        {u"Delete", u"Removes the definition shown in the editor from the store, after asking."},
        {u"LoadScript", u"Begins a new definition from a TC script file."},
        {u"Script", u"Opens the script editor to write a TC script."},
        {u"ScriptView", u"Opens a TC script file in the script editor."},
    };
    for (const auto &[key, description] : descriptions) {
        QAction *action = button(QString::fromUtf16(key));
        QWidget *w = tbToolbar->widgetForAction(action);
        w->setAccessibleName(action->toolTip());
        // A screen reader announces a button's shortcut only when it is told.
        QString said = QString::fromUtf16(description);
        if (!action->shortcut().isEmpty())
            said += u" Shortcut: "_s + action->shortcut().toString(QKeySequence::NativeText) + u'.';
        else if (action->objectName() == u"Delete")
            said += u" Shortcut: "_s + QKeySequence(QKeySequence::Delete).toString(QKeySequence::NativeText)
                + u" in the names list."_s;
        w->setAccessibleDescription(said);
    }
    cboTClist->setAccessibleName(u"Stored TCs and Custom Groups"_s);
    lstOtherFiles->setAccessibleName(u"Other Files"_s);
    lblGroupFile->setAccessibleName(u"Group File"_s);
    lblGameCon->setAccessibleName(u"Game Con"_s);
    lblTextFile->setAccessibleName(u"Text File"_s);
    cmdGroupFile->setAccessibleName(u"Choose the Group File"_s);
    cmdGameCon->setAccessibleName(u"Choose the Game Con"_s);
    cmdTextFile->setAccessibleName(u"Choose the Text File"_s);
    cmdViewTextFile->setAccessibleName(cmdViewTextFile->toolTip());
    cmdOtherFiles->setAccessibleName(u"Add Other Files"_s);
    cmdOtherRemove->setAccessibleName(u"Remove the Selected Other File"_s);
    for (QRadioButton *option : {optDelete, optRename, optNone})
        option->setAccessibleDescription(Label1->text());
}
