#include "view/SavedViewExport.h"

#include <algorithm>

namespace kv {

std::string ViewFileName(const std::string& name)
{
    std::string file = name;
    std::replace(file.begin(), file.end(), '/', '_');
    std::replace(file.begin(), file.end(), '\\', '_');
    if (file.find_first_not_of('.') == std::string::npos)
        file = std::string(std::max<size_t>(file.size(), 1), '_');
    return file;
}

std::string ViewFileBase(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return ViewFileName(name);
    return folder.back() == '/' ? folder + ViewFileName(name) : folder + "/" + ViewFileName(name);
}

} // namespace kv
