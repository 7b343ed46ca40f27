#pragma once

#include "files/InputBuffer.h"
#include "files/ReadBlocks.h"
#include "recording/MappedMemory.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Reads a file's rows on two cores. The caller's thread reads the device
// and cuts it into blocks of whole rows; two workers parse blocks at the
// same time. Results are merged in the file's order, each by the worker
// that made it while it is still in that core's cache, unless the block
// before it is not merged yet: then the worker merging that one merges it
// next. A file of one block is parsed on the caller's thread alone.
//
// Parser: one per worker, made by makeParser; `void parse(InputBuffer&
// block, bool first, Result& out)` reads one block (first: the file's
// first) into out, a result merged before and given again so that its
// memory is used again (it must set every part of it).
// Merge: `bool merge(Result&)` takes the results in order, one at a time,
// and gives false to stop (a failure, or the text ended); later blocks are
// then dropped unread.
// Cut: `qsizetype cut(const char* p, qsizetype n, bool atEnd)` gives how
// many of the n bytes read form whole rows, 0 when more must be read.
template <typename Parser, typename Result> class BlockReader {
public:
    static constexpr int kWorkers = 2;
    static constexpr long long kInFlight = 2 * kWorkers;

    using Cut = std::function<qsizetype(const char*, qsizetype, bool)>;
    using MakeParser = std::function<std::unique_ptr<Parser>()>;
    using Merge = std::function<bool(Result&)>;

    // Reads input to its end (or until merge stops it) in blocks of about
    // blockBytes: afterwards the input's flags tell whether reading failed,
    // was cancelled or met a row longer than its piece limit.
    static void run(InputBuffer& input, qsizetype blockBytes, const Cut& cut,
                    const MakeParser& makeParser, const Merge& merge)
    {
        BlockReader reader(makeParser, merge, std::max<qsizetype>(blockBytes, 1));
        reader.read(input, cut);
    }

private:
    // The bytes of a block, with InputBuffer's padding after them; the
    // vector keeps its size from block to block, so that it is not filled
    // with zeros again.
    struct Block {
        std::vector<char, mapped::HugePageAllocator<char>> bytes;
        qsizetype size = 0;
    };
    struct Job {
        Block block;
        long long index = 0;
    };

    BlockReader(const MakeParser& makeParser, const Merge& merge, qsizetype blockBytes)
        : makeParser_(makeParser), merge_(merge), blockBytes_(blockBytes)
    {
    }
    ~BlockReader()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            closing_ = true;
            queue_.clear(); // blocks after a stop are not parsed
        }
        wake_.notify_all();
        for (std::thread& t : workers_)
            t.join();
    }

    // The next block of whole rows, or nothing at the end of the input. On
    // a failure or cancel, the whole rows read before it still come. The
    // device is read straight into the block; bytes after its last whole
    // row begin the next block. A row longer than the input's piece limit
    // is refused.
    std::optional<Block> nextBlock(InputBuffer& input, const Cut& cut)
    {
        Block block = spare(spareBlocks_);
        const qsizetype longest = std::max(input.maxPiece(), blockBytes_);
        qsizetype size = static_cast<qsizetype>(carry_.size());
        qsizetype wanted = blockBytes_;
        // A short input needs no block of full size; one byte more than it
        // holds lets the loop below see its end.
        if (const qint64 left = input.remaining(); left >= 0 && size + left < wanted)
            wanted = static_cast<qsizetype>(size + left + 1);
        char* bytes = room(block, std::max(size, wanted));
        if (size > 0)
            std::memcpy(bytes, carry_.data(), carry_.size());
        carry_.clear();
        while (true) {
            while (size < wanted) {
                const qsizetype got = input.readInto(bytes + size, wanted - size);
                if (got == 0)
                    break;
                size += got;
            }
            const bool atEnd = input.atEnd();
            const qsizetype n = size == 0 ? 0 : cut(bytes, size, atEnd && size < wanted);
            if (n > 0) {
                carry_.assign(bytes + n, bytes + size);
                block.size = n;
                return block;
            }
            if (size < wanted || input.failed() || input.cancelled()) {
                // The end, or a failure or cancel: the flags tell.
                std::lock_guard<std::mutex> lock(mutex_);
                spareBlocks_.push_back(std::move(block));
                return std::nullopt;
            }
            if (wanted >= longest) {
                input.refuseTooLong();
                return std::nullopt;
            }
            wanted = longest; // no whole row yet: read on up to the longest
            bytes = room(block, wanted);
        }
    }

    // The block's bytes with room for n and the padding after them; a
    // bigger block keeps what it holds.
    static char* room(Block& block, qsizetype n)
    {
        const auto capacity = static_cast<size_t>(n + InputBuffer::kPadding);
        if (block.bytes.size() < capacity)
            block.bytes.resize(capacity);
        return block.bytes.data();
    }

    void read(InputBuffer& input, const Cut& cut)
    {
        std::optional<Block> block = nextBlock(input, cut);
        if (!block)
            return;
        std::optional<Block> following = nextBlock(input, cut);
        if (!following) {
            // One block: no thread is worth starting.
            std::unique_ptr<Parser> parser = makeParser_();
            InputBuffer bytes(block->bytes.data(), block->size);
            Result result;
            parser->parse(bytes, true, result);
            merge_(result);
            return;
        }
        for (int w = 0; w < kWorkers; ++w)
            workers_.emplace_back([this] { work(); });
        submit(std::move(*block));
        submit(std::move(*following));
        while (true) {
            {
                std::unique_lock<std::mutex> lock(mutex_);
                merged_.wait(lock, [this] { return stopped_ || submitted_ - next_ < kInFlight; });
                if (stopped_)
                    return;
            }
            block = nextBlock(input, cut);
            if (!block)
                break;
            submit(std::move(*block));
        }
        std::unique_lock<std::mutex> lock(mutex_);
        merged_.wait(lock, [this] { return stopped_ || next_ == submitted_; });
    }

    void submit(Block block)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.push_back({std::move(block), submitted_++});
        }
        wake_.notify_one();
    }

    void work()
    {
        std::unique_ptr<Parser> parser = makeParser_();
        while (true) {
            Job job;
            Result result;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait(lock, [this] { return closing_ || !queue_.empty(); });
                if (queue_.empty())
                    return;
                job = std::move(queue_.front());
                queue_.pop_front();
                result = takeSpare(spareResults_);
            }
            InputBuffer bytes(job.block.bytes.data(), job.block.size);
            parser->parse(bytes, job.index == 0, result);
            std::unique_lock<std::mutex> lock(mutex_);
            spareBlocks_.push_back(std::move(job.block));
            results_.emplace(job.index, std::move(result));
            mergeInOrder(lock);
        }
    }

    // Merges the results that are next in order, unless another worker is
    // merging (it then merges them after its own).
    void mergeInOrder(std::unique_lock<std::mutex>& lock)
    {
        if (merging_)
            return;
        merging_ = true;
        while (!stopped_) {
            const auto found = results_.find(next_);
            if (found == results_.end())
                break;
            Result result = std::move(found->second);
            results_.erase(found);
            lock.unlock();
            const bool goOn = merge_(result);
            lock.lock();
            spareResults_.push_back(std::move(result));
            ++next_;
            if (!goOn) {
                stopped_ = true;
                queue_.clear();
            }
        }
        merging_ = false;
        merged_.notify_all();
    }

    // A spare buffer or result (an empty one when there is none).
    template <typename T> T spare(std::vector<T>& spares)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return takeSpare(spares);
    }
    template <typename T> static T takeSpare(std::vector<T>& spares)
    {
        if (spares.empty())
            return T();
        T t = std::move(spares.back());
        spares.pop_back();
        return t;
    }

    const MakeParser& makeParser_;
    const Merge& merge_;
    const qsizetype blockBytes_;
    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable wake_, merged_;
    std::deque<Job> queue_;
    std::map<long long, Result> results_;
    std::vector<Block> spareBlocks_;
    std::vector<char> carry_; // read after the last block's whole rows
    std::vector<Result> spareResults_;
    long long submitted_ = 0, next_ = 0; // blocks handed out; the next to merge
    bool merging_ = false, stopped_ = false, closing_ = false;
};
