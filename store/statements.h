#pragma once

#include <QString>

#include <sqlite3.h>

namespace ostrel {

// Text is bound without a copy: every use of a statement goes through StatementUse,
// which drops the bindings before the bound strings go away.
inline void bindText(sqlite3_stmt *statement, int index, const QString &text)
{
    sqlite3_bind_text16(statement, index, text.utf16(), int(text.size() * sizeof(char16_t)), SQLITE_STATIC);
}

// Whether text holds exactly the given UTF-8 bytes, all of them ASCII.
inline bool holdsAscii(const QString &text, const char *utf8, int size)
{
    if (text.size() != size)
        return false;
    const QChar *units = text.constData();
    for (int i = 0; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte >= 0x80 || units[i].unicode() != byte)
            return false;
    }
    return true;
}

// The column's text; kept itself when it holds that text already (checked for ASCII
// text only, which nearly every key and path is).
inline QString columnText(sqlite3_stmt *statement, int column, const QString *kept = nullptr)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    const int size = sqlite3_column_bytes(statement, column);
    if (kept && holdsAscii(*kept, text, size))
        return *kept;
    return QString::fromUtf8(text, size);
}

/// One use of a prepared statement: resets it and clears its bindings when it ends.
class StatementUse
{
public:
    explicit StatementUse(sqlite3_stmt *statement)
        : m_statement(statement)
    {
    }
    ~StatementUse()
    {
        // A read left unfinished would keep its lock on the file.
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
    StatementUse(const StatementUse &) = delete;
    StatementUse &operator=(const StatementUse &) = delete;

private:
    sqlite3_stmt *m_statement;
};

/// The statements a store's connection keeps prepared while it is open. Finalize them
/// before the connection closes.
struct StoreStatements {
    /// Prepares the statements every connection needs; an SQLite result code.
    int prepareConnection(sqlite3 *db);
    /// Prepares the statements on the settings table; false when the table has a shape
    /// they do not fit.
    bool prepareTable(sqlite3 *db);
    bool tablePrepared() const { return selectValue != nullptr; }
    void finalizeTable();
    void finalizeAll();

    sqlite3_stmt *selectValue = nullptr;
    sqlite3_stmt *selectSection = nullptr;
    sqlite3_stmt *selectSectionSpan = nullptr;
    sqlite3_stmt *upsert = nullptr;
    sqlite3_stmt *remove = nullptr;

    sqlite3_stmt *dataVersion = nullptr;
    sqlite3_stmt *readApplicationId = nullptr;
    sqlite3_stmt *readLayoutVersion = nullptr;
    sqlite3_stmt *begin = nullptr;
    sqlite3_stmt *commit = nullptr;
    sqlite3_stmt *rollback = nullptr;
};

} // namespace ostrel
