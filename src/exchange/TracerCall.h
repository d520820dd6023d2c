// The drawing sink of the FCW export: writes records into the output file, maps traced
// points from grid cells (the source rectangle) to drawing units (the destination
// rectangle), and collects the labels of contour lines.
//
// Its pen (DrawingPen, set by the layers that trace into it) carries the attributes of
// the next records: colour[0] the fill colour byte, colour[1] the line colour byte,
// styleFlag[0] line on, styleFlag[1] fill on, lineWidth the pen byte, extra the label
// placement mode (0 none, 1 lowest point, 2 highest, 3 leftmost, 4 rightmost).
//
// The output goes to a temporary file renamed over the target by Close, so that a failed
// or abandoned export leaves any earlier drawing in place.
#pragma once

#include "exchange/FCWRecords.h"
#include "platform/AtomicFile.h"
#include "world/DrawingSink.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kv {

// The merge angle of traced lines in radians: Settings\MergeAngle (default 100) x 0.0001,
// a negative result 0.
double ReadMergeAngle();

class TracerCall : public DrawingSink {
public:
    struct Rect {
        double x0 = 0.0, y0 = 0.0, x1 = 1000.0, y1 = 800.0;
    };
    struct LevelText {
        double value;
        float x, y;
        int mode;
    };
    // Result of a write after the file failed (the trace stops on it).
    static constexpr int kWriteFailed = -2;

    TracerCall();
    ~TracerCall() override;

    // 0; -1 when a file is already open; -2 when it cannot be created.
    int Open(const std::string& path);
    // Flushes and renames the file over the target: 0, or -1 when any write failed (the
    // target stays as it was).
    int Close();
    // Drops the output; the target stays as it was.
    void Discard();
    bool IsOpen() const { return m_file.File() != nullptr; }
    bool Failed() const { return m_failed; }

    void SetSourceRect(const Rect& r) { m_source = r; }
    void SetDestinationRect(const Rect& r) { m_destination = r; }
    const Rect& SourceRect() const { return m_source; }
    const Rect& DestinationRect() const { return m_destination; }

    // The template whose layer table SelectLayer reads (kept by the caller).
    void SetTemplate(const std::vector<uint8_t>* bytes) { m_template = bytes; }
    // Selects a layer by name (exact, case-sensitive); an unknown name selects layer 0.
    int SelectLayer(const std::string& name);
    int Layer() const { return m_layer; }

    // Bytes as they are (the template, placed blocks).
    void WriteRaw(const uint8_t* data, std::size_t size);
    // Records with the current attributes and the next entity number; 0 or kWriteFailed.
    int WriteText(float x, float y, float height, int16_t font, const std::string& text);
    // A closed four-point box (corners + 0.01): first filled with the line colour, then
    // outlined with the fill colour.
    int WriteBox(float x0, float y0, float x1, float y1);
    // A link area; coordinates are multiplied by the symbol scale.
    int WriteLinkArea(float x0, float y0, float x1, float y1, const std::string& command);
    // A polyline in drawing units; lines of more than 32,767 points go out in pieces that
    // continue one another.
    int WritePolyline(const float* xy, int count, bool filledPolygon);
    int WriteMapNotes(const std::string& note);
    int OpenGroup();
    int CloseGroup();
    // Closes every group still open (an export stopped halfway).
    void CloseAllGroups();

    // A traced line: dropped below two points; merged by the merge angle; mapped to
    // drawing units; a closed line of a filled level written as one polygon, any other
    // clipped to the destination rectangle; with a label mode, its label collected.
    int Trace(const line_pts& line) override;

    // Attributes besides the pen.
    int16_t fillStyle = 1;       // the fill style word of the records
    bool groupLevels = false;
    double mergeAngle = 0.01;
    double labelValue = 0.0;     // the level of the labels collected
    double symbolScale = 1.0;    // link areas are multiplied by it
    std::vector<LevelText> labels;
    uint32_t nextNumber = 8000;

private:
    fcw::EntityHeader Header(bool filledAndOutlined);
    int Emit(); // moves the record buffer to the file when large
    int Flush();
    int WriteRun(std::vector<float>& run);

    AtomicFile m_file;
    bool m_failed = false;
    std::vector<uint8_t> m_buffer;
    Rect m_source;
    Rect m_destination;
    const std::vector<uint8_t>* m_template = nullptr;
    int m_layer = 0;
    int m_openGroups = 0;
    std::vector<float> m_points; // per-line work lists
    std::vector<float> m_run;
};

} // namespace kv
