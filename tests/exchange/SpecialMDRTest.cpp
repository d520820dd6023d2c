#include "base/raster/CrvlHeader.h"
#include "document/CKVDoc.h"
#include "exchange/SpecialMDR.h"

#include "DocumentFixtures.h"
#include "ExportFixtures.h"
#include "OutsideTools.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <vector>

using namespace kv;

namespace {

float FloatAt(const std::vector<uint8_t>& bytes, size_t at)
{
    const uint32_t u = GetLE32(bytes.data() + at);
    float v;
    std::memcpy(&v, &u, 4);
    return v;
}

class SpecialMDRTest : public ::testing::Test {
protected:
    ExportWorld w;
    ScratchFolder dir;
};

} // namespace

TEST(SpecialMDRSample, SixteenBitRounding)
{
    const struct {
        float altitude;
        int16_t stored;
    } cases[] = {{12.5f, 13},  {-3.7f, -3},       {-3.2f, -2},      {0.49f, 0},        {-0.5f, 0},
                 {40000.0f, 32767}, {-40000.0f, -32768}, {32767.4f, 32767}, {-32768.4f, -32767}, {1e30f, 32767}};
    for (const auto& c : cases)
        EXPECT_EQ(SpecialMDRSample16(c.altitude), c.stored) << c.altitude;
}

TEST_F(SpecialMDRTest, HeaderSizesAndPlaces)
{
    const std::string path = dir / "world.mdr";
    ASSERT_EQ(WriteSpecialMDRFile(*w.sampler, path, 64, false, true), kSpecialMDROk);
    const std::vector<uint8_t> bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 1024u + 64 * 32 * 4);
    CrvlHeader h;
    ASSERT_TRUE(DecodeCrvlHeader(bytes.data(), bytes.size(), h));
    EXPECT_EQ(h.headerLength, 1024);
    EXPECT_EQ(h.west, -180.0);
    EXPECT_EQ(h.east, 180.0);
    EXPECT_EQ(h.north, 90.0);
    EXPECT_EQ(h.south, -90.0);
    EXPECT_EQ(h.cellWidth, 360.0 / 64);
    EXPECT_EQ(h.cellHeight, 180.0 / 32);
    EXPECT_EQ(h.flags, 0);
    EXPECT_EQ(h.width, 64);
    EXPECT_EQ(h.height, 32);

    // Row r at latitude 90 - r x 180 / 31, sample i at longitude i x 360 / 63 - 180.
    float low = 1e30f, high = -1e30f;
    for (int r = 0; r < 32; ++r)
        for (int i = 0; i < 64; ++i) {
            const float v = FloatAt(bytes, 1024 + (static_cast<size_t>(r) * 64 + i) * 4);
            low = std::min(low, v);
            high = std::max(high, v);
        }
    EXPECT_EQ(h.minValue, low);
    EXPECT_EQ(h.maxValue, high);
    EXPECT_LT(low, high);
    const struct {
        int row, sample;
        double latitude, longitude;
    } places[] = {{0, 0, 90, -180}, {31, 63, -90, 180}, {0, 63, 90, 180}, {31, 0, -90, -180},
                  {10, 20, 90 - 10 * 180.0 / 31, 20 * 360.0 / 63 - 180}};
    for (const auto& p : places)
        EXPECT_EQ(FloatAt(bytes, 1024 + (static_cast<size_t>(p.row) * 64 + p.sample) * 4),
                  w.sampler->GetAltitude(p.latitude, p.longitude))
            << p.row << "," << p.sample;

    // The same samples as 16-bit integers, and without the header.
    ASSERT_EQ(WriteSpecialMDRFile(*w.sampler, dir / "world16.mdr", 64, true, true), kSpecialMDROk);
    const std::vector<uint8_t> sixteen = ReadBytes(dir / "world16.mdr");
    ASSERT_EQ(sixteen.size(), 5120u);
    ASSERT_TRUE(DecodeCrvlHeader(sixteen.data(), sixteen.size(), h));
    EXPECT_EQ(h.flags, kCrvlSigned16);
    for (size_t k = 0; k < 64 * 32; k += 97)
        EXPECT_EQ(static_cast<int16_t>(GetLE16(sixteen.data() + 1024 + 2 * k)),
                  SpecialMDRSample16(FloatAt(bytes, 1024 + 4 * k)));
    ASSERT_EQ(WriteSpecialMDRFile(*w.sampler, dir / "world.raw", 64, true, false), kSpecialMDROk);
    EXPECT_EQ(ReadBytes(dir / "world.raw"), std::vector<uint8_t>(sixteen.begin() + 1024, sixteen.end()));
    ASSERT_EQ(WriteSpecialMDRFile(*w.sampler, dir / "world32.raw", 64, false, false), kSpecialMDROk);
    EXPECT_EQ(ReadBytes(dir / "world32.raw").size(), 64u * 32 * 4);
}

