#include "files/TextLineShape.h"

#include <cstring>

namespace {

constexpr qsizetype kStampLength = 19;

// Whether the bytes are the number in plain digits.
bool plainDigits(QByteArrayView bytes, qint32 number)
{
    char digits[12];
    int size = 0;
    for (qint64 v = number; size == 0 || v > 0; v /= 10)
        digits[size++] = char('0' + v % 10);
    if (bytes.size() != size)
        return false;
    for (int i = 0; i < size; ++i)
        if (bytes[i] != digits[size - 1 - i])
            return false;
    return true;
}

} // namespace

bool TextLineShape::Piece::set(const char* from, qsizetype n)
{
    if (n > 16)
        return false;
    std::memcpy(bytes, from, size_t(n));
    size = int(n);
    return true;
}

void TextLineShape::learn(QByteArrayView line, QByteArrayView end, const TextToken* tokens,
                          int count, const ReadingStore::RowCodes& c)
{
    valid_ = false;
    if (count != kReadingFieldCount || c.timeIsText || !c.hasNo || c.no < 0 ||
        c.no >= CountingText::kMax || tokens[1].raw.size() != kStampLength)
        return;
    for (int t = 0; t < count; ++t)
        if (tokens[t].quoted)
            return;
    if (!plainDigits(tokens[0].raw, c.no))
        return;
    const char* p = line.data();
    const auto startOf = [p](const TextToken& t) { return t.raw.data() - p; };
    const auto endOf = [p](const TextToken& t) { return t.raw.data() + t.raw.size() - p; };
    // The tail is the line's rest and its end, which follows it in the buffer.
    char tail[16];
    const qsizetype rest = line.size() - endOf(tokens[3]);
    if (rest + end.size() > 16)
        return;
    std::memcpy(tail, p + endOf(tokens[3]), size_t(rest));
    std::memcpy(tail + rest, end.data(), size_t(end.size()));
    number_.restart(c.no + 1, QByteArrayView(p + endOf(tokens[0]), startOf(tokens[1]) - endOf(tokens[0])));
    if (!number_.valid() || !middle_.set(p + endOf(tokens[1]), startOf(tokens[3]) - endOf(tokens[1])) ||
        !tail_.set(tail, rest + end.size()))
        return;
    crOnly_ = end == "\r";
    channel_ = c.channel;
    unit_ = c.unit;
    judge_ = c.judge;
    valid_ = true;
}

bool TextLineShape::read(const char* p, qsizetype n, StampReader& stamps,
                         ReadingStore::RowCodes& c, QByteArrayView& value, qsizetype& length)
{
    qsizetype k = number_.size();
    if (!valid_ || k + kStampLength + middle_.size > n || !number_.matches(p) ||
        !stamps.read(QByteArrayView(p + k, kStampLength), c))
        return false;
    k += kStampLength;
    if (!middle_.at(p + k))
        return false;
    k += middle_.size;
    // The value: up to the first separator within 16 bytes, not quoted.
    const unsigned separators = bytemask::atMost16(p + k, 32);
    if (separators == 0 || p[k] == '"')
        return false;
    const int size = bytemask::lowest(separators);
    if (size == 0 || k + size + tail_.size > n || !tail_.at(p + k + size))
        return false;
    value = QByteArrayView(p + k, size);
    k += size + tail_.size;
    // A CR alone ends the line only when no LF follows (which must be read).
    if (crOnly_ && (k == n || p[k] == '\n'))
        return false;
    c.no = static_cast<qint32>(number_.number());
    c.rowState = kRowStateAdded;
    c.channel = channel_;
    c.unit = unit_;
    c.judge = judge_;
    number_.step();
    length = k;
    return true;
}
