// The windowless batch run: start-up without a window system, one render of the whole
// world saved under each output the command line names, and the orderly exit.
#pragma once

#include <string>
#include <vector>

namespace kv {

class AppSettings;
struct CCmdLineInfo;

// What a batch run did: every save is attempted; each failure is reported with its reason.
struct BatchReport {
    std::vector<std::string> failures;
    bool Succeeded() const { return failures.empty(); }
};

// The batch render of an open document's first view: the world at `info.imageWidth`
// (height half of it) saved under the MDR path, then the image path; then the bump and
// normal renders (shaders 11 and 10) under theirs. Progress is silent.
class CKVView;
class CKVDoc;
BatchReport RenderBatchOutputs(const CCmdLineInfo& info, CKVDoc& document, CKVView& view);

// The whole program run for a batch command line (argv looked at already): profile,
// preferences, clean-exit marker, noise sources and projections, the document (opened
// from the first file argument, or new), the renders, the exit steps. Failures go to
// stderr; the result is 0 when every save worked, else 1 (2 for a refused command line).
// `profile` null: the user's profile.
int RunBatch(const CCmdLineInfo& info, const AppSettings* profile = nullptr);

} // namespace kv
