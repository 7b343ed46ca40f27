#pragma once

#include "files/ByteMasks.h"

#include <QByteArrayView>
#include <QtGlobal>

#include <cstring>
#include <limits>

// The decimal text of a number that counts up by one, followed by fixed
// bytes. Rows of a recording number themselves so: a reader knows the next
// row's number by comparing this text with its bytes, instead of summing
// digits.
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
        for (int i = 0; i < size; ++i)
            text_[i] = digits[size - 1 - i];
        std::memcpy(text_ + size, suffix.data(), size_t(suffix_));
    }
    // Whether p starts with the text; 16 bytes at p must be readable.
    bool matches(const char* p) const
    {
        return valid_ && bytemask::samePrefix16(p, text_, size());
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
        int d = digits_ - 1;
        while (d >= 0 && text_[d] == '9')
            text_[d--] = '0';
        if (d >= 0) {
            ++text_[d];
            return;
        }
        // One digit more: the suffix moves up by one.
        char suffix[16];
        std::memcpy(suffix, text_ + digits_, size_t(suffix_));
        restart(number_, QByteArrayView(suffix, suffix_));
    }

private:
    bool valid_ = false;
    qint64 number_ = 0;
    int digits_ = 0, suffix_ = 0;
    char text_[16]{};
};
