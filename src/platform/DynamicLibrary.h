// Shared libraries loaded by full path and bound by plain C export names.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace kv {

class DynamicLibrary {
public:
    // Loads the library at `path` (which must name a file, never a bare name that the
    // loader would search for). Returns null and fills `error` when it cannot be loaded.
    static std::unique_ptr<DynamicLibrary> Open(const std::string& path, std::string* error = nullptr);
    ~DynamicLibrary();

    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // The address of an exported symbol, or null.
    void* Symbol(const char* name) const;
    template <typename Fn> Fn Function(const char* name) const { return reinterpret_cast<Fn>(Symbol(name)); }

    const std::string& Path() const { return m_path; }

private:
    DynamicLibrary(void* handle, std::string path) : m_handle(handle), m_path(std::move(path)) {}
    void* m_handle;
    std::string m_path;
};

// Every regular file in `folder` whose name ends with `suffix` (for instance ".so"),
// as full paths in name order. An unreadable folder gives an empty list.
std::vector<std::string> ListFilesWithSuffix(const std::string& folder, const std::string& suffix);

} // namespace kv
