#include "document/CViewInfo.h"

#include "platform/Archive.h"

#include <algorithm>

namespace kv {

void CViewInfo::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kArchiveVersion << name << projectionName << third;
        ar << centerLatitude << centerLongitude << offsetX << offsetY << scale << extra;
        ar << shaderId;
        return;
    }
    int32_t version = 0;
    ar >> version;
    // Another version has another layout: reading on would misalign every later field.
    if (version != kArchiveVersion)
        CArchive::Throw(CArchiveException::badSchema, "saved view: unknown version");
    // Read whole before anything changes.
    CViewInfo read;
    ar >> read.name >> read.projectionName >> read.third;
    ar >> read.centerLatitude >> read.centerLongitude >> read.offsetX >> read.offsetY >> read.scale >> read.extra;
    ar >> read.shaderId;
    *this = std::move(read);
}

CViewInfoList& CViewInfoList::operator=(const CViewInfoList& other)
{
    if (this == &other)
        return *this;
    std::vector<std::unique_ptr<CViewInfo>> items;
    items.reserve(other.m_items.size());
    for (const auto& item : other.m_items)
        items.push_back(std::make_unique<CViewInfo>(*item));
    m_items = std::move(items);
    return *this;
}

CViewInfo* CViewInfoList::Add(const CViewInfo& info)
{
    m_items.push_back(std::make_unique<CViewInfo>(info));
    return m_items.back().get();
}

bool CViewInfoList::Remove(const CViewInfo* info)
{
    auto it = std::find_if(m_items.begin(), m_items.end(), [info](const auto& p) { return p.get() == info; });
    if (it == m_items.end())
        return false;
    m_items.erase(it);
    return true;
}

void CViewInfoList::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kArchiveVersion << static_cast<int32_t>(m_items.size());
        for (const auto& item : m_items)
            item->Serialize(ar);
        return;
    }
    m_items.clear();
    int32_t version = 0;
    ar >> version;
    if (version != kArchiveVersion)
        CArchive::Throw(CArchiveException::badSchema, "saved views: unknown list version");
    int32_t count = 0;
    ar >> count;
    // Every entry takes at least the smallest block; a count the bytes left cannot hold is
    // a damaged block, refused before anything is made.
    if (count < 0)
        CArchive::Throw(CArchiveException::badIndex, "saved views: negative count");
    ar.Require(static_cast<uint64_t>(count) * CViewInfo::kMinArchiveBytes);
    std::vector<std::unique_ptr<CViewInfo>> items;
    for (int32_t i = 0; i < count; ++i) {
        auto item = std::make_unique<CViewInfo>();
        item->Serialize(ar);
        items.push_back(std::move(item));
    }
    m_items = std::move(items);
}

} // namespace kv
