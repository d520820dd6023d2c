// The curve editor ("Remap Altitudes"), as logic without a window: the window shows its
// box and controls and forwards clicks, mouse moves and buttons here, and draws what
// GetPicture returns.
//
// Callers fill the members before running it and read them after OK: Remap Altitudes
// passes its remembered curve, exponent and limits, the world's altitude range and
// show-limits on; the profiled-mound dialog passes its profile with show-limits off.
#pragma once

#include "world/RemapCurve.h"

#include <string>
#include <vector>

namespace kv {

// Control ids of the dialog.
namespace curves_ids {
constexpr int kDialog = 338;
constexpr int kExponent = 5209;
constexpr int kLower = 5681;
constexpr int kUpper = 5682;
constexpr int kBox = 5675;
constexpr int kLowerUnit = 5683;
constexpr int kUpperUnit = 5684;
constexpr int kApply = 5676;
constexpr int kReset = 5677;
constexpr int kSmooth = 5678;
constexpr int kNormalize = 5679;
constexpr int kInvert = 5680;
constexpr int kWorldAltitude = 5685;
constexpr int kLoad = 5374;
constexpr int kSave = 5476;
} // namespace curves_ids

// What a file dialog of the editor asks.
struct CurveFileRequest {
    bool save = false;
    std::string title;
    std::string defaultExtension;
    std::string filter;
    std::string initialPath;
    bool mustExist = false;
};

// Answers the editor's file dialogs: true with a path on OK.
class CurveFileChooser {
public:
    virtual ~CurveFileChooser() = default;
    virtual bool ChooseFile(const CurveFileRequest& request, std::string& path) = 0;
};

struct CurvePoint {
    int x = 0;
    int y = 0;
};

// What the box shows: a cleared rectangle, the limit line when shown, the curve.
struct CurvePicture {
    static constexpr unsigned kLimitColour = 0xFF0000; // 0x00BBGGRR: blue
    static constexpr unsigned kCurveColour = 0xFF4080;
    bool hasLimitLine = false;
    int limitY = 0;
    std::vector<CurvePoint> curve;
};

class ProcessCurvesDlg {
public:
    // The box's rectangle in the window (client width and height in pixels).
    struct Box {
        int left = 0;
        int top = 0;
        int width = 0;
        int height = 0;
    };

    // ---- members, in order ----
    RemapCurve curve;
    float exponent = 1.0f;
    float lower = 0.0f;
    float upper = 0.0f;
    float worldLowest = 0.0f;
    float worldHighest = 0.0f;
    bool showLimits = true;
    bool dragging = false;
    int lastX = 0;
    int lastY = 0;

    // Sets the box the window shows; call before OnInitDialog.
    void SetBox(const Box& box) { m_box = box; }
    const Box& GetBox() const { return m_box; }

    // Opening: the controls hidden without limits (HiddenControls), the unit labels, the
    // limits and world range in feet for imperial units, the curve resampled to the box.
    void OnInitDialog(bool metric);
    // Controls hidden while the limits are not shown.
    static std::vector<int> HiddenControls();
    const std::string& UnitLabel() const { return m_unitLabel; }

    // With fewer than width - 2 samples the curve becomes width - 2 samples of itself.
    void ResampleToBox();
    // The limit line and the curve's polyline in box coordinates.
    CurvePicture GetPicture() const;

    // Mouse in window coordinates; true when the curve changed (redraw).
    bool OnLButtonDown(int x, int y);
    bool OnMouseMove(int x, int y);
    void OnLButtonUp();
    // The sample under (x, y), the point held inside the box.
    void SetSampleAt(int x, int y);

    // Buttons.
    void OnApply();
    void OnReset();
    void OnSmooth();
    void OnNormalize();
    void OnInvert();
    void OnWorldAltitude();
    // False when the chooser was cancelled or the file did not load as a curve.
    bool OnLoad(CurveFileChooser& chooser);
    bool OnSave(CurveFileChooser& chooser);
    // The limits back in metres (imperial units) before the dialog ends.
    void OnOK();
    // The help request is answered as handled and does nothing.
    bool OnHelpRequest() const { return true; }

    // The path last used by Load or Save in this run.
    static std::string& LastPath();

private:
    Box m_box;
    bool m_metric = true;
    std::string m_unitLabel = "m";
};

} // namespace kv
