#include "recording/MappedMemory.h"

#include <cstdint>

#include <sys/mman.h>

namespace mapped {

void* map(size_t bytes, bool hugePages)
{
    // The kernel backs only aligned 2 MB ranges with huge pages: map one
    // page more and give back what lies outside the aligned range.
    const size_t align = hugePages ? kHugePage : 0;
    void* mapped =
        mmap(nullptr, bytes + align, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    auto* start = static_cast<char*>(mapped);
    if (hugePages) {
        const auto at = reinterpret_cast<std::uintptr_t>(start);
        const size_t head = (align - at % align) % align;
        if (head > 0)
            munmap(start, head);
        munmap(start + head + bytes, align - head);
        start += head;
        madvise(start, bytes, MADV_HUGEPAGE);
    }
    return start;
}

void unmap(void* p, size_t bytes)
{
    munmap(p, bytes);
}

} // namespace mapped
