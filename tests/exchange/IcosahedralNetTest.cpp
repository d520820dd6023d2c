#include "base/raster/VideoBuffer.h"
#include "exchange/IcosahedralNet.h"

#include "ExportFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace kv;

namespace {

constexpr uint32_t kPaper = 0x00FF00FF;

// A picture whose every pixel differs from its neighbours and from the paper.
VideoBuffer Pattern(int w, int h, int bits = 32)
{
    VideoBuffer b;
    b.Create(w, h, bits);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.SetPixel(x, y, static_cast<uint32_t>((x * 131 + y * 977) & 0xFFFF) | 0x100000u);
    return b;
}

// The net straight from the formulas, one row at a time, the bottom band's rotated source
// read modulo one turn.
VideoBuffer ReferenceNet(const VideoBuffer& in, uint32_t background)
{
    VideoBuffer out = in;
    const int W = in.GetWidth(), H = in.GetHeight();
    const double c = (W - 1) / 11.0;
    const int count = static_cast<int>(c * 10);
    const double b = H / 3.0;
    for (int d = 0; d < H; ++d) {
        std::vector<uint32_t> s(static_cast<size_t>(count) + 2);
        for (int i = 0; i <= count + 1; ++i)
            s[static_cast<size_t>(i)] = in.GetPixel(static_cast<int>(static_cast<int64_t>(i) * W / count % W), d);
        std::vector<uint32_t> t(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
            t[static_cast<size_t>(i)] = s[static_cast<size_t>((i + static_cast<int>(c)) % count)];
        for (int x = 0; x < W; ++x)
            out.SetPixel(x, d, background);
        if (d < b) {
            const double h = c * (d + 1) / b;
            for (int u = 0; u < h; ++u)
                for (int k = static_cast<int>(u / h * c), C = 1; C <= 9; C += 2) {
                    out.SetPixel(static_cast<int>(C * c - u + 0.5), d, s[static_cast<size_t>(C * c - k + 0.5)]);
                    out.SetPixel(static_cast<int>(C * c + u + 0.5), d, s[static_cast<size_t>(C * c + k + 0.5)]);
                }
        } else if (d < 2 * b) {
            const int shift = static_cast<int>(c * ((d + 1) - b) / b);
            for (int i = 0; i <= count; ++i)
                out.SetPixel(shift + i, d, s[static_cast<size_t>((shift + i) % (count + 1))]);
        } else {
            const double h = (1 - ((d + 1) - 2 * b) / b) * c;
            for (int u = 0; u < h; ++u)
                for (int k = static_cast<int>(u / h * c), C = 2; C <= 10; C += 2) {
                    const double S = (C - 1) * c;
                    out.SetPixel(static_cast<int>(C * c - u + 0.5), d,
                                 t[static_cast<size_t>(static_cast<int>(S - k + 0.5) % count)]);
                    out.SetPixel(static_cast<int>(C * c + u + 0.5), d,
                                 t[static_cast<size_t>(static_cast<int>(S + k + 0.5) % count)]);
                }
        }
    }
    return out;
}

std::vector<int> ColouredColumns(const VideoBuffer& b, int row)
{
    std::vector<int> columns;
    for (int x = 0; x < b.GetWidth(); ++x)
        if ((b.GetPixel(x, row) & 0xFFFFFF) != kPaper)
            columns.push_back(x);
    return columns;
}

bool SamePixels(const VideoBuffer& a, const VideoBuffer& b)
{
    return a.GetWidth() == b.GetWidth() && a.GetHeight() == b.GetHeight() &&
           std::equal(a.GetBits(), a.GetBits() + a.RowBytes() * a.GetHeight(), b.GetBits());
}

} // namespace

TEST(IcosahedralNet, StretchedRowsOfTheSphereMap)
{
    EXPECT_EQ(IcosahedralNetHeight(1024), 483);
    EXPECT_EQ(IcosahedralNetHeight(4096), 1934);
    const VideoBuffer sphere = Pattern(1024, 512);
    VideoBuffer net(1024, 483);
    ASSERT_TRUE(StretchToNet(sphere, net));
    // Row i is the sphere's row ((i x W) >> 1) / H: whole pixels, sampled exactly.
    for (int i : {0, 1, 100, 241, 482}) {
        const int y = ((i * 1024) >> 1) / 483;
        for (int x : {0, 500, 1023})
            EXPECT_EQ(net.GetPixel(x, i), sphere.GetPixel(x, y) & 0xFFFFFF) << i << "," << x;
    }
    EXPECT_EQ(((482 * 1024) >> 1) / 483, 510);
    VideoBuffer narrow(512, 241);
    EXPECT_FALSE(StretchToNet(sphere, narrow));
}

TEST(IcosahedralNet, ApexesOfTheFirstAndLastRows)
{
    VideoBuffer net = Pattern(1024, 483);
    const VideoBuffer source = net;
    ASSERT_EQ(RemapIcosahedral(net, kPaper), 0);
    EXPECT_EQ(ColouredColumns(net, 0), (std::vector<int>{93, 279, 465, 651, 837}));
    // Each apex takes the source column of its longitude, (C x W / count) % W.
    for (int C : {93, 279, 465, 651, 837})
        EXPECT_EQ(net.GetPixel(C, 0), source.GetPixel(C * 1024 / 930, 0));
    // The bottom band narrows to nothing on the last row.
    EXPECT_TRUE(ColouredColumns(net, 482).empty());
    // The middle band is one strip of count + 1 pixels.
    EXPECT_EQ(ColouredColumns(net, 161).size(), 931u);
}

TEST(IcosahedralNet, WideNetAgainstTheFormulas)
{
    VideoBuffer net = Pattern(4096, IcosahedralNetHeight(4096));
    const VideoBuffer expected = ReferenceNet(net, kPaper);
    VideoBuffer oneCore = net;
    ASSERT_EQ(RemapIcosahedral(net, kPaper), 0);
    EXPECT_TRUE(SamePixels(net, expected));
    ASSERT_EQ(RemapIcosahedral(oneCore, kPaper, 1), 0);
    EXPECT_TRUE(SamePixels(oneCore, expected));
    // 24-bit pictures too.
    VideoBuffer rgb = Pattern(1000, IcosahedralNetHeight(1000), 24);
    const VideoBuffer rgbExpected = ReferenceNet(rgb, kPaper);
    ASSERT_EQ(RemapIcosahedral(rgb, kPaper), 0);
    EXPECT_TRUE(SamePixels(rgb, rgbExpected));
}

TEST(IcosahedralNet, RefusedAndAborted)
{
    VideoBuffer grey = Pattern(1024, 483, 8);
    const VideoBuffer greyBefore = grey;
    EXPECT_EQ(RemapIcosahedral(grey, kPaper), -1);
    EXPECT_TRUE(SamePixels(grey, greyBefore));
    VideoBuffer empty;
    EXPECT_EQ(RemapIcosahedral(empty, kPaper), -1);

    VideoBuffer net = Pattern(1024, 483);
    const VideoBuffer source = net;
    {
        AbortAfterPolls abort(1);
        EXPECT_EQ(RemapIcosahedral(net, kPaper, 2), -1);
    }
    EXPECT_EQ(g_abortValue.load(), 0);
    // The first rows are the net's, the last ones still the stretched source.
    EXPECT_EQ(ColouredColumns(net, 0), (std::vector<int>{93, 279, 465, 651, 837}));
    for (int x = 0; x < 1024; ++x)
        ASSERT_EQ(net.GetPixel(x, 482), source.GetPixel(x, 482));
}
