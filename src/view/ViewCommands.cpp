#include "view/ViewCommands.h"

#include "base/MessageService.h"
#include "base/Undo.h"
#include "base/ViewHooks.h"
#include "base/color/ColorChooser.h"
#include "document/CKVDoc.h"
#include "document/DocumentServices.h"
#include "shading/ShaderIds.h"
#include "shading/ShaderRegistry.h"
#include "shading/Shaders.h"
#include "view/CKVView.h"
#include "view/ViewCommandIds.h"
#include "view/ViewInput.h"

namespace kv {

namespace {

using namespace viewcmd;

constexpr int kHintRedraw = 1;
constexpr int kHintOverlays = 13;
constexpr uint32_t kOpaque = 0xFF000000u;

// The display modes of the selection: its mask, or its outline.
constexpr int kSelectionMask = 0;
constexpr int kSelectionOutline = 1;

// Holds the view's busy counter while a dialog runs.
class BusyScope {
public:
    explicit BusyScope(CKVView& view) : m_view(view) { m_view.EnterBusy(); }
    ~BusyScope() { m_view.LeaveBusy(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    CKVView& m_view;
};

} // namespace

ViewCommands::ViewCommands(CKVView& view, CKVDoc& document, ViewCommandHost& host, ViewInput* input)
    : m_view(view), m_doc(document), m_host(host), m_input(input)
{
}

int ViewCommands::ShaderOfCommand(int id)
{
    switch (id) {
    case kShowAltitude: return kShaderAltitude;
    case kShowClimate: return kShaderClimate;
    case kShowRainfall: return kShaderRainfall;
    case kShowTemperature: return kShaderTemperature;
    case kShowGaia: return kShaderGaia;
    case kShowNormalMap: return kShaderNormalMap;
    case kShowBumpMap: return kShaderBumpMap;
    case kTexturedClimate: return kShaderTexClimate;
    case kShowImageClimate: return kShaderImgClimate;
    default: return -1;
    }
}

bool ViewCommands::HasCommand(int id) const
{
    if (ShaderOfCommand(id) >= 0)
        return true;
    switch (id) {
    case kNextWorld: case kPreviousWorld: case kChangeProjection: case kBackground: case kGridSettings:
    case kShowSelectMask: case kShowOutline: case kViewWindow: case kAltColorConversion: case kShowOverlayWindow:
    case kSetOverlayColor: case kFillSelection: case kEraseSelection: case kHideAllOverlays:
    case kWorldSettings: case kLightingAndColor:
    case kGlobeQuit: case kGlobeCancel: case kGlobeHelp:
    case kZoomExtents: case kZoomIn: case kZoomOut: case kZoomPrior:
    case kPanDown: case kPanLeft: case kPanRight: case kPanUp:
    case kCentreDown: case kCentreLeft: case kCentreRight: case kCentreUp:
    case kAddView:
        return true;
    default:
        return false;
    }
}

bool ViewCommands::HasClimateData(const CKVDoc& document)
{
    const SurfMap& world = document.GetWorld();
    return world.grids[kChannelTemperature] != nullptr && world.grids[kChannelRainfall] != nullptr;
}

bool ViewCommands::HasActiveOverlay() const { return m_doc.GetOverlays().GetActive() != nullptr; }

ViewCommandState ViewCommands::Update(int id) const
{
    ViewCommandState state;
    const int shader = ShaderOfCommand(id);
    if (shader >= 0) {
        state.checkable = true;
        state.checked = m_view.GetShader() == shader;
        if (id == kShowClimate || id == kShowRainfall || id == kShowTemperature)
            state.enabled = HasClimateData(m_doc);
        return state;
    }
    switch (id) {
    case kChangeProjection: state.enabled = m_host.HasProjectionDialog(); break;
    case kGridSettings: state.enabled = m_host.HasGridDialog(); break;
    case kShowSelectMask:
    case kShowOutline:
        state.enabled = m_doc.GetSelection().IsActive();
        state.checkable = true;
        state.checked = m_view.SelectionDisplayMode() == (id == kShowSelectMask ? kSelectionMask : kSelectionOutline);
        break;
    case kViewWindow:
        state.enabled = m_host.HasViewWindow();
        state.checkable = true;
        state.checked = m_host.ViewWindowVisible();
        break;
    case kAltColorConversion:
        state.enabled = m_host.HasAltColorWindow();
        state.checkable = true;
        state.checked = m_host.AltColorWindowVisible();
        break;
    case kShowOverlayWindow: state.enabled = m_host.HasOverlayWindow(); break;
    case kFillSelection:
    case kEraseSelection: state.enabled = HasActiveOverlay(); break;
    case kWorldSettings:
        state.enabled = m_host.HasWorldSettings();
        state.checkable = true;
        state.checked = m_host.WorldSettingsVisible();
        break;
    case kLightingAndColor:
        state.enabled = m_host.HasLightingAndColor();
        state.checkable = true;
        state.checked = m_host.LightingAndColorVisible();
        break;
    case kZoomPrior: state.enabled = m_view.HistoryCount() > 0; break;
    case kAddView: state.enabled = true; break;
    default: break;
    }
    return state;
}

void ViewCommands::OnCommand(int id)
{
    // A command whose dialog or window is not there, or a climate shader without climate
    // data, does nothing even when reached; the fill and erase commands explain themselves.
    if (!Update(id).enabled && id != kFillSelection && id != kEraseSelection)
        return;
    const int shader = ShaderOfCommand(id);
    if (id == kShowImageClimate) {
        ShowImageClimate();
        return;
    }
    if (shader >= 0) {
        SelectShader(shader);
        return;
    }
    switch (id) {
    case kNextWorld: StepWorld(1); break;
    case kPreviousWorld: StepWorld(-1); break;
    case kChangeProjection: ChangeProjection(); break;
    case kBackground: ChangeBackground(); break;
    case kGridSettings: ChangeGrids(); break;
    case kShowSelectMask:
    case kShowOutline:
        m_view.SetSelectionDisplayMode(id == kShowSelectMask ? kSelectionMask : kSelectionOutline);
        m_view.OnUpdate(kHintSelectionChanged);
        break;
    case kViewWindow: m_host.ToggleViewWindow(); break;
    case kAltColorConversion: m_host.ToggleAltColorWindow(); break;
    case kShowOverlayWindow:
        m_doc.GetOverlays().ShowDialog(m_doc.GetOverlays().IsDialogVisible() ? 0 : 5);
        break;
    case kSetOverlayColor: SetOverlayColour(); break;
    case kFillSelection: FillOrErase(true); break;
    case kEraseSelection: FillOrErase(false); break;
    case kHideAllOverlays: HideAllOverlays(); break;
    case kWorldSettings: m_host.ToggleWorldSettings(); break;
    case kLightingAndColor: m_host.ToggleLightingAndColor(); break;
    case kGlobeQuit: m_host.CloseMainWindowNow(); break;
    case kGlobeCancel: m_host.PostCloseMainWindow(); break;
    case kGlobeHelp: m_host.ShowHelp(kGlobeHelpContext); break;
    case kZoomExtents: m_view.ZoomExtents(); break;
    case kZoomIn: m_view.ZoomIn(); break;
    case kZoomOut: m_view.ZoomOut(); break;
    case kZoomPrior: m_view.ZoomPrior(); break;
    case kPanDown: m_view.PanStep(0, 1); break;
    case kPanLeft: m_view.PanStep(-1, 0); break;
    case kPanRight: m_view.PanStep(1, 0); break;
    case kPanUp: m_view.PanStep(0, -1); break;
    case kCentreDown: m_view.MoveCentreStep(-1, 0); break;
    case kCentreLeft: m_view.MoveCentreStep(0, -1); break;
    case kCentreRight: m_view.MoveCentreStep(0, 1); break;
    case kCentreUp: m_view.MoveCentreStep(1, 0); break;
    case kAddView: AddView(); break;
    default: break;
    }
}

void ViewCommands::SelectShader(int shaderId)
{
    if (m_view.GetShader() == shaderId)
        return;
    m_view.SetShader(shaderId);
    m_view.OnUpdate(kHintRedraw);
}

void ViewCommands::ShowImageClimate()
{
    // The dialog sets the shader's image on OK; OK or Cancel, the image named then decides.
    auto* shader = dynamic_cast<Shader_ImgClimate*>(GetShaderRegistry().GetShader(kShaderImgClimate));
    if (!shader)
        return;
    ImageClimateValues values;
    values.shader = shader;
    values.climate = m_doc.GetWorld().GetClimateParms();
    GetCommandDialogs().ImageClimate(values);
    int enabled = 0;
    std::string path;
    shader->GetImage(enabled, path);
    if (path.empty()) {
        ShowMessage(kNoImageMessage);
        return;
    }
    m_view.SetShader(kShaderImgClimate);
    shader->SetImage(1, path);
    m_view.OnUpdate(kHintRedraw);
}

void ViewCommands::StepWorld(int step)
{
    if (m_doc.IsModified() && !AskYesNo(kChangeWorldQuestion))
        return;
    m_view.StopRenderWorker();
    m_doc.StepWorld(step);
    m_host.RefreshWorldSettings();
}

void ViewCommands::ChangeProjection()
{
    BusyScope busy(m_view);
    ProjectionParms copy = m_view.Projection();
    if (!m_host.RunProjectionDialog(copy, m_doc.GetWorld(), m_view.Light()))
        return;
    m_view.StopRenderWorker();
    m_view.Projection() = copy;
    m_view.OnUpdate(kHintRedraw);
}

void ViewCommands::ChangeBackground()
{
    BusyScope busy(m_view);
    const ViewSettings& settings = m_view.Settings();
    BackgroundValues values;
    values.pattern = settings.hatchIndex;
    values.foreground = settings.hatchColor;
    values.background = settings.backgroundColor;
    if (!GetCommandDialogs().Background(values))
        return;
    m_view.SetHatch(values.pattern, values.foreground, values.background);
    // The hatch is drawn into the image only by a full preparation: a restart of the
    // passes alone would leave the old background on screen.
    m_view.OnUpdate(kHintRedraw);
}

void ViewCommands::ChangeGrids()
{
    BusyScope busy(m_view);
    CRectGrid copy = m_doc.GetRectGrid();
    if (!m_host.RunGridDialog(copy))
        return;
    m_doc.GetRectGrid() = copy;
    m_doc.SetModifiedFlag();
    m_view.RedrawGridLayer();
    m_view.OnUpdate(kHintSelectionChanged);
}

void ViewCommands::SetOverlayColour()
{
    if (!m_input)
        return;
    uint32_t colour = m_input->DrawingColour() & 0x00FFFFFFu;
    if (!GetColorChooser().PickSystemColor(colour))
        return;
    m_input->SetDrawingColour((m_input->DrawingColour() & kOpaque) | (colour & 0x00FFFFFFu));
    m_input->SyncToolValues();
}

void ViewCommands::FillOrErase(bool fill)
{
    ImageOverlayList& overlays = m_doc.GetOverlays();
    if (overlays.Count() == 0) {
        ShowMessage(kNoOverlaysMessage);
        return;
    }
    ImageOverlay* overlay = overlays.GetActive();
    if (!overlay) {
        ShowMessage(kNoActiveOverlayMessage);
        return;
    }
    uint32_t colour = 0;
    if (fill) {
        if (m_input) {
            m_input->SyncToolValues();
            colour = (m_input->DrawingColour() & 0x00FFFFFFu) | kOpaque;
        } else {
            colour = kOpaque;
        }
    }
    GetUndoList().Add(overlay, fill ? kFillStep : kEraseStep, 0, 0);
    {
        std::lock_guard<std::recursive_mutex> lock(OverlayLock());
        overlay->FillSelection(colour, &m_doc.GetSelection());
    }
    m_doc.SetModifiedFlag(true);
    m_view.OnUpdate(kHintOverlays);
}

void ViewCommands::HideAllOverlays()
{
    if (m_input)
        m_input->DropOverlayTool();
    m_doc.GetOverlays().SetActive(nullptr);
    m_view.SetActiveOverlay(nullptr);
    if (m_input)
        m_input->SyncToolValues();
    {
        std::lock_guard<std::recursive_mutex> lock(OverlayLock());
        m_doc.GetOverlays().SetAllVisible(false);
    }
    m_doc.UpdateAllViews(nullptr, kHintOverlays);
}

bool ViewCommands::AddView()
{
    std::string name;
    if (!m_host.AskViewName(name))
        return false;
    m_view.Settings().savedViews.Add(m_view.MakeViewInfo(name));
    m_host.RefillViewWindow();
    m_doc.SetModifiedFlag(true);
    return true;
}

} // namespace kv
