#pragma once

#include "ostrel_export.h"

#include "store/settingsstore.h"

namespace ostrel {

/// A settings store that lives in memory only, with the same contract as the file
/// store: for tests, and for hosts that want no persistence.
class OSTREL_EXPORT MemorySettingsStore : public SettingsStore
{
public:
    QString GetSetting(const QString &application, const QString &section, const QString &key,
        const QString &defaultValue) const override;
    void SaveSetting(
        const QString &application, const QString &section, const QString &key, const QString &value) override;
    void DeleteSetting(const QString &application, const QString &section, const QString &key) override;
    std::optional<SettingRows> GetAllSettings(const QString &application, const QString &section) const override;
    void Transact(const std::function<void()> &work) override;
    QString location() const override;

private:
    struct Entry {
        QString application, section, key, value;
    };
    std::vector<Entry> m_entries; // in order of first creation
    int m_transactionDepth = 0;
};

} // namespace ostrel
