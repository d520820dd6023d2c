#include "platform/DynamicLibrary.h"

#include <algorithm>
#include <dlfcn.h>
#include <filesystem>

namespace kv {

std::unique_ptr<DynamicLibrary> DynamicLibrary::Open(const std::string& path, std::string* error)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    // A name without a folder would make the loader search its own paths: refuse it.
    if (path.find('/') == std::string::npos || !fs::is_regular_file(path, ec)) {
        if (error)
            *error = "not a library file: " + path;
        return nullptr;
    }
    std::string full = fs::absolute(path, ec).string();
    if (ec)
        full = path;
    void* h = dlopen(full.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) {
        if (error) {
            const char* e = dlerror();
            *error = e ? e : ("cannot load " + full);
        }
        return nullptr;
    }
    return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(h, full));
}

DynamicLibrary::~DynamicLibrary()
{
    if (m_handle)
        dlclose(m_handle);
}

void* DynamicLibrary::Symbol(const char* name) const
{
    return m_handle ? dlsym(m_handle, name) : nullptr;
}

std::vector<std::string> ListFilesWithSuffix(const std::string& folder, const std::string& suffix)
{
    namespace fs = std::filesystem;
    std::vector<std::string> out;
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? "." : folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code ec2;
        if (!it->is_regular_file(ec2))
            continue;
        std::string name = it->path().filename().string();
        if (name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            out.push_back(fs::absolute(it->path(), ec2).string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace kv
