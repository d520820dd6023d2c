// Contour levels of the drawing export: the style of one level (ContourDef) and the
// ordered list of levels an export definition keeps (ContourList).
//
// Archive forms (little-endian):
//   ContourDef:  int32 256, double altitude, the eleven style integers in member order,
//                the name as an archived string (57 bytes at the least).
//   ContourList: int32 256, int32 count, then each ContourDef.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kv {

class CArchive;

class ContourDef {
public:
    static constexpr int32_t kVersion = 256;
    // The smallest archived level: version, altitude, eleven integers, an empty name.
    static constexpr uint64_t kMinArchiveBytes = 4 + 8 + 11 * 4 + 1;

    // Stores, or loads when the archive loads: a block of another version reads nothing
    // more and leaves the level as it was.
    void Serialize(CArchive& ar);
    // Opens the contour style editor on the eleven integers; on OK they are taken back.
    // The editor's result (1 for OK, 2 cancelled).
    int Edit();
    // The eleven integer members of `other` (not altitude or name).
    void CopyStyle(const ContourDef& other);

    bool operator==(const ContourDef&) const = default;

    double altitude = 0.0;
    int32_t lineOn = 0;
    int32_t lineColorAuto = 1;
    int32_t lineColor = 0;      // 0x00BBGGRR when lineColorAuto is 0
    int32_t reserved1 = 0;
    int32_t fillOn = 1;
    int32_t fillColorAuto = 0;
    int32_t fillColor = 0;      // 0x00BBGGRR
    int32_t fillStyle = 1;      // 1 solid, other values hatched
    int32_t penWidth = 0;       // hundredths of a millimetre
    int32_t labelOption1 = 0;
    int32_t labelOption2 = 0;
    std::string name;
};

// The contour style dialog. The shell installs one; without it every edit is cancelled.
class ContourStyleEditor {
public:
    static constexpr int kOk = 1;
    static constexpr int kCancel = 2;
    virtual ~ContourStyleEditor() = default;
    // Edits `style` in place (only the integer members count); kOk or kCancel.
    virtual int Edit(ContourDef& style) = 0;
};
// Installs `editor` (null: none) and returns the previous one.
ContourStyleEditor* SetContourStyleEditor(ContourStyleEditor* editor);

// "Hairline (0.10 mm)" ... "Heavy (2.50 mm)": the dialogs' name of a pen width given in
// hundredths of a millimetre.
std::string PenWidthLabel(int width);

// Levels in ascending altitude; the list owns its entries (copies are deep).
class ContourList {
public:
    static constexpr int32_t kVersion = 256;

    ContourList() = default;
    ContourList(const ContourList& other) { Assign(other); }
    ContourList& operator=(const ContourList& other)
    {
        Assign(other);
        return *this;
    }
    ContourList(ContourList&&) noexcept = default;
    ContourList& operator=(ContourList&&) noexcept = default;

    int Count() const { return static_cast<int>(m_items.size()); }
    ContourDef* At(int index) const { return m_items[static_cast<std::size_t>(index)].get(); }

    // Loading empties the list first; a block of another version leaves it empty. A count
    // below 0 or larger than the bytes left can hold raises the archive error before
    // anything is allocated.
    void Serialize(CArchive& ar);
    // Deletes every entry; how many there were.
    int Clear();
    // A deep copy of `other`'s entries in order; nothing when `other` is this list.
    void Assign(const ContourList& other);
    // Inserts before the first entry whose altitude is at least def's (at the end when
    // none is); 0.
    int InsertSorted(const ContourDef& def);
    // Appends at the end (file order).
    void Append(const ContourDef& def);
    // From `start` on, the first entry within `tolerance` of `altitude` (0.01 when the
    // tolerance is negative); -1 when none or when start is negative.
    int FindLevel(double altitude, double tolerance, int start) const;
    // Deletes every entry with low <= altitude <= high; how many.
    int RemoveRange(double low, double high);
    // Deletes every entry within `tolerance` of from, from + step, ... (not beyond `to`);
    // a step that is not positive (or not a number) tests `from` alone. How many.
    int RemoveSteps(double from, double to, double step, double tolerance);

    bool SameValues(const ContourList& other) const;

private:
    std::vector<std::unique_ptr<ContourDef>> m_items;
};

} // namespace kv
