#include "files/XmlTagReader.h"

#include "files/ByteMasks.h"

#include <cstring>

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
XmlTagReader::Parsed XmlTagReader::parse(const char* p, qsizetype n, XmlTag& tag,
                                         qsizetype& length)
{
    const auto bad = [this](const char* why) {
        malformed(QString::fromLatin1(why));
        return Parsed::Malformed;
    };
    tag.attributes.clear();
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
            return Parsed::Ok;
        }
        if ((c == '/' || c == '?') && k + 1 == n)
            return Parsed::Short;
        if (k == before || tag.kind == XmlTag::Close)
            return bad("bad attribute list");
        const qsizetype attrStart = k;
        while (k < n && isNameChar(p[k]))
            ++k;
        XmlAttribute a;
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
        while (true) {
            if (k >= n)
                return Parsed::Short;
            const quint64 inBytes = bytemask::first(n - k);
            const quint64 ends = bytemask::equal(p + k, q) & inBytes;
            const quint64 opens = bytemask::equal(p + k, '<') & inBytes;
            const quint64 before = ends ? bytemask::first(bytemask::lowest(ends)) : ~quint64(0);
            if (opens & before)
                return bad("'<' in an attribute");
            if (ends) {
                k += bytemask::lowest(ends);
                break;
            }
            k += 64;
        }
        a.value = QByteArrayView(p + valueStart, k - valueStart);
        ++k;
        // Names compared by their first eight bytes and size (the buffer's
        // padding makes the load safe); only longer names need memcmp.
        quint64 first8;
        std::memcpy(&first8, a.name.data(), 8);
        first8 = (first8 & bytemask::first(8 * std::min<qsizetype>(a.name.size(), 8))) ^
                 (quint64(a.name.size()) << 56);
        const size_t count = tag.attributes.size();
        if (count < kSigned) {
            for (size_t i = 0; i < count; ++i)
                if (signatures_[i] == first8 &&
                    (a.name.size() <= 8 ||
                     (tag.attributes[i].name.size() == a.name.size() &&
                     std::memcmp(tag.attributes[i].name.data(), a.name.data(),
                                 size_t(a.name.size())) == 0)))
                    return bad("attribute given twice");
            signatures_[count] = first8;
        } else {
            for (const XmlAttribute& seen : tag.attributes)
                if (seen.name.size() == a.name.size() &&
                    std::memcmp(seen.name.data(), a.name.data(), size_t(a.name.size())) == 0)
                    return bad("attribute given twice");
        }
        tag.attributes.push_back(a);
    }
}
