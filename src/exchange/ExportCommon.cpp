#include "exchange/ExportCommon.h"

namespace kv {

namespace {

// The position of the extension's ".", or npos.
size_t ExtensionDot(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.rfind('.');
    return dot != std::string::npos && dot > nameStart ? dot : std::string::npos;
}

} // namespace

std::string CutExtension(const std::string& path)
{
    const size_t dot = ExtensionDot(path);
    return dot == std::string::npos ? path : path.substr(0, dot);
}

std::string PathExtension(const std::string& path)
{
    const size_t dot = ExtensionDot(path);
    return dot == std::string::npos ? std::string() : path.substr(dot);
}

std::string FileNamePart(const std::string& path)
{
    std::string name = path;
    size_t cut = name.rfind('\\');
    if (cut != std::string::npos)
        name = name.substr(cut + 1);
    cut = name.rfind('/');
    if (cut != std::string::npos)
        name = name.substr(cut + 1);
    return name;
}

} // namespace kv
