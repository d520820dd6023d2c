#include "base/raster/VideoBuffer.h"
#include "exchange/ExportCommon.h"
#include "exchange/VRMLScene.h"

#include "OutsideTools.h"

#include <gtest/gtest.h>

using namespace kv;

TEST(VRMLScene, TextLineByLine)
{
    const std::string expected = R"(#VRML V2.0 utf8
Background
{
skyColor [ 0.0 0.0 0.0 ]
}
Group
{
children
[
NavigationInfo { type [ "EXAMINE", "ANY" ] }
Viewpoint
{
position 40,10,650
fieldOfView 0.3
}
DEF CK TimeSensor
{
cycleInterval 1
loop TRUE
}
DEF C Transform
{
translation 40 10 20
children Shape
{
appearance Appearance
{
material DEF Bm Material
{
ambientIntensity 0.34641
diffuseColor 1 1 1
shininess 0.2
}
texture ImageTexture
{
url "globe.jpg"
}
}
geometry Sphere
{
radius 80
}
}
}
]
}
)";
    EXPECT_EQ(VRMLSceneText("globe.jpg"), expected);
    const std::string odd = VRMLSceneText("a\"b\\c.jpg");
    EXPECT_NE(odd.find("url \"a\\\"b\\\\c.jpg\"\n"), std::string::npos);
}

TEST(VRMLScene, NamesOfTextureAndScene)
{
    EXPECT_EQ(CutExtension("D:\\out\\globe.wrl"), "D:\\out\\globe");
    EXPECT_EQ(FileNamePart("D:\\out\\globe.jpg"), "globe.jpg");
    EXPECT_EQ(CutExtension("/d/v1.2/globe"), "/d/v1.2/globe");
    EXPECT_EQ(CutExtension("/d/v1.2/globe.wrl"), "/d/v1.2/globe");
    EXPECT_EQ(CutExtension("/d/.wrl"), "/d/.wrl");
    EXPECT_EQ(FileNamePart("/d/v1.2/globe.jpg"), "globe.jpg");
    EXPECT_EQ(PathExtension("/d/spin.JPEG"), ".JPEG");
    EXPECT_EQ(PathExtension("/d/v1.2/spin"), "");
}

TEST(VRMLScene, ReadByASceneReader)
{
    REQUIRE_TOOL("tovrmlx3d");
    ScratchFolder dir;
    VideoBuffer texture(64, 32);
    texture.Clear(0x2080C0);
    for (const std::string name : {"globe", "odd \"name\\"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(texture.SaveJPEG(dir / (name + ".jpg"), 75), 0);
        ASSERT_TRUE(WriteVRMLSceneFile(dir / (name + ".wrl"), name + ".jpg"));
        const ToolRun run = RunTool("cd '" + dir.path.string() + "' && tovrmlx3d --encoding=classic '" +
                                    dir / (name + ".wrl") + "'");
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, "");
        EXPECT_NE(run.out.find("url \"" + (name == "globe" ? name : std::string("odd \\\"name\\\\")) + ".jpg\""),
                  std::string::npos)
            << run.out;
    }
    EXPECT_FALSE(WriteVRMLSceneFile(dir / "missing/globe.wrl", "globe.jpg"));
}
