#pragma once

#include "files/ReadBlocks.h"
#include "files/ReplacingSave.h"
#include "files/StagedTable.h"

#include <QString>

class QIODevice;
class RowSource;
struct FileProgress;

// The two table file formats; the name's extension alone chooses: ".xml" in
// any case is an XML data packet, anything else tab-separated text.
enum class TableFormat { Text, XmlPacket };

TableFormat formatForFileName(const QString& fileName);

// Writes the rows in the format to a device (not closed afterwards).
bool writeTable(TableFormat format, const RowSource& rows, QIODevice& out,
                FileProgress* progress = nullptr);
// Reads a whole file of the format from a device into a staged table.
LoadOutcome readTable(TableFormat format, QIODevice& in, FileProgress* progress = nullptr);
// The same from bytes in memory (a fuzz input, a test case); checks pass
// small blocks to cross block bounds often.
LoadOutcome readTableBytes(TableFormat format, const QByteArray& bytes,
                           qsizetype blockBytes = kReadBlockBytes);

// Saves through a temporary file that replaces the named one only once it is
// complete (saveReplacing), so a failed or cancelled save leaves an existing
// file as it was and nothing half written behind.
SaveOutcome saveTableFile(const QString& fileName, const RowSource& rows,
                          FileProgress* progress = nullptr);

// Reads the named file whole; the table is not touched.
LoadOutcome loadTableFile(const QString& fileName, FileProgress* progress = nullptr);
