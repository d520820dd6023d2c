#include "document/AltColorGenerate.h"

#include "base/raster/VideoBuffer.h"

#include "ProgressFixtures.h"
#include "SmallDocument.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace kv;

TEST(AltColorGenerate, RowTexts)
{
    AltColor e;
    e.color = 0x336699;
    e.altitude = 100.0f;
    EXPECT_EQ(AltColorHexText(e.color), "996633");
    EXPECT_EQ(AltColorAltitudeText(e, true), "100.0");
    EXPECT_EQ(AltColorAltitudeText(e, false), "328.1");
    const std::pair<int, const char*> kinds[] = {{0, "Basin"}, {1, "Contour"}, {2, "Peak"}, {3, "None"}, {7, "Contour"}, {-1, "Contour"}};
    for (const auto& [kind, text] : kinds)
        EXPECT_EQ(AltColorOperationText(kind), text) << kind;
}

namespace {

std::vector<float> ChannelCopy(SmallDocument& d, int channel)
{
    const Grid2D* g = d.World().Channel(channel);
    std::vector<float> v(g->CellCount());
    std::memcpy(v.data(), g->Data(), v.size() * sizeof(float));
    return v;
}

} // namespace

TEST(AltColorGenerate, TransparentOverlaysChangeNoCellButSetTheBasis)
{
    SmallDocument d;
    d.World().basisId = 0;
    d.World().shapingOn = 1;
    const auto offset = ChannelCopy(d, kChannelLandOffset);
    const auto rough = ChannelCopy(d, kChannelRoughness);
    AltColorList list(1);
    list[0].color = 0x0000FF;
    list[0].altitude = 500;
    ASSERT_EQ(GenerateFromOverlays(d.doc, list), 0);
    EXPECT_EQ(ChannelCopy(d, kChannelLandOffset), offset);
    EXPECT_EQ(ChannelCopy(d, kChannelRoughness), rough);
    EXPECT_EQ(d.World().basisId, 1);
    EXPECT_EQ(d.World().shapingOn, 0);
    EXPECT_EQ(d.hints.Hints(), std::vector<int>{16});
    EXPECT_TRUE(d.doc.IsModified());
}

TEST(AltColorGenerate, PolarBandReachesTheLastRowAndAbortChangesNothing)
{
    SmallDocument d;
    ImageOverlay* band = d.doc.GetOverlays().AddNamed("band", 32, 16, true);
    band->north = 90;
    band->south = 89;
    band->Fill(0xFF0000FFu);  // opaque red
    AltColorList list(1);
    list[0].color = 0x0000FF;
    list[0].altitude = 1234;
    list[0].kind = AltColor::kContour;
    int w = 0, h = 0;
    d.doc.GetGridSize(w, h);

    const auto offset = ChannelCopy(d, kChannelLandOffset);
    {
        AbortDuring abort("Calculating overlay image", 1);
        EXPECT_EQ(GenerateFromOverlays(d.doc, list), -1);
    }
    EXPECT_EQ(ChannelCopy(d, kChannelLandOffset), offset);
    EXPECT_TRUE(d.hints.Hints().empty());

    // The picture's rows are the channel rows: row h-1 is 90 N, inside the band.
    VideoBuffer image;
    ASSERT_EQ(image.Create(w, h), 0);
    ASSERT_EQ(CompositeOverlayImage(d.doc, image), 0);
    EXPECT_EQ(image.GetPixel(5, h - 1) >> 24, 255u);
    EXPECT_EQ(image.GetPixel(5, h - 2) >> 24, 0u);
    // Every core or one: the same picture.
    VideoBuffer single;
    ASSERT_EQ(single.Create(w, h), 0);
    ASSERT_EQ(CompositeOverlayImage(d.doc, single, 1), 0);
    for (int i = 0; i < h; ++i)
        ASSERT_EQ(std::memcmp(image.RowPointer(i), single.RowPointer(i), image.RowBytes()), 0);

    ASSERT_EQ(GenerateFromOverlays(d.doc, list), 0);
    const auto after = ChannelCopy(d, kChannelLandOffset);
    for (int j = 0; j < w; ++j) {
        EXPECT_EQ(after[size_t(h - 1) * w + j], 1234.0f) << j;
        EXPECT_EQ(after[size_t(h - 2) * w + j], offset[size_t(h - 2) * w + j]) << j;
    }
}
