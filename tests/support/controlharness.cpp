#include "controlharness.h"

#include "input.h"

#include <gtest/gtest.h>

#include "store/definitionkeys.h"
#include "store/definitionstore.h"
#include "widgets/toolstrip.h"

#include <QAbstractButton>
#include <QAction>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>

#include <algorithm>

namespace ostrel::test {

void storeDefinition(SettingsStore &store, const TcDefinition &definition)
{
    DefinitionStore(store).save(definition, DefinitionStore::SaveKind::New);
}

Keys definedKeys(const SettingsStore &store)
{
    Keys result;
    if (const auto rows = store.GetAllSettings(kApplication.toString(), kDefinedTCs.toString())) {
        for (const SettingRow &row : *rows)
            result.emplace_back(row.key, row.value);
    }
    return result;
}

QString storedCleanup(const SettingsStore &store)
{
    return store.GetSetting(
        kApplication.toString(), kTCSettings.toString(), kDirectoryCleanup.toString(), u"<missing>"_s);
}

ControlHarness::ControlHarness(std::shared_ptr<SettingsStore> store)
    : fakes(std::move(store))
{
}

void ControlHarness::start()
{
    control = std::make_unique<ucTC>(fakes.services());
    control->resize(600, 400);
    control->show();
    // Keys go to the focus widget of the active window, as on a desktop.
    control->activateWindow();
    if (!QTest::qWaitForWindowActive(control.get()))
        ADD_FAILURE() << "the control's window did not become active";
}

void ControlHarness::clickTab(int tab) const
{
    auto *tabs = find<QWidget>(u"tbsTabStrip"_s)->findChild<QTabBar *>();
    clickAt(tabs, tabs->tabRect(tab - 1).center());
}

void ControlHarness::click(const QString &key) const
{
    auto *toolbar = find<ToolStrip>(u"tbToolbar"_s);
    clickOn(toolbar->widgetForAction(toolbar->findChild<QAction *>(key, Qt::FindDirectChildrenOnly)));
}

void ControlHarness::clickButton(const QString &name) const
{
    if (auto *option = find<QRadioButton>(name))
        clickOption(option);
    else
        clickOn(find<QWidget>(name));
}

void ControlHarness::pick(const QString &button, const std::optional<QString> &path) const
{
    fakes.dialogs->answers.push_back(path);
    clickButton(button);
}

void ControlHarness::choose(const QString &name) const
{
    auto *list = find<QComboBox>(u"cboTClist"_s);
    chooseItem(list, list->findText(name, Qt::MatchExactly));
}

void ControlHarness::chooseVersion(int version) const
{
    chooseItem(find<QComboBox>(u"cboVersComp"_s), version);
}

void ControlHarness::enterNew(const QString &name, int version, const QStringList &paths) const
{
    click(u"New"_s);
    auto *nameBox = find<QLineEdit>(u"txtTCName"_s);
    // Test keystrokes exist for printable ASCII only; other names are pasted, as a user would.
    const bool typeable =
        std::all_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7f; });
    if (typeable)
        typeInto(nameBox, name);
    else
        nameBox->setText(name);
    if (version != -1)
        chooseVersion(version);
    const QString pickers[] = {u"cmdGroupFile"_s, u"cmdGameCon"_s, u"cmdTextFile"_s};
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (!paths[i].isEmpty())
            pick(i < 3 ? pickers[i] : u"cmdOtherFiles"_s, paths[i]);
    }
}

void ControlHarness::removeOtherFile(int row) const
{
    auto *list = find<QListWidget>(u"lstOtherFiles"_s);
    clickAt(list->viewport(), list->visualItemRect(list->item(row)).center());
    clickButton(u"cmdOtherRemove"_s);
}

QString ControlHarness::text(const QString &name) const
{
    if (auto *label = find<QLabel>(name))
        return label->text();
    if (auto *edit = find<QLineEdit>(name))
        return edit->text();
    if (auto *combo = find<QComboBox>(name))
        return combo->currentText();
    return u"<no control "_s + name + u'>';
}

QStringList ControlHarness::names() const
{
    QStringList result;
    auto *list = find<QComboBox>(u"cboTClist"_s);
    for (int i = 0; i < list->count(); ++i)
        result << list->itemText(i);
    return result;
}

QStringList ControlHarness::otherFiles() const
{
    QStringList result;
    auto *list = find<QListWidget>(u"lstOtherFiles"_s);
    for (int i = 0; i < list->count(); ++i)
        result << list->item(i)->text();
    return result;
}

QStringList ControlHarness::enabledButtons() const
{
    QStringList result;
    for (QAction *a : find<ToolStrip>(u"tbToolbar"_s)->actions()) {
        if (!a->isSeparator() && a->isEnabled())
            result << a->objectName();
    }
    return result;
}

QString ControlHarness::editorState() const
{
    QStringList parts;
    for (const QString &name : {u"cboVersComp"_s, u"txtTCName"_s, u"lblGroupFile"_s, u"lblGameCon"_s, u"lblTextFile"_s})
        parts << name + u'=' + text(name);
    parts << u"other="_s + otherFiles().join(u'|');
    for (const QString &name :
        {u"txtTCName"_s, u"cboTClist"_s, u"cboVersComp"_s, u"cmdGroupFile"_s, u"cmdOtherRemove"_s})
        parts << name + (find<QWidget>(name)->isEnabled() ? u"+"_s : u"-"_s);
    parts << u"buttons="_s + enabledButtons().join(u',') << u"names="_s + names().join(u'|')
          << u"chosen="_s + QString::number(find<QComboBox>(u"cboTClist"_s)->currentIndex());
    return parts.join(u"; "_s);
}

} // namespace ostrel::test
