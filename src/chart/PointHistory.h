#pragma once

#include <QtGlobal>

#include <memory>
#include <vector>

// The y values of every point the chart was given, in order; a point's x is
// its index. Values live in fixed-size blocks, so growth never copies what is
// stored nor needs room for a second copy, and a new block only costs memory
// as it fills.
class PointHistory {
public:
    void append(double y);
    double at(qint64 index) const
    {
        return blocks_[std::size_t(index >> kBlockBits)][std::size_t(index & kBlockMask)];
    }
    qint64 size() const { return size_; }
    void clear();

private:
    static constexpr int kBlockBits = 16; // 65536 values, 512 KiB per block
    static constexpr qint64 kBlockSize = qint64(1) << kBlockBits;
    static constexpr qint64 kBlockMask = kBlockSize - 1;

    std::vector<std::unique_ptr<double[]>> blocks_;
    qint64 size_ = 0;
};
