#include "platform/ZeroedPages.h"

#include <cstdint>
#include <sys/mman.h>

namespace kv {

namespace {
constexpr std::size_t kHugePage = std::size_t(1) << 21;
} // namespace

void* MapZeroedPages(std::size_t bytes, std::size_t& mapped)
{
    mapped = 0;
    if (bytes == 0 || bytes > SIZE_MAX - 2 * kHugePage)
        return nullptr;
    const std::size_t size = (bytes + kHugePage - 1) & ~(kHugePage - 1);
    void* raw = mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    const uintptr_t start = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (start + kHugePage - 1) & ~uintptr_t(kHugePage - 1);
    if (aligned > start)
        munmap(raw, aligned - start);
    if (kHugePage - (aligned - start) > 0)
        munmap(reinterpret_cast<void*>(aligned + size), kHugePage - (aligned - start));
    madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
    mapped = size;
    return reinterpret_cast<void*>(aligned);
}

void UnmapZeroedPages(void* block, std::size_t mapped)
{
    if (block != nullptr && mapped != 0)
        munmap(block, mapped);
}

void TouchPages(void* block, std::size_t bytes)
{
    constexpr std::size_t kSmallPage = 4096;
    volatile unsigned char* p = static_cast<unsigned char*>(block);
    for (std::size_t offset = 0; offset < bytes; offset += kSmallPage)
        p[offset] = 0;
}

} // namespace kv
