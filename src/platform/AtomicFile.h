// Saving without losing what was there: write a temporary file beside the target and
// rename it over the target only when everything was written.
#pragma once

#include <cstdio>
#include <string>

namespace kv {

class AtomicFile {
public:
    AtomicFile() = default;
    ~AtomicFile(); // an uncommitted file is removed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Opens the temporary file for `target`; false when it cannot be created.
    bool Open(const std::string& target);
    std::FILE* File() const { return m_file; }
    // Flushes, closes and renames over the target; false (and the temporary removed,
    // the target untouched) when any step fails.
    bool Commit();
    // Closes and removes the temporary file; the target is untouched.
    void Discard();

private:
    std::FILE* m_file = nullptr;
    std::string m_target;
    std::string m_temp;
};

} // namespace kv
