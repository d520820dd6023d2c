#include "world/ChannelDeterrace.h"

#include "base/AppSettings.h"
#include "base/Progress.h"
#include "base/grid/GridFilters.h"
#include "base/layers/CSelection.h"
#include "platform/CLocale.h"

#include <cmath>
#include <string>

namespace kv {

float DeterraceEpsilon()
{
    constexpr float kDefault = 1e-5f;
    const std::string text = GetAppSettings().GetString("Settings", "DeterraceEpsilon", "0.00001");
    char* end = nullptr;
    const double value = StrToDoubleC(text.c_str(), &end);
    if (end == text.c_str() || !std::isfinite(static_cast<float>(value)))
        return kDefault;
    return static_cast<float>(value);
}

int DeterraceChannelGrid(Grid2D& grid, int directions, const CSelection& selection)
{
    if (grid.ElementSize() != sizeof(float))
        return -1;
    Grid2DPtr terraced = Alloc2D(grid.Width(), grid.Height(), sizeof(float));
    if (!terraced)
        return -1;
    DeterraceSurface(grid, *terraced, directions, DeterraceEpsilon());
    if (!AbortRequested()) {
        if (!selection.IsActive()) {
            Copy2D(&grid, terraced.get());
        } else {
            ProgressBeginHook("Blending result back into surface", 1);
            const auto height = static_cast<int>(grid.Height());
            const auto width = static_cast<int>(grid.Width());
            const GridRows<float> old = grid.Rows<float>();
            const GridRows<const float> smooth = std::as_const(*terraced).Rows<float>();
            for (int r = 0; r < height && !AbortRequested(); ++r) {
                for (int c = 0; c < width; ++c) {
                    const double w = selection.GetWeightOrOne(c, r);
                    old[r][c] = static_cast<float>(old[r][c] + w * (smooth[r][c] - old[r][c]));
                }
                ProgressStepHook(r, height);
                ProgressPollHook();
            }
            ProgressEndHook();
        }
    }
    g_abortValue.store(0);
    return 0;
}

} // namespace kv
