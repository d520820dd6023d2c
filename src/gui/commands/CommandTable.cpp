#include "gui/commands/CommandTable.h"

#include "document/DocumentCommands.h"
#include "gui/commands/CommandIds.h"
#include "view/ViewCommandIds.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace kv {

namespace {

using namespace cmd;
using namespace viewcmd;

const std::vector<CommandDef> kRows = {
    {kFileNew, "&File", "&New\tCtrl+N", "Create a new world\nNew"},
    {kFileOpen, "&File", "&Open...\tCtrl+O", "Open an existing world\nOpen"},
    {kFileSave, "&File", "&Save\tCtrl+S", "Save the active world\nSave"},
    {kFileSaveAs, "&File", "Save &As...", "Save the active world with a new name\nSave As"},
    {kFileSaveSphereMap, "&File", "Save Sp&here Map Image...", "Save the whole world as one picture\nSphere Map"},
    {kFileSaveIcosahedral, "&File", "Save &Icosahedral Image...",
     "Save the whole world as the net of an icosahedron\nIcosahedral Image"},
    {kFileSaveSpinSequence, "&File", "Save Spin View Se&quence Files...",
     "Save the turning globe as numbered pictures\nSpin Sequence"},
    {kFileExportVRML, "&File", "Export &VRML Scene...", "Save the world as a textured VRML globe\nVRML"},
    {kFileExportSkyloom, "&File", "S&kyloom Pro Template...",
     "Export the world's icosahedral net with a drawing that shows it\nSkyloom Pro Template"},
    {33025, "&File", "&Multiple Files...", "Export the world as linked maps and pages\nMultiple Files"},
    {kFileSavePW2, "&File", "Save P&W2 File...", "Export the map as a PW2 drawing through an export definition\nSave PW2 File"},
    {0, "&File", nullptr, nullptr},
    {kFilePrint, "&File", "&Print...\tCtrl+P", "Print the map\nPrint"},
    {kFilePrintPreview, "&File", "Print Pre&view", "Display full pages\nPrint Preview"},
    {kFilePrintSetup, "&File", "P&rint Setup...", "Change the printer and printing options\nPrint Setup"},
    {0, "&File", nullptr, nullptr},
    {kFileMruFirst, "&File", "Recent File", "Open this world"},
    {kFileMruFirst + 1, "&File", "Recent File", "Open this world"},
    {kFileMruFirst + 2, "&File", "Recent File", "Open this world"},
    {kFileMruFirst + 3, "&File", "Recent File", "Open this world"},
    {0, "&File", nullptr, nullptr},
    {kAppExit, "&File", "E&xit", "Quit the application; prompts to save the world\nExit"},
    {kEditPreferences, "&Edit", "&Preferences...", "Change the program's preferences\nPreferences"},
    {cmd::kWorldSettings, "&Edit", "&World Settings", "Show or hide the World Settings sheet\nWorld Settings"},
    {kBarWorldTools, "&View", "&World Tools", "Show or hide the World Tools bar\nToggle World Tools"},
    {kBarMapTools, "&View", "&Map Tools", "Show or hide the Map Tools bar\nToggle Map Tools"},
    {kBarToolsPalette, "&View", "&Tools Palette", "Show or hide the Tools palette\nToggle Tools"},
    {kBarClimateSelector, "&View", "&Climate Selector", "Show or hide the Climate Selector\nToggle Climate Selector"},
    {kBarStatus, "&View", "&Status Bar", "Show or hide the status bar\nToggle Status Bar"},
    {kBarGlobeTools, "&View", "&Globe Tools Toolbar", "Show or hide the Globe tools\nToggle Globe Tools"},
    {kBarViewProperties, "&View", "View &Properties", "Show or hide the View Properties bar\nToggle View Properties"},
    {0, "&View", nullptr, nullptr},
    {kZoomExtents, "&View", "Zoom &Extents\tF12", "Show the whole map\nZoom Extents"},
    {kZoomIn, "&View", "Zoom &In\t=", "Increase the scale by 2\nZoom In"},
    {kZoomOut, "&View", "Zoom &Out\t-", "Decrease the scale by 2\nZoom Out"},
    {kZoomPrior, "&View", "Zoom &Prior\tBackspace", "Go back to the previous view\nZoom Prior"},
    {kAddView, "&View", "&Add View...", "Store the current view under a name\nAdd View"},
    {kViewWindow, "&View", "&View Window", "Show or hide the saved views\nView Window"},
    {0, "&View", nullptr, nullptr},
    {kShowSelectMask, "&View", "Show Select &Mask", "Show the selection as a mask\nShow Select Mask"},
    {kShowOutline, "&View", "Show &Outline", "Show the selection as an outline\nShow Outline"},
    {viewcmd::kWorldSettings, "&View", "&World Settings", "Show or hide the World Settings\nWorld Settings"},
    {viewcmd::kLightingAndColor, "&View", "&Lighting and Color", "Show or hide the Lighting and Color settings\nLighting"},
    {kMapRegenerate, "&Map", "&Regenerate", "Recompute the world from its parameters\nRegenerate"},
    // The world document's commands (routed to the document, which runs and updates them).
    {57643, "&Edit", "&Undo\tCtrl+Z", "Undo the last action\nUndo"},
    {57644, "&Edit", "Redo\tCtrl+Y", "Redo the previously undone action\nRedo"},
    {0, "&Edit", nullptr, nullptr},
    {33069, "&Select", "&All\tCtrl+A", "Select the whole world\nSelect All"},
    {33073, "&Select", "&Deselect\tCtrl+D", "Clear the selection\nDeselect"},
    {33234, "&Select", "&Reselect\tShift+Ctrl+D", "Restore the last selection\nReselect"},
    {33077, "&Select", "&Inverse\tShift+Ctrl+I", "Invert the selection\nInverse"},
    {0, "&Select", nullptr, nullptr},
    {33075, "&Select", "&Feather...\tAlt+Ctrl+D", "Soften the edge of the selection\nFeather"},
    {33080, "&Select", "&Contract...", "Shrink the selection\nContract"},
    {33081, "&Select", "&Expand...", "Grow the selection\nExpand"},
    {33071, "&Select", "&Binarize...", "Threshold the selection\nBinarize"},
    {33079, "&Select", "&Border...", "Select the border of the selection\nBorder"},
    {33240, "&Select", "&Distance", "Make the selection a ramp from its edge\nDistance"},
    {0, "&Select", nullptr, nullptr},
    {33078, "&Select", "&Load Selection...", "Load a selection from an image\nLoad Selection"},
    {33088, "&Select", "&Save Selection...", "Save the selection as an image\nSave Selection"},
    {0, "&Select", nullptr, nullptr},
    {33070, "&Select", "Altit&ude Range...", "Select an altitude range\nAltitude Range"},
    {33086, "&Select", "&Rainfall Range...", "Select a rainfall range\nRainfall Range"},
    {33091, "&Select", "&Temperature Range...", "Select a temperature range\nTemperature Range"},
    {33072, "&Select", "&Climate Range...", "Select climate classes\nClimate Range"},
    {33116, "&Tools", "&Altitude Value", "Set the altitude of the whole world\nSet Altitude"},
    {33194, "&Tools", "Rainfall &Value", "Set the rainfall of the whole world\nSet Rainfall"},
    {33195, "&Tools", "T&emperature Value", "Set the temperature of the whole world\nSet Temperature"},
    {0, "&Tools", nullptr, nullptr},
    {33121, "&Tools", "Create M&ound From Selection...", "Raise a mound over the selection\nMound"},
    {33122, "&Tools", "Create Mo&undtain From Selection...", "Raise a stepped mound over the selection\nMoundtain"},
    {33247, "&Tools", "Create &Profiled Mound from Selection...", "Raise the selection along a profile\nProfiled Mound"},
    {33222, "&Tools", "Global &Math Tool...", "Combine whole grids\nMath Tool"},
    {0, "&Tools", nullptr, nullptr},
    {33190, "&Tools", "&Fill Basins in Offset...", "Fill the world's basins in the land offset\nFill Basins"},
    {33198, "&Tools", "Fill Basins as &Lakes...", "Fill the world's basins with water\nFill Lakes"},
    {doccmd::kExpandLand, "&Tools", "Expan&d Land in Offset...",
     "Grow the land into the low water, in the land offset\nExpand Land"},
    {33242, "&Tools", "&Incise Flow...", "Cut valleys along the flow of water\nIncise Flow"},
    {33108, "&Tools", "&Burn In to Surface", "Freeze the world into the land offset\nBurn In"},
    {33245, "&Tools", "Re&map Altitudes...", "Remap altitudes through a curve\nRemap Altitudes"},
    {33155, "&Tools", "Planetary &Bombardment...", "Create multiple craters on the planet\nBombardment"},
    {0, "&Tools", nullptr, nullptr},
    {33202, "&Tools", "&Find Rivers", "Find the rivers of the world\nFind Rivers"},
    {33204, "&Tools", "&Clear River Overlays", "Remove the rivers\nClear Rivers"},
    {33205, "&Tools", "&Hide/Show River Overlays", "Hide or Show the river overlay vector channel\nRivers"},
    {33220, "&Tools", "&Enable River Exclusion Mask", "Enable the river exclusion image overlay\nExclusion Mask"},
    {33221, "&Tools", "&Remove River Exclusion Mask", "Remove the river exclusion image overlay\nRemove Mask"},
    {0, "&Tools", nullptr, nullptr},
    {33174, "&Tools", "Set Up Simple &Create Mode", "Paint climates into an overlay to make a world\nSimple Create"},
    {33175, "&Tools", "E&xecute Simple Create...", "Turn the painted climates into a world\nExecute Simple Create"},
    {doccmd::kRunScript, "&Tools", "R&un Script...", "Run a script file on the world\nRun Script"},
    {33227, "&Developmental", "Run &Ashgrove Climate Model", "Run the seasonal climate model\nAshgrove"},
    {33228, "&Developmental", "&Use Default KV Climate Model", "Use the default climate model\nDefault Climate"},
    {33196, "&Developmental", "Setup Up Globe &Image Layers", "Add the globe export layers\nGlobe Layers"},
    {33197, "&Developmental", "Execute &Globe Export...", "Write the globe export\nGlobe Export"},
    {kColorLinkWindow, "&Developmental", "Color &Link Window...", "Show or hide the colour links window\nColor Links"},
    {kNextWorld, "&Map", "&Next World", "Make the next world of the seed sequence\nNext World"},
    {kPreviousWorld, "&Map", "&Previous World", "Make the previous world of the seed sequence\nPrevious World"},
    {0, "&Map", nullptr, nullptr},
    {kChangeProjection, "&Map", "Change Pro&jection...", "Choose the map projection\nChange Projection"},
    {kBackground, "&Map", "&Background...", "Choose the background hatch and colours\nBackground"},
    {kGridSettings, "&Map", "&Grid Settings...", "Edit the latitude/longitude grids\nGrid Settings"},
    {0, "&Map", nullptr, nullptr},
    {kShowAltitude, "&Map", "Show &Altitude", "Colour the map by altitude\nAltitude"},
    {kShowClimate, "&Map", "Show &Climate", "Colour the map by climate\nClimate"},
    {kShowRainfall, "&Map", "Show &Rainfall", "Colour the map by rainfall\nRainfall"},
    {kShowTemperature, "&Map", "Show &Temperature", "Colour the map by temperature\nTemperature"},
    {kShowGaia, "&Map", "Show &Gaia", "Colour the map with the Gaia shader\nGaia"},
    {kShowNormalMap, "&Map", "Show &Normal Map", "Show the surface normals\nNormal Map"},
    {kShowBumpMap, "&Map", "Show &Bump Map", "Show the bump map\nBump Map"},
    {kTexturedClimate, "&Map", "Te&xtured Climate", "Colour the map by climate with texture\nTextured Climate"},
    {kShowImageClimate, "&Map", "Show &Image Climate...", "Colour the map from a climate image\nImage Climate"},
    {kShowOverlayWindow, "&Image Overlays", "Show Overlay &Window", "Show or hide the overlay list\nOverlays"},
    {kSetOverlayColor, "&Image Overlays", "Set Overlay Drawing &Color...",
     "Choose the overlay drawing colour\nDrawing Color"},
    {kFillSelection, "&Image Overlays", "&Fill Selection with Drawing Color",
     "Fill the selection on the active overlay\nFill Selection"},
    {kEraseSelection, "&Image Overlays", "&Erase Selection", "Erase the selection on the active overlay\nErase"},
    {kAltColorConversion, "&Image Overlays", "&Color-to-Altitude Conversion...",
     "Bring up the color-to-altitude conversion wizard\nColor-to-Altitude Wizard"},
    // Keys without a menu entry.
    {kPanDown, nullptr, "Pan Down\tDown", "Move the map down\nPan Down"},
    {kPanLeft, nullptr, "Pan Left\tLeft", "Move the map left\nPan Left"},
    {kPanRight, nullptr, "Pan Right\tRight", "Move the map right\nPan Right"},
    {kPanUp, nullptr, "Pan Up\tUp", "Move the map up\nPan Up"},
    {kCentreDown, nullptr, "Centre Down\tCtrl+Down", "Move the centre south\nCentre Down"},
    {kCentreLeft, nullptr, "Centre Left\tCtrl+Left", "Move the centre west\nCentre Left"},
    {kCentreRight, nullptr, "Centre Right\tCtrl+Right", "Move the centre east\nCentre Right"},
    {kCentreUp, nullptr, "Centre Up\tCtrl+Up", "Move the centre north\nCentre Up"},
    // The Globe Tools bar's buttons.
    {kGlobeQuit, nullptr, "Quit", "Quit the application; prompts to save documents\nExit"},
    {kGlobeCancel, nullptr, "Cancel", "Close the main window\nCancel"},
    {kGlobeHelp, nullptr, "Help", "Help on the Globe Tools\nHelp"},
    // The coloured list's commands (on the list that has the focus).
    {kListSelectAll, nullptr, "Select &All", "Select all lines of the list\nSelect All"},
    {kListCopy, nullptr, "&Copy", "Copy the selected lines\nCopy"},
    {kListClear, nullptr, "C&lear", "Empty the list\nClear"},
    {kBarToolOptions, "&View", "Tool &Options Bar", "Show or hide the tool options bar\nToggle Tool Options"},
    // ---- the paint tools ----
    {kToolOptions, "&Tools", "Tool &Options...", "Change the settings for the painting tools\nTool Options"},
    {0, "&Tools", nullptr, nullptr},
    {kPaintRaiseOffset, "&Tools", "Raise Land &Offset", "Paint to raise the land offset; SHIFT+Click raises the whole world\nRaise Land Offset"},
    {kPaintLowerOffset, "&Tools", "Lower Land O&ffset", "Paint to lower the land offset; SHIFT+Click lowers the whole world\nLower Land Offset"},
    {kPaintRaiseRoughness, "&Tools", "&Roughen Land", "Paint to raise the land roughness; SHIFT+Click roughens the whole world\nRoughen Land"},
    {kPaintLowerRoughness, "&Tools", "&Smooth Land", "Paint to lower the land roughness; SHIFT+Click smooths the whole world\nSmooth Land"},
    {kPaintRaiseRainfall, "&Tools", "Raise Ra&infall", "Paint to raise the rainfall; SHIFT+Click raises it everywhere\nRaise Rainfall"},
    {kPaintLowerRainfall, "&Tools", "Lower Rai&nfall", "Paint to lower the rainfall; SHIFT+Click lowers it everywhere\nLower Rainfall"},
    {kPaintRaiseTemperature, "&Tools", "Raise &Temperature", "Paint to raise the temperature; SHIFT+Click raises it everywhere\nRaise Temperature"},
    {kPaintLowerTemperature, "&Tools", "Lower T&emperature", "Paint to lower the temperature; SHIFT+Click lowers it everywhere\nLower Temperature"},
    {kPaintRaisePrescale, "&Tools", "Raise &Prescale Land Offset", "Paint to raise the prescale land offset; SHIFT+Click raises it everywhere\nRaise Prescale Offset"},
    {kPaintLowerPrescale, "&Tools", "Lower Prescale &Land Offset", "Paint to lower the prescale land offset; SHIFT+Click lowers it everywhere\nLower Prescale Offset"},
    {0, "&Tools", nullptr, nullptr},
    {kPaintWaterLevel, "&Tools", "Paint &Water Level", "Paint the water level; SHIFT+Click to pick level\nWater Level"},
    {kPaintClimate, "&Tools", "Paint &Climate", "Paint the selected climate class; SHIFT+Click to pick a class\nClimate"},
    {kPaintValueOffset, "&Tools", "Paint Value: Land Offset", "Paint a land offset value; SHIFT+Click to pick the altitude\nOffset Value"},
    {kPaintValueRoughness, "&Tools", "Paint Value: Land Roughness", "Paint a land roughness value; SHIFT+Click picks 1.0\nRoughness Value"},
    {kPaintValueTemperature, "&Tools", "Paint Value: Temperature", "Paint a temperature value; SHIFT+Click to pick the temperature\nTemperature Value"},
    {kPaintValueRainfall, "&Tools", "Paint Value: Rainfall", "Paint a rainfall value; SHIFT+Click to pick the rainfall\nRainfall Value"},
    {kPaintValuePrescale, "&Tools", "Paint Value: Prescale Land Offset", "Paint a prescale land offset value; SHIFT+Click sets it everywhere\nPrescale Value"},
    {0, "&Tools", nullptr, nullptr},
    {kBrushSizeXL, "&Tools", "Brush Size E&xtra-Large", "Use the extra-large brush\nExtra-Large Brush"},
    {kBrushSizeLG, "&Tools", "Brush Size L&arge", "Use the large brush\nLarge Brush"},
    {kBrushSizeSM, "&Tools", "Brush Size S&mall", "Use the small brush\nSmall Brush"},
    {kBrushSizeXS, "&Tools", "Brush Size Extra-Small", "Use the extra-small brush\nExtra-Small Brush"},
    // ---- end of the paint tools ----
    // ---- the Climate Selector (the class to paint with the climate and overlay tools) ----
    {kClimateClassFirst + 13, nullptr, "Mountains", "Paint the Mountain climate class\nMountains"},
    {kClimateClassFirst + 14, nullptr, "Hills", "Paint the Hills climate class\nHills"},
    {kClimateClassFirst + 15, nullptr, "Bare Rock", "Paint the Bare Rock climate class\nBare Rock"},
    {kClimateClassFirst + 10, nullptr, "Ice", "Paint the Ice climate class\nIce"},
    {kClimateClassFirst + 7, nullptr, "Tropical Deciduous Forest",
     "Paint the Tropical Deciduous Forest climate class\nTropical Deciduous Forest"},
    {kClimateClassFirst + 6, nullptr, "Tropical Evergreen Forest",
     "Paint the Tropical Evergreen Forest climate class\nTropical Evergreen Forest"},
    {kClimateClassFirst + 8, nullptr, "Tropical Shrubland", "Paint the Tropical Shrublands climate class\nTropical Shrubland"},
    {kClimateClassFirst + 9, nullptr, "Savannah", "Paint the Savannah climate class\nSavannah"},
    {kClimateClassFirst + 4, nullptr, "Temperate Forest", "Paint the Temperate Forest climate class\nTemperate Forest"},
    {kClimateClassFirst + 3, nullptr, "Desert", "Paint the Desert climate class\nDesert"},
    {kClimateClassFirst + 2, nullptr, "Chaparral", "Paint the Chaparral climate class\nChaparral"},
    {kClimateClassFirst + 5, nullptr, "Temperate Grassland", "Paint the Temperate Grassland climate class\nTemperate Grassland"},
    {kClimateClassFirst + 1, nullptr, "Boreal or Alpine Forest",
     "Paint the Boreal or Alpine Forest climate class\nBoreal or Alpine Forest"},
    {kClimateClassFirst + 0, nullptr, "Tundra or Alpine", "Paint the Tundra or Alpine climate class\nTundra or Alpine"},
    {kClimateClassFirst + 12, nullptr, "Continental Shelf", "Paint the Shallow Ocean climate class\nContinental Shelf"},
    {kClimateClassFirst + 11, nullptr, "Abyssal Plain", "Paint the Ocean climate class\nAbyssal Plain"},
    {kClimateClassFirst + 16, nullptr, "Oceanic Trench", "Paint the Oceanic Trench climate class\nOceanic Trench"},
    {kClimateDefaultModel, nullptr, "Default Model",
     "Paint the climate model's own classes back (no painted class)\nDefault Model"},
    // ---- end of the Climate Selector ----
    // ---- the mouse tools ----
    {0, "&View", nullptr, nullptr},
    {kToolZoomWindow, "&View", "Zoom &Window", "Zoom into the area you click or drag; Z chooses it while held\nZoom Window"},
    {kToolPan, "&View", "Pa&n", "Drag the map; SPACE chooses it while held\nPan"},
    {kToolRecenter, "&View", "Re&center", "Choose the recentre tool\nRecenter"},
    {kBarColorKey, "&View", "Color &Key", "Show or hide the Color Key bar\nToggle Color Key"},
    {0, "&Select", nullptr, nullptr},
    {kToolSelectRectangle, "&Select", "Rectan&gular Selection Tool", "Select a rectangle; SHIFT adds, CTRL subtracts\nRectangular Selection"},
    {kToolSelectEllipse, "&Select", "&Elliptical Selection Tool", "Select an ellipse; SHIFT adds, CTRL subtracts\nElliptical Selection"},
    {kToolSelectFreehand, "&Select", "&Freehand Selection Tool", "Select a freehand outline; SHIFT adds, CTRL subtracts\nFreehand Selection"},
    {kToolSelectPolygon, "&Select", "&Polygon Selection Tool", "Select a polygon; SHIFT adds, CTRL subtracts\nPolygon Selection"},
    {kToolSelectBrush, "&Select", "Selection Brus&h", "Paint the selection with a soft brush\nSelection Brush"},
    {kToolSelectPencil, "&Select", "Selection Pe&ncil", "Paint the selection with a hard brush\nSelection Pencil"},
    {kToolWandAltitude, "&Select", "Magic Wand: &Altitude", "Select by altitude around a point\nAltitude Wand"},
    {kToolWandRainfall, "&Select", "Magic Wand: Rain&fall", "Select by rainfall around a point\nRainfall Wand"},
    {kToolWandTemperature, "&Select", "Magic Wand: &Temperature", "Select by temperature around a point\nTemperature Wand"},
    {kToolWandClimate, "&Select", "Magic Wand: Cl&imate", "Select by climate around a point\nClimate Wand"},
    {kToolSelectColorPicker, "&Select", "Select by &Overlay Color", "Select the cells of the overlay colour you click; SHIFT adds, CTRL subtracts\nSelect by Color"},
    {0, "&Tools", nullptr, nullptr},
    {kToolRuler, "&Tools", "&Distance", "Measure distances along a path of clicks\nDistance"},
    {kToolCrater, "&Tools", "Place C&rater", "Place a crater; CTRL+drag sizes it\nCrater"},
    {kToolGradientOffset, "&Tools", "Land &Offset", "Fill the selection's land offset with a gradient\nOffset Gradient", "Gradien&t"},
    {kToolGradientPrescale, "&Tools", "&Prescale Land Offset", "Fill the selection's prescale land offset with a gradient\nPrescale Gradient", "Gradien&t"},
    {kToolGradientRoughness, "&Tools", "&Land Roughness", "Fill the selection's land roughness with a gradient\nRoughness Gradient", "Gradien&t"},
    {kToolGradientRainfall, "&Tools", "&Rainfall", "Fill the selection's rainfall with a gradient\nRainfall Gradient", "Gradien&t"},
    {kToolGradientTemperature, "&Tools", "&Temperature", "Fill the selection's temperature with a gradient\nTemperature Gradient", "Gradien&t"},
    {kToolOverlayPaint, "&Image Overlays", "&Paint on Overlay", "Paint the drawing colour on the active overlay\nOverlay Paint"},
    {kToolOverlayErase, "&Image Overlays", "E&rase on Overlay", "Erase the active overlay where you paint\nOverlay Erase"},
    {kToolOverlayColorPicker, "&Image Overlays", "Pic&k Overlay Color", "Take the drawing colour from the overlays\nPick Color"},
    {kHideAllOverlays, "&Image Overlays", "&Hide All Overlays", "Hide every overlay and make none active\nHide Overlays"},
    // ---- end of the mouse tools ----
    // ---- the Global submenus of the Tools menu ----
    {0, "&Tools", nullptr, nullptr},
    {33030, "&Tools", "Land &Offset", "Lower the land offset everywhere\nGlobal Lower Offset", "Global &Lower"},
    {33214, "&Tools", "&Prescale Land Offset", "Lower the prescale land offset everywhere\nGlobal Lower Prescale", "Global &Lower"},
    {33031, "&Tools", "&Land Roughness", "Lower the land roughness everywhere\nGlobal Lower Roughness", "Global &Lower"},
    {33032, "&Tools", "&Rainfall", "Lower the rainfall everywhere\nGlobal Lower Rainfall", "Global &Lower"},
    {33033, "&Tools", "&Temperature", "Lower the temperature everywhere\nGlobal Lower Temperature", "Global &Lower"},
    {33034, "&Tools", "&Water Level", "Lower the water level everywhere\nGlobal Lower Water Level", "Global &Lower"},
    {33035, "&Tools", "Land &Offset", "Raise the land offset everywhere\nGlobal Raise Offset", "&Global Raise"},
    {33213, "&Tools", "&Prescale Land Offset", "Raise the prescale land offset everywhere\nGlobal Raise Prescale", "&Global Raise"},
    {33036, "&Tools", "&Land Roughness", "Raise the land roughness everywhere\nGlobal Raise Roughness", "&Global Raise"},
    {33037, "&Tools", "&Rainfall", "Raise the rainfall everywhere\nGlobal Raise Rainfall", "&Global Raise"},
    {33038, "&Tools", "&Temperature", "Raise the temperature everywhere\nGlobal Raise Temperature", "&Global Raise"},
    {33039, "&Tools", "&Water Level", "Raise the water level everywhere\nGlobal Raise Water Level", "&Global Raise"},
    {33040, "&Tools", "Land &Offset Edit", "Set the land offset everywhere\nGlobal Set Offset", "Global S&et"},
    {33212, "&Tools", "&Prescale Land Offset Edit", "Set the prescale land offset everywhere\nGlobal Set Prescale", "Global S&et"},
    {33041, "&Tools", "&Land Roughness Edit", "Set the land roughness everywhere\nGlobal Set Roughness", "Global S&et"},
    {33042, "&Tools", "&Rainfall Edit", "Set the rainfall everywhere\nGlobal Set Rainfall", "Global S&et"},
    {33043, "&Tools", "&Temperature Edit", "Set the temperature everywhere\nGlobal Set Temperature", "Global S&et"},
    {33044, "&Tools", "&Water Level Value", "Set the water level everywhere\nGlobal Set Water Level", "Global S&et"},
    {33117, "&Tools", "Land &Offset", "Smooth the land offset everywhere\nGlobal Smooth Offset", "Global &Smooth"},
    {33215, "&Tools", "&Prescale Land Offset", "Smooth the prescale land offset everywhere\nGlobal Smooth Prescale", "Global &Smooth"},
    {33118, "&Tools", "&Land Roughness", "Smooth the land roughness everywhere\nGlobal Smooth Roughness", "Global &Smooth"},
    {33119, "&Tools", "&Rainfall", "Smooth the rainfall everywhere\nGlobal Smooth Rainfall", "Global &Smooth"},
    {33120, "&Tools", "&Temperature", "Smooth the temperature everywhere\nGlobal Smooth Temperature", "Global &Smooth"},
    {33199, "&Tools", "&Water Level", "Smooth the water level everywhere\nGlobal Smooth Water Level", "Global &Smooth"},
    {33111, "&Tools", "Land &Offset", "Add noise to the land offset everywhere\nGlobal Noise Offset", "Global &Noise"},
    {33216, "&Tools", "&Prescale Land Offset", "Add noise to the prescale land offset everywhere\nGlobal Noise Prescale", "Global &Noise"},
    {33112, "&Tools", "&Land Roughness", "Add noise to the land roughness everywhere\nGlobal Noise Roughness", "Global &Noise"},
    {33113, "&Tools", "&Rainfall", "Add noise to the rainfall everywhere\nGlobal Noise Rainfall", "Global &Noise"},
    {33114, "&Tools", "&Temperature", "Add noise to the temperature everywhere\nGlobal Noise Temperature", "Global &Noise"},
    {33181, "&Tools", "Land &Offset", "Remove terracing from the land offset everywhere\nGlobal Deterrace Offset", "Global &Deterrace"},
    {33218, "&Tools", "&Prescale Land Offset", "Remove terracing from the prescale land offset everywhere\nGlobal Deterrace Prescale", "Global &Deterrace"},
    {33182, "&Tools", "&Land Roughness", "Remove terracing from the land roughness everywhere\nGlobal Deterrace Roughness", "Global &Deterrace"},
    {33183, "&Tools", "&Rainfall", "Remove terracing from the rainfall everywhere\nGlobal Deterrace Rainfall", "Global &Deterrace"},
    {33184, "&Tools", "&Temperature", "Remove terracing from the temperature everywhere\nGlobal Deterrace Temperature", "Global &Deterrace"},
    {33185, "&Tools", "&Water Level", "Remove terracing from the water level everywhere\nGlobal Deterrace Water Level", "Global &Deterrace"},
    // ---- end of the Global submenus ----
    {kAppAbout, "&Help", "&About Kelvane Pro...",
     "Display program information, version number and copyright\nAbout"},
    // The Map Tools bar's Help button (there is no help file to open).
    {kHelp, nullptr, "Help", "List Help topics\nHelp"},
};

} // namespace

