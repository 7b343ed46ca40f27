#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// The 8-bit code page of text files: Windows-1252, which spreadsheet
// programs on Western systems expect of ".xls" text. Bytes 0x00-0x7F and
// 0xA0-0xFF are the characters of the same value; 0x80-0x9F are the
// typographic characters of that code page, and the five bytes it leaves
// undefined (0x81 0x8D 0x8F 0x90 0x9D) stand for the control characters of
// their own value, so every byte reads back and writes out unchanged.
namespace codepage {

// Appends the text's bytes; a character the code page cannot hold (a
// surrogate pair counts as one) becomes '?'.
void appendEncoded(QByteArray& out, QStringView text);

// The characters of the bytes.
QString decode(const char* data, qsizetype size);
void decodeInto(const char* data, qsizetype size, char16_t* out);

} // namespace codepage
