// The world document file (".kvw"): the document header, the world surface record, the view
// block of the first view, two imported data surfaces, the latitude/longitude grid, the image
// overlays and the river vector overlay, each embedded record with its own version.
#include "document/CKVDoc.h"

#include "base/AppSettings.h"
#include "base/DisplayUnits.h"
#include "base/MessageService.h"
#include "document/DocumentContext.h"
#include "platform/Archive.h"
#include "platform/AtomicFile.h"
#include "world/SurfaceSampler.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace kv {

namespace {
constexpr uint32_t kMetricVersion = 257;
constexpr uint32_t kSurfacesVersion = 258;
constexpr uint32_t kGridVersion = 259;
constexpr uint32_t kWizardOptionVersion = 260;
// Files up to this version were made with the older calculation: loading one switches on
// the "123" preference for the rest of the run.
constexpr uint32_t kLastOldCalculationVersion = 260;
constexpr uint32_t kOverlaysVersion = 262;
constexpr uint32_t kRiversVersion = 263;
constexpr uint32_t kRiversHiddenVersion = 264;
} // namespace

// Everything a file holds, read before the document takes it. What an older file does not
// hold keeps a new document's value; the world and the view settings start as the
// document's own (records that read nothing leave them as they were).
struct CKVDoc::Loaded {
    explicit Loaded(const CKVDoc& doc) : world(doc.m_world) { view = doc.m_viewSettings; }

    uint32_t version = 0;
    int32_t layerFlag = kNewLayerFlag;
    int32_t headerValue2 = 0;
    int32_t headerValue3 = kNewHeaderValue3;
    int32_t headerValue4 = 0;
    int32_t headerValue5 = 0;
    double headerSpacing1 = kNewHeaderSpacing;
    double headerSpacing2 = kNewHeaderSpacing;
    uint32_t metric = 0;
    uint32_t wizardOption = 0;
    SurfMap world;
    ViewSettings view;
    CISurf surface1;
    CISurf surface2;
    CRectGrid grid;
    ImageOverlayList overlays;
    RiverVectorOverlay rivers;
    bool riversHidden = false;
};

void CKVDoc::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kArchiveVersion;
        ar << layerFlag << headerValue2 << headerValue3 << headerValue4 << headerValue5;
        ar << headerSpacing1 << headerSpacing2;
        ar << static_cast<uint32_t>(MetricUnits.load()) << static_cast<uint32_t>(WorldSizeDisplay.load());
        m_world.Serialize(ar);
        m_viewSettings.Serialize(ar, m_world.climate);
        ar << uint32_t{0};
        m_surface1.Serialize(ar);
        m_surface2.Serialize(ar);
        m_grid.Serialize(ar);
        m_overlays.Serialize(ar);
        m_rivers.Serialize(ar);
        ar << static_cast<uint32_t>(m_riversHidden ? 1 : 0);
        return;
    }

    SetFirstDocument(false);
    auto loaded = std::make_unique<Loaded>(*this);
    Loaded& in = *loaded;
    ar >> in.version;
    const uint32_t v = in.version;
    if (v >= kFirstHeaderVersion) {
        ar >> in.layerFlag >> in.headerValue2 >> in.headerValue3 >> in.headerValue4 >> in.headerValue5;
        ar >> in.headerSpacing1 >> in.headerSpacing2;
        if (v >= kMetricVersion)
            ar >> in.metric;
        if (v >= kWizardOptionVersion)
            ar >> in.wizardOption;
    }
    in.world.Serialize(ar);
    in.view.Serialize(ar, in.world.climate);
    if (v >= kSurfacesVersion) {
        uint32_t reserved = 0;
        ar >> reserved;
        in.surface1.Serialize(ar);
        in.surface2.Serialize(ar);
    }
    if (v >= kGridVersion)
        in.grid.Serialize(ar);
    if (v >= kOverlaysVersion)
        in.overlays.Serialize(ar);
    if (v >= kRiversVersion)
        in.rivers.Serialize(ar);
    if (v >= kRiversHiddenVersion) {
        uint32_t hidden = 0;
        ar >> hidden;
        in.riversHidden = hidden != 0;
    }

    Adopt(in);
}

void CKVDoc::Adopt(Loaded& in)
{
    const uint32_t v = in.version;
    if (v >= kFirstHeaderVersion) {
        layerFlag = in.layerFlag;
        headerValue2 = in.headerValue2;
        headerValue3 = in.headerValue3;
        headerValue4 = in.headerValue4;
        headerValue5 = in.headerValue5;
        headerSpacing1 = in.headerSpacing1;
        headerSpacing2 = in.headerSpacing2;
        if (v >= kMetricVersion)
            MetricUnits.store(static_cast<int>(in.metric));
        if (v >= kWizardOptionVersion)
            WorldSizeDisplay.store(static_cast<int>(in.wizardOption));
    } else {
        ResetHeader();
    }
    m_ownSampler.reset();
    m_world = in.world;
    m_viewSettings = in.view;
    m_surface1 = in.surface1;
    m_surface2 = in.surface2;
    if (v >= kSurfacesVersion) {
        // A surface whose raster file is missing stays unmapped; the document opens all the same.
        m_surface1.MapFile();
        m_surface2.MapFile();
    }
    m_grid = in.grid;
    {
        std::lock_guard lock(OverlayLock());
        if (m_view != nullptr)
            m_view->SetActiveOverlay(nullptr);
        m_overlays.RemoveAll();
        for (int i = 0; i < in.overlays.Count(); ++i)
            m_overlays.Add(std::make_unique<ImageOverlay>(*in.overlays.At(i)));
        m_overlays.RefreshDialog();
    }
    m_rivers.rivers = std::move(in.rivers.rivers);
    m_riversHidden = in.riversHidden;

    if (v <= kLastOldCalculationVersion)
        SetRunInt("Settings", "123", 1);
    RecalculateWorld();
    if (RecalculatesTwice())
        RecalculateWorld();
    UpdateAllViews(nullptr, kHintWorldRecalculated, nullptr);
    UpdateActiveDocViews(nullptr, kHintDocumentLoaded, nullptr);
}

bool CKVDoc::OnOpenDocument(const std::string& path)
{
    // Only a regular file: a pipe or device would wait for a writer or never end.
    std::error_code error;
    errno = 0;
    const bool regular = std::filesystem::is_regular_file(path, error);
    const int statError = error.value();
    std::FILE* file = regular ? std::fopen(path.c_str(), "rb") : nullptr;
    if (file == nullptr) {
        std::string reason = "not a regular file";
        if (regular || statError != 0)
            reason = std::strerror(regular ? errno : statError);
        ShowMessage("Unable to open " + path + ": " + reason);
        return false;
    }
    DeleteContents();
    bool ok = true;
    try {
        CArchive ar(file, CArchive::load);
        Serialize(ar);
    } catch (const std::exception& e) {
        ShowMessage("Unable to read " + path + ": " + e.what());
        ok = false;
    }
    std::fclose(file);
    if (ok) {
        SetPathName(path);
        SetModifiedFlag(false);
    }
    return ok;
}

bool CKVDoc::OnSaveDocument(const std::string& path)
{
    AtomicFile file;
    bool ok = file.Open(path);
    if (ok) {
        try {
            CArchive ar(file.File(), CArchive::store);
            Serialize(ar);
            ar.Flush();
        } catch (const std::exception&) {
            ok = false;
        }
    }
    ok = ok && file.Commit();
    if (!ok) {
        ShowMessage("Unable to save " + path);
        return false;
    }
    SetPathName(path);
    SetModifiedFlag(false);
    return true;
}

} // namespace kv
