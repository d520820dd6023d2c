// The Multiple Files export: a root map of the active view and up to five levels of
// sub-maps, each map written as an FCW drawing, a picture and an HTML page whose picture
// links to the maps of the next level, with navigation buttons to the parent and the
// neighbours.
//
// Geometry, in the map units of the view's projection: the root is the rectangle of the
// view's window that shows the map (the whole map when the view shows all of it). A map of
// a level with C x R maps in all covers 1 / C of the root's width and 1 / R of its height;
// its picture has the shape of its rectangle and shows it whole (the projection's offset
// moves the rectangle's centre to the picture's, its scale is half the shorter side),
// widened by the level's overlap. So the child rectangles of a page's image map, the equal
// shares of its picture, show what their pages show.
#pragma once

#include "document/DocumentCommands.h"
#include "exchange/MultiMapSettings.h"
#include "exchange/ViewPicture.h"
#include "base/color/LightParms.h"
#include "projection/ProjectionParms.h"

#include <cstdint>
#include <functional>
#include <string>

namespace kv {

class CKVDoc;
class CKVView;

// The settings of the run: made on first use, kept while the program runs.
MultiMapSettings& GetMultiMapSettings();

// The multiple-image dialog over a copy of the settings; true on OK. The window side
// installs its own; until then the dialog is cancelled.
class MultiImageDialog {
public:
    virtual ~MultiImageDialog() = default;
    virtual bool Run(MultiMapSettings& settings)
    {
        (void)settings;
        return false;
    }
};
MultiImageDialog& GetMultiImageDialog();
MultiImageDialog* SetMultiImageDialog(MultiImageDialog* dialog);

// What the maps are taken from: the document, the view's projection, lighting and shader,
// and the rectangle of the view's map in the projection's map units.
struct AtlasSource {
    CKVDoc* document = nullptr;
    ProjectionParms projection;
    LightParms light;
    int shaderId = 1;
    // Empty: the whole map of the projection.
    MapRectangle shown;
    int threads = 0; // threads of the export (0: every core)
    std::string definitionFolder; // where the levels' ".xpt" files are
};
// The source of a view core: its settings, and the part of its window that shows the map
// (the whole window when no point of it is on the map). False without a document.
bool AtlasSourceOfView(CKVView& view, AtlasSource& source);

// The root rectangle of `settings` from the source (its own, or the projection's whole map).
void SetAtlasRoot(MultiMapSettings& settings, const AtlasSource& source);
// The projection the current map is drawn with: the source's, its offset moved so that
// the map's rectangle is centred, at the map's scale.
ProjectionParms AtlasMapProjection(const AtlasSource& source, const MultiMapSettings& settings);

constexpr int kAtlasMinPictureWidth = 8;
constexpr int kAtlasDefaultPictureWidth = 128;
// Cumulative columns or rows above this repeat the 15-bit numbers of the file names.
constexpr int kAtlasMaxAcross = 32768;
constexpr char kAtlasMapName[] = "ImageMap1";

// The level entry of the current map (the root takes entry 0).
const MultiMapLevel& AtlasLevelEntry(const MultiMapSettings& settings);
// Picture size of the current map.
void AtlasPictureSize(const MultiMapSettings& settings, int& width, int& height);
// Sets the current map to (column, row) of level (-1 root): its rectangle, scale and the
// level's map counts, from the root rectangle.
void PlaceAtlasMap(MultiMapSettings& settings, int column, int row, int level);
// Maps across and down at a level (products of the entries 0..level; 1 for the root),
// as doubles so that large products do not wrap.
void AtlasLevelCounts(const MultiMapSettings& settings, int level, double& across, double& down);
// An empty text when the levels can be written, else why not.
std::string CheckAtlasLevels(const MultiMapSettings& settings);

// The HTML page of the current map, as written.
std::string FormatMultiMapPage(const MultiMapSettings& settings);
// Writes the current map's drawing, picture and page into the output folder: 0; -1 the
// drawing failed; -2 the definition or the picture failed; 1 the page cannot be written.
int WriteMultiMapPage(const AtlasSource& source, const MultiMapSettings& settings);

// Writes every map of the atlas in the export's order (the root, then each level row by
// row) into the output folder and hands each to `committed` on the calling thread, in that
// order, once its files are in place: the settings placed on the map and what
// WriteMultiMapPage returned for it. When `committed` returns false nothing after that
// map is written. With source.threads other than 1 and more maps than threads, several
// maps are made at once, each on one thread, in a staging folder inside the output folder,
// and their files are moved into place in order; the calling thread meanwhile shows the
// progress of the map it waits for and watches for Esc, which ends the run after that
// map. 0 when every map was handed on; -1 when it stopped early.
int WriteAtlasMaps(const AtlasSource& source, const MultiMapSettings& settings,
                   const std::function<bool(const MultiMapSettings& placed, int written)>& committed);

// The twelve navigation buttons ("a" and "d" forms of p, l, r, u, d, c ".gif"): 0, or -1
// when one cannot be written.
int WriteAtlasButtons(const std::string& folder);

// The whole command on the given source: 0 done or cancelled; negative when it stopped
// (the message shown).
int ExportMultipleFiles(AtlasSource& source);

// The document command's exporter: the active view core's atlas.
class AtlasExport : public MultipleFilesExport {
public:
    void ExportMultipleFiles() override;
};

} // namespace kv
