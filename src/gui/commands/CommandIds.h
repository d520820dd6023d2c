// Command ids of the program's menus, toolbars and keys.
#pragma once

namespace kv::cmd {

// The class library's commands.
constexpr int kFileNew = 57600;
constexpr int kFileOpen = 57601;
constexpr int kFileSave = 57603;
constexpr int kFileSaveAs = 57604;
constexpr int kFilePrintSetup = 57606;
constexpr int kFilePrint = 57607;
constexpr int kFilePrintPreview = 57609;
constexpr int kFileMruFirst = 57616;
constexpr int kRecentFileCount = 4;
constexpr int kAppAbout = 57664;
constexpr int kAppExit = 57665;
constexpr int kHelp = 57670;

// Bars on the View menu (each the bar's window id).
constexpr int kBarWorldTools = 59392;
constexpr int kBarStatus = 59393;
constexpr int kBarMapTools = 33131;
constexpr int kBarToolsPalette = 33132;
constexpr int kBarClimateSelector = 33128;
constexpr int kBarViewProperties = 33130;
constexpr int kBarGlobeTools = 500;

// The program's own.
constexpr int kEditPreferences = 33022;
constexpr int kMapRegenerate = 33051;
// File/Export World: the Skyloom template drawing of the world's icosahedral net.
constexpr int kFileExportSkyloom = 33310;
// Whole-world outputs of the document.
constexpr int kFileSaveSphereMap = 33300;
constexpr int kFileSaveIcosahedral = 33301;
constexpr int kFileSaveSpinSequence = 33302;
constexpr int kFileExportVRML = 33303;
// The PW2 Export dialog (export definitions and the drawing of the active view).
constexpr int kFileSavePW2 = 33304;
constexpr int kWorldSettings = 503;
constexpr int kViewWorldSettings = 33136;
constexpr int kLightingAndColor = 33021;

// The paint tools (each selects its tool; with Shift the raise/lower ones run the channel's
// global command), the brush size classes, Tool Options and the tool options bar.
constexpr int kPaintLowerTemperature = 33003;
constexpr int kPaintRaiseTemperature = 33010;
constexpr int kPaintLowerRainfall = 33006;
constexpr int kPaintRaiseRainfall = 33020;
constexpr int kPaintLowerOffset = 33047;
constexpr int kPaintRaiseOffset = 33050;
constexpr int kPaintRaiseRoughness = 33052;
constexpr int kPaintLowerRoughness = 33054;
constexpr int kPaintWaterLevel = 33135;
constexpr int kPaintClimate = 33014;
constexpr int kPaintValueOffset = 33123;
constexpr int kPaintValueRoughness = 33124;
constexpr int kPaintValueTemperature = 33126;
constexpr int kPaintValueRainfall = 33125;
constexpr int kPaintLowerPrescale = 33211;
constexpr int kPaintRaisePrescale = 33210;
constexpr int kPaintValuePrescale = 33209;
constexpr int kBrushSizeXL = 33106;
constexpr int kBrushSizeLG = 33104;
constexpr int kBrushSizeSM = 33105;
constexpr int kBrushSizeXS = 33107;
constexpr int kToolOptions = 33103;
constexpr int kBarToolOptions = 33258;
constexpr int kColorLinkWindow = 33193;
// The coloured list's own commands, run on the list that has the focus.
constexpr int kListClear = 57632;
constexpr int kListCopy = 57634;
constexpr int kListSelectAll = 57642;

// The commands that choose the mouse tools (the paint tools are above).
constexpr int kToolZoomWindow = 33143;
constexpr int kToolPan = 33055;
constexpr int kToolRecenter = 33068;
constexpr int kToolSelectFreehand = 33076;
constexpr int kToolSelectPolygon = 33085;
constexpr int kToolSelectRectangle = 33087;
constexpr int kToolSelectEllipse = 33074;
constexpr int kToolSelectBrush = 33083;
constexpr int kToolSelectPencil = 33084;
constexpr int kToolWandAltitude = 33093;
constexpr int kToolWandRainfall = 33095;
constexpr int kToolWandTemperature = 33096;
constexpr int kToolWandClimate = 33094;
constexpr int kToolRuler = 33102;
constexpr int kToolCrater = 33154;
constexpr int kToolOverlayPaint = 33158;
constexpr int kToolOverlayErase = 33159;
constexpr int kToolSelectColorPicker = 33192;
constexpr int kToolOverlayColorPicker = 33264;
constexpr int kToolGradientOffset = 33250;
constexpr int kToolGradientPrescale = 33251;
constexpr int kToolGradientRoughness = 33252;
constexpr int kToolGradientRainfall = 33254;
constexpr int kToolGradientTemperature = 33253;
// The Color Key bar on the View menu.
constexpr int kBarColorKey = 33129;

// The Climate Selector's commands: one per climate class (the class code added to the
// first id), then Default Model, which gives painting back to the climate model.
constexpr int kClimateClassFirst = 33270;
constexpr int kClimateClassLast = kClimateClassFirst + 16;
constexpr int kClimateDefaultModel = 33287;

// Toolbar resources whose images the menus show, in loading order (a later one wins).
constexpr int kToolbarMenuOnly = 128;
constexpr int kToolbarWorldTools = 1009;
constexpr int kToolbarMapTools = 1010;
constexpr int kToolbarTools = 1007;
constexpr int kToolbarClimate = 1000;
constexpr int kToolbarExtra = 1008;

// The map view's context menu resource.
constexpr int kViewContextMenu = 1004;

} // namespace kv::cmd
