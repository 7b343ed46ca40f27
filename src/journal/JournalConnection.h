#pragma once

#include "journal/SqliteDatabase.h"

#include <QString>
#include <QtGlobal>

class ReadingTable;

// The writer thread's SQLite work: opens the journal file, and mirrors the
// table into it. Rows are read from the table under its rowsLock in chunks,
// so the GUI thread is held up for a chunk's copy at most, never for the
// disk. Every call other than the constructor runs on the writer thread.
class JournalConnection {
public:
    explicit JournalConnection(const ReadingTable& table) : table_(table) {}

    // Opens (creating) the file in WAL mode with a sync on every commit, and
    // prepares the statements; false and error() when the file cannot be.
    bool open(const QString& fileName);
    void close();
    bool isOpen() const { return db_.isOpen(); }

    bool begin();
    bool inTransaction() const { return inTransaction_; }
    // Stamps the end time and commits.
    bool commit();
    void rollback();

    // Makes the journal hold the table as it is now: writes every row and
    // the change list anew, or only what was added when the table has just
    // grown since the journal last held it.
    bool rewrite();
    // Rows appended up to rowCount of the table as it was in `generation`;
    // nothing when the table was replaced since (a rewrite follows then).
    bool appendUpTo(quint64 generation, int rowCount);
    bool writeCounters(qint32 nextRecordNo, qint32 recordCount);

    QString error() const { return db_.error(); }
    void setError(const QString& text) { db_.setError(text); }

private:
    struct Chunk;
    enum class Outcome { Done, TableChanged, FileFailed };
    Outcome writeRows(quint64 generation, int first, int end, bool logAdded);
    bool insert(const Chunk& chunk, int first, bool logAdded);
    bool failed(); // takes the connection's message as error()

    const ReadingTable& table_;
    SqliteDatabase db_;
    SqliteStatement insertRow_, insertChange_, updateCounters_, updateEnded_;
    bool inTransaction_ = false;
    bool synced_ = false;    // the journal holds the table of generation_
    quint64 generation_ = 0; // of the table the journal holds
    int rows_ = 0;           // rows the journal holds
    qint64 changes_ = 0;     // triples the journal holds
};
