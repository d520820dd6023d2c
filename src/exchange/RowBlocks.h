// Whole-picture loops of the exports spread over cores: rows are computed in blocks, each
// block's rows taken in turn by the threads, and each finished block handed to the
// calling thread (to write it, step progress and poll) before the next one starts. Every
// row is computed exactly as on one core, so results do not depend on the thread count.
#pragma once

#include <functional>

namespace kv {

// Calls compute(row, slot) for every row of [0, rows), slot < the threads used (threads
// <= 0: every core), and finish(first, end) after each block of rows [first, end). Stops
// after a block when finish returns false; returns false then, else true.
bool RunRowBlocks(int rows, int threads, int blockRows, const std::function<void(int row, int slot)>& compute,
                  const std::function<bool(int first, int end)>& finish);

// The threads RunRowBlocks uses for `threads` (<= 0: every core), at least 1.
int RowBlockThreads(int threads, int rows);

} // namespace kv
