// Progress hooks for tests that press Esc at a chosen point of a long operation.
#pragma once

#include "base/Progress.h"

#include <string>

// While installed: silent hooks that set the abort value at the n-th poll made while the
// progress text last begun is `text` (any text when empty). n = 0 never aborts.
struct AbortDuring {
    explicit AbortDuring(std::string text, int n = 1)
    {
        s_text = std::move(text);
        s_current.clear();
        s_abortAt = n;
        s_polls = 0;
        s_matchingPolls = 0;
        kv::ProgressHooks hooks = kv::SilentProgressHooks();
        hooks.begin = [](const char* t, int) { s_current = t != nullptr ? t : ""; };
        hooks.poll = [] {
            ++s_polls;
            if ((s_text.empty() || s_current == s_text) && ++s_matchingPolls == s_abortAt)
                kv::g_abortValue.store(kv::kAbortValue);
            return 0;
        };
        m_previous = kv::SetProgressHooks(hooks);
    }
    ~AbortDuring() { kv::SetProgressHooks(m_previous); }
    AbortDuring(const AbortDuring&) = delete;
    AbortDuring& operator=(const AbortDuring&) = delete;

    // Polls made, and those made under the text.
    static inline int s_polls = 0;
    static inline int s_matchingPolls = 0;

private:
    static inline std::string s_text;
    static inline std::string s_current;
    static inline int s_abortAt = 0;
    kv::ProgressHooks m_previous;
};
