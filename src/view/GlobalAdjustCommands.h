// The map view's whole-world channel commands: the six Global submenus of the Tools menu
// (lower, raise, set, smooth, deterrace and add noise, one entry per channel), the paint
// commands that run a global command while Shift is held, and Add View.
//
// Every command is one row of a table: it holds the view's busy counter for its whole
// run, asks its value in a dialog (through TerrainDialogs) starting from the value
// remembered for it, converts what was typed from the display units to the channel's
// metric units, calls the document operation and restarts this view's render.
//
// Remembered values: the lower/raise amount of each channel and the deterrace count live
// with each view (one GlobalAdjustCommands per view); set values, smoothing amounts and
// noise records are shared by all views for the run.
#pragma once

#include <cstdint>

namespace kv {

class CKVDoc;

enum class GlobalCommandKind { Lower, Raise, Set, Smooth, Deterrace, Noise };

struct GlobalCommandRow {
    int id;
    GlobalCommandKind kind;
    int channel;
    const char* title;
    const char* metricPrompt;
    const char* imperialPrompt;
    int helpTopic; // 0: none (the noise dialog)
};

// The rows of the six submenus; null for another id.
const GlobalCommandRow* FindGlobalCommand(int id);
// The global command a paint command runs while Shift is held; 0 when it runs none.
int GlobalCommandForShiftedPaint(int paintCommandId);

constexpr int kAddViewCommand = 33060;

// What a command needs of its map view.
class GlobalAdjustView {
public:
    virtual ~GlobalAdjustView() = default;
    virtual void EnterBusy() = 0;
    virtual void LeaveBusy() = 0;
    // Hint 16 to this view only: it renders again from the first pass.
    virtual void RestartRender() = 0;
    // Asks a name and stores the current view among the saved views.
    virtual void StoreView() = 0;
};

// One channel's remembered Add Noise values, metric.
struct NoiseRecord {
    int noiseType = 0;
    float mean = 0.0f;
    float variance = 10.0f;
    float except = -100000.0f;
};

// The values all views share for the run, by channel 0..6.
struct SharedGlobalValues {
    float setValue[7] = {1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    float smoothAmount[7] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
    NoiseRecord noise[7] = {{0, 0.0f, 0.1f, -100000.0f}, {}, {}, {}, {}, {}, {}};
};
SharedGlobalValues& GetSharedGlobalValues();

class GlobalAdjustCommands {
public:
    GlobalAdjustCommands(CKVDoc& document, GlobalAdjustView& view) : m_document(document), m_view(view) {}

    // Runs the command of the table or Add View; false for an id that is neither.
    bool OnCommand(int id);
    // A paint command with Shift held: runs its global command; false when it has none.
    bool OnShiftedPaintCommand(int paintCommandId);
    // The prescale entries are disabled while the world has no prescale grid.
    bool IsEnabled(int id) const;

    // The view's remembered values: the lower/raise amount by channel (shared by Lower and
    // Raise, as typed) and the deterrace direction count.
    float lowerRaiseAmount[7] = {0.1f, 100.0f, 8.0f, 5.0f, 100.0f, 0.0f, 0.01f};
    int deterraceCount = 64;

    // Whole-number, even deterrace count from a typed amount: cut toward zero, held within
    // 2..1024, then made even upwards.
    static int DeterraceCountFromTyped(float typed);
    // Typed display units to the channel's metric units, and back for showing (feet,
    // inches and Fahrenheit degrees while the document is not metric).
    static float ToMetric(int channel, float typed);
    static float ToDisplay(int channel, float metric);

private:
    void RunValueCommand(const GlobalCommandRow& row);
    void RunNoiseCommand(const GlobalCommandRow& row);

    CKVDoc& m_document;
    GlobalAdjustView& m_view;
};

} // namespace kv
