#include "world/CRectGrid.h"

#include "base/text/CExpression.h"
#include "base/text/CTokenizer.h"
#include "platform/Archive.h"
#include "platform/AtomicFile.h"
#include "platform/CLocale.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace kv {

namespace {

// The smallest grid record: its version alone.
constexpr uint64_t kMinGridRecordBytes = 4;

// Reads one number after an optional comma. False when it does not parse, is not a
// constant or does not fit (a value that could not be written back as a number).
bool ReadReal(CTokenizer& t, double& value)
{
    if (t.GetToken() == kTokComma)
        t.NextToken();
    value = ReadExpressionDouble(t);
    return !ExpressionError() && value != kExpressionFailed && std::isfinite(value);
}

bool ReadInteger(CTokenizer& t, int32_t& value)
{
    if (t.GetToken() == kTokComma)
        t.NextToken();
    value = ReadExpressionInt(t);
    return !ExpressionError() && value != kExpressionIntFailed;
}

int32_t ClampLevel(int32_t level)
{
    return std::clamp<int32_t>(level, CRectGrid::kMinLevel, CRectGrid::kMaxLevel);
}

} // namespace

// ---- RectInfo ----

RectInfo::RectInfo(const RectInfo& other)
    : show(other.show), colour(other.colour), latSpacing(other.latSpacing), lonSpacing(other.lonSpacing),
      west(other.west), north(other.north), east(other.east), south(other.south), lineWidth(other.lineWidth),
      altitude(other.altitude)
{
}

RectInfo& RectInfo::operator=(const RectInfo& other)
{
    show = other.show;
    colour = other.colour;
    latSpacing = other.latSpacing;
    lonSpacing = other.lonSpacing;
    west = other.west;
    north = other.north;
    east = other.east;
    south = other.south;
    lineWidth = other.lineWidth;
    altitude = other.altitude;
    return *this;
}

bool RectInfo::SameValues(const RectInfo& o) const
{
    return show == o.show && colour == o.colour && latSpacing == o.latSpacing && lonSpacing == o.lonSpacing &&
           west == o.west && north == o.north && east == o.east && south == o.south && lineWidth == o.lineWidth &&
           altitude == o.altitude;
}

void RectInfo::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kVersion << show << static_cast<int32_t>(colour) << latSpacing << lonSpacing << lineWidth;
        ar << west << north << east << south << altitude;
        return;
    }
    int32_t version = 0;
    ar >> version;
    if (version < 256)
        return;
    RectInfo loaded(*this);
    int32_t storedColour = 0;
    ar >> loaded.show >> storedColour >> loaded.latSpacing >> loaded.lonSpacing >> loaded.lineWidth;
    loaded.colour = static_cast<uint32_t>(storedColour);
    if (version > 256)
        ar >> loaded.west >> loaded.north >> loaded.east >> loaded.south >> loaded.altitude;
    *this = loaded;
}

int RectInfo::Parse(CTokenizer& t)
{
    if (t.GetToken() != kw::Grid)
        return -1;
    t.NextToken();
    RectInfo read;
    int32_t storedColour = 0;
    bool valid = ReadInteger(t, read.show);
    valid = ReadInteger(t, storedColour) && valid;
    valid = ReadReal(t, read.latSpacing) && valid;
    valid = ReadReal(t, read.lonSpacing) && valid;
    valid = ReadInteger(t, read.lineWidth) && valid;
    valid = ReadReal(t, read.altitude) && valid;
    read.colour = static_cast<uint32_t>(storedColour);

    if (t.GetToken() != kw::Effective)
        return -1;
    t.NextToken();
    valid = ReadReal(t, read.west) && valid;
    valid = ReadReal(t, read.north) && valid;
    valid = ReadReal(t, read.east) && valid;
    valid = ReadReal(t, read.south) && valid;

    while (t.GetToken() != kw::EndGrid) {
        if (t.GetToken() == kTokEnd)
            return -1;
        t.NextToken();
    }
    t.NextToken();
    // A block with a number that does not read is dropped whole.
    if (!valid)
        return -1;
    *this = read;
    return 0;
}

int RectInfo::Save(std::FILE* file, const CTokenizer& tokenizer) const
{
    if (file == nullptr)
        return -1;
    CLocaleScope cLocale;
    std::fprintf(file, "%s %d, %d, %0.5lf, %0.5lf, %d, %0.5lf\n", tokenizer.GetKeywordName(kw::Grid).c_str(), show,
                 static_cast<int32_t>(colour), latSpacing, lonSpacing, lineWidth, altitude);
    std::fprintf(file, "%s %0.5lf, %0.5lf, %0.5lf, %0.5lf\n", tokenizer.GetKeywordName(kw::Effective).c_str(), west,
                 north, east, south);
    std::fprintf(file, "%s\n", tokenizer.GetKeywordName(kw::EndGrid).c_str());
    std::fprintf(file, "\n");
    return std::ferror(file) ? -1 : 0;
}

// ---- CRectGrid ----

