#pragma once

#include <QObject>
#include <QString>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class JournalConnection;
class ReadingTable;

// Mirrors a reading table into its journal file from a thread of its own.
//
// Hand-over (the only one): the GUI thread posts small commands into a
// queue under mutex_ and wakes the writer through wake_. Commands carry no
// rows, only what the GUI thread knows at no cost (the table's generation
// and row count, the counters); the writer reads the rows under the table's
// rowsLock. So the GUI thread's cost per reading is one queue push, however
// large the table.
//
// Commits: a transaction is committed kCommitDelayMs after it began (and
// at once on waitUntilCommitted or destruction); each commit syncs the file
// (see JournalConnection::open), so a row is on disk within a second.
//
// Failure (disk full, folder not writable): failed() is emitted once, the
// table goes on in memory, and every kRetryDelayMs the writer opens the
// file again and writes the whole table anew; resumed() says it succeeded.
// The table must outlive the writer.
class JournalWriter : public QObject {
    Q_OBJECT

public:
    static constexpr int kCommitDelayMs = 500;
    static constexpr int kRetryDelayMs = 1000;

    JournalWriter(const ReadingTable& table, const QString& fileName, QObject* parent = nullptr);
    ~JournalWriter() override; // commits what was posted, then stops

    // Starts the thread, which opens the file: connect to failed() first.
    void start();

    const QString& fileName() const { return fileName_; }

    // From the GUI thread: rows were appended (the table now has rowCount
    // rows in `generation`); the table was replaced or changed in bulk; the
    // counters changed.
    void rowsAppended(quint64 generation, int rowCount);
    void tableReplaced();
    void setCounters(qint32 nextRecordNo, qint32 recordCount);

    // Blocks until all posted so far is committed: false when the journal
    // cannot be written at present, or on timeout.
    bool waitUntilCommitted(int timeoutMs = 10000);

signals:
    // Emitted from the writer thread (receivers on other threads get them
    // queued): once per failure, and when writing works again.
    void failed(const QString& message);
    void resumed();

private:
    struct Command {
        enum Kind { Rows, Replaced, Counters } kind;
        quint64 generation = 0;
        qint64 a = 0, b = 0; // row count; or NextRecordNo, RecordCount
    };
    void post(const Command& command);
    void run();
    bool apply(const std::vector<Command>& commands);
    bool reopen();

    const QString fileName_;
    std::unique_ptr<JournalConnection> connection_; // writer thread only

    // Shared between the threads, under mutex_.
    std::mutex mutex_;
    std::condition_variable wake_;      // the writer: commands, flush, stop
    std::condition_variable committed_; // waiters: settled_ moved on
    std::vector<Command> queue_;
    quint64 posted_ = 0;  // commands posted
    quint64 settled_ = 0; // commands committed, or dropped while broken
    bool flush_ = false;
    bool stop_ = false;
    bool broken_ = false;

    std::thread thread_;
};
