#include "files/XmlReferences.h"

#include <cstring>

namespace xmlref {
namespace {

void appendNumber(QByteArray& out, unsigned value)
{
    char digits[8];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value);
    while (n)
        out.append(digits[--n]);
}

// Length of the valid UTF-8 sequence at p (at most `left` bytes), and its
// code point; 0 when it is not one.
int utf8Sequence(const unsigned char* p, qsizetype left, char32_t& cp)
{
    const unsigned char b = p[0];
    int len;
    char32_t min;
    if (b < 0x80) {
        cp = b;
        return 1;
    } else if ((b & 0xE0) == 0xC0) {
        len = 2, cp = b & 0x1F, min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
        len = 3, cp = b & 0x0F, min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
        len = 4, cp = b & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (left < len)
        return 0;
    for (int i = 1; i < len; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

void appendCodePoint(QString& out, char32_t cp)
{
    if (cp > 0xFFFF) {
        out.append(QChar(QChar::highSurrogate(cp)));
        out.append(QChar(QChar::lowSurrogate(cp)));
    } else {
        out.append(QChar(static_cast<char16_t>(cp)));
    }
}

// The reference starting at raw[i] ('&'); returns its length, 0 if malformed.
qsizetype reference(QByteArrayView raw, qsizetype i, char32_t& cp)
{
    const qsizetype semi = raw.indexOf(';', i);
    if (semi < 0 || semi - i > 12)
        return 0;
    const QByteArrayView name = raw.sliced(i + 1, semi - i - 1);
    static const struct {
        const char* name;
        char16_t unit;
    } kNamed[] = {{"lt", u'<'}, {"gt", u'>'}, {"amp", u'&'}, {"apos", u'\''}, {"quot", u'"'}};
    for (const auto& named : kNamed)
        if (name == QByteArrayView(named.name)) {
            cp = named.unit;
            return semi - i + 1;
        }
    if (name.size() < 2 || name[0] != '#')
        return 0;
    const bool hex = name[1] == 'x';
    const qsizetype start = hex ? 2 : 1;
    if (name.size() == start)
        return 0;
    char32_t value = 0;
    for (qsizetype k = start; k < name.size(); ++k) {
        const char c = name[k];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return 0;
        value = value * (hex ? 16 : 10) + digit;
        if (value > 0x10FFFF)
            return 0;
    }
    cp = value;
    return semi - i + 1;
}

} // namespace

void appendEscaped(QByteArray& out, QStringView text)
{
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        switch (u) {
        case u'<': out.append("&lt;", 4); break;
        case u'>': out.append("&gt;", 4); break;
        case u'&': out.append("&amp;", 5); break;
        case u'\'': out.append("&apos;", 6); break;
        case u'"': out.append("&quot;", 6); break;
        case 13: out.append("&#013;", 6); break;
        case 10: out.append("&#010;", 6); break;
        case 9: out.append("&#009;", 6); break;
        case u'\\': out.append("&#092;", 6); break;
        default:
            if (u < 128) {
                out.append(static_cast<char>(u));
            } else {
                out.append("&#", 2);
                appendNumber(out, u);
                out.append(';');
            }
        }
    }
}

Decoded decode(QByteArrayView raw, bool utf8, QString& out)
{
    out.clear();
    out.reserve(raw.size());
    const auto* p = reinterpret_cast<const unsigned char*>(raw.data());
    const qsizetype n = raw.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char b = p[i];
        if (b == '&') {
            char32_t cp = 0;
            const qsizetype len = reference(raw, i, cp);
            if (len == 0)
                return Decoded::BadReference;
            appendCodePoint(out, cp);
            i += len;
        } else if (b < 0x80 || !utf8) {
            out.append(QChar(char16_t(b)));
            ++i;
        } else {
            char32_t cp = 0;
            const int len = utf8Sequence(p + i, n - i, cp);
            if (len == 0)
                return Decoded::BadUtf8;
            appendCodePoint(out, cp);
            i += len;
        }
    }
    return Decoded::Ok;
}

bool isValidUtf8(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        char32_t cp;
        const int len = utf8Sequence(p + i, n - i, cp);
        if (len == 0)
            return false;
        i += len;
    }
    return true;
}

} // namespace xmlref