CRectGrid& CRectGrid::operator=(const CRectGrid& other)
{
    if (this == &other)
        return *this;
    shown = other.shown;
    polarEndcap = other.polarEndcap;
    subdivisionLevel = other.subdivisionLevel;
    adaptive = other.adaptive;
    AssignGrids(other.grids);
    return *this;
}

void CRectGrid::AssignGrids(const std::vector<RectInfo>& values)
{
    grids.resize(values.size());
    for (size_t i = 0; i < values.size(); ++i)
        grids[i] = values[i];
}

bool CRectGrid::SameValues(const CRectGrid& o) const
{
    if (shown != o.shown || polarEndcap != o.polarEndcap || subdivisionLevel != o.subdivisionLevel ||
        adaptive != o.adaptive || grids.size() != o.grids.size())
        return false;
    for (size_t i = 0; i < grids.size(); ++i)
        if (!grids[i].SameValues(o.grids[i]))
            return false;
    return true;
}

void CRectGrid::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kVersion << shown << polarEndcap << subdivisionLevel << adaptive << static_cast<int32_t>(grids.size());
        for (auto it = grids.rbegin(); it != grids.rend(); ++it)
            it->Serialize(ar);
        return;
    }
    int32_t version = 0;
    ar >> version;
    if (version < 256)
        return;
    int32_t storedShown = 0, storedLevel = 0, storedAdaptive = 0, count = 0;
    double storedEndcap = 0.0;
    ar >> storedShown >> storedEndcap >> storedLevel;
    if (version > 256)
        ar >> storedAdaptive;
    ar >> count;
    if (count < 0)
        CArchive::Throw(CArchiveException::badSchema, "negative grid count");
    ar.Require(static_cast<uint64_t>(count) * kMinGridRecordBytes);

    // The archive holds the grids last first: record k goes to element count - 1 - k. An
    // element that exists already is read over (a short record keeps its other values),
    // as when the list is resized and filled from the back.
    std::vector<RectInfo> loaded;
    loaded.reserve(std::min<size_t>(static_cast<size_t>(count), 1024));
    for (int32_t k = 0; k < count; ++k) {
        const size_t index = static_cast<size_t>(count - 1 - k);
        RectInfo grid = index < grids.size() ? grids[index] : RectInfo();
        grid.Serialize(ar);
        loaded.push_back(std::move(grid));
    }
    std::reverse(loaded.begin(), loaded.end());

    shown = storedShown;
    polarEndcap = storedEndcap;
    subdivisionLevel = ClampLevel(storedLevel);
    adaptive = storedAdaptive;
    AssignGrids(loaded);
}

int CRectGrid::Write(std::FILE* file, const CTokenizer& tokenizer) const
{
    if (file == nullptr)
        return -1;
    CLocaleScope cLocale;
    std::fprintf(file, "%s %d, %0.5lf, %d, %d\n\n", tokenizer.GetKeywordName(kw::RectGrid).c_str(), shown,
                 polarEndcap, subdivisionLevel, adaptive);
    int result = 0;
    for (const RectInfo& grid : grids)
        if (grid.Save(file, tokenizer) != 0)
            result = -1;
    std::fprintf(file, "%s\n", tokenizer.GetKeywordName(kw::EndRectGrid).c_str());
    return result != 0 || std::ferror(file) ? -1 : 0;
}

int CRectGrid::Save(const std::string& path) const
{
    AtomicFile file;
    if (!file.Open(path))
        return -1;
    CTokenizer tokenizer;
    if (Write(file.File(), tokenizer) != 0) {
        file.Discard();
        return -1;
    }
    return file.Commit() ? 0 : -1;
}

int CRectGrid::Load(const std::string& path)
{
    CTokenizer tokenizer;
    if (tokenizer.Open(path, false) != 0)
        return -1;
    const int result = Parse(tokenizer);
    tokenizer.Close();
    return result;
}

int CRectGrid::Parse(CTokenizer& t)
{
    if (t.GetToken() != kw::RectGrid)
        return -1;
    t.NextToken();
    int32_t readShown = 0, readLevel = 0, readAdaptive = 0;
    double readEndcap = 0.0;
    if (!ReadInteger(t, readShown) || !ReadReal(t, readEndcap) || !ReadInteger(t, readLevel) ||
        !ReadInteger(t, readAdaptive))
        return -1;

    std::vector<RectInfo> read;
    for (bool reading = true; reading;) {
        switch (t.GetToken()) {
        case kTokEnd:
            reading = false;
            break;
        case kw::Grid: {
            RectInfo grid;
            if (grid.Parse(t) == 0)
                read.push_back(grid);
            break;
        }
        case kw::EndRectGrid:
            t.NextToken();
            reading = false;
            break;
        default:
            t.NextToken();
            break;
        }
    }
    shown = readShown;
    polarEndcap = readEndcap;
    subdivisionLevel = ClampLevel(readLevel);
    adaptive = readAdaptive;
    grids = std::move(read);
    return 0;
}

} // namespace kv
