#include "base/FileList.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace kv {

namespace {

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

} // namespace

std::vector<ListedFile> ListFilesWithExtension(const std::string& folder, const std::string& extension)
{
    namespace fs = std::filesystem;
    std::vector<ListedFile> out;
    const std::string suffix = Lower("." + extension);
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec);
    if (ec)
        return out;
    for (const fs::directory_entry& entry : it) {
        std::error_code typeError;
        if (!entry.is_regular_file(typeError))
            continue;
        const std::string file = entry.path().filename().string();
        const std::string lower = Lower(file);
        if (lower.size() <= suffix.size() || lower.compare(lower.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        size_t cut = lower.find(suffix);
        if (cut == 0)
            cut = lower.find(suffix, 1);
        out.push_back(ListedFile{file.substr(0, cut), file});
    }
    std::sort(out.begin(), out.end(), [](const ListedFile& a, const ListedFile& b) {
        return a.name != b.name ? a.name < b.name : a.fileName < b.fileName;
    });
    return out;
}

} // namespace kv
