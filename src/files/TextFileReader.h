#pragma once

#include "files/ReadBlocks.h"
#include "files/StagedTable.h"

class QIODevice;
struct FileProgress;

// Reads a tab-separated text file whole into rows to append (row state 4).
//
// | input        | meaning                                                 |
// |--------------|---------------------------------------------------------|
// | CR LF, CR, LF| end of a line; the last line needs none                 |
// | byte 0       | end of the text                                         |
// | line 1       | the header, dropped whatever it holds; no line: failure |
// | other lines  | tokens (TextTokenizer.h) to ANo, ATime, AT1T2, AValue,  |
// |              | AUnit, AJudge in order; fewer leave fields empty; no    |
// |              | tokens: line skipped                                    |
// | ANo token    | optional sign and decimal digits, 32-bit; else failure  |
// | 7+ tokens    | failure                                                 |
// | unclosed '"' | failure                                                 |
//
// "NULL" stays the four-letter text. Bytes are read through the code page of
// CodePage.h. Lines longer than 1 MB fail.
LoadOutcome readTextFile(QIODevice& in, FileProgress* progress = nullptr,
                         qsizetype blockBytes = kReadBlockBytes);
