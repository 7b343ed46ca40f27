#pragma once

#include "recording/ReadingStore.h"

#include <QObject>

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
    // Removes every row and empties the change list.
    void clear();

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
    TimeStampFormat format_;
    int current_ = -1;
    int bulkDepth_ = 0;
};
