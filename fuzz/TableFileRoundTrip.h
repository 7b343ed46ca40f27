#pragma once

// What the text-file and XML-packet targets share: reading bytes as a file
// of one format, saving what was read and reading it again.

#include "FuzzCheck.h"

#include "files/RowSource.h"
#include "files/TableFile.h"
#include "recording/ReadingTable.h"

#include <QBuffer>
#include <QByteArray>

#include <cstdint>
#include <vector>

namespace fuzz_files {

inline LoadOutcome read(TableFormat format, const QByteArray& bytes)
{
    QByteArray copy = bytes;
    QBuffer in(&copy);
    in.open(QIODevice::ReadOnly);
    return readTable(format, in);
}

// The same bytes read in blocks of a few bytes, a size the input chooses,
// so that the workers parse many blocks at once and rows, lines and tags
// cross block bounds in every way.
inline LoadOutcome readInSmallBlocks(TableFormat format, const QByteArray& bytes)
{
    return readTableBytes(format, bytes, 1 + bytes.size() % 97);
}

inline QByteArray save(TableFormat format, const ReadingStore& rows)
{
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    FUZZ_CHECK(writeTable(format, RowSource(rows), out));
    return bytes;
}

inline bool sameRows(const ReadingStore& a, const ReadingStore& b)
{
    if (a.rowCount() != b.rowCount())
        return false;
    for (int r = 0; r < a.rowCount(); ++r)
        if (a.row(r) != b.row(r) || a.rowState(r) != b.rowState(r))
            return false;
    return a.changes().numbers() == b.changes().numbers();
}

// A table with rows of its own takes the file as the window does: a failed
// read leaves it as it was, a good one appends or replaces as a whole.
inline void checkApplied(LoadOutcome outcome)
{
    ReadingTable table;
    ReadingRow own;
    own.no = 1;
    own.value = QStringLiteral(" 023.5");
    table.appendFromFile(own);
    table.appendFromFile(own);
    const int before = table.rowCount();
    if (!outcome.ok) {
        FUZZ_CHECK(!outcome.error.isEmpty());
        FUZZ_CHECK(table.rowCount() == before && table.rows().row(0) == own);
        return;
    }
    std::vector<ReadingRow> staged;
    for (int r = 0; r < outcome.staged.rows.rowCount(); ++r)
        staged.push_back(outcome.staged.rows.row(r));
    const bool append = outcome.staged.apply == StagedTable::Apply::Append;
    applyStaged(table, std::move(outcome.staged));
    const int first = append ? before : 0;
    FUZZ_CHECK(table.rowCount() == first + int(staged.size()));
    if (append)
        FUZZ_CHECK(table.rows().row(before - 1) == own);
    for (std::size_t r = 0; r < staged.size(); ++r)
        FUZZ_CHECK(table.rows().row(first + int(r)) == staged[r]);
}

} // namespace fuzz_files
