#pragma once

#include <QByteArrayView>
#include <QtGlobal>

#include <cstring>
#include <limits>

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "the text's bytes lie in its words lowest first");

// The decimal text of a number that counts up by one, followed by fixed
// bytes. Rows of a recording number themselves so: a reader knows the next
// row's number by comparing this text with its bytes, instead of summing
// digits.
//
// The text is kept as two 8-byte words and counted up within them: bytes
// written one by one and read back as a whole wait for the stores to land,
// which cost more than the compare.
class CountingText {
public:
    static constexpr qint64 kMax = std::numeric_limits<qint32>::max();

    // From first (0..kMax) on; no text when it would pass 16 bytes.
    void restart(qint64 first, QByteArrayView suffix)
    {
        char digits[20];
        int size = 0;
        for (qint64 v = first; size == 0 || v > 0; v /= 10)
            digits[size++] = char('0' + v % 10);
        valid_ = first >= 0 && first <= kMax && size + suffix.size() <= 16;
        if (!valid_)
            return;
        number_ = first;
        digits_ = size;
        suffix_ = int(suffix.size());
        char text[16] = {};
        for (int i = 0; i < size; ++i)
            text[i] = digits[size - 1 - i];
        std::memcpy(text + size, suffix.data(), size_t(suffix_));
        std::memcpy(words_, text, 16);
        const int n = digits_ + suffix_;
        masks_[0] = n >= 8 ? ~quint64(0) : (quint64(1) << (8 * n)) - 1;
        masks_[1] = n >= 16 ? ~quint64(0) : n <= 8 ? 0 : (quint64(1) << (8 * (n - 8))) - 1;
    }
    // Whether p starts with the text; 16 bytes at p must be readable.
    bool matches(const char* p) const
    {
        quint64 bytes[2];
        std::memcpy(bytes, p, 16);
        return valid_ &&
               (((bytes[0] ^ words_[0]) & masks_[0]) | ((bytes[1] ^ words_[1]) & masks_[1])) == 0;
    }
    bool valid() const { return valid_; }
    qint64 number() const { return number_; }
    int size() const { return digits_ + suffix_; }

    // On to the next number: its digits count up as the number does.
    void step()
    {
        if (number_ == kMax) {
            valid_ = false;
            return;
        }
        ++number_;
        const int last = digits_ - 1;
        quint64& word = words_[last / 8];
        const int shift = 8 * (last % 8);
        if (((word >> shift) & 0xFF) != '9') {
            word += quint64(1) << shift; // the last digit, without a carry
            return;
        }
        char text[16];
        std::memcpy(text, words_, 16);
        int d = last;
        while (d >= 0 && text[d] == '9')
            text[d--] = '0';
        if (d < 0) { // one digit more: the suffix moves up by one
            restart(number_, QByteArrayView(text + digits_, suffix_));
            return;
        }
        ++text[d];
        std::memcpy(words_, text, 16);
    }

private:
    bool valid_ = false;
    qint64 number_ = 0;
    int digits_ = 0, suffix_ = 0;
    quint64 words_[2] = {0, 0};
    quint64 masks_[2] = {0, 0};
};
