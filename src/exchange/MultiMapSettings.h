// The settings of a multi-file atlas as the drawing export reads them: which map of the
// atlas is being written, the atlas's levels and the title of its drawings. Data only; the
// atlas command fills it.
#pragma once

#include <string>

namespace kv {

struct MultiMapLevel {
    int columns = 1;          // each map of the level above is divided into columns x rows
    int rows = 1;
    float overlap = 0.0f;     // percent
    int pictureWidth = 128;   // pixels; below 8 means 128
    std::string definition;   // export definition (".xpt") of the level's drawings
    int download = 0;         // the level's pages offer their drawing for download
};

struct MultiMapSettings {
    static constexpr int kMaxLevels = 5;

    // The map being written: column and row at its level (0 at the left and top), its
    // level (-1 the root) and the number of columns and rows of maps at that level.
    int column = 0;
    int row = 0;
    int level = -1;
    int columns = 1;
    int rows = 1;
    // The root map's rectangle in the map units of the view's projection (x to the right,
    // y up): the part of the view's window that shows the map.
    double rootLeft = -1.0, rootRight = 1.0, rootBottom = -0.5, rootTop = 0.5;
    // The current map's rectangle (its share of the root's) and the map scale it is drawn
    // with (half its shorter side, widened by the level's overlap).
    double left = -1.0, right = 1.0, bottom = -0.5, top = 0.5;
    double mapScale = 0.5;

    std::string outputFolder;
    bool writeDrawings = true;
    bool writePictures = false;
    bool writePages = false;
    bool picturesAsJpeg = true;
    std::string title;        // the title text of the drawings
    int levelCount = 0;       // levels of sub-maps below the root (at most kMaxLevels)
    MultiMapLevel levels[kMaxLevels];
    bool navigationImages = false;
    // Kept for the dialog; the export does not read them (the root is always the view's
    // map).
    bool onlyIfLand = false;
    bool useViewAsBasis = false;
};

} // namespace kv