std::vector<const char*> ExtraKeys(int id)
{
    switch (id) {
    case kZoomIn: return {"+", "Num++"};
    case kZoomOut: return {"Ctrl+Ins"};
    default: return {};
    }
}

const std::vector<CommandDef>& CommandRows() { return kRows; }

const CommandDef* FindCommand(int id)
{
    for (const CommandDef& row : kRows) {
        if (row.id == id && id != 0)
            return &row;
    }
    return nullptr;
}

// ---- routing ----

void CommandRouter::SetTargets(CommandTarget* view, CommandTarget* document, CommandTarget* frame,
                               CommandTarget* app)
{
    m_targets[0] = view;
    m_targets[1] = document;
    m_targets[2] = frame;
    m_targets[3] = app;
}

RouteTarget CommandRouter::TargetOf(int id) const
{
    static const RouteTarget kOrder[] = {RouteTarget::View, RouteTarget::Document, RouteTarget::Frame,
                                         RouteTarget::App};
    for (int i = 0; i < 4; ++i) {
        if (m_targets[i] && m_targets[i]->HasCommand(id))
            return kOrder[i];
    }
    return RouteTarget::None;
}

CommandTarget* CommandRouter::Target(RouteTarget which) const
{
    switch (which) {
    case RouteTarget::View: return m_targets[0];
    case RouteTarget::Document: return m_targets[1];
    case RouteTarget::Frame: return m_targets[2];
    case RouteTarget::App: return m_targets[3];
    case RouteTarget::None: break;
    }
    return nullptr;
}

