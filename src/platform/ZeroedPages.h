// Large zero-filled blocks straight from the system: fresh pages come zeroed, so a cleared
// block costs no pass over it, and blocks of 2 MB and more are aligned to 2 MB and asked
// for huge pages, so that filling them faults a page in once per 2 MB rather than per 4 KB
// (threads filling one block then rarely wait on each other's faults).
#pragma once

#include <cstddef>

namespace kv {

// Blocks from this size up are worth a mapping of their own.
constexpr std::size_t kZeroedPagesMinBytes = std::size_t(1) << 21;

// `bytes` zeroed bytes, `mapped` receiving the size to hand back to UnmapZeroedPages;
// null when the system refuses.
void* MapZeroedPages(std::size_t bytes, std::size_t& mapped);
void UnmapZeroedPages(void* block, std::size_t mapped);
// Writes one zero byte per small page of a block that is still zero (fresh from
// MapZeroedPages), so that its pages are taken now, by this thread.
void TouchPages(void* block, std::size_t bytes);

} // namespace kv
