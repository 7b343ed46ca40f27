#pragma once

#include "files/InputBuffer.h"

#include <QByteArrayView>
#include <QString>

#include <vector>

struct XmlAttribute {
    QByteArrayView name;
    QByteArrayView value; // raw, between the quotes
};

// One tag: <name a="v" ...>, </name>, <name .../> or <?name ...?>.
struct XmlTag {
    enum Kind { Open, Close, Empty, Declaration } kind = Open;
    QByteArrayView name;
    std::vector<XmlAttribute> attributes;
};

// Reads the tags of an XML document one at a time, with nothing but blanks
// between them (the data packet has no text content). A tag is parsed in
// place: its views stay valid until the next call refills the buffer. A '>'
// inside a quoted value does not end a tag; values are skipped with memchr.
class XmlTagReader {
public:
    enum class Result { Ok, Malformed, Input }; // Input: read error or cancel

    explicit XmlTagReader(InputBuffer& input) : input_(input) {}

    // Skips blanks; Ok also at the end of the input (then nothing is left).
    Result skipBlanks();
    Result next(XmlTag& tag);
    const QString& why() const { return why_; } // of the last Malformed

    static bool isBlank(char c);
    static bool isNameChar(char c);

private:
    Result malformed(const QString& why);

    InputBuffer& input_;
    QString why_;
};
