#pragma once

#include "recording/ChangeList.h"
#include "recording/ChunkMemory.h"
#include "recording/ReadingRow.h"
#include "recording/TextPool.h"
#include "recording/TimeStampFormat.h"

#include <QHash>

#include <memory>
#include <type_traits>
#include <vector>

class QDateTime;

// Rows of the reading table, held compactly: 16 bytes a row in fixed-size
// chunks (no copying as the table grows), texts interned in a pool, the
// channel/unit/judgement/row-state combination interned as a "kind", and
// canonical time stamps held as seconds. Every row reads back exactly as it
// was stored. Rows are only appended at the end or all removed at once.
class ReadingStore {
public:
    int rowCount() const { return rowCount_; }
    bool isEmpty() const { return rowCount_ == 0; }

    ReadingRow row(int r) const;
    QString text(int r, ReadingField field) const;
    std::optional<qint32> number(int r) const;
    qint32 rowState(int r) const;

    const ChangeList& changes() const { return changes_; }
    void setChanges(ChangeList changes) { changes_ = std::move(changes); }

    // A row taken by recording: stamped with `when`, row state 4, logged in
    // the change list. Allocates nothing once its texts are known.
    void appendRecorded(qint32 no, const QDateTime& when, const TimeStampFormat& format,
                        const QString& channel, const QString& value, const QString& unit,
                        const QString& judge);
    // A row from a text file: row state 4, logged in the change list.
    void appendRow(const ReadingRow& row);
    // A row from an XML packet: its own row state, not logged (the packet
    // brings its change list, see setChanges).
    void appendStoredRow(const ReadingRow& row, qint32 rowState);

    // Appends the rows of a store that was filled by appendRow (a text file
    // read whole), each logged as added after the rows present. Taking over
    // the store costs nothing when this one has no rows.
    void appendRowsOf(ReadingStore&& rows);

    // Removes every row and empties the change list.
    void clear();

    // Rows as codes, for file readers and writers that handle millions of
    // rows without a text per field: texts as ids of the store's pool, time
    // stamps as compact seconds where they are canonical.
    struct RowCodes {
        qint32 no = 0;
        bool hasNo = true;
        bool timeIsText = true;
        quint32 time = 0; // compact seconds, or a pool id when timeIsText
        QChar dateSeparator, timeSeparator;
        quint32 channel = 0, value = 0, unit = 0, judge = 0; // pool ids
        qint32 rowState = 0;
    };
    RowCodes codes(int r) const;
    const QString& pooledText(quint32 id) const { return texts_.text(id); }
    quint32 internText(const QString& text) { return texts_.intern(text); }
    // Appends a row given as codes (ids from internText); logs no change.
    void appendCodes(const RowCodes& codes);
    // The same, but false (and nothing appended) when the row needs a text
    // interned: a stamp that must be kept as text. Touches nothing of the
    // text pool, so another thread may intern texts meanwhile.
    bool appendCodesLeavingPool(const RowCodes& codes);
    // Rows in a batch, as far as the first that needs a text interned:
    // gives how many were appended.
    size_t appendCodesLeavingPool(const RowCodes* rows, size_t count);

private:
    struct PackedRow {
        qint32 no;
        quint32 time;  // seconds of a compact stamp, or a pool id (see Kind)
        quint32 value; // pool id
        quint32 kind;  // index into kinds_
    };
    // What a row shares with many others.
    struct Kind {
        quint32 channel = 0, unit = 0, judge = 0; // pool ids
        qint32 rowState = 0;
        quint16 timeForm = 0; // index into timeForms_, or kTimeAsText
        bool hasNo = true;
        bool operator==(const Kind& o) const;
    };
    friend size_t qHash(const Kind& kind, size_t seed);
    struct TimeForm {
        QChar dateSeparator, timeSeparator;
    };
    static constexpr quint16 kTimeAsText = 0xFFFF;
    static constexpr int kChunkBits = 15;
    static constexpr int kChunkRows = 1 << kChunkBits;

    const PackedRow& packed(int r) const;
    PackedRow* chunk(size_t i) const { return static_cast<PackedRow*>(chunks_[i]); }
    void push(const PackedRow& row);
    quint32 kindId(const Kind& kind);
    // Time code and form of a stamp: compact when it can be, else its text.
    std::pair<quint32, quint16> encodeTime(const QString& text);
    quint16 timeFormId(QChar dateSeparator, QChar timeSeparator);
    QString timeText(const PackedRow& row, const Kind& kind) const;
    void append(const ReadingRow& row, qint32 rowState);
    bool append(const RowCodes& codes, bool mayIntern);

    static_assert(std::is_trivially_copyable_v<PackedRow>);
    ChunkMemory chunks_{kChunkRows * sizeof(PackedRow)};
    int rowCount_ = 0;
    TextPool texts_;
    std::vector<Kind> kinds_;
    QHash<Kind, quint32> kindIds_;
    std::vector<TimeForm> timeForms_;
    ChangeList changes_;
    // The kind of the last recorded row, found again without hashing.
    struct RecentKind {
        bool valid = false;
        quint16 timeForm = 0;
        QString channel, unit, judge;
        quint32 kind = 0;
    };
    RecentKind recentKind_;
    // The last row appended as codes and its kind.
    struct RecentCodes {
        bool valid = false;
        RowCodes codes;
        quint32 kind = 0;
        bool sameKind(const RowCodes& c) const;
    };
    RecentCodes recentCodes_;
};
