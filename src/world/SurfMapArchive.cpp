// The binary record of the world surface inside the world document.
//
// Version 271 is written; every version from 256 on is read, later items only when the
// stored version is new enough. A record is read completely into local values before
// anything of the world changes, so a refused record (the archive error) leaves the world
// as it was.
#include "world/SurfMap.h"

#include "platform/Archive.h"
#include "base/grid/GridFilters.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace kv {

namespace {

constexpr int32_t kGridRecordVersion = 257;
constexpr int32_t kCellSize = 4;
constexpr int kClimateListFloor = 16; // the climate list always reaches this entry after a read

// The order of the first four grid records: channel 3 comes before channel 2.
constexpr int kFirstGridOrder[4] = {kChannelRoughness, kChannelLandOffset, kChannelTemperature, kChannelRainfall};


// ---- grid records ----

void WriteGridRecord(CArchive& ar, const Grid2D* grid, int gridWidth, int gridHeight)
{
    if (grid == nullptr) {
        // A record without cells: the reader keeps (or makes) the channel itself.
        ar << kGridRecordVersion << static_cast<int32_t>(gridWidth) << static_cast<int32_t>(gridHeight) << kCellSize
           << int32_t{0};
        return;
    }
    const auto w = static_cast<int32_t>(grid->Width());
    const auto h = static_cast<int32_t>(grid->Height());
    ar << kGridRecordVersion << w << h << kCellSize << static_cast<int32_t>(grid->ByteCount());
    std::vector<uint8_t> bytes(grid->Width() * kCellSize);
    for (std::size_t r = 0; r < grid->Height(); ++r) {
        const float* row = grid->Row<float>(r);
        for (std::size_t c = 0; c < grid->Width(); ++c) {
            uint32_t bits;
            std::memcpy(&bits, &row[c], sizeof bits);
            for (int k = 0; k < 4; ++k)
                bytes[c * 4 + static_cast<std::size_t>(k)] = static_cast<uint8_t>(bits >> (8 * k));
        }
        ar.Write(bytes.data(), bytes.size());
    }
}

// Reads one grid record. Null for a record without cells (byte count 0); the archive
// error for sizes outside what a channel grid can be, a byte count that is not
// width x height x 4, or more cells than the archive holds. Nothing is allocated before
// the sizes have been checked.
Grid2DPtr ReadGridRecord(CArchive& ar)
{
    int32_t version = 0, w = 0, h = 0, elementSize = 0, byteCount = 0;
    ar >> version >> w >> h >> elementSize >> byteCount;
    (void)version;
    (void)elementSize;
    if (byteCount == 0)
        return nullptr;
    if (w < SurfMap::kMinGridWidth || w > SurfMap::kMaxGridWidth || h < 2 || h > SurfMap::kMaxGridWidth)
        CArchive::Throw(CArchiveException::badIndex, "channel grid record has impossible sides");
    if (static_cast<int64_t>(w) * h * kCellSize != byteCount)
        CArchive::Throw(CArchiveException::badIndex, "channel grid record byte count does not match its sides");
    ar.Require(static_cast<uint64_t>(byteCount));
    Grid2DPtr grid = Alloc2D(static_cast<std::size_t>(w), static_cast<std::size_t>(h), sizeof(float));
    if (!grid)
        CArchive::Throw(CArchiveException::generic, "not enough memory for a channel grid");
    std::vector<uint8_t> bytes(static_cast<std::size_t>(w) * kCellSize);
    for (std::size_t r = 0; r < grid->Height(); ++r) {
        ar.ReadExact(bytes.data(), bytes.size());
        float* row = grid->Row<float>(r);
        for (std::size_t c = 0; c < grid->Width(); ++c) {
            const uint8_t* b = &bytes[c * 4];
            const uint32_t bits = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                                  static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
            std::memcpy(&row[c], &bits, sizeof bits);
        }
    }
    return grid;
}

Grid2DPtr FilledGrid(int w, int h, float value)
{
    Grid2DPtr grid = Alloc2D(static_cast<std::size_t>(w), static_cast<std::size_t>(h), sizeof(float));
    if (!grid)
        CArchive::Throw(CArchiveException::generic, "not enough memory for a channel grid");
    if (value != 0.0f) {
        float* p = grid->DataAs<float>();
        std::fill(p, p + grid->CellCount(), value);
    }
    return grid;
}

// A copy of `grid` at w x h. Codes (the climate channel) take the nearest cell along
// each axis, so no code between two painted ones is made up; values are interpolated.
Grid2DPtr ResampledCopy(const Grid2D& grid, int w, int h, bool nearest)
{
    Grid2DPtr out;
    if (nearest) {
        out = Alloc2D(static_cast<std::size_t>(w), static_cast<std::size_t>(h), sizeof(float));
        if (out) {
            // Same positions as the interpolating resize: new cell j at j (old - 1) / (new - 1).
            auto nearestIndex = [](int j, int oldSize, int newSize) {
                const double x = static_cast<double>(j) * (oldSize - 1) / (newSize - 1);
                return std::clamp(static_cast<int>(x + 0.5), 0, oldSize - 1);
            };
            const int oldW = static_cast<int>(grid.Width()), oldH = static_cast<int>(grid.Height());
            std::vector<int> cols(static_cast<std::size_t>(w));
            for (int c = 0; c < w; ++c)
                cols[static_cast<std::size_t>(c)] = nearestIndex(c, oldW, w);
            for (int r = 0; r < h; ++r) {
                const float* from = grid.Row<float>(static_cast<std::size_t>(nearestIndex(r, oldH, h)));
                float* to = out->Row<float>(static_cast<std::size_t>(r));
                for (int c = 0; c < w; ++c)
                    to[c] = from[cols[static_cast<std::size_t>(c)]];
            }
        }
    } else {
        out = Clone2D(&grid);
        if (out && ResizeFloatGrid(out, w, h) != kFilterOk)
            out.reset();
    }
    if (!out)
        CArchive::Throw(CArchiveException::generic, "not enough memory to resample a channel grid");
    return out;
}

// Everything a record may change, read before any of it is stored in the world.
struct LoadedWorld {
    int32_t basisId = 0, seed = 0, shapingOn = 0;
    double H = 0, lacunarity = 0, octaves = 0;
    double extras[kTexExtraCount] = {};
    double origin[3] = {}, scale[3] = {};
    double waterPercent = 0, shelfAltitude = 0;
    double maxAltitude = 0, minAltitude = 0, landSize = 0, circumference = 0;
    std::string name;
    int32_t surfaceType = 0, secondSurfaceMode = 0;
    double climateDoubles[ClimateParms::kModelDoubleCount] = {};
    double axisLongitude = 0, axisLatitude = 0;
    double exponentAbove = 0, exponentBelow = 0;
    int32_t mirrorLatitude = 0, mirrorLongitude = 0, randomOrigin = 0;
    int32_t axisRotate = 0, axisShiftsGrids = 0, sphericalMapping = 0, rasterMode = 0, prescaleEnabled = 0;
    int gridWidth = 0, gridHeight = 0;
    Grid2DPtr grids[kChannelGridCount];
};

void StoreWorld(SurfMap& world, CArchive& ar)
{
    const TexParms& p = world.sourceParms;
    ar << SurfMap::kArchiveVersion << static_cast<int32_t>(world.basisId) << static_cast<int32_t>(p.seed);
    ar << p.H << p.lacunarity << p.octaves << p.extras[0] << p.extras[1];
    ar << world.originX << world.originY << world.originZ << world.scaleX << world.scaleY << world.scaleZ;
    ar << world.waterPercent << world.shelfAltitude << static_cast<int32_t>(world.shapingOn);
    ar << world.maxAltitude << world.minAltitude << world.landSize << world.circumference;
    ar << world.name;
    const bool haveGrids = world.grids[kChannelRoughness] != nullptr;
    ar << static_cast<int32_t>(haveGrids ? 1 : 0);
    if (haveGrids)
        for (int ch : kFirstGridOrder)
            WriteGridRecord(ar, world.grids[ch].get(), world.gridWidth, world.gridHeight);
    ar << static_cast<int32_t>(world.surfaceType) << static_cast<int32_t>(world.secondSurfaceMode);
    world.surface1.Serialize(ar);
    world.surface2.Serialize(ar);
    WriteGridRecord(ar, world.grids[kChannelWaterLevel].get(), world.gridWidth, world.gridHeight);
    WriteGridRecord(ar, world.grids[kChannelClimate].get(), world.gridWidth, world.gridHeight);
    for (int i = 0; i < ClimateParms::kModelDoubleCount; ++i)
        ar << world.climate.GetModelDouble(i);
    const CColorList& classColours = world.climate.ClimateList();
    ar << static_cast<int32_t>(classColours.GetSize());
    for (int i = 0; i < classColours.GetSize(); ++i)
        ar << classColours.Stop(i).Color();
    ar << world.axisLongitude << world.axisLatitude;
    ar << world.exponentAbove << world.exponentBelow;
    ar << static_cast<int32_t>((world.mirrorLatitude ? 1 : 0) | (world.randomOrigin ? 2 : 0));
    ar << static_cast<int32_t>(world.mirrorLongitude ? 1 : 0);
    world.climate.TemperatureList().Serialize(ar);
    world.climate.RainfallList().Serialize(ar);
    for (int i = 2; i < kTexExtraCount; ++i)
        ar << p.extras[i];
    ar << static_cast<int32_t>(world.axisRotate) << static_cast<int32_t>(world.axisShiftsGrids)
       << static_cast<int32_t>(world.sphericalMapping) << static_cast<int32_t>(world.rasterMode)
       << static_cast<int32_t>(world.prescaleEnabled);
    if (world.prescaleEnabled)
        WriteGridRecord(ar, world.grids[kChannelPrescale].get(), world.gridWidth, world.gridHeight);
}

// Takes a grid record's grid for `channel`; its size becomes the world's grid size.
void TakeGrid(LoadedWorld& in, int channel, Grid2DPtr grid)
{
    in.gridWidth = static_cast<int>(grid->Width());
    in.gridHeight = static_cast<int>(grid->Height());
    in.grids[channel] = std::move(grid);
}

void LoadWorld(SurfMap& world, CArchive& ar)
{
    int32_t version = 0;
    ar >> version;
    if (version < 256)
        return;

    LoadedWorld in;
    const TexParms& p = world.sourceParms;
    in.gridWidth = world.gridWidth;
    in.gridHeight = world.gridHeight;

    ar >> in.basisId >> in.seed;
    ar >> in.H >> in.lacunarity >> in.octaves >> in.extras[0] >> in.extras[1];
    std::copy(p.extras + 2, p.extras + kTexExtraCount, in.extras + 2);
    ar >> in.origin[0] >> in.origin[1] >> in.origin[2] >> in.scale[0] >> in.scale[1] >> in.scale[2];
    ar >> in.waterPercent >> in.shelfAltitude >> in.shapingOn;
    ar >> in.maxAltitude >> in.minAltitude >> in.landSize >> in.circumference;
    ar >> in.name;
    int32_t haveGrids = 0;
    ar >> haveGrids;
    if (haveGrids != 0)
        for (int ch : kFirstGridOrder)
            if (Grid2DPtr grid = ReadGridRecord(ar))
                TakeGrid(in, ch, std::move(grid));

    in.surfaceType = world.surfaceType;
    in.secondSurfaceMode = world.secondSurfaceMode;
    CISurf surface1(world.surface1), surface2(world.surface2);
    if (version > 256) {
        ar >> in.surfaceType >> in.secondSurfaceMode;
        surface1.Serialize(ar);
        surface2.Serialize(ar);
    }
    if (version > 257) {
        const int channels[2] = {kChannelWaterLevel, kChannelClimate};
        for (int ch : channels) {
            if (Grid2DPtr grid = ReadGridRecord(ar))
                TakeGrid(in, ch, std::move(grid));
            else
                in.grids[ch] = FilledGrid(in.gridWidth, in.gridHeight, world.ResetValue(ch));
        }
    }

    for (int i = 0; i < ClimateParms::kModelDoubleCount; ++i)
        in.climateDoubles[i] = world.climate.GetModelDouble(i);
    if (version >= 259)
        for (double& v : in.climateDoubles)
            ar >> v;

    bool haveClassColours = false;
    CColorList classColours;
    if (version > 259) {
        int32_t count = 0;
        ar >> count;
        if (count > CColorList::kMaxArchivedStops)
            CArchive::Throw(CArchiveException::badIndex, "climate colours have an impossible count");
        if (count >= 0) {
            ar.Require(static_cast<uint64_t>(count) * 4u);
            classColours = world.climate.ClimateList(); // keeps its mode and exponent
            classColours.RemoveAll();
            classColours.SetAt(kClimateListFloor, 0);
            for (int32_t i = 0; i < count; ++i) {
                uint32_t colour = 0;
                ar >> colour;
                // 0x00BBGGRR, as the document's other copies of these colours load
                classColours.SetAt(i, colour & 0xFFFFFFu);
            }
            haveClassColours = true;
        }
    }

    in.axisLongitude = world.axisLongitude;
    in.axisLatitude = world.axisLatitude;
    if (version > 260)
        ar >> in.axisLongitude >> in.axisLatitude;
    in.exponentAbove = world.exponentAbove;
    in.exponentBelow = world.exponentBelow;
    if (version > 261)
        ar >> in.exponentAbove >> in.exponentBelow;
    in.randomOrigin = world.randomOrigin;
    if (version >= 263) {
        int32_t flags = 0;
        ar >> flags >> in.mirrorLongitude;
        in.mirrorLatitude = flags & 1;
        in.randomOrigin = (flags >> 1) & 1;
        in.mirrorLongitude &= 1;
    }

    bool haveLists = false;
    CColorList temperatureList, rainfallList;
    if (version > 263) {
        temperatureList.Serialize(ar);
        rainfallList.Serialize(ar);
        haveLists = true;
    }
    if (version >= 265)
        for (int i = 2; i < kTexExtraCount; ++i)
            ar >> in.extras[i];
    in.axisRotate = world.axisRotate;
    in.axisShiftsGrids = world.axisShiftsGrids;
    in.sphericalMapping = world.sphericalMapping;
    in.rasterMode = world.rasterMode;
    in.prescaleEnabled = world.prescaleEnabled;
    if (version > 265)
        ar >> in.axisRotate;
    if (version > 266)
        ar >> in.axisShiftsGrids;
    if (version > 267)
        ar >> in.sphericalMapping;
    if (version > 268)
        ar >> in.rasterMode;
    if (version > 269)
        ar >> in.prescaleEnabled;
    if (version > 270 && in.prescaleEnabled) {
        if (Grid2DPtr grid = ReadGridRecord(ar))
            TakeGrid(in, kChannelPrescale, std::move(grid));
        else
            in.grids[kChannelPrescale] = FilledGrid(in.gridWidth, in.gridHeight, 0.0f);
    }

    // Every channel at the loaded size: grids kept from before (an old record has no
    // channels 4 to 6) or loaded at another size are resampled, missing ones made. This
    // happens before the world changes, so running out of memory here changes nothing.
    for (int ch = 0; ch < kChannelGridCount; ++ch) {
        const Grid2D* grid = in.grids[ch] ? in.grids[ch].get() : world.grids[ch].get();
        if (grid == nullptr) {
            if (ch == kChannelPrescale && !in.prescaleEnabled)
                continue;
            in.grids[ch] = FilledGrid(in.gridWidth, in.gridHeight, world.ResetValue(ch));
            continue;
        }
        if (static_cast<int>(grid->Width()) != in.gridWidth || static_cast<int>(grid->Height()) != in.gridHeight)
            in.grids[ch] = ResampledCopy(*grid, in.gridWidth, in.gridHeight, ch == kChannelClimate);
    }

    // Nothing below raises the archive error: the record is stored.
    TexParms& out = world.sourceParms;
    world.basisId = in.basisId;
    out.seed = in.seed;
    out.H = in.H;
    if (SurfMap::UsableLacunarity(in.lacunarity))
        out.lacunarity = in.lacunarity;
    out.octaves = in.octaves;
    std::copy(in.extras, in.extras + kTexExtraCount, out.extras);
    world.originX = in.origin[0];
    world.originY = in.origin[1];
    world.originZ = in.origin[2];
    world.scaleX = in.scale[0];
    world.scaleY = in.scale[1];
    world.scaleZ = in.scale[2];
    world.waterPercent = in.waterPercent;
    world.shelfAltitude = in.shelfAltitude;
    world.shapingOn = in.shapingOn;
    world.maxAltitude = in.maxAltitude;
    world.minAltitude = in.minAltitude;
    world.landSize = in.landSize;
    world.circumference = in.circumference;
    world.name = std::move(in.name);
    world.surfaceType = in.surfaceType;
    world.secondSurfaceMode = in.secondSurfaceMode;
    if (version > 256) {
        world.surface1 = surface1;
        world.surface2 = surface2;
    }
    for (int i = 0; i < ClimateParms::kModelDoubleCount; ++i)
        world.climate.SetModelDouble(i, in.climateDoubles[i]);
    if (haveClassColours)
        world.climate.ClimateList() = std::move(classColours);
    world.axisLongitude = in.axisLongitude;
    world.axisLatitude = in.axisLatitude;
    world.exponentAbove = in.exponentAbove;
    world.exponentBelow = in.exponentBelow;
    world.mirrorLatitude = in.mirrorLatitude;
    world.mirrorLongitude = in.mirrorLongitude;
    world.randomOrigin = in.randomOrigin;
    if (haveLists) {
        world.climate.TemperatureList() = std::move(temperatureList);
        world.climate.RainfallList() = std::move(rainfallList);
    }
    world.axisRotate = in.axisRotate;
    world.axisShiftsGrids = in.axisShiftsGrids;
    world.sphericalMapping = in.sphericalMapping;
    world.rasterMode = in.rasterMode;
    world.prescaleEnabled = in.prescaleEnabled;
    for (int ch = 0; ch < kChannelGridCount; ++ch)
        if (in.grids[ch])
            world.grids[ch] = std::move(in.grids[ch]);
    world.gridWidth = in.gridWidth;
    world.gridHeight = in.gridHeight;
    world.selection.Create(world.gridWidth, world.gridHeight);
}

} // namespace

void SurfMap::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
        StoreWorld(*this, ar);
    else
        LoadWorld(*this, ar);
}

} // namespace kv
