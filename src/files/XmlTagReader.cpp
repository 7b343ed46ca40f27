#include "files/XmlTagReader.h"

#include "files/ByteMasks.h"

#include <algorithm>
#include <cstring>

namespace {

quint64 wordOf(quint64 first8, qsizetype size)
{
    return (first8 & bytemask::first(8 * std::min<qsizetype>(size, 8))) ^ (quint64(size) << 56);
}

enum class ValueEnd { Found, Short, OpenBracket };

// Finds the quote that closes a value starting at k; values are mostly
// short, so 16 bytes are looked at a time.
Q_ALWAYS_INLINE ValueEnd findValueEnd(const char* p, qsizetype n, char quote, qsizetype& k,
                                      bool& hasReference)
{
    while (true) {
        if (k >= n)
            return ValueEnd::Short;
        const unsigned inBytes = bytemask::first16(n - k);
        const bytemask::Masks16 marks = bytemask::equal16(p + k, quote, '<', '&');
        const unsigned ends = marks.a & inBytes;
        const unsigned before = (ends ? (ends & (0u - ends)) - 1 : 0xFFFFu) & inBytes;
        if (marks.b & before)
            return ValueEnd::OpenBracket;
        if (marks.c & before)
            hasReference = true;
        if (ends) {
            k += bytemask::lowest(ends);
            return ValueEnd::Found;
        }
        k += 16;
    }
}

} // namespace

quint64 XmlTagReader::nameWord(QByteArrayView name)
{
    char first8[8] = {};
    std::memcpy(first8, name.data(), size_t(std::min<qsizetype>(name.size(), 8)));
    quint64 word;
    std::memcpy(&word, first8, 8);
    return wordOf(word, name.size());
}

XmlTagReader::Result XmlTagReader::malformed(const QString& why)
{
    why_ = why;
    return Result::Malformed;
}

XmlTagReader::Result XmlTagReader::skipBlanks()
{
    while (true) {
        qsizetype i = 0;
        while (i < input_.size() && isBlank(input_.data()[i]))
            ++i;
        input_.consume(i);
        if (input_.size() > 0)
            return Result::Ok;
        if (!input_.more())
            return input_.atEnd() ? Result::Ok : Result::Input;
    }
}

XmlTagReader::Result XmlTagReader::next(XmlTag& tag)
{
    if (Result r = skipBlanks(); r != Result::Ok)
        return r;
    if (input_.size() == 0)
        return malformed(QStringLiteral("packet ends early"));
    if (input_.data()[0] != '<')
        return malformed(QStringLiteral("text outside an element"));
    while (true) {
        qsizetype length = 0;
        if (parseLikeLast(input_.data(), input_.size(), tag, length)) {
            input_.consume(length);
            return Result::Ok;
        }
        switch (parse(input_.data(), input_.size(), tag, length)) {
        case Parsed::Ok: input_.consume(length); return Result::Ok;
        case Parsed::Malformed: return Result::Malformed;
        case Parsed::Short: break;
        }
        // The tag is parsed again from its start once more bytes are in.
        if (!input_.more())
            return input_.atEnd() || input_.tooLong()
                       ? malformed(QStringLiteral("unfinished element"))
                       : Result::Input;
    }
}

