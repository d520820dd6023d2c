// Progress of long operations and the user's abort.
//
// Four replaceable process-wide hooks and one abort value. Every long loop:
//   g_abortValue = 0; begin(text, stepMode); per row: step(done, total), poll();
//   leave when g_abortValue == kAbortValue; end(); return -1 when aborted.
// The default hooks drive a progress window supplied by the shell through
// SetProgressWindowFactory; until one is supplied they show nothing.
#pragma once

#include <atomic>
#include <memory>
#include <string>

namespace kv {

constexpr int kAbortValue = 27;

// The process-wide abort value: kAbortValue when the user asked to stop.
extern std::atomic<int> g_abortValue;

struct ProgressHooks {
    void (*begin)(const char* text, int stepMode);
    void (*end)();
    int (*step)(double current, double total);
    int (*poll)();
};

// The hooks in force (the defaults at start).
ProgressHooks& GetProgressHooks();
// Installs new hooks and returns the previous ones (for restoring later).
ProgressHooks SetProgressHooks(const ProgressHooks& hooks);
// Hooks for the calling thread alone, in force over the process-wide ones while set (null:
// the process-wide ones again); returns the previous. A worker off the user-interface
// thread reports through its own. The caller keeps `hooks` alive while set.
ProgressHooks* SetThreadProgressHooks(ProgressHooks* hooks);
// The default hooks.
ProgressHooks DefaultProgressHooks();
// Hooks that do nothing (batch runs and tests).
ProgressHooks SilentProgressHooks();

// Shorthands that call the hooks in force.
inline void ProgressBeginHook(const char* text, int stepMode = 0) { GetProgressHooks().begin(text, stepMode); }
inline void ProgressEndHook() { GetProgressHooks().end(); }
inline int ProgressStepHook(double current, double total) { return GetProgressHooks().step(current, total); }
inline int ProgressPollHook() { return GetProgressHooks().poll(); }
inline bool AbortRequested() { return g_abortValue.load(std::memory_order_relaxed) == kAbortValue; }

// The window behind the default hooks. The shell supplies it; the core never needs one.
class ProgressWindow {
public:
    virtual ~ProgressWindow() = default;
    virtual void SetText(const std::string& text) = 0;
    virtual void SetPosition(int percent) = 0;
    virtual std::string GetPlacement() const = 0;
    virtual void SetPlacement(const std::string& placement) = 0;
};

// What the default poll hook asks of the user-interface thread's event queue.
class ProgressEventPump {
public:
    virtual ~ProgressEventPump() = default;
    // True when an event is waiting (looked at without removing it).
    virtual bool EventWaiting() = 0;
    // True when the waiting event is an Esc key press (it stays queued).
    virtual bool WaitingEventIsEscape() = 0;
    // Processes one event; false when the program is asked to quit (the request is re-posted).
    virtual bool PumpOne() = 0;
};

using ProgressWindowFactory = std::unique_ptr<ProgressWindow> (*)();
// Sets the factory of the default hooks' window (null: no window) and the event pump
// of the default poll (null: the queue is always empty).
void SetProgressWindowFactory(ProgressWindowFactory factory);
void SetProgressEventPump(ProgressEventPump* pump);

// The default hooks themselves.
void ProgressBegin(const char* text, int stepMode);
void ProgressEnd();
int ProgressStep(double current, double total);
int ProgressPoll();

} // namespace kv
