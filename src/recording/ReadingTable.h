#pragma once

#include "recording/ReadingStore.h"

#include <QObject>

#include <mutex>

// The reading table: its rows, its current row (which the grid selects and
// scrolls to) and the notices views follow. Appended rows become current.
// While a bulk update runs (a file being read), views hear nothing and are
// told once, at its end, that the table was replaced.
class ReadingTable : public QObject {
    Q_OBJECT

public:
    explicit ReadingTable(QObject* parent = nullptr);

    const ReadingStore& rows() const { return store_; }
    int rowCount() const { return store_.rowCount(); }
    const ChangeList& changes() const { return store_.changes(); }

    int currentRow() const { return current_; } // -1: no rows
    void setCurrentRow(int row);                // clamped to the rows present

    // Separators of the time stamps of recorded rows.
    const TimeStampFormat& timeStampFormat() const { return format_; }
    void setTimeStampFormat(const TimeStampFormat& format) { format_ = format; }

    // A recorded row, stamped `when` (row state 4, logged as a change).
    void appendRecorded(qint32 no, const QDateTime& when, const QString& channel,
                        const QString& value, const QString& unit, const QString& judge);
    // A row read from a text file (row state 4, logged as a change).
    void appendFromFile(const ReadingRow& row);
    // Rows, row states and change list of an XML packet, all at once: the
    // table is never seen half replaced. The first row becomes current.
    void replaceAll(ReadingStore rows);
    // The rows of a text file read whole, appended at once after the rows
    // present; the last of them becomes current.
    void appendAllFromFile(ReadingStore rows);
    // Removes every row and empties the change list.
    void clear();

    // A worker thread may read rows() while holding this lock; every change
    // of the rows takes it. The GUI thread reads without it.
    std::mutex& rowsLock() const { return rowsLock_; }
    // Changes whenever rows are removed or replaced (not when appended), so
    // a reader can tell that the rows it counted on are still there.
    quint64 generation() const { return generation_; }

    // Stops notices until the matching end; nests.
    void beginBulkUpdate();
    void endBulkUpdate();

signals:
    void rowsAppended(int first, int last);
    void tableReplaced(); // rows removed, replaced, or changed in bulk
    void currentRowChanged(int row);

private:
    void rowAdded();
    void replaced(int current);

    ReadingStore store_;
    mutable std::mutex rowsLock_;
    quint64 generation_ = 0;
    TimeStampFormat format_;
    int current_ = -1;
    int bulkDepth_ = 0;
};