bool CommandRouter::Execute(int id)
{
    CommandTarget* target = Target(TargetOf(id));
    if (!target)
        return false;
    // A disabled command does not run (a key may reach it while its item is grey).
    CommandState state;
    target->OnUpdateCommand(id, state);
    if (!state.enabled)
        return false;
    target->OnCommand(id);
    return true;
}

CommandState CommandRouter::Update(int id) const
{
    CommandState state;
    CommandTarget* target = Target(TargetOf(id));
    if (!target) {
        state.enabled = false;
        return state;
    }
    target->OnUpdateCommand(id, state);
    return state;
}

// ---- actions ----

QString CommandActions::LabelOf(const char* text)
{
    const QString t = QString::fromUtf8(text ? text : "");
    const qsizetype tab = t.indexOf('\t');
    return tab < 0 ? t : t.left(tab);
}

QString CommandActions::KeyOf(const char* text)
{
    const QString t = QString::fromUtf8(text ? text : "");
    const qsizetype tab = t.lastIndexOf('\t');
    return tab < 0 ? QString() : t.mid(tab + 1);
}

CommandActions::CommandActions(CommandRouter& router, QObject* parent) : QObject(parent), m_router(router)
{
    for (const CommandDef& row : kRows) {
        if (row.id == 0 || m_actions.count(row.id))
            continue;
        auto* action = new QAction(LabelOf(row.text), this);
        const QString key = KeyOf(row.text);
        QList<QKeySequence> keys;
        if (!key.isEmpty())
            keys.append(QKeySequence(key));
        for (const char* extra : ExtraKeys(row.id))
            keys.append(QKeySequence(QString::fromUtf8(extra)));
        if (!keys.isEmpty())
            action->setShortcuts(keys);
        const QString prompt = QString::fromUtf8(row.prompt ? row.prompt : "");
        const qsizetype lf = prompt.indexOf('\n');
        action->setStatusTip(lf < 0 ? prompt : prompt.left(lf));
        action->setToolTip(lf < 0 ? action->text().remove('&') : prompt.mid(lf + 1));
        action->setData(row.id);
        const int id = row.id;
        connect(action, &QAction::triggered, this, [this, id] {
            m_router.Execute(id);
        });
        m_actions[row.id] = action;
    }
}

