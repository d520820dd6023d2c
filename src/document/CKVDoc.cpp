#include "document/CKVDoc.h"

#include "base/AppFolders.h"
#include "base/AppSettings.h"
#include "base/DisplayUnits.h"
#include "base/MessageService.h"
#include "base/Random.h"
#include "base/Undo.h"
#include "base/ViewHooks.h"
#include "base/text/CTokenizer.h"
#include "document/DocumentContext.h"
#include "document/DocumentServices.h"
#include "platform/AtomicFile.h"
#include "world/SurfaceSampler.h"
#include "world/WorldData.h"

#include <atomic>
#include <filesystem>
#include <unistd.h>

namespace kv {

namespace {

std::atomic<bool> g_firstDocument{true};

ImageOverlayList* ActiveDocOverlays()
{
    CKVDoc* doc = GetActiveDoc();
    return doc != nullptr ? &doc->GetOverlays() : nullptr;
}

std::string ProfileFolder()
{
    const char* home = std::getenv("HOME");
    const std::string fallback = home != nullptr && *home != '\0' ? std::string(home) + "/.kelvane" : std::string(".");
    return GetAppSettings().GetString("Settings", "ProfileDir", fallback);
}

bool IsWritableFolder(const std::string& folder)
{
    std::error_code error;
    return std::filesystem::is_directory(folder, error) && access(folder.c_str(), W_OK) == 0;
}

} // namespace

// ---------------------------------------------------------------------------------------
// Construction

CKVDoc::CKVDoc() : m_world(this), m_title("Untitled")
{
    SetActiveOverlayListLookup(&ActiveDocOverlays);
}

CKVDoc::~CKVDoc()
{
    if (m_writesDefaultParms)
        WriteDefaultParms();
    m_ownSampler.reset();
}

bool CKVDoc::IsFirstDocument() { return g_firstDocument.load(); }
void CKVDoc::SetFirstDocument(bool first) { g_firstDocument.store(first); }

void CKVDoc::SetPathName(const std::string& path)
{
    m_pathName = path;
    m_title = path.empty() ? std::string("Untitled") : std::filesystem::path(path).filename().string();
}

void CKVDoc::DetachView(DocumentView* view)
{
    if (m_view == view)
        m_view = nullptr;
}

void CKVDoc::UpdateAllViews(const void* sender, int hint, const HintObject* object)
{
    GetViewHooks().UpdateDocumentViews(this, sender, hint, object);
}

SurfaceSampler* CKVDoc::GetSampler()
{
    if (m_view != nullptr) {
        if (SurfaceSampler* sampler = m_view->GetSurfaceSampler())
            return sampler;
    }
    if (!m_ownSampler)
        m_ownSampler = std::make_unique<SurfaceSampler>(&m_ownProjection, &m_world, nullptr, 1);
    return m_ownSampler.get();
}

int CKVDoc::GetGridSize(int& width, int& height) const { return m_world.GetGridSize(width, height); }

// ---------------------------------------------------------------------------------------
// New document

void CKVDoc::ResetHeader()
{
    layerFlag = kNewLayerFlag;
    headerValue2 = 0;
    headerValue3 = kNewHeaderValue3;
    headerValue4 = 0;
    headerValue5 = 0;
    headerSpacing1 = kNewHeaderSpacing;
    headerSpacing2 = kNewHeaderSpacing;
}

void CKVDoc::ReadDefaultParms()
{
    CTokenizer tokenizer;
    if (tokenizer.Open(DefaultParmsPath(), false) != 0)
        return;
    // The text block sets parameters only: the grids stay those of the document's world.
    // They are set aside while the parameters are copied and read (copying them twice would
    // cost more than the rest of starting a world), then put back as the copy would have
    // left them: the prescale grid only while prescaling stays enabled.
    Grid2DPtr kept[kChannelGridCount];
    for (int ch = 0; ch < kChannelGridCount; ++ch)
        kept[ch] = std::move(m_world.ChannelSlot(ch));
    SurfMap read(m_world);
    if (read.ReadParms(tokenizer) >= 0)
        m_world = read;
    for (int ch = 0; ch < kChannelGridCount; ++ch)
        if (ch != kChannelPrescale || m_world.prescaleEnabled)
            m_world.ChannelSlot(ch) = std::move(kept[ch]);
    tokenizer.Close();
}

bool CKVDoc::RunNewWorldWizard()
{
    if (m_view == nullptr) {
        ShowMessage(kNoViewMessage);
        return true;
    }
    NewDocSettings settings;
    settings.world = m_world;
    settings.surface1 = m_world.surface1;
    settings.surface2 = m_world.surface2;
    settings.light = m_viewSettings.light;
    settings.landColorCount = m_viewSettings.LandColorCount();
    settings.seaColorCount = m_viewSettings.SeaColorCount();
    settings.surfaceType = m_world.surfaceType;
    settings.secondSurfaceMode = m_world.secondSurfaceMode;
    settings.metric = MetricUnits.load();
    settings.worldSizeDisplay = WorldSizeDisplay.load();
    if (GetNewWorldWizard().Run(settings) != NewWorldWizard::kFinish)
        return false;
    // The view's worker reads the world: it stops before the world is replaced.
    StopActiveViewRender();
    GetUndoList().Clear();
    m_viewSettings.LandColorCount() = settings.landColorCount;
    m_viewSettings.SeaColorCount() = settings.seaColorCount;
    m_viewSettings.light = settings.light;
    m_world = settings.world;
    m_world.surface1 = settings.surface1;
    m_world.surface2 = settings.surface2;
    m_world.surfaceType = settings.surfaceType;
    m_world.secondSurfaceMode = settings.secondSurfaceMode;
    MetricUnits.store(settings.metric);
    WorldSizeDisplay.store(settings.worldSizeDisplay);
    m_world.sphericalMapping = settings.surfaceType != kPlanarSurfaceType ? 1 : 0;
    // A world made from binary data samples its elevation file from the start.
    if (m_world.surfaceType == kSurfaceImported && !m_world.surface1.IsMapped())
        m_world.surface1.MapFile();
    return true;
}

bool CKVDoc::OnNewDocument()
{
    // A cancelled wizard leaves the open world alone: it runs before anything is cleared.
    const bool first = g_firstDocument.load();
    if (!first && !RunNewWorldWizard())
        return false;
    // What the framework does for every new document.
    DeleteContents();
    m_pathName.clear();
    m_title = "Untitled";
    m_modified = false;

    if (first) {
        m_world.SetResolution(SurfMap::kResolution512, false);
        ResetHeader();
        if (const SurfMap* parameterWorld = GetParameterWorld()) {
            m_world = *parameterWorld;
        } else {
            if (GetRunInt("Settings", "RS", 1) != 0 && !GetInputState().IsCtrlDown())
                ReadDefaultParms();
            m_world.sourceParms.seed = static_cast<int32_t>(static_cast<uint32_t>(GetSeedClock().Counter()));
        }
    }
    g_firstDocument.store(false);

    if (m_view != nullptr)
        m_view->SetActiveOverlay(nullptr);
    RemoveOverlaysAndRivers();
    ResetWorld();
    m_modified = false;
    return true;
}

void CKVDoc::DeleteContents() { UpdateAllViews(nullptr, kHintDeleteContents, nullptr); }

// ---------------------------------------------------------------------------------------
// Recalculation

bool CKVDoc::RecalculatesTwice() { return GetRunInt("Settings", "123", 0) != 0; }

void CKVDoc::RecalculateWorld()
{
    WaitCursorScope wait;
    m_ownSampler.reset();
    SRand(static_cast<uint32_t>(m_world.sourceParms.seed));
    if (m_world.randomOrigin) {
        const float unit = static_cast<float>(1.0 / 32767.0);
        m_world.originX = static_cast<float>(Rand()) * unit * 40.0f - 20.0f;
        m_world.originY = static_cast<float>(Rand()) * unit * 40.0f - 20.0f;
        m_world.originZ = static_cast<float>(Rand()) * unit * 40.0f - 20.0f;
        m_world.scaleX = m_world.scaleY = m_world.scaleZ = m_world.landSize * 0.25;
    } else {
        // The same draws either way, so the sequence after this step does not depend on it.
        Rand();
        Rand();
        Rand();
    }
    m_world.seaBias = 0.0f;
    m_world.factorBelow = 1.0f;
    m_world.factorAbove = 1.0f;
    m_world.CreateFractalBasis();

    // The sea level lies where the water percentage of the sampled basis lies below it; the
    // factors map the raw extremes to the world's lowest and highest altitude.
    WorldData data;
    data.Compute(m_world);
    const double bias = data.Percentile(m_world.waterPercent);
    m_world.seaBias = static_cast<float>(bias);
    const double below = static_cast<double>(data.GetMinimum()) - bias;
    const double above = static_cast<double>(data.GetMaximum()) - bias;
    m_world.factorBelow = below != 0.0 ? static_cast<float>(m_world.minAltitude / below) : 1.0f;
    m_world.factorAbove = above != 0.0 ? static_cast<float>(m_world.maxAltitude / above) : 1.0f;
}

void CKVDoc::Recalculate()
{
    RecalculateWorld();
    if (RecalculatesTwice())
        RecalculateWorld();
    UpdateAllViews(nullptr, kHintWorldRecalculated, nullptr);
}

void CKVDoc::SetWorldShift(double latitudeShift, double longitudeShift)
{
    m_world.axisLatitude = latitudeShift;
    m_world.axisLongitude = longitudeShift;
    Recalculate();
    SetModifiedFlag(true);
}

void CKVDoc::ResetWorld()
{
    InputState& keys = GetInputState();
    if (!(keys.IsShiftDown() && keys.IsCtrlDown()))
        m_world.ClearChannels();
    if (!keys.IsAltDown())
        m_world.selection.Fill(0);
    RemoveOverlaysAndRivers();
    SetModifiedFlag(true);
    Recalculate();
}

void CKVDoc::StepWorld(int step)
{
    SetPathName(std::string());
    m_world.sourceParms.seed = static_cast<int32_t>(static_cast<uint32_t>(m_world.sourceParms.seed) +
                                                    static_cast<uint32_t>(step));
    ResetWorld();
    SetModifiedFlag(false);
}

void CKVDoc::RemoveOverlaysAndRivers()
{
    m_overlays.RemoveAll();
    m_rivers.rivers.clear();
}

// ---------------------------------------------------------------------------------------
// Undo

int CKVDoc::RecordUndo(const std::string& stepName, int channel)
{
    if (channel == kSelectionChannel) {
        GetUndoList().Add(&m_world.selection, stepName, 0, 0);
        return 0;
    }
    // The altitude lives in the land offset channel.
    if (channel < 0 || channel == kChannelAltitude)
        channel = kChannelLandOffset;
    GetUndoList().Add(&m_world, stepName, channel, 0);
    return 0;
}

void CKVDoc::RecordSelectionUndo(const std::string& stepName) { RecordUndo(stepName, kSelectionChannel); }

void CKVDoc::SavePovInclude(const std::string& path)
{
    (void)path;
    ShowMessage(kPovNotImplemented);
}

// ---------------------------------------------------------------------------------------
// "Default.srf"

std::string CKVDoc::DefaultParmsPath()
{
    std::string folder = GetInstallDir(GetAppSettings());
    if (!IsWritableFolder(folder))
        folder = ProfileFolder();
    return (std::filesystem::path(folder) / kDefaultParmsFile).string();
}

bool CKVDoc::WriteDefaultParms() const
{
    const std::filesystem::path path = DefaultParmsPath();
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    AtomicFile file;
    if (!file.Open(path.string()))
        return false;
    CTokenizer tokenizer;
    m_world.WriteParms(file.File(), tokenizer);
    return file.Commit();
}

} // namespace kv
