#pragma once

#include "ostrel_export.h"

#include "store/settingsstore.h"

#include <memory>

namespace ostrel {

/// The per-user settings store as one SQLite database file.
///
/// The file is created on the first write (folder 0700, file 0600). A file that is
/// not a database, is damaged or cannot be written is never overwritten: reads of it
/// give nothing and writes throw a StoreError that names the file and the reason. A store
/// of a newer layout than this release knows is read, but never written.
class OSTREL_EXPORT SqliteSettingsStore : public SettingsStore
{
public:
    enum class Access {
        ReadWrite,
        ReadOnly
    };

    explicit SqliteSettingsStore(const QString &path, Access access = Access::ReadWrite);
    ~SqliteSettingsStore() override;

    /// $XDG_CONFIG_HOME/ostrel/settings.sqlite3 (~/.config when the variable is unset).
    static QString defaultPath();

    QString GetSetting(const QString &application, const QString &section, const QString &key,
        const QString &defaultValue) const override;
    void SaveSetting(
        const QString &application, const QString &section, const QString &key, const QString &value) override;
    void DeleteSetting(const QString &application, const QString &section, const QString &key) override;
    std::optional<SettingRows> GetAllSettings(const QString &application, const QString &section) const override;
    void Transact(const std::function<void()> &work) override;
    QString location() const override;
    QString readProblem() const override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace ostrel
