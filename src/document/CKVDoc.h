// The world document: one whole world with everything kept beside it in its file.
//
// It owns, by value and in this order, the header values of the file, the latitude/longitude
// grid, the image overlays, the world surface (whose selection is the document's
// selection), two more imported data surfaces and the river vector overlay, and keeps the
// settings of its first view (ViewSettings). It creates new worlds, recomputes the basis and
// the sea level after every change of parameters, records undo steps before edits, marks
// itself modified and tells the views what changed through numbered update hints. It never
// opens a window: views are reached through the view hooks and the attached DocumentView,
// messages through the message service, keys and the wizard through DocumentServices.
//
// Process-wide beside it (one document exists at a time): the metric flag (MetricUnits), the
// world-size display (WorldSizeDisplay), the first-document flag, the "123" preference
// (every recalculation runs twice; a loaded old file switches it on for the run) and the
// undo list.
//
// Files: CKVDoc.cpp holds the core, CKVDocArchive.cpp the ".kvw" file form; operations of
// the terrain commands and the views add their own blocks below and their own files.
#pragma once

#include "base/ViewHooks.h"
#include "base/layers/CISurf.h"
#include "base/layers/ImageOverlay.h"
#include "document/Craters.h"
#include "document/DocumentCommands.h"
#include "document/ViewSettings.h"
#include "world/CRectGrid.h"
#include "world/RiverVectorOverlay.h"
#include "world/SurfMap.h"

#include <cstdint>
#include <memory>
#include <string>

namespace kv {

class CArchive;
class CGlobeExportDlg;
class CRawImage;
class SurfaceSampler;
struct SimpleCreateSettings;

// The document's first view as the document reaches it. The view core attaches one while
// its view exists; without one the document has no view.
class DocumentView {
public:
    virtual ~DocumentView() = default;
    // The view's sampler, made first (the view prepares rendering) when it has none; null
    // when it cannot be made.
    virtual SurfaceSampler* GetSurfaceSampler() = 0;
    // The overlay the overlay tools paint into (null: none).
    virtual void SetActiveOverlay(ImageOverlay* overlay) = 0;
};

// Update hints the document and its commands send (the views' reactions are theirs).
enum DocumentHint : int {
    kHintUndoRedo = 1,
    kHintWorldRecalculated = 2,
    kHintRecentre = 3,
    kHintWorldShift = 6,
    kHintSelection = kHintSelectionChanged,
    kHintDeleteContents = 10,
    kHintZoom = 11,
    kHintRiverChannelsRemoved = 13,
    kHintDocumentLoaded = 14,
    kHintRivers = 15,
    kHintChannels = kHintChannelDataChanged,
};

class CKVDoc : public SurfMapOwner {
public:
    // ---- file ----
    static constexpr uint32_t kArchiveVersion = 264;
    static constexpr uint32_t kFirstHeaderVersion = 256;

    // ---- header values of a new world ----
    static constexpr int32_t kNewLayerFlag = 0;
    static constexpr int32_t kNewHeaderValue3 = 6;
    static constexpr double kNewHeaderSpacing = 30.0;

    // ---- channels and steps ----
    static constexpr int kSelectionChannel = kUndoChannelSelection;
    static constexpr int kPlanarSurfaceType = kSurfaceProceduralPlanar;
    static constexpr char kDefaultParmsFile[] = "Default.srf";
    static constexpr char kNoViewMessage[] = "Unable to locate a valid view in NewDocument";
    static constexpr char kPovNotImplemented[] = "POV Include output not implemented";

    CKVDoc();
    // Writes the world parameters to "Default.srf" (nothing when it cannot be written), then
    // frees the members in reverse order.
    ~CKVDoc() override;
    // Whether destruction writes "Default.srf" (a failed batch run turns it off, leaving
    // the user's file as it was).
    void SetWritesDefaultParms(bool on) { m_writesDefaultParms = on; }
    CKVDoc(const CKVDoc&) = delete;
    CKVDoc& operator=(const CKVDoc&) = delete;

    // ---- lifecycle ----
    // A new world: the first of the run from the parameter world or "Default.srf" with a
    // fresh seed, later ones through the new-world wizard; then reset and recalculated
    // (hint 2) and unmodified. True; false when the wizard was cancelled, and then the
    // document (world, overlays, undo steps, name, modified flag) is as it was.
    bool OnNewDocument();
    // Hint 10 to the views; the members stay.
    void DeleteContents();
    // The first-document flag (set at program start).
    static bool IsFirstDocument();
    static void SetFirstDocument(bool first);

