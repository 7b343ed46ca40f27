#pragma once

#include "files/ReadBlocks.h"
#include "files/StagedTable.h"

class QIODevice;
struct FileProgress;

// Reads an XML data packet whole into rows that replace the table. The
// reader is our own: the program's packets may carry references to single
// surrogate halves, which XML 1.0 forbids, and must still open.
//
// | part          | required                                                |
// |---------------|---------------------------------------------------------|
// | start         | '<', after an optional UTF-8 byte-order mark            |
// | declaration   | optional <?xml ...?>; encoding="UTF-8" is honoured      |
// |               | only when every byte of the file is valid UTF-8         |
// | DATAPACKET    | holds METADATA then ROWDATA, then only blanks follow    |
// | METADATA      | FIELDS with FIELD elements, then an optional PARAMS     |
// | FIELD         | attrname (the six table fields, any case, each once;    |
// |               | others ignored), fieldtype: ANo i1 i2 i4 i8 ui1 ui2 ui4,|
// |               | texts string.uni                                        |
// | PARAMS        | CHANGE_LOG: decimal numbers 0..2147483647 separated by  |
// |               | blanks, three per triple; other attributes ignored      |
// | ROWDATA       | ROW elements: RowState (0..2147483647, default 0) and   |
// |               | the fields by their attrname; a missing one is empty;   |
// |               | ANo a 32-bit decimal integer; unknown names ignored     |
// | values        | references of XmlReferences.h; other bytes UTF-8 under  |
// |               | a byte-order mark or a valid declared UTF-8, else the   |
// |               | unit of the byte's value                                |
//
// Any other content fails. Elements other than PARAMS are limited to 1 MB.
// A file declared UTF-8 that is not is read a second time byte by byte, so
// the device must then be able to seek back to its start.
LoadOutcome readXmlPacket(QIODevice& in, FileProgress* progress = nullptr,
                          qsizetype blockBytes = kReadBlockBytes);
