#include "journal/SqliteDatabase.h"

#include <QFile>

#include <sqlite3.h>

bool SqliteDatabase::open(const QString& fileName, bool readOnly)
{
    close();
    const int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    const int rc = sqlite3_open_v2(QFile::encodeName(fileName).constData(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        error_ = db_ ? lastMessage() : QString::fromUtf8(sqlite3_errstr(rc));
        close();
        return false;
    }
    // A busy file (another connection checkpointing) is waited for briefly
    // rather than failing at once.
    sqlite3_busy_timeout(db_, 2000);
    sqlite3_extended_result_codes(db_, 1);
    return true;
}

void SqliteDatabase::close()
{
    if (db_)
        sqlite3_close_v2(db_);
    db_ = nullptr;
}

QString SqliteDatabase::lastMessage() const
{
    return db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString();
}

bool SqliteDatabase::exec(const char* sql)
{
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    error_ = message ? QString::fromUtf8(message) : lastMessage();
    sqlite3_free(message);
    return false;
}

std::optional<qint64> SqliteDatabase::queryInt(const char* sql)
{
    SqliteStatement query;
    if (!query.prepare(*this, sql))
        return std::nullopt;
    if (query.step() != SQLITE_ROW) {
        error_ = lastMessage();
        return std::nullopt;
    }
    return query.intAt(0);
}

SqliteStatement::~SqliteStatement()
{
    finalize();
}

bool SqliteStatement::prepare(SqliteDatabase& db, const char* sql)
{
    finalize();
    if (sqlite3_prepare_v2(db.handle(), sql, -1, &stmt_, nullptr) == SQLITE_OK)
        return true;
    db.setError(db.lastMessage());
    finalize();
    return false;
}

void SqliteStatement::finalize()
{
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
}

void SqliteStatement::bind(int index, qint64 value)
{
    sqlite3_bind_int64(stmt_, index, value);
}

void SqliteStatement::bind(int index, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(stmt_, index, utf8.constData(), static_cast<int>(utf8.size()),
                      SQLITE_TRANSIENT);
}

void SqliteStatement::bindNull(int index)
{
    sqlite3_bind_null(stmt_, index);
}

int SqliteStatement::step()
{
    return sqlite3_step(stmt_);
}

bool SqliteStatement::run()
{
    const int rc = sqlite3_step(stmt_);
    sqlite3_reset(stmt_);
    return rc == SQLITE_DONE || rc == SQLITE_ROW;
}

void SqliteStatement::reset()
{
    sqlite3_reset(stmt_);
}

bool SqliteStatement::isNull(int column) const
{
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

qint64 SqliteStatement::intAt(int column) const
{
    return sqlite3_column_int64(stmt_, column);
}

QString SqliteStatement::textAt(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(stmt_, column));
}
