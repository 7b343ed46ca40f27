#include "journal/JournalConnection.h"

#include "journal/JournalSchema.h"
#include "recording/ReadingTable.h"

#include <QDateTime>

#include <sqlite3.h>

#include <vector>

namespace {

// Rows copied under the table's lock at a time: a few hundred microseconds
// of the GUI thread at most.
constexpr int kChunkRows = 4096;

QString nowText()
{
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

} // namespace

struct JournalConnection::Chunk {
    std::vector<ReadingRow> rows;
    std::vector<qint32> states;
};

bool JournalConnection::failed()
{
    db_.setError(db_.lastMessage());
    return false;
}

bool JournalConnection::open(const QString& fileName)
{
    close();
    synced_ = false; // whatever the file holds, a rewrite makes it the table
    // synchronous=FULL: in WAL mode SQLite then syncs the WAL file at every
    // commit, so a committed transaction survives a power cut. With NORMAL
    // it syncs only at checkpoints, and a power cut may roll back commits
    // that already returned. The writer commits at most twice a second, so
    // this costs one sync per commit, not one per row.
    if (!db_.open(fileName, false) || !db_.exec("PRAGMA journal_mode=WAL;") ||
        !db_.exec("PRAGMA synchronous=FULL;") || !db_.exec(journalSchemaSql())) {
        close();
        return false;
    }
    const QString now = nowText();
    SqliteStatement start;
    const bool ok =
        start.prepare(db_, "INSERT OR IGNORE INTO recording VALUES (1, 0, 0, ?1, ?1)") &&
        (start.bind(1, now), start.run()) &&
        insertRow_.prepare(db_, "INSERT INTO reading VALUES (?,?,?,?,?,?,?,?)") &&
        insertChange_.prepare(db_, "INSERT INTO change_list VALUES (?,?,?,?)") &&
        updateCounters_.prepare(
            db_, "UPDATE recording SET next_record_no = ?, record_count = ? WHERE id = 1") &&
        updateEnded_.prepare(db_, "UPDATE recording SET ended = ? WHERE id = 1");
    if (!ok) {
        failed();
        close();
    }
    return ok;
}

void JournalConnection::close()
{
    insertRow_.finalize();
    insertChange_.finalize();
    updateCounters_.finalize();
    updateEnded_.finalize();
    const QString kept = db_.error();
    db_.close();
    db_.setError(kept);
    inTransaction_ = false;
}

bool JournalConnection::begin()
{
    if (!db_.exec("BEGIN"))
        return false;
    inTransaction_ = true;
    return true;
}

bool JournalConnection::commit()
{
    updateEnded_.bind(1, nowText());
    if (!updateEnded_.run())
        return failed();
    if (!db_.exec("COMMIT"))
        return false;
    inTransaction_ = false;
    return true;
}

void JournalConnection::rollback()
{
    if (db_.isOpen() && !sqlite3_get_autocommit(db_.handle())) {
        const QString kept = db_.error();
        db_.exec("ROLLBACK");
        db_.setError(kept);
    }
    inTransaction_ = false;
}

bool JournalConnection::rewrite()
{
    for (;;) {
        quint64 generation = 0;
        int rowCount = 0;
        ChangeList changes;
        {
            const std::lock_guard<std::mutex> lock(table_.rowsLock());
            generation = table_.generation();
            rowCount = table_.rowCount();
            changes = table_.changes(); // segments: small for recorded runs
        }
        // A table of the same generation has only grown (a text file
        // appended whole, rows of a bulk update): the journal's rows and
        // change list are still its beginning, and only the rest is written.
        const bool grown = synced_ && generation == generation_ && rowCount >= rows_ &&
                           changes.tripleCount() >= changes_;
        if (!grown) {
            synced_ = false;
            if (!db_.exec("DELETE FROM reading; DELETE FROM change_list;"))
                return false;
            rows_ = 0;
            changes_ = 0;
        }
        const Outcome outcome = writeRows(generation, rows_, rowCount, false);
        if (outcome == Outcome::FileFailed)
            return false;
        if (outcome == Outcome::TableChanged) {
            synced_ = false;
            continue; // replaced meanwhile: start over from the new table
        }
        const qint64 written = changes_;
        qint64 index = 0;
        bool ok = true;
        changes.forEach([&](const ChangeList::Triple& t) {
            if (!ok || index++ < written)
                return;
            insertChange_.bind(1, ++changes_);
            insertChange_.bind(2, t.a);
            insertChange_.bind(3, t.b);
            insertChange_.bind(4, t.c);
            ok = insertChange_.run();
        });
        if (!ok)
            return failed();
        generation_ = generation;
        synced_ = true;
        return true;
    }
}

bool JournalConnection::appendUpTo(quint64 generation, int rowCount)
{
    if (!synced_ || generation != generation_ || rowCount <= rows_)
        return true;
    // Rows appended one by one are logged as added rows, (position, 0, 4).
    return writeRows(generation, rows_, rowCount, true) != Outcome::FileFailed;
}

JournalConnection::Outcome JournalConnection::writeRows(quint64 generation, int first, int end,
                                                        bool logAdded)
{
    Chunk chunk;
    for (int start = first; start < end; start += kChunkRows) {
        const int count = std::min(kChunkRows, end - start);
        chunk.rows.clear();
        chunk.states.clear();
        {
            const std::lock_guard<std::mutex> lock(table_.rowsLock());
            if (table_.generation() != generation || table_.rowCount() < start + count)
                return Outcome::TableChanged;
            const ReadingStore& store = table_.rows();
            for (int r = start; r < start + count; ++r) {
                chunk.rows.push_back(store.row(r));
                chunk.states.push_back(store.rowState(r));
            }
        }
        if (!insert(chunk, start, logAdded))
            return Outcome::FileFailed;
        rows_ = start + count;
    }
    return Outcome::Done;
}

bool JournalConnection::insert(const Chunk& chunk, int first, bool logAdded)
{
    for (size_t i = 0; i < chunk.rows.size(); ++i) {
        const ReadingRow& row = chunk.rows[i];
        const qint64 pos = first + static_cast<qint64>(i) + 1;
        insertRow_.bind(1, pos);
        if (row.no)
            insertRow_.bind(2, qint64{*row.no});
        else
            insertRow_.bindNull(2);
        insertRow_.bind(3, row.time);
        insertRow_.bind(4, row.channel);
        insertRow_.bind(5, row.value);
        insertRow_.bind(6, row.unit);
        insertRow_.bind(7, row.judge);
        insertRow_.bind(8, qint64{chunk.states[i]});
        if (!insertRow_.run())
            return failed();
        if (logAdded) {
            insertChange_.bind(1, ++changes_);
            insertChange_.bind(2, pos);
            insertChange_.bind(3, qint64{0});
            insertChange_.bind(4, qint64{kRowStateAdded});
            if (!insertChange_.run())
                return failed();
        }
    }
    return true;
}

bool JournalConnection::writeCounters(qint32 nextRecordNo, qint32 recordCount)
{
    updateCounters_.bind(1, qint64{nextRecordNo});
    updateCounters_.bind(2, qint64{recordCount});
    return updateCounters_.run() || failed();
}
