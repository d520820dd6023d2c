// The one two-dimensional array of the program.
//
// Channel grids, masks, matrices, pixel buffers and the temporary grids of every operation
// are Grid2D objects. All cells lie in one zero-filled block, row after row, so a grid can be
// copied, compared or archived as one run of bytes (Data(), ByteCount()). Cells are reached
// through the row table, two indirections and no multiplication:
//
//     Grid2DPtr g = Alloc2D(width, height, sizeof(float));
//     GridRows<float> rows = g->Rows<float>();
//     rows[row][col] = 1.0f;
//
// A grid is owned through Grid2DPtr; "no grid" is a null pointer. The free functions below
// accept null wherever a grid may be absent and report by return code.
#pragma once

#include <cassert>
#include <cstddef>
#include <memory>
#include <type_traits>

namespace kv {

// A typed view of a grid's row table: rows[row] is a pointer to the first cell of that row.
// Cheap to copy; valid while the grid lives.
template <class T>
class GridRows {
public:
    GridRows() = default;
    explicit GridRows(std::byte* const* rows) : m_rows(rows) {}
    // Rows of T convert to rows of const T.
    template <class U, class = std::enable_if_t<std::is_same_v<const U, T> && !std::is_same_v<U, T>>>
    GridRows(GridRows<U> rows) : m_rows(rows.Table()) {}

    // The untyped row table.
    std::byte* const* Table() const { return m_rows; }

    T* operator[](std::size_t row) const { return reinterpret_cast<T*>(m_rows[row]); }
    explicit operator bool() const { return m_rows != nullptr; }

private:
    std::byte* const* m_rows = nullptr;
};

class Grid2D {
public:
    ~Grid2D();
    Grid2D(const Grid2D&) = delete;
    Grid2D& operator=(const Grid2D&) = delete;

    std::size_t Width() const { return m_width; }
    std::size_t Height() const { return m_height; }
    std::size_t ElementSize() const { return m_elementSize; }
    std::size_t CellCount() const { return m_width * m_height; }
    std::size_t ByteCount() const { return m_width * m_height * m_elementSize; }

    // The row table typed as T; T must have the grid's element size.
    template <class T>
    GridRows<T> Rows()
    {
        assert(sizeof(T) == m_elementSize);
        return GridRows<T>(m_rows.get());
    }
    template <class T>
    GridRows<const T> Rows() const
    {
        assert(sizeof(T) == m_elementSize);
        return GridRows<const T>(m_rows.get());
    }
    // The row table as bytes, for any element size (cell c of a row starts at c * ElementSize()).
    GridRows<std::byte> RawRows() { return GridRows<std::byte>(m_rows.get()); }
    GridRows<const std::byte> RawRows() const { return GridRows<const std::byte>(m_rows.get()); }

    // One row typed as T.
    template <class T>
    T* Row(std::size_t row)
    {
        assert(sizeof(T) == m_elementSize && row < m_height);
        return reinterpret_cast<T*>(m_rows[row]);
    }
    template <class T>
    const T* Row(std::size_t row) const
    {
        assert(sizeof(T) == m_elementSize && row < m_height);
        return reinterpret_cast<const T*>(m_rows[row]);
    }

    // The whole cell block, ByteCount() bytes, row 0 first.
    std::byte* Data() { return m_data.get(); }
    const std::byte* Data() const { return m_data.get(); }
    template <class T>
    T* DataAs()
    {
        assert(sizeof(T) == m_elementSize);
        return reinterpret_cast<T*>(m_data.get());
    }
    template <class T>
    const T* DataAs() const
    {
        assert(sizeof(T) == m_elementSize);
        return reinterpret_cast<const T*>(m_data.get());
    }

    // Sets every byte of the cell block to zero.
    void Clear();

private:
    friend std::unique_ptr<Grid2D> Alloc2D(std::size_t, std::size_t, std::size_t);
    Grid2D() = default;

    struct FreeBlock {
        void operator()(std::byte* p) const;
        std::size_t mapped; // the size of the block's own mapping, 0 from calloc (value-initialised)
    };

    std::size_t m_width = 0;
    std::size_t m_height = 0;
    std::size_t m_elementSize = 0;
    // Declared before the row table so that the cell block is released first.
    std::unique_ptr<std::byte*[]> m_rows;
    std::unique_ptr<std::byte, FreeBlock> m_data;
};

using Grid2DPtr = std::unique_ptr<Grid2D>;

// Return codes of Copy2D.
constexpr int kGridOk = 0;
constexpr int kGridNoSource = -1;
constexpr int kGridNoDestination = -2;
constexpr int kGridSizeMismatch = -3;

// A zero-filled grid of width x height cells of elementSize bytes, or null when a size is 0,
// when width x height x elementSize does not fit in memory sizes (a negative int passed in
// becomes such a size) or when the memory cannot be had.
Grid2DPtr Alloc2D(std::size_t width, std::size_t height, std::size_t elementSize);

// Releases the grid and leaves the pointer null; a null grid is allowed.
void Free2D(Grid2DPtr& grid);

// The grid's sizes; every output may be null. A null grid gives zeros.
void GetDims2D(const Grid2D* grid, std::size_t* width, std::size_t* height, std::size_t* elementSize);

// 1 when both grids are null, or both exist with the same width, height and element size and
// the same bytes; else 0.
int Equal2D(const Grid2D* a, const Grid2D* b);

// Copies the source's cells into the destination: kGridOk (also when both are the same grid,
// or both null),
// kGridNoSource, kGridNoDestination, or kGridSizeMismatch when width, height or element size
// differ (nothing is copied then).
int Copy2D(Grid2D* destination, const Grid2D* source);

// A new grid of the same sizes and contents, or null for a null grid or when allocation fails.
Grid2DPtr Clone2D(const Grid2D* grid);

} // namespace kv
