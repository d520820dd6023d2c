// What the document asks of the program around it: the keyboard's modifier state and the
// wait cursor, the high-resolution counter a new world's seed comes from, the new-world
// wizard and the parameter world of the command line. The shell installs its own; until it
// does (batch runs, tests) harmless defaults answer: no key held, no cursor, the steady
// clock, a wizard that is cancelled, no parameter world.
#pragma once

#include "base/color/LightParms.h"
#include "base/layers/CISurf.h"
#include "base/noise/TexRecords.h"
#include "world/SurfMap.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kv {

class InputState {
public:
    virtual ~InputState() = default;
    virtual bool IsShiftDown() const { return false; }
    virtual bool IsCtrlDown() const { return false; }
    virtual bool IsAltDown() const { return false; }
    virtual void BeginWaitCursor() {}
    virtual void EndWaitCursor() {}
};
InputState& GetInputState();
// Installs `state` (null restores the default) and returns the previous one, or null when
// the default was in force. The caller keeps it alive while installed.
InputState* SetInputState(InputState* state);

// Shows the wait cursor for its lifetime.
class WaitCursorScope {
public:
    WaitCursorScope() { GetInputState().BeginWaitCursor(); }
    ~WaitCursorScope() { GetInputState().EndWaitCursor(); }
    WaitCursorScope(const WaitCursorScope&) = delete;
    WaitCursorScope& operator=(const WaitCursorScope&) = delete;
};

class SeedClock {
public:
    virtual ~SeedClock() = default;
    // A high-resolution counter; new worlds take its low 32 bits as their seed.
    virtual uint64_t Counter() const;
};
SeedClock& GetSeedClock();
SeedClock* SetSeedClock(SeedClock* clock);

// The working copies the new-world wizard edits.
struct NewDocSettings {
    SurfMap world;
    CISurf surface1;
    CISurf surface2;
    LightParms light;
    int landColorCount = 0;
    int seaColorCount = 0;
    int surfaceType = kSurfaceProcedural; // the world kind (a SurfaceType)
    int secondSurfaceMode = 0;            // the value kept beside it (the colouring choice)
    int metric = 1;
    int worldSizeDisplay = 0;
};

class NewWorldWizard {
public:
    static constexpr int kFinish = 12325;
    static constexpr int kCancel = 2;
    virtual ~NewWorldWizard() = default;
    // Runs the wizard on the copies; kFinish when the user finished it.
    virtual int Run(NewDocSettings& settings)
    {
        (void)settings;
        return kCancel;
    }
};
NewWorldWizard& GetNewWorldWizard();
NewWorldWizard* SetNewWorldWizard(NewWorldWizard* wizard);

// The world read from a "parms=" value at start-up (null: none was read). The first
// document of the run starts from it.
const SurfMap* GetParameterWorld();
void SetParameterWorld(const SurfMap* world);

// ==== Command dialogs ====================================================================
// The small dialogs through which commands ask for a few values before they run. The caller
// fills the record, calls the dialog and reads the record back when it returns true (OK);
// on false (Cancel) the record is as it was given. Until the window side installs its own,
// every dialog answers Cancel, so that nothing runs unasked in batch runs and tests. (The
// whole-world commands' own dialogs are shown through TerrainDialogs.)

class ClimateParms;
class Shader_ImgClimate;

struct FractalParmsValues {
    TexInfo info{};   // the source: caption, extras mask and names
    TexParms parms{}; // the copy edited
};

struct ImageSaveValues {
    int width = 768;
    int height = 1024;
    bool keepProportions = false;
    int quality = 75; // 0..100
    int mainWidth = 0;
    int mainHeight = 0;
    bool jpeg = false;
};

struct BackgroundValues {
    int pattern = 0;          // hatch style 0..5
    uint32_t foreground = 0;  // 0x00BBGGRR
    uint32_t background = 0;
};

struct ImageClimateValues {
    Shader_ImgClimate* shader = nullptr; // whose image settings are shown and set on OK
    const ClimateParms* climate = nullptr; // the world's climate model (null: the defaults)
};

class CommandDialogs {
public:
    virtual ~CommandDialogs() = default;
    virtual bool EditFractalParms(FractalParmsValues&) { return false; }
    virtual bool ImageSaveParms(ImageSaveValues&) { return false; }
    virtual bool Background(BackgroundValues&) { return false; }
    virtual bool ImageClimate(ImageClimateValues&) { return false; }
};
CommandDialogs& GetCommandDialogs();
// Installs `dialogs` (null restores the default) and returns the previous ones, or null
// when the default was in force. The caller keeps them alive while installed.
CommandDialogs* SetCommandDialogs(CommandDialogs* dialogs);
// ==== end of command dialogs =============================================================

// ==== frame requests =====================================================================
// What document commands ask of the main frame: show one of its bars, run one of its
// commands after the current one. Without a frame (batch runs, tests) a posted command
// reports false and the caller does its work itself.
class FrameRequests {
public:
    static constexpr int kClimateSelectorBar = 1;
    virtual ~FrameRequests() = default;
    virtual void ShowBar(int bar) { (void)bar; }
    // Queues the command for the frame; false when there is no frame to run it.
    virtual bool PostCommand(int id)
    {
        (void)id;
        return false;
    }
};
FrameRequests& GetFrameRequests();
FrameRequests* SetFrameRequests(FrameRequests* requests);
// ==== end of frame requests ==============================================================

} // namespace kv
