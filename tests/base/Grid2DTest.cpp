#include "base/grid/Grid2D.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>

using namespace kv;

TEST(Grid2D, AllocatesZeroedRowsInOneBlock)
{
    Grid2DPtr g = Alloc2D(5, 3, sizeof(float));
    ASSERT_TRUE(g);
    std::size_t w = 0, h = 0, es = 0;
    GetDims2D(g.get(), &w, &h, &es);
    EXPECT_EQ(w, 5u);
    EXPECT_EQ(h, 3u);
    EXPECT_EQ(es, 4u);
    GetDims2D(g.get(), nullptr, &h, nullptr); // outputs are optional
    EXPECT_EQ(g->ByteCount(), 60u);

    GridRows<float> rows = g->Rows<float>();
    for (std::size_t r = 0; r < 3; ++r) {
        // Row r starts r * width * elementSize bytes into the block.
        EXPECT_EQ(reinterpret_cast<std::byte*>(rows[r]), g->Data() + r * 5 * sizeof(float));
        for (std::size_t c = 0; c < 5; ++c)
            EXPECT_EQ(rows[r][c], 0.0f);
    }
    rows[2][4] = 7.5f;
    EXPECT_EQ(g->DataAs<float>()[14], 7.5f);
    EXPECT_EQ(g->Row<float>(2)[4], 7.5f);

    // Element sizes of any width, e.g. a 3 x 3 matrix of doubles and a 3-byte pixel grid.
    Grid2DPtr m = Alloc2D(3, 3, sizeof(double));
    ASSERT_TRUE(m);
    m->Rows<double>()[1][1] = 2.0;
    EXPECT_EQ(m->DataAs<double>()[4], 2.0);
    Grid2DPtr odd = Alloc2D(4, 2, 3);
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->RawRows()[1] - odd->RawRows()[0], 12);

    Free2D(g);
    EXPECT_FALSE(g);
    Free2D(g); // null allowed
}

TEST(Grid2D, RefusesEmptyNegativeAndOverflowingSizes)
{
    const int negative = -1;
    struct Case { std::size_t w, h, es; };
    const Case cases[] = {
        {0, 4, 4},
        {4, 0, 4},
        {4, 4, 0},
        {static_cast<std::size_t>(negative), 2, 1},
        {2, static_cast<std::size_t>(negative), 1},
        {std::size_t(1) << 32, std::size_t(1) << 32, 1},
        {std::size_t(1) << 31, std::size_t(1) << 31, 8},
        {1, std::size_t(1) << 62, 1}, // row table alone overflows
    };
    for (const Case& c : cases)
        EXPECT_EQ(Alloc2D(c.w, c.h, c.es), nullptr) << c.w << " x " << c.h << " x " << c.es;
}

TEST(Grid2D, CopyCompareAndClone)
{
    Grid2DPtr a = Alloc2D(4, 2, 4);
    Grid2DPtr b = Alloc2D(4, 2, 4);
    ASSERT_TRUE(a && b);
    for (int i = 0; i < 8; ++i)
        a->DataAs<int32_t>()[i] = i * 3 - 5;

    EXPECT_EQ(Equal2D(nullptr, nullptr), 1);
    EXPECT_EQ(Equal2D(a.get(), nullptr), 0);
    EXPECT_EQ(Equal2D(nullptr, a.get()), 0);
    EXPECT_EQ(Equal2D(a.get(), b.get()), 0);

    EXPECT_EQ(Copy2D(b.get(), a.get()), kGridOk);
    EXPECT_EQ(Equal2D(a.get(), b.get()), 1);
    EXPECT_EQ(b->Rows<int32_t>()[1][3], 16);
    EXPECT_EQ(Copy2D(a.get(), a.get()), kGridOk);
    EXPECT_EQ(Copy2D(b.get(), nullptr), kGridNoSource);
    EXPECT_EQ(Copy2D(nullptr, a.get()), kGridNoDestination);

    // Sizes or element sizes that differ: refused, nothing written, never equal.
    Grid2DPtr wider = Alloc2D(5, 2, 4);
    Grid2DPtr bytes = Alloc2D(4, 2, 1);
    Grid2DPtr doubles = Alloc2D(4, 2, 8);
    for (Grid2D* other : {wider.get(), bytes.get(), doubles.get()}) {
        ASSERT_TRUE(other);
        EXPECT_EQ(Copy2D(other, a.get()), kGridSizeMismatch);
        EXPECT_EQ(Copy2D(a.get(), other), kGridSizeMismatch);
        EXPECT_EQ(Equal2D(a.get(), other), 0);
        EXPECT_EQ(Equal2D(other, a.get()), 0);
    }
    EXPECT_EQ(Equal2D(a.get(), b.get()), 1); // a was left alone

    Grid2DPtr c = Clone2D(a.get());
    ASSERT_TRUE(c);
    EXPECT_NE(c->Data(), a->Data());
    EXPECT_EQ(Equal2D(a.get(), c.get()), 1);
    c->Rows<int32_t>()[0][0] = 99;
    EXPECT_EQ(Equal2D(a.get(), c.get()), 0);
    EXPECT_EQ(Clone2D(nullptr), nullptr);

    c->Clear();
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(c->DataAs<int32_t>()[i], 0);
}