// | bytes after '<'          | tag                                        |
// |--------------------------|--------------------------------------------|
// | ? name attributes ?>     | Declaration                                |
// | / name blanks >          | Close                                      |
// | name attributes />       | Empty                                      |
// | name attributes >        | Open                                       |
// attributes: (blanks name blanks = blanks quoted-value)*, then blanks.
XmlTagReader::Parsed XmlTagReader::parse(const char* p, qsizetype n, XmlTag& tag, qsizetype& length)
{
    const auto bad = [this](const char* why) {
        malformed(QString::fromLatin1(why));
        return Parsed::Malformed;
    };
    tag.attributes.clear();
    bool asBefore = true; // every attribute so far named as in the last tag
    qsizetype k = 1;
    if (k == n)
        return Parsed::Short;
    tag.kind = p[k] == '?' ? XmlTag::Declaration : p[k] == '/' ? XmlTag::Close : XmlTag::Open;
    if (tag.kind != XmlTag::Open)
        ++k;
    const qsizetype nameStart = k;
    while (k < n && isNameChar(p[k]))
        ++k;
    if (k == n)
        return Parsed::Short;
    if (k == nameStart)
        return bad("element without a name");
    tag.name = QByteArrayView(p + nameStart, k - nameStart);
    while (true) {
        const qsizetype before = k;
        while (k < n && isBlank(p[k]))
            ++k;
        if (k == n)
            return Parsed::Short;
        const char c = p[k];
        if (c == '>' || ((c == '/' || c == '?') && k + 1 < n && p[k + 1] == '>')) {
            const bool slash = c == '/', question = c == '?';
            if (question != (tag.kind == XmlTag::Declaration) ||
                (slash && tag.kind != XmlTag::Open))
                return bad(question || tag.kind == XmlTag::Declaration ? "bad declaration"
                                                                       : "bad attribute list");
            if (slash)
                tag.kind = XmlTag::Empty;
            length = k + (c == '>' ? 1 : 2);
            lastNames_.clear();
            for (const XmlAttribute& seen : tag.attributes)
                lastNames_.push_back({seen.nameWord, seen.name.size()});
            learnShape(p, tag, length);
            return Parsed::Ok;
        }
        if ((c == '/' || c == '?') && k + 1 == n)
            return Parsed::Short;
        if (k == before || tag.kind == XmlTag::Close)
            return bad("bad attribute list");
        const qsizetype attrStart = k;
        XmlAttribute a;
        // Rows name their attributes as the row before did: while they do,
        // a name is known from one word and cannot repeat an earlier one.
        const size_t index = tag.attributes.size();
        bool known = false;
        if (asBefore && index < lastNames_.size()) {
            const quint64 word = lastNames_[index].word;
            const qsizetype size = lastNames_[index].size;
            quint64 first8;
            std::memcpy(&first8, p + k, 8); // the buffer's padding makes this safe
            known = size <= 8 && wordOf(first8, size) == word && k + size < n && p[k + size] == '=';
            if (known) {
                a.nameWord = word;
                k += size;
            }
        }
        asBefore = known;
        if (!known) {
            while (k < n && isNameChar(p[k]))
                ++k;
        }
        a.name = QByteArrayView(p + attrStart, k - attrStart);
        while (k < n && isBlank(p[k]))
            ++k;
        if (k == n)
            return Parsed::Short;
        if (a.name.isEmpty() || p[k] != '=')
            return bad("bad attribute");
        ++k;
        while (k < n && isBlank(p[k]))
            ++k;
        if (k == n)
            return Parsed::Short;
        if (p[k] != '"' && p[k] != '\'')
            return bad("attribute without quotes");
        const char q = p[k++];
        const qsizetype valueStart = k;
        switch (findValueEnd(p, n, q, k, a.hasReference)) {
        case ValueEnd::Found: break;
        case ValueEnd::Short: return Parsed::Short;
        case ValueEnd::OpenBracket: return bad("'<' in an attribute");
        }
        a.value = QByteArrayView(p + valueStart, k - valueStart);
        ++k;
        if (known) {
            tag.attributes.push_back(a);
            continue;
        }
        // Names compared by their words; only longer names need memcmp.
        std::memcpy(&a.nameWord, a.name.data(), 8); // the buffer's padding makes this safe
        a.nameWord = wordOf(a.nameWord, a.name.size());
        for (const XmlAttribute& seen : tag.attributes)
            if (seen.nameWord == a.nameWord &&
                (a.name.size() <= 8 ||
                 (seen.name.size() == a.name.size() &&
                  std::memcmp(seen.name.data(), a.name.data(), size_t(a.name.size())) == 0)))
                return bad("attribute given twice");
        tag.attributes.push_back(a);
    }
}

void XmlTagReader::learnShape(const char* p, const XmlTag& tag, qsizetype length)
{
    shape_.valid = false;
    if ((tag.kind != XmlTag::Open && tag.kind != XmlTag::Empty) || tag.attributes.empty())
        return;
    shape_.pieces.resize(tag.attributes.size() + 1);
    qsizetype from = 0; // where the next piece starts
    for (size_t i = 0; i <= tag.attributes.size(); ++i) {
        const bool last = i == tag.attributes.size();
        const qsizetype to = last ? length : tag.attributes[i].value.data() - p;
        ShapePiece& piece = shape_.pieces[i];
        if (to - from > qsizetype(sizeof piece.bytes))
            return;
        piece.size = int(to - from);
        std::memcpy(piece.bytes, p + from, size_t(piece.size));
        if (!last) {
            const XmlAttribute& a = tag.attributes[i];
            piece.quote = p[to - 1];
            piece.nameOffset = int(a.name.data() - (p + from));
            piece.nameSize = int(a.name.size());
            piece.nameWord = a.nameWord;
            from = to + a.value.size() + 1;
        }
    }
    shape_.kind = tag.kind;
    shape_.nameSize = int(tag.name.size());
    shape_.valid = true;
}

// Byte for byte the pieces of the last tag with values between them, each
// value scanned as the full parse does it: the outcome is the one the full
// parse would give.
bool XmlTagReader::parseLikeLast(const char* p, qsizetype n, XmlTag& tag, qsizetype& length) const
{
    if (!shape_.valid)
        return false;
    const size_t count = shape_.pieces.size() - 1;
    tag.attributes.resize(count);
    XmlAttribute* attributes = tag.attributes.data();
    const ShapePiece* pieces = shape_.pieces.data();
    qsizetype k = 0;
    for (size_t i = 0;; ++i) {
        const ShapePiece& piece = pieces[i];
        if (k + piece.size > n || !bytemask::samePrefix16(p + k, piece.bytes, piece.size))
            return false;
        const qsizetype pieceStart = k;
        k += piece.size;
        if (i == count)
            break;
        XmlAttribute& a = attributes[i];
        a.hasReference = false;
        const qsizetype valueStart = k;
        if (findValueEnd(p, n, piece.quote, k, a.hasReference) != ValueEnd::Found)
            return false;
        a.name = QByteArrayView(p + pieceStart + piece.nameOffset, piece.nameSize);
        a.nameWord = piece.nameWord;
        a.value = QByteArrayView(p + valueStart, k - valueStart);
        ++k;
    }
    tag.kind = shape_.kind;
    tag.name = QByteArrayView(p + 1, shape_.nameSize);
    length = k;
    return true;
}