    // ---- recalculation ----
    // Basis origin (when random), fractal basis, sea bias and the two altitude factors.
    void RecalculateWorld();
    // RecalculateWorld (twice with the "123" preference), then hint 2.
    void Recalculate();
    // Whether every recalculation runs twice ("123" of the preferences or set for the run).
    static bool RecalculatesTwice();
    // Stores the shift into the world's axis latitude and longitude, recalculates (hint 2)
    // and marks the document modified.
    void SetWorldShift(double latitudeShift, double longitudeShift);
    // Clears the channels (unless Shift and Ctrl are held) and the selection (unless Alt is
    // held), removes overlays and rivers, marks modified, recalculates; hint 2.
    void ResetWorld();
    // Next (+1) / Previous (-1) world: "Untitled", seed + step, ResetWorld, unmodified.
    void StepWorld(int step);

    // ---- undo ----
    // Records a step before an edit: 8192 the selection, a negative channel or 7 channel 1,
    // else that channel of the world. 0.
    int RecordUndo(const std::string& stepName, int channel) override;
    void RecordSelectionUndo(const std::string& stepName);

    // ---- views ----
    void AttachView(DocumentView* view) { m_view = view; }
    void DetachView(DocumentView* view);
    DocumentView* GetFirstView() const { return m_view; }
    bool HasView() const { return m_view != nullptr; }
    // The first view's sampler, else the document's own (default projection, no lighting,
    // shader 1), made anew after every recalculation.
    SurfaceSampler* GetSampler();
    // Sends the hint to the views of this document except `sender`.
    void UpdateAllViews(const void* sender, int hint, const HintObject* object = nullptr);
    ViewSettings& GetViewSettings() { return m_viewSettings; }
    const ViewSettings& GetViewSettings() const { return m_viewSettings; }

    // ---- state ----
    bool IsModified() const { return m_modified; }
    void SetModifiedFlag(bool modified = true) { m_modified = modified; }
    const std::string& GetPathName() const { return m_pathName; }
    void SetPathName(const std::string& path);
    const std::string& GetTitle() const { return m_title; }
    void SetTitle(const std::string& title) { m_title = title; }

    // ---- members ----
    SurfMap& GetWorld() { return m_world; }
    const SurfMap& GetWorld() const { return m_world; }
    CSelection& GetSelection() { return m_world.selection; }
    ImageOverlayList& GetOverlays() { return m_overlays; }
    const ImageOverlayList& GetOverlays() const { return m_overlays; }
    CISurf& GetSurface1() { return m_surface1; }
    CISurf& GetSurface2() { return m_surface2; }
    CRectGrid& GetRectGrid() { return m_grid; }
    const CRectGrid& GetRectGrid() const { return m_grid; }
    RiverVectorOverlay& GetRivers() { return m_rivers; }
    const RiverVectorOverlay& GetRivers() const { return m_rivers; }
    // The stored river flag: set, the river overlay is hidden (a new document shows its
    // rivers, the Hide/Show command toggles the flag and is checked while they show).
    bool GetRiversHidden() const { return m_riversHidden; }
    void SetRiversHidden(bool hidden) { m_riversHidden = hidden; }
    int GetRiverCount() const { return static_cast<int>(m_rivers.rivers.size()); }
    // The world's channel grid size; -1 when there are no grids.
    int GetGridSize(int& width, int& height) const;

