#pragma once

#include <cstddef>
#include <limits>
#include <new>

// Memory straight from the kernel, for large buffers filled soon after they
// are made. Filling fresh memory costs a page fault per 4 KB page, which
// on the virtual machines the program runs on costs more than the work on
// the bytes; huge pages make that one fault per 2 MB.
namespace mapped {

constexpr size_t kHugePage = size_t(2) << 20;

// bytes of anonymous memory, zero-filled; with hugePages aligned to
// kHugePage and advised to be backed by huge pages (only advice: without
// transparent huge pages it is plain memory). Throws std::bad_alloc.
void* map(size_t bytes, bool hugePages);
void unmap(void* p, size_t bytes);

// A standard allocator for buffers used again and again: requests of
// kFromBytes or more come in whole huge pages, smaller ones from operator
// new.
template <typename T> struct HugePageAllocator {
    using value_type = T;
    static constexpr size_t kFromBytes = 256 << 10;
    HugePageAllocator() = default;
    template <typename U> HugePageAllocator(const HugePageAllocator<U>&) {}

    static size_t mappedBytes(size_t n)
    {
        return (n * sizeof(T) + kHugePage - 1) / kHugePage * kHugePage;
    }
    T* allocate(size_t n)
    {
        if (n > std::numeric_limits<size_t>::max() / sizeof(T) - kHugePage)
            throw std::bad_alloc();
        if (n * sizeof(T) < kFromBytes)
            return static_cast<T*>(::operator new(n * sizeof(T)));
        return static_cast<T*>(map(mappedBytes(n), true));
    }
    void deallocate(T* p, size_t n)
    {
        if (n * sizeof(T) < kFromBytes)
            ::operator delete(p);
        else
            unmap(p, mappedBytes(n));
    }
    template <typename U> bool operator==(const HugePageAllocator<U>&) const { return true; }
    template <typename U> bool operator!=(const HugePageAllocator<U>&) const { return false; }
};

} // namespace mapped
