#pragma once

#include "files/InputBuffer.h"

#include <QByteArrayView>
#include <QString>

#include <array>
#include <vector>

struct XmlAttribute {
    QByteArrayView name;
    QByteArrayView value;      // raw, between the quotes
    quint64 nameWord = 0;      // see XmlTagReader::nameWord
    bool hasReference = false; // the value holds a '&'
};

// Bytes that may stand in an element or attribute name.
constexpr std::array<bool, 256> xmlNameChars()
{
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                   c == '_' || c == '-' || c == '.' || c == ':';
    return table;
}

// One tag: <name a="v" ...>, </name>, <name .../> or <?name ...?>.
struct XmlTag {
    enum Kind { Open, Close, Empty, Declaration } kind = Open;
    QByteArrayView name;
    std::vector<XmlAttribute> attributes;
};

// Reads the tags of an XML document one at a time, with nothing but blanks
// between them (the data packet has no text content). A tag is parsed in
// place in one pass, values found from 64-byte masks; its views stay valid
// until the next call refills the buffer. A '>' inside a quoted value does
// not end a tag; a '<' inside one is malformed.
class XmlTagReader {
public:
    enum class Result { Ok, Malformed, Input }; // Input: read error or cancel

    explicit XmlTagReader(InputBuffer& input) : input_(input) {}

    // Skips blanks; Ok also at the end of the input (then nothing is left).
    Result skipBlanks();
    Result next(XmlTag& tag);
    const QString& why() const { return why_; } // of the last Malformed

    // A name's first eight bytes and its length in one word: names of up
    // to eight bytes are equal exactly when their words are.
    static quint64 nameWord(QByteArrayView name);
    static bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
    static bool isNameChar(char c) { return kNameChars[static_cast<unsigned char>(c)]; }

private:
    static constexpr std::array<bool, 256> kNameChars = xmlNameChars();
    enum class Parsed { Ok, Malformed, Short }; // Short: the tag goes on past the bytes read
    Result malformed(const QString& why);
    Parsed parse(const char* p, qsizetype n, XmlTag& tag, qsizetype& length);
    // The tag read as one shaped like the last: false when it is not (or
    // not whole in the bytes read), and the full parse decides.
    bool parseLikeLast(const char* p, qsizetype n, XmlTag& tag, qsizetype& length) const;
    void learnShape(const char* p, const XmlTag& tag, qsizetype length);

    InputBuffer& input_;
    QString why_;
    // Names of the last tag's attributes (only those up to 8 bytes are
    // known again from their word).
    struct LastName {
        quint64 word;
        qsizetype size;
    };
    std::vector<LastName> lastNames_;
    // The bytes around the values of the last tag: from its '<' to the first
    // value, between a value's closing quote and the next value, and from
    // the last closing quote to the end. Rows of a packet repeat them
    // exactly, so the next tag is known from comparing these pieces and
    // finding each value's end. Only tags whose pieces are up to 16 bytes
    // long have a shape.
    struct ShapePiece {
        char bytes[16];
        int size;
        char quote;     // that closes the value after the piece
        int nameOffset; // of the attribute's name within the piece
        int nameSize;
        quint64 nameWord;
    };
    struct Shape {
        bool valid = false;
        XmlTag::Kind kind = XmlTag::Open;
        int nameSize = 0;               // of the element, after the '<'
        std::vector<ShapePiece> pieces; // one per attribute, then the end
    };
    Shape shape_;
};
