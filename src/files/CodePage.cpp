#include "files/CodePage.h"

namespace codepage {
namespace {

// Characters of the bytes 0x80-0x9F.
constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char encodeUnit(char16_t u)
{
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<char>(u);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == u)
            return static_cast<char>(0x80 + i);
    return '?';
}

} // namespace

void appendEncoded(QByteArray& out, QStringView text)
{
    const qsizetype n = text.size();
    const char16_t* u = text.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = u[i];
        if (c < 0x80) {
            out.append(static_cast<char>(c));
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(u[i + 1])) {
            out.append('?');
            ++i;
        } else {
            out.append(encodeUnit(c));
        }
    }
}

void decodeInto(const char* data, qsizetype size, char16_t* out)
{
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        out[i] = (b >= 0x80 && b < 0xA0) ? kHigh[b - 0x80] : char16_t(b);
    }
}

QString decode(const char* data, qsizetype size)
{
    QString out(size, Qt::Uninitialized);
    decodeInto(data, size, reinterpret_cast<char16_t*>(out.data()));
    return out;
}

} // namespace codepage