TEST_F(SpecialMDRTest, SameBytesOnAnyNumberOfThreads)
{
    ASSERT_EQ(WriteSpecialMDRFile(*w.sampler, dir / "one.mdr", 200, false, true, 1), kSpecialMDROk);
    ASSERT_EQ(WriteSpecialMDRFile(*w.sampler, dir / "many.mdr", 200, false, true, 5), kSpecialMDROk);
    EXPECT_EQ(ReadBytes(dir / "one.mdr"), ReadBytes(dir / "many.mdr"));
}

TEST_F(SpecialMDRTest, ReadByRasterToolsThroughASidecarHeader)
{
    REQUIRE_TOOL("gdallocationinfo");
    const std::string path = dir / "world.mdr";
    ASSERT_EQ(WriteSpecialMDRFile(*w.sampler, path, 64, false, true), kSpecialMDROk);
    WriteText(dir / "world.hdr", "BYTEORDER I\nLAYOUT BIL\nNROWS 32\nNCOLS 64\nNBANDS 1\nNBITS 32\n"
                                 "PIXELTYPE FLOAT\nSKIPBYTES 1024\n");
    for (const auto& [col, row] : {std::pair{0, 0}, std::pair{63, 31}, std::pair{20, 10}}) {
        const ToolRun run = RunTool("gdallocationinfo -valonly " + path + " " + std::to_string(col) + " " +
                                    std::to_string(row));
        ASSERT_EQ(run.status, 0) << run.err;
        const double lat = 90 - row * 180.0 / 31, lon = col * 360.0 / 63 - 180;
        EXPECT_NEAR(std::stod(run.out), w.sampler->GetAltitude(lat, lon), 1e-3) << col << "," << row;
    }
}

TEST_F(SpecialMDRTest, RefusedAbortedOrUnwritableLeavesNoFile)
{
    const std::string path = dir / "world.mdr";
    EXPECT_EQ(WriteSpecialMDRFile(*w.sampler, path, 3, false, true), kSpecialMDRBadWidth);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(WriteSpecialMDRFile(*w.sampler, dir / "missing/world.mdr", 64, false, true), kSpecialMDRCannotCreate);

    // An abort after the first block keeps an earlier file as it was.
    WriteText(path, "earlier");
    {
        AbortAfterPolls abort(1);
        EXPECT_EQ(WriteSpecialMDRFile(*w.sampler, path, 2048, true, true), kSpecialMDRAborted);
    }
    EXPECT_EQ(g_abortValue.load(), 0);
    EXPECT_EQ(ReadBytes(path), std::vector<uint8_t>({'e', 'a', 'r', 'l', 'i', 'e', 'r'}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1);
}

TEST(SpecialMDRCommand, FailuresAreReported)
{
    DocumentEnvironment env;
    CKVDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    ActiveDocument active(&doc);
    ScratchFolder dir;
    {
        MessageRecorder messages;
        WriteSpecialMDR(dir / "none/world.mdr", 64, false, true);
        WriteSpecialMDR(dir / "narrow.mdr", 2, false, true);
        EXPECT_EQ(messages.texts, (std::vector<std::string>{"Error writing file " + (dir / "none/world.mdr"),
                                                            "Error writing file " + (dir / "narrow.mdr")}));
    }
    // A file size limit stops the writes part way: a message and no file. The limit is this
    // process's own for the one call, then the former one again.
    const std::string limited = dir / "limited.mdr";
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, saved.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    std::vector<std::string> shown;
    {
        MessageRecorder messages;
        WriteSpecialMDR(limited, 256, false, true);
        shown = messages.texts;
    }
    EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(shown, std::vector<std::string>{"Error writing file " + limited});
    EXPECT_FALSE(std::filesystem::exists(limited));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 0);

    MessageRecorder messages;
    WriteSpecialMDR(dir / "world.mdr", 64, true, false);
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(ReadBytes(dir / "world.mdr").size(), 4096u);
}
