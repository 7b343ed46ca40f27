#include "files/XmlPacketWriter.h"

#include "files/OutputBatch.h"
#include "files/RowSource.h"
#include "files/XmlReferences.h"

#include <algorithm>

namespace {

const char kHead[] =
    "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
    "<FIELD attrname=\"ANo\" fieldtype=\"i4\"/>"
    "<FIELD attrname=\"ATime\" fieldtype=\"string.uni\" WIDTH=\"40\"/>"
    "<FIELD attrname=\"AT1T2\" fieldtype=\"string.uni\" WIDTH=\"40\"/>"
    "<FIELD attrname=\"AValue\" fieldtype=\"string.uni\" WIDTH=\"40\"/>"
    "<FIELD attrname=\"AUnit\" fieldtype=\"string.uni\" WIDTH=\"100\"/>"
    "<FIELD attrname=\"AJudge\" fieldtype=\"string.uni\" WIDTH=\"40\"/>"
    "</FIELDS>";

void appendText(QByteArray& out, const char* attribute, const QString& text)
{
    if (text.isEmpty())
        return;
    out.append(attribute);
    xmlref::appendEscaped(out, text);
    out.append('"');
}

} // namespace

bool writeXmlPacket(const RowSource& rows, QIODevice& out, FileProgress* progress)
{
    OutputBatch batch(out, progress);
    batch.setTotal(rows.rowCount());
    QByteArray& b = batch.bytes;
    b.append(kHead);
    if (rows.changes().isEmpty()) {
        b.append("<PARAMS/>");
    } else {
        b.append("<PARAMS CHANGE_LOG=\"");
        bool first = true;
        bool ok = true;
        rows.changes().forEach([&](const ChangeList::Triple& t) {
            if (!ok)
                return;
            for (const qint64 n : {t.a, t.b, t.c}) {
                if (!first)
                    b.append(' ');
                first = false;
                b.append(QByteArray::number(n));
            }
            ok = batch.flushIfFull();
        });
        if (!ok)
            return false;
        b.append("\"/>");
    }
    b.append("</METADATA><ROWDATA>");
    for (int first = 0; first < rows.rowCount(); first += OutputBatch::kRowsPerRead) {
        const int count = std::min(OutputBatch::kRowsPerRead, rows.rowCount() - first);
        const bool present = rows.read(first, count, [&b](const ReadingRow& row, qint32 state) {
            b.append("<ROW", 4);
            if (state != 0) {
                b.append(" RowState=\"");
                b.append(QByteArray::number(state));
                b.append('"');
            }
            if (row.no) {
                b.append(" ANo=\"");
                b.append(QByteArray::number(*row.no));
                b.append('"');
            }
            appendText(b, " ATime=\"", row.time);
            appendText(b, " AT1T2=\"", row.channel);
            appendText(b, " AValue=\"", row.value);
            appendText(b, " AUnit=\"", row.unit);
            appendText(b, " AJudge=\"", row.judge);
            b.append("/>", 2);
        });
        if (!present || !batch.flushIfFull() || !batch.rowsDone(first + count))
            return false;
    }
    b.append("</ROWDATA></DATAPACKET>");
    return batch.flush();
}
