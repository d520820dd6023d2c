// Whole-picture loops of the exports spread over cores: rows are computed in blocks, each
// block's rows taken in turn by the worker threads, and each computed block handed to the
// calling thread (to write it, step progress and poll) while the workers compute the next
// one. Every row is computed exactly as on one core, so results do not depend on the
// thread count.
#pragma once

#include <functional>

namespace kv {

// Calls compute(row, slot) for every row of [0, rows) on the workers (slot < the threads
// used; threads <= 0: every core) and finish(first, end) on the calling thread for each
// block of rows [first, end), in order, while the next block is being computed: a caller
// that keeps a block's results until it is finished holds two blocks (block parity =
// (row / blockRows) % 2). When finish returns false no further block is started; the block
// in flight is completed but not finished. Returns false then, else true.
bool RunRowBlocks(int rows, int threads, int blockRows, const std::function<void(int row, int slot)>& compute,
                  const std::function<bool(int first, int end)>& finish);

// The threads RunRowBlocks uses for `threads` (<= 0: every core), at least 1.
int RowBlockThreads(int threads, int rows);

} // namespace kv
