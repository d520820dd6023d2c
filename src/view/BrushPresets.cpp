#include "view/BrushPresets.h"

#include "base/AppFolders.h"
#include "base/AppSettings.h"
#include "platform/CLocale.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace kv {

namespace {

constexpr const char* kSection = "Settings";
constexpr const char* kDirKey = "PresetDir";
constexpr const char* kNameKey = "PresetName";

std::string WithSlash(std::string folder)
{
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\')
        folder += '/';
    return folder;
}

bool IsPresetFile(const std::filesystem::directory_entry& entry)
{
    std::error_code ec;
    if (!entry.is_regular_file(ec))
        return false;
    std::string ext = entry.path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".brs";
}

} // namespace

std::string BrushPresetFolder(const AppSettings& profile)
{
    const std::string folder = profile.GetString(kSection, kDirKey, "");
    return WithSlash(folder.empty() ? GetInstallDir(profile) : folder);
}

std::string BrushPresetName(const AppSettings& profile) { return profile.GetString(kSection, kNameKey, ""); }

void StoreBrushPresetChoice(const AppSettings& profile, const std::string& folder, const std::string& name)
{
    profile.WriteString(kSection, kDirKey, folder);
    profile.WriteString(kSection, kNameKey, name);
}

std::vector<std::string> ListBrushPresets(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (IsPresetFile(*it))
            names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string BrushPresetPath(const std::string& folder, const std::string& name) { return WithSlash(folder) + name; }

std::string UntitledBrushPresetPath(const std::string& folder)
{
    for (int n = 1;; ++n) {
        const std::string path = WithSlash(folder) + FormatC("Untitled-%d.brs", n);
        std::error_code ec;
        if (!std::filesystem::exists(path, ec))
            return path;
    }
}

int LoadBrushPreset(const std::string& path, BrushSettings& settings, std::string& error)
{
    const int result = ReadBrushFile(path, settings);
    if (result == -1)
        error = "Error opening brush definition " + path;
    else if (result != 0)
        error = "Error reading brush definition " + path;
    return result;
}

int SaveBrushPreset(const std::string& path, const BrushSettings& settings, std::string& error)
{
    if (WriteBrushFile(path, settings) == 0)
        return 0;
    error = "Error writing brush definition " + path;
    return -1;
}

} // namespace kv
