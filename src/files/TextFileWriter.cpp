#include "files/TextFileWriter.h"

#include "files/CodePage.h"
#include "files/EncodedTexts.h"
#include "files/OutputBatch.h"
#include "files/RowSource.h"

#include <algorithm>

namespace {

// A field's bytes: trimmed of codes 0-32, "NULL" when nothing remains.
void encodeField(QByteArray& out, QStringView text)
{
    const char16_t* u = text.utf16();
    qsizetype first = 0, last = text.size();
    while (first < last && u[first] <= 32)
        ++first;
    while (last > first && u[last - 1] <= 32)
        --last;
    if (first == last)
        out.append("NULL", 4);
    else
        codepage::appendEncoded(out, text.sliced(first, last - first));
}

} // namespace

bool writeTextFile(const RowSource& rows, QIODevice& out, FileProgress* progress)
{
    OutputBatch batch(out, progress);
    batch.setTotal(rows.rowCount());
    batch.bytes.appendLiteral("No\tTime\tT1/T2\tValue\tUnit\tJudge\r\n");
    EncodedTexts texts(&encodeField);
    StampBytes stamps(&codepage::appendEncoded);
    ByteBuffer& b = batch.bytes;
    for (int first = 0; first < rows.rowCount(); first += OutputBatch::kRowsPerRead) {
        const int count = std::min(OutputBatch::kRowsPerRead, rows.rowCount() - first);
        const bool present = rows.read(first, count, [&](const ReadingStore& store, int r) {
            const ReadingStore::RowCodes c = store.codes(r);
            if (c.hasNo)
                b.appendDecimal(c.no);
            b.append('\t');
            if (c.timeIsText)
                texts.append(b, store, c.time);
            else
                stamps.append(b, c);
            for (const quint32 id : {c.channel, c.value, c.unit, c.judge}) {
                b.append('\t');
                texts.append(b, store, id);
            }
            b.append("\r\n", 2);
        });
        if (!present || !batch.flushIfFull() || !batch.rowsDone(first + count))
            return false;
    }
    return batch.flush();
}
