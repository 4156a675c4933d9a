#include "store/statements.h"

#include "store/settingsschema.h"

#include <utility>

namespace ostrel {

namespace {

const char kSelectValue[] = "SELECT value FROM settings"
                            " WHERE application_folded = ?1 AND section_folded = ?2 AND key_folded = ?3";
const char kSelectSection[] = "SELECT id, key, value FROM settings"
                              " WHERE application_folded = ?1 AND section_folded = ?2 ORDER BY id";
// The first and last row id of a section: two seeks in the section index.
const char kSelectSectionSpan[] =
    "SELECT (SELECT id FROM settings WHERE application_folded = ?1 AND section_folded = ?2"
    " ORDER BY id LIMIT 1),"
    " (SELECT id FROM settings WHERE application_folded = ?1 AND section_folded = ?2"
    " ORDER BY id DESC LIMIT 1)";
// An upsert keeps the row id, and with it the key's place in its section, and the
// names as first written.
const char kUpsert[] = "INSERT INTO settings (application, section, key, value,"
                       " application_folded, section_folded, key_folded) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)"
                       " ON CONFLICT (application_folded, section_folded, key_folded)"
                       " DO UPDATE SET value = excluded.value RETURNING id";
const char kDelete[] = "DELETE FROM settings"
                       " WHERE application_folded = ?1 AND section_folded = ?2 AND key_folded = ?3 RETURNING id";

int prepare(sqlite3 *db, const char *sql, sqlite3_stmt **statement)
{
    return sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, statement, nullptr);
}

void finalize(sqlite3_stmt **statement)
{
    sqlite3_finalize(*statement);
    *statement = nullptr;
}

} // namespace

int StoreStatements::prepareConnection(sqlite3 *db)
{
    const std::pair<const char *, sqlite3_stmt **> statements[] = {
        {"BEGIN IMMEDIATE", &begin},
        {"COMMIT", &commit},
        {"ROLLBACK", &rollback},
        {"PRAGMA data_version", &dataVersion},
        {kReadApplicationId, &readApplicationId},
        {kReadLayoutVersion, &readLayoutVersion},
    };
    for (const auto &[sql, statement] : statements) {
        if (const int rc = prepare(db, sql, statement); rc != SQLITE_OK)
            return rc;
    }
    return SQLITE_OK;
}

bool StoreStatements::prepareTable(sqlite3 *db)
{
    const std::pair<const char *, sqlite3_stmt **> statements[] = {
        {kSelectValue, &selectValue},
        {kSelectSection, &selectSection},
        {kSelectSectionSpan, &selectSectionSpan},
        {kUpsert, &upsert},
        {kDelete, &remove},
    };
    for (const auto &[sql, statement] : statements) {
        if (prepare(db, sql, statement) != SQLITE_OK) {
            finalizeTable();
            return false;
        }
    }
    return true;
}

void StoreStatements::finalizeTable()
{
    for (sqlite3_stmt **statement : {&selectValue, &selectSection, &selectSectionSpan, &upsert, &remove})
        finalize(statement);
}

void StoreStatements::finalizeAll()
{
    finalizeTable();
    for (sqlite3_stmt **statement : {&dataVersion, &readApplicationId, &readLayoutVersion, &begin, &commit, &rollback})
        finalize(statement);
}

} // namespace ostrel
