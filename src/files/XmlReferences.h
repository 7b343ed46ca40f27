#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Attribute values of the XML data packet.
//
// Written (every other character below 128 unchanged):
// | character          | bytes                                        |
// |--------------------|----------------------------------------------|
// | <  >  &  '  "      | &lt;  &gt;  &amp;  &apos;  &quot;            |
// | CR, LF, TAB, \     | &#013;  &#010;  &#009;  &#092;               |
// | UTF-16 unit >= 128 | "&#" decimal value ";", one per unit (so a   |
// |                    | surrogate pair gives two references)         |
//
// Read: the five named references, "&#" decimal ";" and "&#x" hex ";",
// each one UTF-16 unit (a value above 0xFFFF gives its surrogate pair);
// other bytes as UTF-8 or as units of the same value, as the packet's
// encoding says.
namespace xmlref {

void appendEscaped(QByteArray& out, QStringView text);

enum class Decoded { Ok, BadReference, BadUtf8 };

// The characters of a raw attribute value (the bytes between its quotes).
Decoded decode(QByteArrayView raw, bool utf8, QString& out);

// Whether the bytes are valid UTF-8 (no overlong forms, no surrogates).
bool isValidUtf8(QByteArrayView bytes);

} // namespace xmlref