    // ==== Incised flow, burn-in, remap curves, mounds, distance ====
    // (CKVDocErosion.cpp: Incise Flow, Remap Altitudes, the profiled mound; CKVDocBurnIn.cpp:
    // Burn In, the altitude grid, Distance and the seasonal climate model's Run)
    static constexpr char kInciseFlowStep[] = "Incise Flow";
    static constexpr char kRemapAltitudesStep[] = "Remap Altitudes";
    static constexpr char kProfiledMoundStep[] = "Profiled Mound";
    static constexpr char kDistanceSelectionStep[] = "Distance Selection";
    static constexpr char kBurnInQuestion[] = "This action cannot be undone and\nignores the selection.\nContinue?";
    static constexpr char kBurnInProgressText[] = "Converting world data into offsets";
    static constexpr char kBurnInMemoryMessage[] = "Not enough memory to burn the world into its offsets.";
    static constexpr int kImportedSurfaceType = 4;
    // Cuts valleys into the land offset along the flow (no undo step of its own): 0 when it
    // ran to the end or there was nothing to cut, -1 when an abort ended it, a step failed
    // or a value is not a finite number (nothing changed then).
    int InciseFlow(float blur, float amount, float flowExponent, float effectBlend);
    // Incise Flow (33242): the dialog with the remembered settings, the undo step, the cut,
    // modified and hint 16 whatever the result.
    void OnInciseFlow();
    // Roughness 0 and the land offset the altitude of every cell, through the first view's
    // sampler (else the document's own); an imported surface of type 4 is unmapped and the
    // type becomes 0. No undo; the document is marked modified. Nothing without grids.
    void BurnIn();
    // Burn In (33108): asks first; hint 16.
    void OnBurnIn();
    // The world's altitude at every cell of a float grid through the first view's sampler
    // (else the document's own), or through `sampler`: true unless the abort value is 27 at
    // the end (it is not reset).
    bool EvaluateHeightGrid(Grid2D& grid, const char* progressText);
    static bool EvaluateHeightGrid(const SurfaceSampler& sampler, Grid2D& grid, const char* progressText);
    // Remap Altitudes (33245), Create Profiled Mound from Selection (33247), Distance (33240).
    void OnRemapAltitudes();
    void OnProfiledMound();
    void OnDistanceSelection();
    // ==== end of incised flow, burn-in, remap curves, mounds, distance ====

    int32_t layerFlag = kNewLayerFlag;
    int32_t headerValue2 = 0;
    int32_t headerValue3 = kNewHeaderValue3;
    int32_t headerValue4 = 0;
    int32_t headerValue5 = 0;
    double headerSpacing1 = kNewHeaderSpacing;
    double headerSpacing2 = kNewHeaderSpacing;

    // ==== Craters and Simple Create (CKVDocCraters.cpp, CKVDocSimpleCreate.cpp) ====
    // One crater of `extent` degrees of arc at the point: undo step "Crater" on channel 1,
    // the spherical pass when the world maps spherically, then the grid pass; modified.
    void DrawCrater(float latitude, float longitude, float extent);
    // Planetary Bombardment with settings already confirmed (diameters in km): craters from
    // the clock seed, one undo step "Crater Bombardment" for the run, Esc between craters;
    // hint 16. The number of craters drawn.
    int RunBombardment(const BombardmentSettings& settings);
    // The command (33155): the dialog over the remembered settings (diameters shown in miles
    // when the units are imperial), then the run; the settings are remembered on OK.
    void OnPlanetaryBombardment();
    // Set Up Simple Create Mode (33174) and Execute Simple Create (33175).
    void OnSetUpSimpleCreate();
    void OnExecuteSimpleCreate();
    // The conversion behind Execute's OK: 0, -1 without a visible overlay, -2 when memory
    // or the working grids cannot be had, -3 when Esc stopped a stage.
    int RunSimpleCreate(const SimpleCreateSettings& settings);
    // ==== end of craters and Simple Create ====

    // ==== Whole-world adjustments, basin filling and rivers ====
    // (CKVDocAdjust.cpp, CKVDocBasins.cpp, CKVDocRivers.cpp)
    static constexpr char kRiverChannelsOverlay[] = "River Channels";
    static constexpr char kRiverExclusionMask[] = "RiverExclusionMask";
    static constexpr uint8_t kRiverMaskOpacity = 127;
    static constexpr char kRiverMaskMessage[] = "Unable to create river exclusion mask";
    static constexpr char kRiverWidthMessage[] = "The river grid width must lie between 4 and 8190.";
    static constexpr char kRiverMemoryMessage[] = "Not enough memory for the river grids of this width.";
    static constexpr char kHeightsProgressText[] = "Calculating World Heights";
    static constexpr char kFillOffsetStep[] = "Fill Offset Basins";
    static constexpr char kFillLakesStep[] = "Fill Lake Basins";

