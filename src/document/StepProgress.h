// The two-bar progress an operation of several steps keeps up around its whole run: the
// inner operations report through the progress hooks into the lower bar, the caller
// drives the upper "Total Progress" bar. The window side installs one; until it does
// (batch runs, tests) nothing is shown and the hooks in force take the inner progress.
#pragma once

namespace kv {

class StepProgress {
public:
    virtual ~StepProgress() = default;
    // Shows the dialog (and takes over the progress hooks while it is open).
    virtual void Begin() {}
    // Closes it and puts back the hooks that were in force.
    virtual void End() {}
    // The upper bar, 0..100.
    virtual void SetTotalPos(int percent) { (void)percent; }
};
StepProgress& GetStepProgress();
// Installs `progress` (null restores the default) and returns the previous one, or null
// when the default was in force. The caller keeps it alive while installed.
StepProgress* SetStepProgress(StepProgress* progress);

// Begin on construction, End on destruction.
class StepProgressScope {
public:
    StepProgressScope() { GetStepProgress().Begin(); }
    ~StepProgressScope() { GetStepProgress().End(); }
    StepProgressScope(const StepProgressScope&) = delete;
    StepProgressScope& operator=(const StepProgressScope&) = delete;
};

} // namespace kv