QAction* CommandActions::Action(int id) const
{
    const auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

std::vector<int> CommandActions::MenuIds(const QString& menu) const
{
    std::vector<int> ids;
    for (const CommandDef& row : kRows) {
        if (row.id != 0 && row.menu && QString::fromUtf8(row.menu) == menu)
            ids.push_back(row.id);
    }
    return ids;
}

std::vector<int> CommandActions::SubmenuIds(const QString& menu, const QString& submenu) const
{
    std::vector<int> ids;
    for (const CommandDef& row : kRows) {
        if (row.id != 0 && row.menu && row.submenu && QString::fromUtf8(row.menu) == menu &&
            QString::fromUtf8(row.submenu) == submenu)
            ids.push_back(row.id);
    }
    return ids;
}

void CommandActions::BuildMenuBar(QMenuBar* bar)
{
    std::map<QString, QMenu*> menus;
    std::map<std::pair<QString, QString>, QMenu*> submenus;
    for (const CommandDef& row : kRows) {
        if (!row.menu)
            continue;
        const QString name = QString::fromUtf8(row.menu);
        QMenu*& top = menus[name];
        if (!top) {
            top = bar->addMenu(name);
            const std::vector<int> ids = MenuIds(name);
            QMenu* menu = top;
            connect(top, &QMenu::aboutToShow, this, [this, ids, menu] {
                UpdateActions(ids);
                emit menuAboutToShow(menu);
            });
        }
        QMenu* current = top;
        if (row.submenu) {
            const QString subName = QString::fromUtf8(row.submenu);
            QMenu*& sub = submenus[{name, subName}];
            if (!sub) {
                sub = top->addMenu(subName);
                const std::vector<int> ids = SubmenuIds(name, subName);
                QMenu* menu = sub;
                connect(sub, &QMenu::aboutToShow, this, [this, ids, menu] {
                    UpdateActions(ids);
                    emit menuAboutToShow(menu);
                });
            }
            current = sub;
        }
        if (row.id == 0)
            current->addSeparator();
        else
            current->addAction(Action(row.id));
    }
}

void CommandActions::UpdateActions(const std::vector<int>& ids)
{
    for (int id : ids) {
        QAction* action = Action(id);
        if (!action)
            continue;
        const CommandState state = m_router.Update(id);
        action->setEnabled(state.enabled);
        action->setCheckable(state.checkable);
        if (state.checkable)
            action->setChecked(state.checked);
        if (!state.text.isEmpty())
            action->setText(state.text);
        action->setVisible(state.visible);
    }
}

void CommandActions::UpdateAll()
{
    std::vector<int> ids;
    for (const auto& [id, action] : m_actions)
        ids.push_back(id);
    UpdateActions(ids);
}

void CommandActions::SetIcon(int id, const QIcon& icon)
{
    if (QAction* action = Action(id))
        action->setIcon(icon);
}

} // namespace kv
