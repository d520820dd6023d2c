#include "view/tools/ToolImageOverlay.h"

#include "view/tools/MapEditTools.h"

namespace kv {

CToolImageErase::CToolImageErase(int size) : CToolImagePaint(size)
{
    m_name = "Erase Tool on Overlay";
    m_colour &= 0x00FFFFFFu;
}

void CToolImageErase::SetColor(uint32_t) { m_colour &= 0x00FFFFFFu; }

std::unique_ptr<MouseTool> MakeImageErase(const ToolCreateArgs& args) { return std::make_unique<CToolImageErase>(args.size); }

} // namespace kv
