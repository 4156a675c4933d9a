#pragma once

#include <cstdint>

struct sqlite3;
struct sqlite3_stmt;

namespace ostrel {

/// Marks an SQLite file as an Ostrel settings store (PRAGMA application_id): "Ostr".
inline constexpr std::int32_t kSettingsApplicationId = 0x4f737472;

/// The layout of the settings table this code reads and writes (PRAGMA user_version).
inline constexpr int kSettingsLayoutVersion = 1;

/// What the header of a store file says it is. Stores written before the header was
/// marked carry 0 in both fields.
struct SchemaStamp {
    std::int32_t applicationId = 0;
    int layoutVersion = 0;

    /// Another program's database.
    bool isForeign() const { return applicationId != 0 && applicationId != kSettingsApplicationId; }
    /// Written by a release that knows a later layout: read, but never written.
    bool isNewer() const { return layoutVersion > kSettingsLayoutVersion; }
    /// Carries both marks of today's layout.
    bool isCurrent() const
    {
        return applicationId == kSettingsApplicationId && layoutVersion == kSettingsLayoutVersion;
    }
};

/// Read the two halves of the stamp of the main database.
extern const char kReadApplicationId[];
extern const char kReadLayoutVersion[];

/// Creates the settings table and its index in db and stamps the file with today's
/// layout; an SQLite result code. Run it inside a transaction.
int createSchema(sqlite3 *db);

/// Stamps a store of today's layout that was written before stores were stamped; an
/// SQLite result code. Run it inside the transaction of its first change.
int stampSchema(sqlite3 *db);

/// Steps the statements prepared from kReadApplicationId and kReadLayoutVersion; an
/// SQLite result code.
int readSchemaStamp(sqlite3_stmt *readApplicationId, sqlite3_stmt *readLayoutVersion, SchemaStamp *stamp);

} // namespace ostrel
