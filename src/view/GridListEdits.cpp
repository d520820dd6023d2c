#include "view/GridListEdits.h"

#include "base/MessageService.h"

#include <algorithm>
#include <cstdio>

namespace kv {

namespace {

constexpr double kFeetPerMetreExact = 3.2808398544653277;

std::string Format(const char* format, double value)
{
    char text[400];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

int FirstValid(const CRectGrid& overlay, std::vector<int>& selected)
{
    std::sort(selected.begin(), selected.end());
    for (int row : selected)
        if (row >= 0 && row < static_cast<int>(overlay.grids.size()))
            return row;
    return -1;
}

} // namespace

GridRowTexts GridRow(const RectInfo& grid, int index, bool metric)
{
    char colour[8];
    std::snprintf(colour, sizeof colour, "%02X%02X%02X", grid.colour & 0xFF, (grid.colour >> 8) & 0xFF,
                  (grid.colour >> 16) & 0xFF);
    const std::string altitude = grid.altitude >= RectInfo::kOnTopAltitude
                                     ? "On Top"
                                     : Format("%0.0lf", metric ? grid.altitude : grid.altitude * kFeetPerMetreExact);
    return {std::to_string(index + 1),
            grid.show ? "Yes" : "No",
            Format("%0.1lf", grid.latSpacing),
            Format("%0.1lf", grid.lonSpacing),
            colour,
            Format("%0.2lf", grid.lineWidth * 0.01),
            altitude,
            Format("%0.1lf", grid.north),
            Format("%0.1lf", grid.west),
            Format("%0.1lf", grid.east),
            Format("%0.1lf", grid.south)};
}

bool DeleteFirstSelectedGrid(CRectGrid& overlay, std::vector<int> selected)
{
    const int row = FirstValid(overlay, selected);
    if (row < 0) {
        ShowMessage("Please select a grid entry to delete");
        return false;
    }
    overlay.grids.erase(overlay.grids.begin() + row);
    return true;
}

bool MoveFirstSelectedGrid(CRectGrid& overlay, std::vector<int> selected, int direction, int& row)
{
    row = FirstValid(overlay, selected);
    if (row < 0) {
        ShowMessage("Please select a grid entry to move");
        return false;
    }
    const int other = row + (direction < 0 ? -1 : 1);
    if (other >= 0 && other < static_cast<int>(overlay.grids.size())) {
        std::swap(overlay.grids[static_cast<std::size_t>(row)], overlay.grids[static_cast<std::size_t>(other)]);
        row = other;
    }
    return true;
}

bool ShowSelectedGrids(CRectGrid& overlay, const std::vector<int>& selected, bool show)
{
    bool any = false;
    for (int row : selected)
        if (row >= 0 && row < static_cast<int>(overlay.grids.size())) {
            overlay.grids[static_cast<std::size_t>(row)].show = show ? 1 : 0;
            any = true;
        }
    if (!any)
        ShowMessage(show ? "Please select a grid entry to show" : "Please select a grid entry to hide");
    return any;
}

void UpdateGridShown(CRectGrid& overlay)
{
    overlay.shown = std::any_of(overlay.grids.begin(), overlay.grids.end(), [](const RectInfo& g) { return g.show != 0; })
                        ? 1
                        : 0;
}

} // namespace kv
