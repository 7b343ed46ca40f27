#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

struct sqlite3;
struct sqlite3_stmt;

// An SQLite connection and its prepared statements, closed on destruction.
// Errors are returned as text with SQLite's own words ("database or disk is
// full"), so callers can pass them on to the user as they are.
class SqliteDatabase {
public:
    SqliteDatabase() = default;
    ~SqliteDatabase() { close(); }
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    // Opens for reading and writing (creating the file), or read-only.
    bool open(const QString& fileName, bool readOnly);
    void close();
    bool isOpen() const { return db_ != nullptr; }
    sqlite3* handle() const { return db_; }

    // Runs statements that return no rows; false and error() on failure.
    bool exec(const char* sql);
    // The first column of the first row of a query, or nullopt on failure.
    std::optional<qint64> queryInt(const char* sql);

    QString error() const { return error_; }
    void setError(const QString& text) { error_ = text; }
    // The connection's last error message.
    QString lastMessage() const;

private:
    sqlite3* db_ = nullptr;
    QString error_;
};

// A prepared statement with bound values; reset after each step cycle.
class SqliteStatement {
public:
    SqliteStatement() = default;
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    bool prepare(SqliteDatabase& db, const char* sql);
    void finalize();

    void bind(int index, qint64 value);
    void bind(int index, const QString& text);
    void bindNull(int index);

    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step();
    // Steps a statement that returns no rows and resets it: true on success.
    bool run();
    void reset();

    bool isNull(int column) const;
    qint64 intAt(int column) const;
    QString textAt(int column) const;

private:
    sqlite3_stmt* stmt_ = nullptr;
};
