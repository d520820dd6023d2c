// Whole-grid evaluation through a surface sampler, spread over the machine's cores.
//
// Every thread gets its own copy of the sampler (made on the calling thread, since a copy
// prepares itself); rows go out in batches, and between batches the calling thread reports
// progress and polls for Esc. A row is computed exactly as on one core, so the result does
// not depend on the number of threads.
#pragma once

#include <functional>

namespace kv {

class SurfaceSampler;

// Calls rowBody(sampler, row) once for every row 0..rows-1, each sampler being one
// thread's copy of `prototype`. With `progressText` non-null: progress begins with that
// text (step mode 1), steps (done, rows) and polls after every batch, and ends. Returns 0,
// or -1 when the abort value reached kAbortValue (rows of later batches are then not
// computed). threads <= 0: all cores.
int EvaluateRows(const SurfaceSampler& prototype, int rows,
                 const std::function<void(SurfaceSampler& sampler, int row)>& rowBody,
                 const char* progressText = nullptr, int threads = 0);

// The same with the caller's own report: afterBatch(first, last) runs on the calling
// thread once rows first..last-1 are computed; returning false stops the rows (-1).
// Batches hold four rows per thread, at least minimumBatchRows.
int EvaluateRowBatches(const SurfaceSampler& prototype, int rows,
                       const std::function<void(SurfaceSampler& sampler, int row)>& rowBody,
                       const std::function<bool(int first, int last)>& afterBatch, int threads = 0,
                       int minimumBatchRows = 16);

} // namespace kv