    // Paint steps: one brush point on a channel; the first point of a stroke records the
    // undo step, so a stroke is one step. The SurfMap result (the prescale channel without
    // its grid: 0, nothing recorded).
    int PaintChannel(int channel, double latitude, double longitude, ChannelBrush& brush, bool strokeStart);
    int PaintRoughness(double latitude, double longitude, ChannelBrush& brush, bool strokeStart);
    int PaintOffset(double latitude, double longitude, ChannelBrush& brush, bool strokeStart);
    int PaintRainfall(double latitude, double longitude, ChannelBrush& brush, bool strokeStart);
    int PaintTemperature(double latitude, double longitude, ChannelBrush& brush, bool strokeStart);
    int PaintWaterLevel(double latitude, double longitude, ChannelBrush& brush, bool strokeStart);
    int PaintClimate(double latitude, double longitude, ChannelBrush& brush, bool strokeStart);
    int PaintPrescaleOffset(double latitude, double longitude, ChannelBrush& brush, bool strokeStart);
    // The global operations of a channel (0..4 and 6; no noise on 4): each records its undo
    // step first and returns the SurfMap result, marking the document modified when it is
    // 0 or more; -1 for a channel without the operation. The prescale channel without its
    // grid: the add asks for its step (none can be kept) and fails, the others return 0
    // and ask for none.
    int GlobalAdjust(int channel, float amount, float minimum, float maximum);
    int SmoothGlobal(int channel, float amount);
    int SetGlobal(int channel, float value);
    int NoiseGlobal(int channel, int noiseType, float mean, float variance, float except);
    // Deterraces the channel grid; 0.
    int DeterraceGlobal(int channel, int directions);
    // The terrace remover on a grid of the world, blended by the selection; 0.
    int Deterrace(Grid2D& grid, int directions);
    // Fill Basins in Offset (33190) and Fill Basins as Lakes (33198): the world's altitude
    // grid at the channels' size filled, the offset raised by the fill depth (weighted by
    // the selection) or the basins' water level raised to it; hint 16. Esc in the heights
    // records nothing; Esc in the fill changes nothing (Lakes keeps its recorded step).
    void FillOffsetBasins();
    void FillLakeBasins();
    // Expand Land in Offset: asks for the passes ("Land Expansion", remembered, truncated
    // and held to 1..32), records one undo step of the land offset and runs the passes
    // under the two-bar progress; each pass raises the cells under the water level (the
    // water mask closed by one cell) to 0.1 above it, fills the basins of those heights
    // and adds the fill depth (weighted by an active selection) to the land offset. Esc
    // or a fill that does not complete ends the passes; what was added stays. Hint 16.
    void ExpandLandInOffset();
    // The passes themselves (passes already held to 1..32); false when they were stopped.
    bool RunLandExpansion(int passes);
    static constexpr char kLandExpansionTitle[] = "Land Expansion";
    static constexpr char kLandExpansionPrompt[] = "Expansions:";
    static constexpr char kLandExpansionStep[] = "Expand Land in Offset";
    static constexpr char kSecondaryProcessingText[] = "Secondary Processing";
    static constexpr char kLandExpansionMemoryMessage[] = "Not enough memory to expand the land.";
    static constexpr int kMaxLandExpansions = 32;
    // Run Script: the open dialog "Load Script File" (the scripts folder's "*.ksr" the
    // first time, the last script afterwards), then the script on the active document and
    // hint 1 to the views. Cancel does nothing.
    void OnRunScript();
    static constexpr char kRunScriptTitle[] = "Load Script File";
    static constexpr char kScriptFilter[] = "KV Script Files (*.ksr)|*.ksr|All Files (*.*)|*.*||";
    // Find Rivers (33202) and the river overlay commands (33204, 33205, 33220, 33221).
    // Find Rivers clears the abort value when it starts and when it ends; its dialogs go
    // through TerrainDialogs; changes of the river list or their visibility mark the
    // document modified.
    void OnFindRivers();
    void OnClearRiverOverlays();
    bool CanClearRiverOverlays() const;
    void OnToggleRiverOverlays();
    void OnEnableRiverExclusionMask();
    bool HasRiverExclusionMask() const;
    void OnRemoveRiverExclusionMask();
    // ==== end of whole-world adjustments, basin filling and rivers ====

    // ==== Document commands (CKVDocCommands.cpp, CKVDocSelect.cpp, CKVDocGlobe.cpp) ====
    static constexpr char kNoPixelsMessage[] = "No pixels were selected";
    static constexpr char kCalculatingText[] = "Calculating World Data";
    static constexpr char kSelectionDistanceText[] = "Selection Distance";
    static constexpr int kRangeAltitude = 0, kRangeRainfall = 1, kRangeTemperature = 2;
    static constexpr char kGlobeLayerPrefix[] = "Globe Level ";
    static constexpr int kGlobeLevels = 4;
    // Runs the document's command `id` (dialogs through TerrainDialogs, values remembered in
    // DocCommandMemory); false when the id is not one the document runs.
    bool OnCommand(int id);
    // The menu state of `id` (also of Save, which the framework runs); false (state
    // untouched) for the ids the document knows nothing of.
    bool OnUpdateCommand(int id, CommandUpdate& state);
    // Whether OnCommand runs `id`.
    static bool HasCommand(int id);

