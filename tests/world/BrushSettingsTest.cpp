#include "world/BrushSettings.h"

#include "base/text/CTokenizer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace kv;

namespace {

int ReadFrom(const std::string& text, BrushSettings& settings)
{
    CTokenizer t;
    if (t.OpenText(text, false) != 0)
        return -99;
    return settings.ReadText(t);
}

} // namespace

TEST(BrushSettingsTest, DefaultsWrittenLineByLine)
{
    const std::string text = BrushSettings().WriteText();
    const std::string expected = "Brush\n"
                                 "Value 1.00000\n"
                                 "XSize 11\n"
                                 "YSize 11\n"
                                 "Bias 0.50000\n"
                                 "Type 12288\n"
                                 "AutoRotate 0\n"
                                 "AllPoints 0\n"
                                 "MaskExpr \"1-r\"\n"
                                 "DataExpr \"1-r\"\n"
                                 "FileName \"\"\n"
                                 "Flow 1.00000\n"
                                 "FadeSteps 100\n"
                                 "Kernel\n"
                                 " 7\n"
                                 "Scale 1.00000\n"
                                 " 0\n"
                                 " 0\n"
                                 "Data\n"
                                 "    0.00000,    0.00000,    0.00000,    0.00000,    0.00000,    0.00000,    0.00000,\n"
                                 "    0.00000,    0.00000,    0.00000,    0.00000,    0.00000,    0.00000,    0.00000,\n"
                                 "    0.00000,    0.00000,    0.00000,    0.00000,    0.00000,    0.00000,    0.00000,\n"
                                 "    0.00000,    0.00000,    0.00000,    1.00000,    0.00000,    0.00000,    0.00000,\n"
                                 "    0.00000,    0.00000,    0.00000,    0.00000,    0.00000,    0.00000,    0.00000,\n"
                                 "    0.00000,    0.00000,    0.00000,    0.00000,    0.00000,    0.00000,    0.00000,\n"
                                 "    0.00000,    0.00000,    0.00000,    0.00000,    0.00000,    0.00000,    0.00000,\n"
                                 "\n"
                                 "BrushEnd\n";
    EXPECT_EQ(text, expected);
}

TEST(BrushSettingsTest, WriteReadWriteIsIdentical)
{
    BrushSettings s;
    s.value = 1.0f / 3.0f;
    s.width = 31;
    s.height = 7;
    s.bias = 0.25f;
    s.type = 0x313025;
    s.autoRotate = true;
    s.allPoints = true;
    s.flow = 0.5f;
    s.fadeSteps = 7;
    s.maskExpression = "1-r*r";
    s.dataExpression = "say \"hi\"";
    s.fileName = "C:\\brushes\\a b.bmp";
    ASSERT_EQ(s.Init(5, 2.0f, -3, -4), 0); // lines that begin with a minus sign
    s.Set(0, 4, -0.5f);
    const std::string first = s.WriteText();
    BrushSettings read;
    ASSERT_EQ(ReadFrom(first, read), 0);
    EXPECT_EQ(read.WriteText(), first);
    EXPECT_EQ(read.GetSize(), 5);
    EXPECT_EQ(read.At(0, 4), -0.5f);
    EXPECT_EQ(read.fileName, s.fileName);
    EXPECT_EQ(read.dataExpression, s.dataExpression);
}

TEST(BrushSettingsTest, KeywordsInAnyOrderWithArithmetic)
{
    BrushSettings s;
    s.width = 21;
    ASSERT_EQ(ReadFrom("Brush\nYSize 2*(3+4)\njunk words\nValue -1/4\nType 4096+16\nBrushEnd\nXSize 3\n", s), 0);
    EXPECT_EQ(s.height, 14);
    EXPECT_EQ(s.width, 21); // no XSize before BrushEnd: kept
    EXPECT_FLOAT_EQ(s.value, -0.25f);
    EXPECT_EQ(s.type, 0x1010);
    // Sizes are held within 1..512.
    ASSERT_EQ(ReadFrom("XSize 100000 YSize -3", s), 0);
    EXPECT_EQ(s.width, 512);
    EXPECT_EQ(s.height, 1);
}

TEST(BrushSettingsTest, KernelInitRefusesOutOfRangeSizes)
{
    ConvolutionKernel k;
    EXPECT_EQ(k.Init(0, 1.0f, 0, 0), -1);
    EXPECT_EQ(k.Init(34, 1.0f, 0, 0), -1);
    EXPECT_EQ(k.GetSize(), 7);
    ASSERT_EQ(k.Init(4, 1.0f, 0, 0), 0);
    EXPECT_EQ(k.GetSize(), 5);
    EXPECT_EQ(k.At(2, 2), 1.0f);
    EXPECT_EQ(k.At(0, 0), 0.0f);
}

TEST(BrushSettingsTest, FilesWrittenWholeAndReadFromTheBrushKeyword)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("kv_brush_settings_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "a.brs").string();
    BrushSettings s;
    s.value = 7.0f;
    ASSERT_EQ(WriteBrushFile(path, s), 0);
    {
        std::ofstream prefixed((dir / "b.brs").string());
        prefixed << "some words first\n" << s.WriteText();
    }
    BrushSettings read;
    EXPECT_EQ(ReadBrushFile(path, read), 0);
    EXPECT_EQ(read, s);
    BrushSettings other;
    EXPECT_EQ(ReadBrushFile((dir / "b.brs").string(), other), 0);
    EXPECT_EQ(other, s);
    EXPECT_EQ(ReadBrushFile((dir / "none.brs").string(), other), -1);
    EXPECT_EQ(WriteBrushFile((dir / "no" / "such.brs").string(), s), -1);
    std::filesystem::remove_all(dir);
}
