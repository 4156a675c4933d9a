#include "store/definitionstore.h"

#include "store/cleanuppreference.h"
#include "store/definitionindex.h"
#include "store/definitionkeys.h"
#include "store/settingsstore.h"

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

const QString kApp = kApplication.toString();
const QString kSection = kDefinedTCs.toString();

// Loading, removing and deleting see a section of one key as empty: a complete
// definition has at least five.
std::optional<SettingRows> definitionRows(const SettingsStore &store)
{
    auto rows = store.GetAllSettings(kApp, kSection);
    if (!rows || rows->size() <= 1)
        return std::nullopt;
    return rows;
}

// The section last loaded from on this thread, and its index once it has one. A store
// hands out the rows it keeps, shared until one of them changes. The index is made the
// second time a load gets the same rows, as when the player goes through the definitions
// one by one: a single load walks the rows, which costs less than indexing them. From then
// on the index holds the rows it was made from, so that the same rows mean the same section,
// unchanged: a store changes rows that someone else holds only in a copy of its own.
class IndexedSection
{
public:
    static IndexedSection &onThisThread()
    {
        thread_local IndexedSection section;
        return section;
    }

    // The index of rows; made now when these rows come a second time and mayMake.
    // nullptr while there is none.
    const DefinitionIndex *indexFor(const SettingRows &rows, bool mayMake)
    {
        if (m_index && m_rows.constData() == rows.constData() && m_rows.size() == rows.size())
            return &*m_index;
        const bool secondTime = m_seen == rows.constData() && m_seenSize == rows.size();
        forget();
        if (rows.size() < kRowsWorthAnIndex)
            return nullptr;
        if (!secondTime || !mayMake) {
            m_seen = rows.constData();
            m_seenSize = rows.size();
            return nullptr;
        }
        m_rows = rows;
        m_index.emplace(rows);
        return &*m_index;
    }

    // Lets go of the rows before this thread changes the section: held, they would make
    // the store copy them all to change one.
    void forget()
    {
        m_index.reset();
        m_rows = {};
        m_seen = nullptr;
        m_seenSize = 0;
    }

private:
    // Below this many rows a walk through the section costs next to nothing.
    static constexpr qsizetype kRowsWorthAnIndex = 4096;

    SettingRows m_rows;
    std::optional<DefinitionIndex> m_index;
    // The rows the last load got, not held: only a hint that the next may get them again.
    const SettingRow *m_seen = nullptr;
    qsizetype m_seenSize = 0;
};

// Calls visit(row, field) for every row that is a key of the definition called name, in
// store order. Only loads make the index: a save or a removal changes the rows, and an
// index made for them would serve no other call.
enum class Purpose {
    Load,
    Change
};
template<typename Visit>
void forEachKeyOf(const SettingRows &rows, const QString &name, Purpose purpose, Visit visit)
{
    auto classify = [&](const SettingRow &row) {
        if (const KeyField field = classifyKey(row.key, name); field != KeyField::None)
            visit(row, field);
    };
    if (const DefinitionIndex *index = IndexedSection::onThisThread().indexFor(rows, purpose == Purpose::Load)) {
        for (const qsizetype at : index->candidates(name))
            classify(rows[at]);
    } else {
        for (const SettingRow &row : rows)
            classify(row);
    }
}

// The keys of the definition called name (all, or only its other files), in store order.
// Nothing holds the section's rows afterwards, so the store can change them in place
// rather than copy them all first.
QStringList keysOf(const SettingsStore &store, const QString &name, bool otherFilesOnly)
{
    QStringList keys;
    if (const auto rows = definitionRows(store)) {
        forEachKeyOf(*rows, name, Purpose::Change, [&](const SettingRow &row, KeyField field) {
            if (!otherFilesOnly || field == KeyField::OtherFile)
                keys.append(row.key);
        });
    }
    IndexedSection::onThisThread().forget();
    return keys;
}

} // namespace

DefinitionStore::DefinitionStore(SettingsStore &store)
    : m_store(store)
{
}

QStringList DefinitionStore::names() const
{
    QStringList names;
    if (const auto rows = m_store.GetAllSettings(kApp, kSection)) {
        names.reserve(rows->size() / 5);
        for (const SettingRow &row : *rows) {
            if (isNameListKey(row.key))
                names.append(row.value);
        }
    }
    return names;
}

std::optional<TcDefinition> DefinitionStore::load(const QString &name) const
{
    const auto rows = definitionRows(m_store);
    if (!rows)
        return std::nullopt;
    TcDefinition definition;
    forEachKeyOf(*rows, name, Purpose::Load, [&](const SettingRow &row, KeyField field) {
        switch (field) {
        case KeyField::VersionComp:
            definition.version = row.value;
            break;
        case KeyField::Name:
            definition.name = row.value;
            break;
        case KeyField::GroupFile:
            definition.groupFile = row.value;
            break;
        case KeyField::GameCon:
            definition.gameCon = row.value;
            break;
        case KeyField::TextFile:
            definition.textFile = row.value;
            break;
        case KeyField::OtherFile:
            // In enumeration order, not by number: a save writes them in number order.
            definition.otherFiles.append(row.value);
            break;
        case KeyField::None:
            break;
        }
    });
    return definition;
}

void DefinitionStore::save(const TcDefinition &definition, SaveKind kind)
{
    const QString &name = definition.name;
    IndexedSection::onThisThread().forget();
    auto write = [&](KeyField field, const QString &value, int number = 0) {
        m_store.SaveSetting(kApp, kSection, definitionKey(name, field, number), value);
    };
    m_store.Transact([&] {
        write(KeyField::VersionComp, definition.version);
        // The name key is written once, by the first save; a later save keeps it in place.
        if (kind == SaveKind::New)
            write(KeyField::Name, name);
        else
            RemoveOtherFileSettings(name);
        write(KeyField::GroupFile, definition.groupFile);
        write(KeyField::GameCon, definition.gameCon);
        write(KeyField::TextFile, definition.textFile);
        for (qsizetype i = 0; i < definition.otherFiles.size(); ++i)
            write(KeyField::OtherFile, definition.otherFiles[i], int(i + 1));
    });
}

// Removed entries leave no key behind, and the numbers of the fresh run have no gaps.
void DefinitionStore::RemoveOtherFileSettings(const QString &name)
{
    for (const QString &key : keysOf(m_store, name, true))
        m_store.DeleteSetting(kApp, kSection, key);
}

bool DefinitionStore::remove(const QString &name)
{
    if (!definitionRows(m_store))
        return false;
    const QStringList keys = keysOf(m_store, name, false);
    m_store.Transact([&] {
        for (const QString &key : keys)
            m_store.DeleteSetting(kApp, kSection, key);
    });
    return true;
}

QString DefinitionStore::cleanupPreference() const
{
    // No choice stored yet is the default, which the TC manager shows as chosen.
    return m_store.GetSetting(
        kApp, kTCSettings.toString(), kDirectoryCleanup.toString(), cleanupPreferenceText(kDefaultCleanupPreference));
}

void DefinitionStore::setCleanupPreference(const QString &value)
{
    // The TC manager writes the stored choice back at every start, in its own spelling;
    // mostly it is spelt so already, and a durable commit (several waits for the disk) would
    // change nothing.
    const QString section = kTCSettings.toString(), key = kDirectoryCleanup.toString();
    if (!value.isEmpty() && m_store.GetSetting(kApp, section, key, QString()) == value)
        return;
    m_store.SaveSetting(kApp, section, key, value);
}

} // namespace ostrel
