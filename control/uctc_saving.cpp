// Writing the definition shown in the editor to the store, removing a stored one, and the
// directory clean-up preference.

#include "control/uctc_p.h"

#include "store/appnames.h"

#include "platform/messageboxes.h"
#include "platform/platformservices.h"
#include "store/cleanuppreference.h"
#include "store/definitionkeys.h"
#include "store/definitionstore.h"
#include "store/settingsstore.h"
#include "store/tcdefinition.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QStringListModel>

#include <algorithm>

using namespace Qt::StringLiterals;
using namespace ostrel;

ucTCPrivate::Validation ucTCPrivate::ValidateDefinition()
{
    // A stored definition is saved as it is.
    if (!isNewDefinition())
        return Validation::Passed;
    const QString name = txtTCName->text();
    QString problem;
    const QStringList names = m_names->stringList();
    if (std::any_of(names.cbegin(), names.cend(), SameDefinitionName(name)))
        problem = u"TC and Custom Group names must be unique. Save aborted."_s;
    if (problem.isEmpty() && cboVersComp->currentText().isEmpty())
        problem = u"Please set the Version Compatibility."_s;
    if (problem.isEmpty() && lblGroupFile->text().isEmpty())
        problem = u"Please select a group file."_s;
    if (problem.isEmpty())
        return Validation::Passed;
    m_services->messages->exclamation(q, kHostName.toString(), problem);
    return Validation::Refused;
}

// The definition as the editor shows it.
TcDefinition ucTCPrivate::editedDefinition() const
{
    TcDefinition definition;
    definition.name = txtTCName->text();
    definition.version = cboVersComp->currentText();
    definition.groupFile = lblGroupFile->text();
    definition.gameCon = lblGameCon->text();
    definition.textFile = lblTextFile->text();
    for (int i = 0; i < lstOtherFiles->count(); ++i)
        definition.otherFiles << lstOtherFiles->item(i)->text();
    return definition;
}

void ucTCPrivate::SaveDefinition()
{
    if (ValidateDefinition() == Validation::Refused)
        return;
    const TcDefinition definition = editedDefinition();
    const bool isNew = isNewDefinition();
    try {
        m_definitions->save(definition, isNew ? DefinitionStore::SaveKind::New : DefinitionStore::SaveKind::Existing);
    } catch (const StoreError &error) {
        reportStoreFailure(u"The TC definition \"%1\" could not be saved."_s.arg(definition.name), error.message());
        return;
    }
    if (isNew)
        appendName(definition.name);
    markMissingFiles();
    txtTCName->setEnabled(false);
    cboTClist->setEnabled(true);
    setModeButtons(true);
}

void ucTCPrivate::DeleteDefinition()
{
    const QString name = txtTCName->text();
    if (!m_services->messages->question(
            q, kHostName.toString(), u"Are you sure you want to remove this Definition?"_s, false))
        return;
    try {
        if (!m_definitions->remove(name))
            return;
    } catch (const StoreError &error) {
        reportStoreFailure(u"The TC definition \"%1\" could not be removed."_s.arg(name), error.message());
        return;
    }
    const QStringList names = m_names->stringList();
    const auto listed = std::find_if(names.cbegin(), names.cend(), SameDefinitionName(name));
    if (listed != names.cend())
        cboTClist->removeItem(int(listed - names.cbegin()));
    CancelNewDefinition();
}

void ucTCPrivate::optCleanup_Click(const QString &value)
{
    try {
        m_definitions->setCleanupPreference(value);
    } catch (const StoreError &error) {
        // The page shows what the launcher will read.
        showCleanup(m_definitions->cleanupPreference());
        reportStoreFailure(u"The directory clean-up preference could not be saved."_s, error.message());
    }
}

QRadioButton *ucTCPrivate::cleanupOptionFor(const QString &stored) const
{
    switch (parseCleanupPreference(stored)) {
    case CleanupPreference::Delete:
        return optDelete;
    case CleanupPreference::Rename:
        return optRename;
    case CleanupPreference::None:
        return optNone;
    case CleanupPreference::Unknown:
        break;
    }
    return nullptr;
}

QString ucTCPrivate::cleanupValueOf(const QAbstractButton *option) const
{
    const CleanupPreference chosen = option == optDelete ? CleanupPreference::Delete
        : option == optRename                            ? CleanupPreference::Rename
                                                         : CleanupPreference::None;
    return cleanupPreferenceText(chosen);
}

// Shows the stored text's option, or none for a text that matches none of them.
void ucTCPrivate::showCleanup(const QString &stored)
{
    QRadioButton *chosen = cleanupOptionFor(stored);
    m_cleanupOptions->setExclusive(false);
    for (QAbstractButton *option : m_cleanupOptions->buttons())
        option->setChecked(option == chosen);
    m_cleanupOptions->setExclusive(true);
}
