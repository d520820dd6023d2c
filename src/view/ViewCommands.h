// The map view's commands: shaders, worlds, projection, background, grids, the selection
// display, the saved-views and colour-to-altitude windows, the overlay fill and erase, Hide
// All Overlays, the
// Globe Tools bar's buttons, zoom and pan with the history, and Add View. Each command is
// a handler plus an update handler (enabled, checked).
//
// Dialogs and windows come through ViewCommandHost, whose defaults have none: a command
// whose dialog is not there is disabled. Messages and questions go through the message
// service.
#pragma once

#include <cstdint>
#include <string>

namespace kv {

class CKVDoc;
class CKVView;
class CRectGrid;
class CViewInfo;
class LightParms;
class ProjectionParms;
class SurfMap;
class ViewInput;

struct ViewCommandState {
    bool enabled = true;
    bool checkable = false;
    bool checked = false;
};

class ViewCommandHost {
public:
    virtual ~ViewCommandHost() = default;

    // ---- dialogs (false / no dialog by default; Background and Show Image Climate go
    // through the command dialogs of DocumentServices.h) ----
    virtual bool HasProjectionDialog() const { return false; }
    // Edits the parameters (a copy); true on OK.
    virtual bool RunProjectionDialog(ProjectionParms&, SurfMap&, LightParms&) { return false; }
    virtual bool HasGridDialog() const { return false; }
    virtual bool RunGridDialog(CRectGrid&) { return false; }
    // The view name dialog; true on OK with the name.
    virtual bool AskViewName(std::string& /*name*/) { return false; }

    // ---- modeless windows ----
    virtual bool HasViewWindow() const { return false; }
    virtual void ToggleViewWindow() {}
    virtual bool ViewWindowVisible() const { return false; }
    // Fills the saved-views window's list again when the window exists.
    virtual void RefillViewWindow() {}
    virtual bool HasAltColorWindow() const { return false; }
    virtual void ToggleAltColorWindow() {}
    virtual bool AltColorWindowVisible() const { return false; }
    virtual bool HasOverlayWindow() const { return false; }

    // ---- the main frame and the application ----
    virtual void RefreshWorldSettings() {}
    virtual bool HasWorldSettings() const { return false; }
    virtual void ToggleWorldSettings() {}
    virtual bool WorldSettingsVisible() const { return false; }
    virtual bool HasLightingAndColor() const { return false; }
    virtual void ToggleLightingAndColor() {}
    virtual bool LightingAndColorVisible() const { return false; }
    // The main window closes at once (Quit) or when the queued request is taken (Cancel).
    virtual void CloseMainWindowNow() {}
    virtual void PostCloseMainWindow() {}
    virtual void ShowHelp(int /*context*/) {}
};

class ViewCommands {
public:
    static constexpr const char* kChangeWorldQuestion = "Changing worlds will lose your editing - continue?";
    static constexpr const char* kNoImageMessage =
        "You must select an image name for this shader to be used.\nShader will not be changed";
    static constexpr const char* kNoOverlaysMessage =
        "This command has no effect because no image overlays have been defined.\nImage Overlays can be defined "
        "using the Image Overlay window.";
    static constexpr const char* kNoActiveOverlayMessage =
        "This command has no effect because no image overlay is set as the active one.\nAn overlay can be set "
        "active using the Image Overlay window.";
    static constexpr const char* kFillStep = "Fill Selection on Overlay";
    static constexpr const char* kEraseStep = "Erase Selection on Overlay";

    // `input` (may be null) holds the drawing colour and the tool values.
    ViewCommands(CKVView& view, CKVDoc& document, ViewCommandHost& host, ViewInput* input = nullptr);

    bool HasCommand(int id) const;
    void OnCommand(int id);
    ViewCommandState Update(int id) const;

    // Add View: asks a name; on OK the saved view is appended, the window's list filled
    // again and the document marked modified. False when cancelled.
    bool AddView();
    // The shader id of a shader command; -1 for another id.
    static int ShaderOfCommand(int id);
    // Whether the document's world has the temperature and rainfall grids of a climate.
    static bool HasClimateData(const CKVDoc& document);

private:
    void SelectShader(int shaderId);
    void ShowImageClimate();
    void StepWorld(int step);
    void ChangeProjection();
    void ChangeBackground();
    void ChangeGrids();
    void SetOverlayColour();
    void FillOrErase(bool fill);
    // Drops an overlay tool, makes no overlay active and hides every overlay.
    void HideAllOverlays();
    bool HasActiveOverlay() const;

    CKVView& m_view;
    CKVDoc& m_doc;
    ViewCommandHost& m_host;
    ViewInput* m_input;
};

} // namespace kv
