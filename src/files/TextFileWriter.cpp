#include "files/TextFileWriter.h"

#include "files/CodePage.h"
#include "files/OutputBatch.h"
#include "files/RowSource.h"

#include <algorithm>

namespace {

void appendField(QByteArray& out, const QString& text)
{
    out.append('\t');
    const char16_t* u = reinterpret_cast<const char16_t*>(text.utf16());
    qsizetype first = 0, last = text.size();
    while (first < last && u[first] <= 32)
        ++first;
    while (last > first && u[last - 1] <= 32)
        --last;
    if (first == last)
        out.append("NULL", 4);
    else
        codepage::appendEncoded(out, QStringView(text).sliced(first, last - first));
}

} // namespace

bool writeTextFile(const RowSource& rows, QIODevice& out, FileProgress* progress)
{
    OutputBatch batch(out, progress);
    batch.setTotal(rows.rowCount());
    batch.bytes.append("No\tTime\tT1/T2\tValue\tUnit\tJudge\r\n");
    for (int first = 0; first < rows.rowCount(); first += OutputBatch::kRowsPerRead) {
        const int count = std::min(OutputBatch::kRowsPerRead, rows.rowCount() - first);
        const bool present = rows.read(first, count, [&batch](const ReadingRow& row, qint32) {
            QByteArray& b = batch.bytes;
            if (row.no)
                b.append(QByteArray::number(*row.no));
            appendField(b, row.time);
            appendField(b, row.channel);
            appendField(b, row.value);
            appendField(b, row.unit);
            appendField(b, row.judge);
            b.append("\r\n", 2);
        });
        if (!present || !batch.flushIfFull() || !batch.rowsDone(first + count))
            return false;
    }
    return batch.flush();
}
