// Saved views: named projection states that the user stores with Add View and recalls from
// the saved-views window. The list belongs to the first view's settings and travels in the
// view block of the world file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kv {

class CArchive;

class CViewInfo {
public:
    static constexpr int32_t kArchiveVersion = 256;
    // Bytes of the smallest block (version, three empty strings, six doubles, shader id).
    static constexpr uint64_t kMinArchiveBytes = 4 + 3 + 6 * 8 + 4;

    // A block of another version is the archive error (its layout is unknown); the object
    // changes only when the whole block reads.
    void Serialize(CArchive& ar);

    bool operator==(const CViewInfo&) const = default;

    std::string name;
    std::string projectionName;
    std::string third; // empty when stored from a view
    double centerLatitude = 0.0;
    double centerLongitude = 0.0;
    double offsetX = 0.0;
    double offsetY = 0.0;
    double scale = 1.0;
    double extra = 1.0;
    int32_t shaderId = 0;
};

// The saved views in list order; each keeps its address while it is in the list (windows
// hold them as item data).
class CViewInfoList {
public:
    static constexpr int32_t kArchiveVersion = 256;

    CViewInfoList() = default;
    CViewInfoList(const CViewInfoList& other) { *this = other; }
    CViewInfoList& operator=(const CViewInfoList& other);
    CViewInfoList(CViewInfoList&&) = default;
    CViewInfoList& operator=(CViewInfoList&&) = default;

    int Count() const { return static_cast<int>(m_items.size()); }
    CViewInfo* At(int index) const { return m_items[static_cast<std::size_t>(index)].get(); }
    CViewInfo* Add(const CViewInfo& info);
    // Removes and frees the entry; false when it is not in the list.
    bool Remove(const CViewInfo* info);
    void RemoveAll() { m_items.clear(); }

    // Loading empties the list first; a list block of another version is the archive
    // error. The count is checked against the bytes left (kMinArchiveBytes an entry)
    // before anything is allocated.
    void Serialize(CArchive& ar);

private:
    std::vector<std::unique_ptr<CViewInfo>> m_items;
};

} // namespace kv
