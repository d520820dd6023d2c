#include "view/ProjectionPreview.h"

#include "projection/ProjectionParms.h"
#include "world/SurfaceSampler.h"

#include "SmallDocument.h"

#include <gtest/gtest.h>

using namespace kv;

TEST(ProjectionPreview, NinePassesEqualDirectShading)
{
    SmallDocument d;
    LightParms light;
    ProjectionParms parms;
    parms.SetScale(1.5);
    ProjectionPreview preview;
    ASSERT_TRUE(preview.Create(23, 17));
    EXPECT_EQ(preview.Image().GetPixel(5, 5), ProjectionPreview::kBackground);
    preview.SetSource(&d.World(), &light);
    preview.SetOffMapColour(0x123456);
    int ticks = 0;
    while (preview.Step(parms))
        ++ticks;
    EXPECT_EQ(ticks, 9);
    EXPECT_TRUE(preview.Complete());
    EXPECT_EQ(preview.SmallerSide(), 17);

    GeoBuffers buffers;
    ASSERT_NE(buffers.Allocate(23, 17), nullptr);
    VideoBuffer direct;
    ASSERT_EQ(direct.Create(23, 17), 0);
    SurfaceSampler sampler(&parms, &d.World(), &light, 1);
    sampler.SetTarget(&buffers, &direct, nullptr);
    sampler.Prepare();
    int onMap = 0;
    for (int row = 0; row < 17; ++row)
        for (int col = 0; col < 23; ++col) {
            double lat = 0, lon = 0;
            uint32_t expected = 0x123456;
            if (sampler.PixelToLatLon(col, row, lat, lon)) {
                ++onMap;
                expected = sampler.ShadePoint(&buffers, col, row, lat, lon, sampler.GetAltitude(lat, lon), false) & 0xFFFFFF;
            }
            ASSERT_EQ(preview.Image().GetPixel(col, row) & 0xFFFFFF, expected) << col << "," << row;
        }
    EXPECT_GT(onMap, 0);
    EXPECT_LT(onMap, 23 * 17);  // at scale 1.5 the corners are off the map

    // A restart runs the passes again; pass 0 fills whole blocks.
    preview.Restart();
    EXPECT_EQ(preview.Pass(), 0);
    ASSERT_TRUE(preview.Step(parms));
    EXPECT_EQ(preview.Image().GetPixel(1, 1), preview.Image().GetPixel(0, 0));
}
