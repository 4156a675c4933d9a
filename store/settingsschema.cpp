#include "store/settingsschema.h"

#include "store/statements.h"

#include <QByteArray>

namespace ostrel {

namespace {

const char kCreateTable[] = "CREATE TABLE settings ("
                            " id INTEGER PRIMARY KEY,"
                            " application TEXT NOT NULL, section TEXT NOT NULL, key TEXT NOT NULL,"
                            " value TEXT NOT NULL,"
                            " application_folded TEXT NOT NULL, section_folded TEXT NOT NULL, key_folded TEXT NOT NULL,"
                            " UNIQUE (application_folded, section_folded, key_folded));"
                            // Index entries of equal names are ordered by rowid, so a section is read in
                            // creation order without a sort.
                            "CREATE INDEX settings_by_section ON settings (application_folded, section_folded);";

} // namespace

// Plain pragmas: their table-valued forms prepare a statement of their own at every run,
// about six times the work for each write transaction.
const char kReadApplicationId[] = "PRAGMA application_id";
const char kReadLayoutVersion[] = "PRAGMA user_version";

int createSchema(sqlite3 *db)
{
    const int rc = sqlite3_exec(db, kCreateTable, nullptr, nullptr, nullptr);
    return rc == SQLITE_OK ? stampSchema(db) : rc;
}

int stampSchema(sqlite3 *db)
{
    // Both values live in the file's first page, so they are written (and rolled back)
    // with the transaction that sets them.
    const QByteArray sql = "PRAGMA application_id = " + QByteArray::number(kSettingsApplicationId)
        + "; PRAGMA user_version = " + QByteArray::number(kSettingsLayoutVersion) + ';';
    return sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
}

int readSchemaStamp(sqlite3_stmt *readApplicationId, sqlite3_stmt *readLayoutVersion, SchemaStamp *stamp)
{
    int values[2] = {};
    sqlite3_stmt *const statements[2] = {readApplicationId, readLayoutVersion};
    for (int i = 0; i < 2; ++i) {
        StatementUse use(statements[i]);
        const int rc = sqlite3_step(statements[i]);
        if (rc != SQLITE_ROW)
            return rc;
        values[i] = sqlite3_column_int(statements[i], 0);
    }
    stamp->applicationId = values[0];
    stamp->layoutVersion = values[1];
    return SQLITE_OK;
}

} // namespace ostrel