    void OnEditUndo();
    void OnEditRedo();
    // The selection commands with a value take it here (no dialog): undo step, change,
    // hint 8. Amounts that are not finite change nothing; pass counts are capped at the
    // mask's larger side.
    void SelectionOp(int id, float amount);
    // A range selection on altitude, rainfall or temperature (kRange...) without dialog:
    // low and high in metres, cm/yr or Kelvin, test 0..3, combine 0..2. Undo step, the
    // world evaluated over the selection grid (Esc leaves the selection), hint 8. -1 for
    // a bad kind, test or combine (nothing recorded), 0 otherwise.
    int SelectRange(int kind, float low, float high, int test, int combine);
    // The climate range: the cells whose class is one of the checked ones (17 states).
    void SelectClimateRange(const int* states);
    // Moundtain without dialog (metres); the largest distance seen.
    float Moundtain(float low, float high, float exponent, int step, float feather);
    // Setup and Execute of the globe layers.
    void OnGlobeSetup();
    void OnGlobeExport();
    // Writes the level images, link images and key table of the present globe layers the
    // options ask for into their folder: the number of level images written, or negative
    // when a file could not be made (-1 no world image, -2 a file not written; the
    // message shown names the folder or the file).
    int WriteGlobeExport(const CGlobeExportDlg& options);
    // The alternative climate model on the world; debug layer images go to the temporary
    // folder.
    void OnAshgroveClimate();
    // ==== end of document commands ====

    // ---- output ----
    // Shows that the POV include output is not implemented; writes nothing.
    void SavePovInclude(const std::string& path);
    // The whole world as an Equirectangular image of `width` x `height` (height below 0:
    // width / 2) through the first view's sampler (the document's own without a view), with
    // the shading pass and rivers, no grids; the edge columns and the last row copy their
    // neighbours. 0, or -1 when the image cannot be computed. Defined with the off-screen
    // image in the view library, which callers link.
    int RenderWorldImage(int width, CRawImage& image, int height = -1);

    // ---- file ----
    // The ".kvw" record: version 264 written, every older form read. A file is read whole
    // into a fresh set of members that replaces the document's only on success; a damaged
    // file raises the archive error and leaves the document as it was.
    void Serialize(CArchive& ar);
    // The framework's open and save: false (with a message) when the file cannot be read or
    // written. Saving writes a temporary file renamed over the target.
    bool OnOpenDocument(const std::string& path);
    bool OnSaveDocument(const std::string& path);

    // "Default.srf": the install folder (Settings\Install, default the program's folder)
    // when it is writable, else the profile folder (Settings\ProfileDir).
    static std::string DefaultParmsPath();
    // Writes the world parameters there; false when the file cannot be written.
    bool WriteDefaultParms() const;

private:
    // Whole-world adjustments (CKVDocAdjust.cpp, CKVDocRivers.cpp).
    bool ChannelMissing(int channel) const;
    int Finish(int result);
    void RemoveRiverChannelsOverlay();
    struct Loaded;
    void Adopt(Loaded& loaded);
    void ResetHeader();
    void RemoveOverlaysAndRivers();
    // False when the wizard was cancelled (nothing changed).
    bool RunNewWorldWizard();
    void ReadDefaultParms();

    // Members in the order of the file (the header values are public above).
    CRectGrid m_grid;
    ImageOverlayList m_overlays;
    SurfMap m_world;
    CISurf m_surface1;
    CISurf m_surface2;
    RiverVectorOverlay m_rivers;
    bool m_riversHidden = false;

    bool m_modified = false;
    bool m_writesDefaultParms = true;
    std::string m_pathName;
    std::string m_title;
    ViewSettings m_viewSettings;
    DocumentView* m_view = nullptr;
    // The document's own sampler when there is no view.
    ProjectionParms m_ownProjection;
    std::unique_ptr<SurfaceSampler> m_ownSampler;
};

} // namespace kv
