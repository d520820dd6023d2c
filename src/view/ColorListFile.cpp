#include "view/ColorListFile.h"

#include "base/color/CColorList.h"
#include "platform/Archive.h"
#include "platform/AtomicFile.h"

#include <cstdio>

namespace kv {

int LoadColorListFile(const std::string& path, CColorList& list)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return -1;
    int result = 0;
    try {
        CArchive ar(file, CArchive::load);
        list.Serialize(ar);  // a damaged record leaves the list as it was
    } catch (const CArchiveException&) {
        result = -2;
    }
    std::fclose(file);
    return result;
}

int SaveColorListFile(const std::string& path, const CColorList& list)
{
    AtomicFile out;
    if (!out.Open(path))
        return -1;
    try {
        CArchive ar(out.File(), CArchive::store);
        // Storing leaves the list unchanged; a copy would drop the stop names.
        const_cast<CColorList&>(list).Serialize(ar);
        ar.Flush();
    } catch (const CArchiveException&) {
        return -2;
    }
    return out.Commit() ? 0 : -2;
}

} // namespace kv
