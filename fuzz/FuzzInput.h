#pragma once

#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <cstring>

// Reads values off the front of a fuzz input; past its end every value is 0.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool empty() const { return pos_ >= size_; }
    quint8 byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    template <typename T> T value()
    {
        T v{};
        const size_t n = qMin(sizeof v, size_ - qMin(pos_, size_));
        std::memcpy(&v, data_ + pos_, n);
        pos_ += n;
        return v;
    }
    // n UTF-16 units, any values (unpaired surrogates and NUL included).
    QString units(int n)
    {
        QString text;
        for (int i = 0; i < n && !empty(); ++i)
            text.append(QChar(value<char16_t>()));
        return text;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};
