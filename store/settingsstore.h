#pragma once

#include "ostrel_export.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

namespace ostrel {

/// One (key, value) pair of a section, as GetAllSettings enumerates it.
struct SettingRow {
    QString key;
    QString value;
    friend bool operator==(const SettingRow &, const SettingRow &) = default;
};
/// Implicitly shared: handing out a section the store keeps costs no copy of its rows.
using SettingRows = QList<SettingRow>;

} // namespace ostrel

// Two implicitly shared strings: a row moves in memory as plain bytes.
Q_DECLARE_TYPEINFO(ostrel::SettingRow, Q_RELOCATABLE_TYPE);

namespace ostrel {

/// A store operation that failed; message() is written for the user.
class OSTREL_EXPORT StoreError : public std::runtime_error
{
public:
    explicit StoreError(const QString &message);
    QString message() const { return m_message; }

private:
    QString m_message;
};

/// The per-user settings store: application -> section -> key -> string value.
/// Application, section and key names are compared without regard to letter case;
/// a key keeps the place of its first creation when its value is replaced.
class OSTREL_EXPORT SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    /// The stored value; defaultValue when the key or its section does not exist
    /// or the store cannot be read.
    virtual QString GetSetting(
        const QString &application, const QString &section, const QString &key, const QString &defaultValue) const = 0;

    /// Creates the key (at the end of its section) or replaces its value. Throws StoreError.
    virtual void SaveSetting(
        const QString &application, const QString &section, const QString &key, const QString &value) = 0;

    /// Removes that one key; a missing key is no error. Throws StoreError.
    virtual void DeleteSetting(const QString &application, const QString &section, const QString &key) = 0;

    /// Every pair of the section in the order of first creation, or std::nullopt when
    /// the section holds no key (or the store cannot be read).
    virtual std::optional<SettingRows> GetAllSettings(const QString &application, const QString &section) const = 0;

    /// Runs work as one transaction: all of its writes land, or none does. A call made
    /// while a transaction is open joins it. When work throws, or the store refuses to
    /// commit, everything is rolled back and the exception (a StoreError for the store's
    /// own failures) propagates.
    virtual void Transact(const std::function<void()> &work) = 0;

    /// Where the store lives, as a user would recognise it in a message (a file path).
    virtual QString location() const = 0;

    /// Why the store cannot be read, in words for the user (naming where it lives), or ""
    /// when it can be read or does not exist yet. Reads of a store that cannot be read give
    /// nothing, so a host tells the user this instead of showing an empty store.
    virtual QString readProblem() const { return {}; }
};

} // namespace ostrel
