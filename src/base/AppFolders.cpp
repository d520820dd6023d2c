#include "base/AppFolders.h"

#include "base/AppSettings.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <unistd.h>
#include <vector>

#ifndef KV_PRODUCT_VERSION
#define KV_PRODUCT_VERSION "0, 0, 0, 0"
#endif

namespace kv {

namespace {

constexpr const char* kSection = "Settings";

std::string WithSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string SubFolder(const AppSettings& p, const char* key, const char* name)
{
    const std::string value = p.GetString(kSection, key, std::string());
    return value.empty() ? GetInstallDir(p) + name : WithSlash(value);
}

} // namespace

std::string ProgramPath()
{
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return std::string();
        if (static_cast<size_t>(n) < buffer.size())
            return std::string(buffer.data(), static_cast<size_t>(n));
        if (buffer.size() >= (1u << 20))
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

std::string GetInstallDir(const AppSettings& profile, const std::string& programPath)
{
    const std::string install = profile.GetString(kSection, "Install", std::string());
    if (!install.empty())
        return WithSlash(install);
    const size_t slash = programPath.rfind('/');
    if (programPath.empty() || slash == std::string::npos)
        return "./";
    std::string folder = programPath.substr(0, slash + 1);
    const std::string lower = Lower(folder);
    for (const char* build : {"/debug/", "/release/"}) {
        const size_t at = lower.find(build);
        if (at != std::string::npos && at > 0) {
            folder.resize(at + 1);
            break;
        }
    }
    return folder;
}

std::string GetInstallDir(const AppSettings& profile) { return GetInstallDir(profile, ProgramPath()); }
std::string GetColorsDir(const AppSettings& p) { return SubFolder(p, "Colors", "Coloring/"); }
std::string GetWorldsDir(const AppSettings& p) { return SubFolder(p, "Worlds", "Worlds/"); }
std::string GetExportDir(const AppSettings& p) { return SubFolder(p, "Export", "Export/"); }
std::string GetScriptsDir(const AppSettings& p) { return SubFolder(p, "Scripts", "Scripts/"); }

int ParseProductVersion(const char* text)
{
    if (!text)
        return -1;
    int a = 0, b = 0, c = 0, d = 0;
    if (std::sscanf(text, "%d, %d, %d, %d", &a, &b, &c, &d) != 4) {
        a = 1;
        b = c = d = 0;
    }
    const unsigned packed = (static_cast<unsigned>(a & 0xFF) << 24) | (static_cast<unsigned>(b & 0xFF) << 16) |
                            (static_cast<unsigned>(c & 0xFF) << 8) | static_cast<unsigned>(d & 0xFF);
    return static_cast<int>(packed);
}

int GetProductVersion() { return ParseProductVersion(KV_PRODUCT_VERSION); }

} // namespace kv
