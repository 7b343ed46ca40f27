// Checks of journal files as a user would make them: SQLite's own integrity
// check, the sqlite3 tool, and the table read back.
#pragma once

#include "journal/JournalConnection.h"
#include "journal/SqliteDatabase.h"
#include "recording/ReadingStore.h"
#include "recording/ReadingTable.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

inline QString integrityOf(const QString& file)
{
    SqliteDatabase db;
    if (!db.open(file, true))
        return db.error();
    SqliteStatement query;
    if (!query.prepare(db, "PRAGMA integrity_check") || query.step() != 100 /* SQLITE_ROW */)
        return db.lastMessage();
    return query.textAt(0);
}

// The sqlite3 tool's answer to a query, or a null string without the tool.
inline QString sqliteTool(const QString& file, const QString& sql)
{
    if (QStandardPaths::findExecutable("sqlite3").isEmpty())
        return {};
    QProcess tool;
    tool.start("sqlite3", {"-readonly", file, sql});
    tool.waitForFinished(30000);
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

inline QByteArray hashOf(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

inline QString rowText(const ReadingStore& store, int r)
{
    QStringList fields;
    for (int f = 0; f < kReadingFieldCount; ++f)
        fields << store.text(r, static_cast<ReadingField>(f));
    return fields.join('|') + '#' + QString::number(store.rowState(r));
}

inline void expectSameStore(const ReadingStore& expected, const ReadingStore& actual)
{
    ASSERT_EQ(expected.rowCount(), actual.rowCount());
    for (int r = 0; r < expected.rowCount(); ++r)
        ASSERT_EQ(rowText(expected, r), rowText(actual, r)) << "row " << r;
    EXPECT_EQ(expected.changes().numbers(), actual.changes().numbers());
}

// Writes a journal of the table at once, without the writer thread, and
// closes it (checkpointed: the file holds everything).
inline bool writeJournal(const QString& file, const ReadingTable& table)
{
    JournalConnection connection(table);
    return connection.open(file) && connection.begin() && connection.rewrite() &&
           connection.writeCounters(table.rowCount() + 1, table.rowCount()) && connection.commit();
}

inline bool execSql(const QString& file, const char* sql)
{
    SqliteDatabase db;
    return db.open(file, false) && db.exec(sql);
}
