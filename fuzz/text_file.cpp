// Tab-separated text files as other programs and people write them. Any
// input either fails, leaving the table as it was, or gives rows to append.
// Saved and read again, rows whose texts hold no blank or control character
// and do not start with a double quote come back identical, save that an
// empty text comes back as "NULL" (the file writes it so, unquoted); the
// same holds for the rows read back, so a second round changes nothing more.
// Read in small blocks, the input gives the same rows or the same failure.
#include "TableFileRoundTrip.h"

using namespace fuzz_files;

namespace {

bool plain(const QString& text)
{
    if (text.startsWith(u'"'))
        return false;
    for (QChar c : text)
        if (c.unicode() <= 32)
            return false;
    return true;
}

bool plainRows(const ReadingStore& rows)
{
    for (int r = 0; r < rows.rowCount(); ++r)
        for (int f = 1; f < kReadingFieldCount; ++f)
            if (!plain(rows.text(r, ReadingField(f))))
                return false;
    return true;
}

QString asWritten(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("NULL") : text;
}

// Saves rows and reads them again. Plain rows must come back, their empty
// texts as "NULL"; other rows may split or fail (the file has no quoting).
LoadOutcome checkSavedAndRead(const ReadingStore& rows)
{
    LoadOutcome again = read(TableFormat::Text, save(TableFormat::Text, rows));
    if (!plainRows(rows))
        return again;
    FUZZ_CHECK(again.ok);
    FUZZ_CHECK(again.staged.rows.rowCount() == rows.rowCount());
    for (int r = 0; r < rows.rowCount(); ++r) {
        const ReadingRow a = rows.row(r);
        const ReadingRow b = again.staged.rows.row(r);
        FUZZ_CHECK(b.no == a.no && b.time == asWritten(a.time) &&
                   b.channel == asWritten(a.channel) && b.value == asWritten(a.value) &&
                   b.unit == asWritten(a.unit) && b.judge == asWritten(a.judge));
    }
    return again;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    LoadOutcome first = read(TableFormat::Text, input);
    const LoadOutcome inBlocks = readInSmallBlocks(TableFormat::Text, input);
    FUZZ_CHECK(inBlocks.ok == first.ok && inBlocks.error == first.error);
    if (first.ok) {
        FUZZ_CHECK(sameRows(first.staged.rows, inBlocks.staged.rows));
        FUZZ_CHECK(first.staged.apply == StagedTable::Apply::Append);
        const ReadingStore& rows = first.staged.rows;
        for (int r = 0; r < rows.rowCount(); ++r)
            FUZZ_CHECK(rows.rowState(r) == kRowStateAdded && rows.number(r).has_value());
        // Twice: the rows read back are saved and read once more.
        const LoadOutcome second = checkSavedAndRead(rows);
        if (second.ok)
            checkSavedAndRead(second.staged.rows);
    }
    checkApplied(std::move(first));
    return 0;
}
