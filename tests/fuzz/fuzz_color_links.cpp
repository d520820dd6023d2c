// The colour link archive: a record either loads whole, and then stores and loads back to
// the same bytes, or raises the archive error with the store unchanged.
#include "document/ColorLinks.h"
#include "platform/Archive.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    kv::ColorLinks& links = kv::ColorLinks::GetInstance();
    links.groups.assign(1, kv::ColorLinkEntryList());
    links.groups[0].name = "kept";
    try {
        kv::CArchive ar(data, size);
        links.Serialize(ar);
    } catch (const kv::CArchiveException&) {
        if (links.groups.size() != 1 || links.groups[0].name != "kept")
            std::abort();
        return 0;
    }
    std::vector<uint8_t> a, b;
    {
        kv::CArchive ar(a, kv::CArchive::store);
        links.Serialize(ar);
    }
    {
        kv::CArchive in(a.data(), a.size());
        links.Serialize(in);
        kv::CArchive ar(b, kv::CArchive::store);
        links.Serialize(ar);
    }
    if (a != b)
        std::abort();
    return 0;
}
