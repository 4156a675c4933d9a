#include "store/memorysettingsstore.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

// Qt's case-insensitive comparison folds each character the way toCaseFolded() does,
// so this store matches names exactly as the file store's folded columns do.
bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

template<typename Entries>
auto findEntry(Entries &entries, const QString &application, const QString &section, const QString &key)
{
    return std::find_if(entries.begin(), entries.end(), [&](const auto &entry) {
        return sameName(entry.key, key) && sameName(entry.section, section) && sameName(entry.application, application);
    });
}

} // namespace

QString MemorySettingsStore::GetSetting(
    const QString &application, const QString &section, const QString &key, const QString &defaultValue) const
{
    const auto it = findEntry(m_entries, application, section, key);
    return it == m_entries.end() ? defaultValue : it->value;
}

void MemorySettingsStore::SaveSetting(
    const QString &application, const QString &section, const QString &key, const QString &value)
{
    const auto it = findEntry(m_entries, application, section, key);
    if (it != m_entries.end())
        it->value = value; // the names stay as first written
    else
        m_entries.push_back({application, section, key, value});
}

void MemorySettingsStore::DeleteSetting(const QString &application, const QString &section, const QString &key)
{
    const auto it = findEntry(m_entries, application, section, key);
    if (it != m_entries.end())
        m_entries.erase(it);
}

std::optional<SettingRows> MemorySettingsStore::GetAllSettings(const QString &application, const QString &section) const
{
    SettingRows rows;
    for (const Entry &entry : m_entries) {
        if (sameName(entry.section, section) && sameName(entry.application, application))
            rows.push_back({entry.key, entry.value});
    }
    if (rows.empty())
        return std::nullopt;
    return rows;
}

void MemorySettingsStore::Transact(const std::function<void()> &work)
{
    if (m_transactionDepth > 0) {
        work();
        return;
    }
    std::vector<Entry> snapshot = m_entries;
    m_transactionDepth = 1;
    try {
        work();
    } catch (...) {
        m_entries = std::move(snapshot);
        m_transactionDepth = 0;
        throw;
    }
    m_transactionDepth = 0;
}

QString MemorySettingsStore::location() const
{
    return u"(memory)"_s;
}

} // namespace ostrel
