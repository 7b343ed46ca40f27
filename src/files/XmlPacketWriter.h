#pragma once

class QIODevice;
class RowSource;
struct FileProgress;

// XML data packet: one line of ASCII, no line break, indentation or
// byte-order mark; every attribute is one blank, its name, '=' and the
// value between double quotes (escaped as in XmlReferences.h).
//
// | piece | bytes                                                          |
// |-------|----------------------------------------------------------------|
// | 1     | <?xml version="1.0" standalone="yes"?> and two blanks          |
// | 2     | <DATAPACKET Version="2.0">                                     |
// | 3     | <METADATA><FIELDS>                                             |
// |       | <FIELD attrname="ANo" fieldtype="i4"/>                         |
// |       | <FIELD attrname="ATime" fieldtype="string.uni" WIDTH="40"/>    |
// |       | ... AT1T2 40, AValue 40, AUnit 100, AJudge 40 ...              |
// |       | </FIELDS>                                                      |
// | 4     | <PARAMS/> for an empty change list, else                       |
// |       | <PARAMS CHANGE_LOG="1 0 4 2 0 4"/> (numbers, single blanks)    |
// | 5     | </METADATA><ROWDATA>                                           |
// | 6     | per row: <ROW, RowState="n" unless the state is 0, then each   |
// |       | field with a value as ANo="1" ATime="..." ..., then />         |
// |       | (an empty field has no attribute; texts are not trimmed)       |
// | 7     | </ROWDATA></DATAPACKET>                                        |
//
// Writes the packet to the device; false when writing fails, the rows are
// gone or the progress asks to stop. The device is not closed.
bool writeXmlPacket(const RowSource& rows, QIODevice& out, FileProgress* progress = nullptr);
