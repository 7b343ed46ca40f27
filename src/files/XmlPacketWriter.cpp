#include "files/XmlPacketWriter.h"

#include "files/EncodedTexts.h"
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

void escape(QByteArray& out, QStringView text)
{
    xmlref::appendEscaped(out, text);
}

} // namespace

bool writeXmlPacket(const RowSource& rows, QIODevice& out, FileProgress* progress)
{
    OutputBatch batch(out, progress);
    batch.setTotal(rows.rowCount());
    ByteBuffer& b = batch.bytes;
    EncodedTexts texts(&escape);
    StampBytes stamps(&escape);
    b.appendLiteral(kHead);
    if (rows.changes().isEmpty()) {
        b.appendLiteral("<PARAMS/>");
    } else {
        b.appendLiteral("<PARAMS CHANGE_LOG=\"");
        bool first = true;
        bool ok = true;
        rows.changes().forEach([&](const ChangeList::Triple& t) {
            if (!ok)
                return;
            for (const qint64 n : {t.a, t.b, t.c}) {
                if (!first)
                    b.append(' ');
                first = false;
                b.appendDecimal(n);
            }
            ok = batch.flushIfFull();
        });
        if (!ok)
            return false;
        b.appendLiteral("\"/>");
    }
    b.appendLiteral("</METADATA><ROWDATA>");
    for (int first = 0; first < rows.rowCount(); first += OutputBatch::kRowsPerRead) {
        const int count = std::min(OutputBatch::kRowsPerRead, rows.rowCount() - first);
        const bool present = rows.read(first, count, [&](const ReadingStore& store, int r) {
            const ReadingStore::RowCodes c = store.codes(r);
            b.append("<ROW", 4);
            if (c.rowState != 0) {
                b.append(" RowState=\"", 11);
                b.appendDecimal(c.rowState);
                b.append('"');
            }
            if (c.hasNo) {
                b.append(" ANo=\"", 6);
                b.appendDecimal(c.no);
                b.append('"');
            }
            if (!c.timeIsText) {
                b.append(" ATime=\"", 8);
                stamps.append(b, c);
                b.append('"');
            } else if (!store.pooledText(c.time).isEmpty()) {
                b.append(" ATime=\"", 8);
                texts.append(b, store, c.time);
                b.append('"');
            }
            static const char* const kNames[] = {" AT1T2=\"", " AValue=\"", " AUnit=\"",
                                                 " AJudge=\""};
            static const qsizetype kNameSizes[] = {8, 9, 8, 9};
            const quint32 ids[] = {c.channel, c.value, c.unit, c.judge};
            for (int f = 0; f < 4; ++f) {
                if (store.pooledText(ids[f]).isEmpty())
                    continue;
                b.append(kNames[f], kNameSizes[f]);
                texts.append(b, store, ids[f]);
                b.append('"');
            }
            b.append("/>", 2);
        });
        if (!present || !batch.flushIfFull() || !batch.rowsDone(first + count))
            return false;
    }
    b.appendLiteral("</ROWDATA></DATAPACKET>");
    return batch.flush();
}
