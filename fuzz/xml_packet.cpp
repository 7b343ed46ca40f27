// XML data packets as other programs and other versions write them. Any
// input either fails, leaving the table as it was, or gives rows that,
// saved as a packet and read again, come back identical (texts, record
// numbers, row states, change list), and the second save writes the same
// bytes as the first. Read in small blocks, the input opens or fails alike
// and gives the same rows.
#include "TableFileRoundTrip.h"

using namespace fuzz_files;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    LoadOutcome first = read(TableFormat::XmlPacket, input);
    const LoadOutcome inBlocks = readInSmallBlocks(TableFormat::XmlPacket, input);
    FUZZ_CHECK(inBlocks.ok == first.ok);
    if (!first.ok) {
        checkApplied(std::move(first));
        return 0;
    }
    FUZZ_CHECK(first.staged.apply == StagedTable::Apply::Replace);
    FUZZ_CHECK(sameRows(first.staged.rows, inBlocks.staged.rows));

    const QByteArray saved = save(TableFormat::XmlPacket, first.staged.rows);
    const LoadOutcome second = read(TableFormat::XmlPacket, saved);
    FUZZ_CHECK(second.ok);
    FUZZ_CHECK(sameRows(first.staged.rows, second.staged.rows));
    FUZZ_CHECK(save(TableFormat::XmlPacket, second.staged.rows) == saved);
    checkApplied(std::move(first));
    return 0;
}
