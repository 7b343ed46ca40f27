#include "files/XmlTagReader.h"

#include <cstring>

bool XmlTagReader::isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool XmlTagReader::isNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.' || c == ':';
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
    qsizetype i = 1;
    char quote = 0;
    while (true) {
        const char* p = input_.data();
        const qsizetype n = input_.size();
        // Values are skipped with memchr to their closing quote; only the
        // bytes between them are looked at one by one.
        bool found = false;
        while (i < n) {
            if (quote) {
                const void* end = std::memchr(p + i, quote, static_cast<size_t>(n - i));
                if (!end) {
                    i = n;
                    break;
                }
                i = static_cast<const char*>(end) - p + 1;
                quote = 0;
                continue;
            }
            const char c = p[i];
            if (c == '>') {
                found = true;
                break;
            }
            if (c == '"' || c == '\'')
                quote = c;
            ++i;
        }
        if (found)
            break;
        if (!input_.more())
            return input_.atEnd() || input_.tooLong()
                       ? malformed(QStringLiteral("unfinished element"))
                       : Result::Input;
    }
    // The tag is parsed in place: its bytes stay where they are until the
    // buffer is next refilled, which only the next tag's read does.
    QByteArrayView body(input_.data() + 1, i - 1);
    input_.consume(i + 1);
    tag.attributes.clear();
    if (body.startsWith('?')) {
        if (!body.endsWith('?'))
            return malformed(QStringLiteral("bad declaration"));
        tag.kind = XmlTag::Declaration;
        body = body.sliced(1, body.size() - 2);
    } else if (body.startsWith('/')) {
        tag.kind = XmlTag::Close;
        body = body.sliced(1);
    } else if (body.endsWith('/')) {
        tag.kind = XmlTag::Empty;
        body.chop(1);
    } else {
        tag.kind = XmlTag::Open;
    }
    qsizetype k = 0;
    while (k < body.size() && isNameChar(body[k]))
        ++k;
    if (k == 0)
        return malformed(QStringLiteral("element without a name"));
    tag.name = body.first(k);
    while (true) {
        const qsizetype before = k;
        while (k < body.size() && isBlank(body[k]))
            ++k;
        if (k == body.size())
            break;
        if (k == before || tag.kind == XmlTag::Close)
            return malformed(QStringLiteral("bad attribute list"));
        const qsizetype nameStart = k;
        while (k < body.size() && isNameChar(body[k]))
            ++k;
        XmlAttribute a;
        a.name = body.sliced(nameStart, k - nameStart);
        while (k < body.size() && isBlank(body[k]))
            ++k;
        if (a.name.isEmpty() || k == body.size() || body[k] != '=')
            return malformed(QStringLiteral("bad attribute"));
        ++k;
        while (k < body.size() && isBlank(body[k]))
            ++k;
        if (k == body.size() || (body[k] != '"' && body[k] != '\''))
            return malformed(QStringLiteral("attribute without quotes"));
        const char q = body[k++];
        const qsizetype end = body.indexOf(q, k);
        if (end < 0)
            return malformed(QStringLiteral("attribute without its closing quote"));
        a.value = body.sliced(k, end - k);
        if (a.value.contains('<'))
            return malformed(QStringLiteral("'<' in an attribute"));
        k = end + 1;
        for (const XmlAttribute& seen : tag.attributes)
            if (seen.name.size() == a.name.size() && seen.name[0] == a.name[0] &&
                seen.name == a.name)
                return malformed(QStringLiteral("attribute given twice"));
        tag.attributes.push_back(a);
    }
    return Result::Ok;
}
