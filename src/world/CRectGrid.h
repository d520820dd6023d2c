// Latitude/longitude grids drawn over the map.
//
// A CRectGrid is a list of graticules (RectInfo: parallels and meridians with their own
// spacing, colour, pen width, extent and altitude) and the settings they share (the
// master switch, the polar end cap, the subdivision level and the adaptive switch). The
// document owns one and stores it in the world file; grid definition files (".grd")
// hold the same in keyword text:
//
//     RectGrid 1, 30.00000, 2, 1
//
//     Grid 1, 16777215, 30.00000, 30.00000, 25, 304800.00377
//     Effective -180.00000, 90.00000, 180.00000, -90.00000
//     EndGrid
//
//     EndRectGrid
//
// Every number is read as an expression; the commas are optional.
//
// Lines are traced along the projection by the line subdivider and handed to a trace
// sink: the map view draws into its image and mask together, the image export into one
// canvas, the drawing export into its vector sink one altitude band at a time.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace kv {

class CArchive;
class Canvas;
class CTokenizer;
class DrawingSink;
class SurfaceSampler;
class TraceCallback;

class RectInfo {
public:
    static constexpr int32_t kVersion = 257;
    // The default altitude: above every band, so the drawing export writes the grid last.
    static constexpr double kDefaultAltitude = 304800.00376701355;
    // Altitudes from here on are shown as "On Top" in the grid list.
    static constexpr double kOnTopAltitude = 304799.6989670098;

    RectInfo() = default;
    virtual ~RectInfo() = default;
    // Copies every field except the drawn flag (a copy starts undrawn; an assigned record
    // keeps its own flag).
    RectInfo(const RectInfo& other);
    RectInfo& operator=(const RectInfo& other);

    // Version, show, colour, spacings, line width, then (above 256) the extent and the
    // altitude. Loading a version below 256 reads nothing more.
    virtual void Serialize(CArchive& ar);
    // Reads one "Grid" ... "EndGrid" block from the current token on. 0 with the values
    // stored; -1 (the record unchanged) when the block is malformed or the input ends
    // before "EndGrid".
    virtual int Parse(CTokenizer& tokenizer);
    // Writes one "Grid" block; 0, or -1 when the stream reports an error.
    virtual int Save(std::FILE* file, const CTokenizer& tokenizer) const;

    // Pen width in pixels of the drawn lines.
    int PenWidth() const { return lineWidth / 25; }
    // A spacing as the grid is drawn with it: one below 0, not a number, or so fine that
    // 180 / spacing exceeds maxPoints becomes 30; 0 stays 0 (that family is off).
    static double DrawnSpacing(double spacing, int maxPoints);

    // The graticule between the given latitudes and longitudes into a device context, with
    // a solid pen of the grid's colour and the progress "Calculating Grid".
    void DrawAdaptive(Canvas& dc, const SurfaceSampler& sampler, int level, double south, double west, double north,
                      double east, bool adaptive) const;
    // The same into the drawing export's sink, its pen set to the nearest palette colour
    // and the low byte of the line width.
    void DrawToSink(DrawingSink& sink, const SurfaceSampler& sampler, int level, double south, double west,
                    double north, double east, bool adaptive) const;
    // Generates the parallels and meridians and hands them to `sink`: parallels span the
    // map from the projection's centre longitude, meridians stand at absolute longitudes.
    // With showProgress, progress "Calculating Grid" and a stop when the user aborts.
    void TraceLines(TraceCallback& sink, const SurfaceSampler& sampler, int level, double south, double west,
                    double north, double east, bool adaptive, double error, int depth, bool showProgress) const;

    // Values equal (the drawn flag aside).
    bool SameValues(const RectInfo& other) const;

    int32_t show = 0;
    uint32_t colour = 0;         // 0x00BBGGRR
    double latSpacing = 30.0;    // degrees between parallels; 0 = none
    double lonSpacing = 30.0;    // degrees between meridians; 0 = none
    double west = -180.0;
    double north = 90.0;
    double east = 180.0;
    double south = -90.0;
    int32_t lineWidth = 0;       // pens are lineWidth / 25 pixels wide
    double altitude = kDefaultAltitude;
    uint8_t drawn = 0;           // set while an export draws the grids band by band
};

class CRectGrid {
public:
    static constexpr int32_t kVersion = 257;
    static constexpr int kMinLevel = 1;
    static constexpr int kMaxLevel = 32;

    CRectGrid() = default;
    virtual ~CRectGrid() = default;
    CRectGrid(const CRectGrid&) = default;
    // The four settings and every grid's values: the list is resized to the other's count
    // and each element takes the other's values (drawn flags stay with the receiving list).
    CRectGrid& operator=(const CRectGrid& other);

    // Version, settings, grid count and the grids last first. Loading a version below 256
    // reads nothing more; a damaged record raises the archive error and leaves the overlay
    // as it was.
    virtual void Serialize(CArchive& ar);

    // Writes a grid definition file (through a temporary renamed over `path`): 0, or -1
    // when it cannot be written.
    int Save(const std::string& path) const;
    // Writes the text form; 0, or -1 when the stream reports an error.
    int Write(std::FILE* file, const CTokenizer& tokenizer) const;
    // Reads a grid definition file: 0; -1 when it cannot be opened or does not start with
    // "RectGrid" (the overlay unchanged).
    int Load(const std::string& path);
    // Reads the text form from the current token on: -1 (nothing changed) unless it is
    // "RectGrid" followed by the four settings; else 0 with the complete "Grid" blocks read.
    int Parse(CTokenizer& tokenizer);

    // The map view's drawing: each shown grid (the last first) whose spacing is coarser
    // than minSpacing degrees, in its colour into `image` and in white into `mask`.
    void Draw(Canvas& image, Canvas& mask, const SurfaceSampler& sampler, double minSpacing) const;
    void ClearDrawn();
    // The drawing export: every shown grid not drawn yet whose altitude lies in
    // [low, high), the last first, into `sink`; each is marked drawn.
    void DrawAltitudeBand(DrawingSink& sink, const SurfaceSampler& sampler, double low, double high);
    // The latitude range a grid is drawn over: inside the polar end caps when they are set.
    void LatitudeRange(const RectInfo& grid, double& south, double& north) const;

    bool SameValues(const CRectGrid& other) const;

    int32_t shown = 1;
    double polarEndcap = 30.0;
    int32_t subdivisionLevel = 2;
    int32_t adaptive = 1;
    std::vector<RectInfo> grids;

private:
    // Resizes the list to `values` and assigns each element (drawn flags stay).
    void AssignGrids(const std::vector<RectInfo>& values);
};

} // namespace kv
