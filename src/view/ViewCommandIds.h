// Command ids of the map view's own commands (menus, keys and the Globe Tools bar).
#pragma once

namespace kv::viewcmd {

// Shaders.
constexpr int kShowAltitude = 33097;
constexpr int kShowClimate = 33098;
constexpr int kShowRainfall = 33099;
constexpr int kShowTemperature = 33100;
constexpr int kShowGaia = 33053;
constexpr int kShowNormalMap = 33231;
constexpr int kShowBumpMap = 33232;
constexpr int kTexturedClimate = 33243;
constexpr int kShowImageClimate = 33191;

// Map and view.
constexpr int kNextWorld = 33137;
constexpr int kPreviousWorld = 33138;
constexpr int kChangeProjection = 33062;
constexpr int kBackground = 33061;
constexpr int kGridSettings = 33045;
constexpr int kShowSelectMask = 33089;
constexpr int kShowOutline = 33090;
constexpr int kViewWindow = 33066;
constexpr int kAltColorConversion = 33187;
constexpr int kShowOverlayWindow = 33160;
constexpr int kSetOverlayColor = 33161;
constexpr int kFillSelection = 33165;
constexpr int kEraseSelection = 33166;
constexpr int kHideAllOverlays = 33156;
constexpr int kWorldSettings = 33136;
constexpr int kLightingAndColor = 33021;
// The Globe Tools bar's buttons.
constexpr int kGlobeQuit = 5573;
constexpr int kGlobeCancel = 5574;
constexpr int kGlobeHelp = 9;
constexpr int kGlobeHelpContext = 131310;

// Navigation.
constexpr int kZoomExtents = 33140;
constexpr int kZoomIn = 33141;
constexpr int kZoomOut = 33142;
constexpr int kZoomPrior = 33134;
constexpr int kPanDown = 33056;
constexpr int kPanLeft = 33057;
constexpr int kPanRight = 33058;
constexpr int kPanUp = 33059;
constexpr int kCentreDown = 505;
constexpr int kCentreLeft = 507;
constexpr int kCentreRight = 508;
constexpr int kCentreUp = 509;

// Saved views.
constexpr int kAddView = 33060;

} // namespace kv::viewcmd
