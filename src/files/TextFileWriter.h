#pragma once

class QIODevice;
class RowSource;
struct FileProgress;

// Tab-separated text file, bytes in the code page of CodePage.h, no
// byte-order mark:
//
// | line        | bytes                                                    |
// |-------------|----------------------------------------------------------|
// | 1 (header)  | "No" TAB "Time" TAB "T1/T2" TAB "Value" TAB "Unit" TAB   |
// |             | "Judge" CR LF                                            |
// | one per row | ANo in decimal ("-" before negatives; nothing when the   |
// |             | row has none, never trimmed), then for ATime, AT1T2,     |
// |             | AValue, AUnit, AJudge: TAB + the text without leading    |
// |             | and trailing codes 0-32, or "NULL" when nothing remains; |
// |             | CR LF                                                    |
//
// No quoting: a text with a blank or TAB inside is written as it is.
// An empty table gives the header line alone.
//
// Writes the rows to the device; false when writing fails, the rows are gone
// or the progress asks to stop. The device is not closed.
bool writeTextFile(const RowSource& rows, QIODevice& out, FileProgress* progress = nullptr);
