// Splits independent rows over the machine's cores. Each row is handled exactly as on
// one core, so results do not depend on the number of threads.
#pragma once

#include <functional>

namespace kv {

// Number of worker threads used by ParallelRows (at least 1).
int HardwareThreads();

// Calls body(begin, end) on disjoint, contiguous ranges covering [0, count).
// With threads <= 0 the machine's core count is used; small counts run inline.
void ParallelRows(int count, const std::function<void(int begin, int end)>& body, int threads = 0);

} // namespace kv
