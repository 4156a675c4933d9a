#pragma once

#include "fakes.h"
#include "sandbox.h"
#include "testfiles.h"
#include "store/memorysettingsstore.h"
#include "store/tcdefinition.h"

#include <control/uctc.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include <memory>

namespace ostrel::test {

using namespace Qt::StringLiterals;

/// Stores a definition as a first save does.
void storeDefinition(SettingsStore &store, const TcDefinition &definition);
/// The (key, value) pairs of "DefinedTCs", in store order; empty when there are none.
using Keys = std::vector<std::pair<QString, QString>>;
Keys definedKeys(const SettingsStore &store);
/// The stored directory clean-up preference, "<missing>" when there is none.
QString storedCleanup(const SettingsStore &store);

/// The enabled toolbar buttons while browsing, and while a definition is new or changed.
inline const QStringList kBrowseButtons{u"New"_s, u"Delete"_s, u"LoadScript"_s, u"Script"_s, u"ScriptView"_s};
inline const QStringList kEntryButtons{u"CancelNew"_s, u"Save"_s, u"LoadScript"_s, u"ScriptView"_s};

/// A ucTC on recording fakes and a store of the test's choice (in memory by default).
class ControlHarness
{
public:
    explicit ControlHarness(std::shared_ptr<SettingsStore> store = std::make_shared<MemorySettingsStore>());

    /// Constructs the control (start-up runs now), sized like the design.
    void start();

    template<typename T>
    T *find(const QString &name) const
    {
        return control->findChild<T *>(name);
    }
    /// Clicks a toolbar button with the mouse; a disabled button does nothing, as for a user.
    void click(const QString &key) const;
    /// Clicks the tab (counted from 1) with the mouse.
    void clickTab(int tab) const;
    /// Clicks a button or an option of the control with the mouse.
    void clickButton(const QString &name) const;
    /// Clicks a picker button with the file dialog answering path (std::nullopt: Cancel).
    void pick(const QString &button, const std::optional<QString> &path) const;
    /// Chooses a name in the names list, as a user does.
    void choose(const QString &name) const;
    /// Chooses the version at index in the version list.
    void chooseVersion(int version) const;
    /// Clicks "New" and enters a definition: the name, the version (an index of the list,
    /// -1 for none) and, through their pickers, the group file, game con, text file and
    /// other files in that order; an empty path is not picked.
    void enterNew(const QString &name, int version, const QStringList &paths = {}) const;
    /// Selects the row of the other-files list and clicks its remove button.
    void removeOtherFile(int row) const;

    QString text(const QString &name) const;
    QStringList names() const;
    QStringList otherFiles() const;
    /// Keys of the toolbar buttons that are enabled, in toolbar order.
    QStringList enabledButtons() const;
    /// Every observable part of the editor: fields, enabled states, toolbar, names list.
    QString editorState() const;

    Sandbox temp;
    Fakes fakes;
    std::unique_ptr<ucTC> control;
};

} // namespace ostrel::test
