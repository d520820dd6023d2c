#include "base/grid/Grid2D.h"

#include "platform/ZeroedPages.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace kv {

void Grid2D::FreeBlock::operator()(std::byte* p) const
{
    if (mapped != 0)
        UnmapZeroedPages(p, mapped);
    else
        std::free(p);
}

Grid2D::~Grid2D()
{
    // Cells first, then the row table that points into them.
    m_data.reset();
    m_rows.reset();
}

void Grid2D::Clear() { std::memset(m_data.get(), 0, ByteCount()); }

Grid2DPtr Alloc2D(std::size_t width, std::size_t height, std::size_t elementSize)
{
    if (width == 0 || height == 0 || elementSize == 0)
        return nullptr;
    std::size_t rowBytes = 0;
    std::size_t totalBytes = 0;
    std::size_t tableBytes = 0;
    if (__builtin_mul_overflow(width, elementSize, &rowBytes) ||
        __builtin_mul_overflow(rowBytes, height, &totalBytes) ||
        __builtin_mul_overflow(height, sizeof(std::byte*), &tableBytes))
        return nullptr;
    // Offsets into the block must stay representable as pointer differences.
    if (totalBytes > static_cast<std::size_t>(PTRDIFF_MAX) || tableBytes > static_cast<std::size_t>(PTRDIFF_MAX))
        return nullptr;

    Grid2DPtr grid(new (std::nothrow) Grid2D());
    if (!grid)
        return nullptr;
    grid->m_rows.reset(new (std::nothrow) std::byte*[height]);
    if (!grid->m_rows)
        return nullptr;
    // Large grids come as their own zeroed mapping (filled by several threads at once
    // without waiting on one another's page faults).
    if (totalBytes >= kZeroedPagesMinBytes) {
        std::size_t mapped = 0;
        if (void* block = MapZeroedPages(totalBytes, mapped))
            grid->m_data = std::unique_ptr<std::byte, Grid2D::FreeBlock>(static_cast<std::byte*>(block), Grid2D::FreeBlock{mapped});
    }
    if (!grid->m_data)
        grid->m_data.reset(static_cast<std::byte*>(std::calloc(height, rowBytes)));
    if (!grid->m_data)
        return nullptr;
    grid->m_width = width;
    grid->m_height = height;
    grid->m_elementSize = elementSize;
    std::byte* row = grid->m_data.get();
    for (std::size_t i = 0; i < height; ++i, row += rowBytes)
        grid->m_rows[i] = row;
    return grid;
}

void Free2D(Grid2DPtr& grid) { grid.reset(); }

void GetDims2D(const Grid2D* grid, std::size_t* width, std::size_t* height, std::size_t* elementSize)
{
    if (width)
        *width = grid ? grid->Width() : 0;
    if (height)
        *height = grid ? grid->Height() : 0;
    if (elementSize)
        *elementSize = grid ? grid->ElementSize() : 0;
}

namespace {
bool SameShape(const Grid2D& a, const Grid2D& b)
{
    return a.Width() == b.Width() && a.Height() == b.Height() && a.ElementSize() == b.ElementSize();
}
} // namespace

int Equal2D(const Grid2D* a, const Grid2D* b)
{
    if (!a && !b)
        return 1;
    if (!a || !b)
        return 0;
    if (a == b)
        return 1;
    if (!SameShape(*a, *b))
        return 0;
    return std::memcmp(a->Data(), b->Data(), a->ByteCount()) == 0 ? 1 : 0;
}

int Copy2D(Grid2D* destination, const Grid2D* source)
{
    if (destination == source)
        return kGridOk;
    if (!source)
        return kGridNoSource;
    if (!destination)
        return kGridNoDestination;
    if (!SameShape(*destination, *source))
        return kGridSizeMismatch;
    std::memcpy(destination->Data(), source->Data(), source->ByteCount());
    return kGridOk;
}

Grid2DPtr Clone2D(const Grid2D* grid)
{
    if (!grid)
        return nullptr;
    Grid2DPtr copy = Alloc2D(grid->Width(), grid->Height(), grid->ElementSize());
    if (copy)
        std::memcpy(copy->Data(), grid->Data(), grid->ByteCount());
    return copy;
}

} // namespace kv
