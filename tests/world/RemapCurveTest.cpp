#include "base/text/CTokenizer.h"
#include "world/RemapCurve.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

using namespace kv;
namespace fs = std::filesystem;

namespace {

fs::path TempFile(const std::string& name)
{
    fs::path dir = fs::temp_directory_path() / ("kv_remap_test_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    return dir / name;
}

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

fs::path WriteText(const std::string& name, const std::string& text)
{
    const fs::path path = TempFile(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

RemapCurve Curve(std::vector<float> samples)
{
    RemapCurve curve;
    curve.samples = std::move(samples);
    return curve;
}

} // namespace

TEST(RemapCurve, DefaultFileIsByteExact)
{
    const fs::path path = TempFile("default.remap");
    ASSERT_EQ(RemapCurve().SaveToFile(path.string()), 0);
    EXPECT_EQ(ReadAll(path), "SCurve\nScale,0.000000,1.000000\n  0.00000\n  1.00000\nEnd\n");
}

TEST(RemapCurve, WriteReadWriteIsIdentical)
{
    RemapCurve curve = Curve({0.0f, 1.0f / 3.0f, 0.123456f, 1.0f, 0.5f});
    curve.scaleLow = -2.5f;
    curve.scaleHigh = 7.25f;
    const fs::path first = TempFile("first.remap"), second = TempFile("second.remap");
    ASSERT_EQ(curve.SaveToFile(first.string()), 0);
    RemapCurve loaded;
    ASSERT_EQ(loaded.LoadFromFile(first.string()), 0);
    EXPECT_FLOAT_EQ(loaded.scaleLow, -2.5f);
    EXPECT_FLOAT_EQ(loaded.scaleHigh, 7.25f);
    ASSERT_EQ(loaded.Count(), 5);
    EXPECT_NEAR(loaded.samples[1], 0.33333f, 1e-6f);
    ASSERT_EQ(loaded.SaveToFile(second.string()), 0);
    EXPECT_EQ(ReadAll(first), ReadAll(second));
}

TEST(RemapCurve, EvaluateCases)
{
    struct Case {
        std::vector<float> samples;
        float x;
        float expected;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {{0, 1}, 0.0f, 0.0f},      {{0, 1}, 0.25f, 0.25f},    {{0, 1}, 1.0f, 0.99999f},  {{0, 1}, 7.0f, 0.99999f},
        {{0, 1}, -3.0f, 0.0f},     {{0, 1}, nan, 0.0f},       {{}, 0.5f, 0.0f},          {{0.7f}, 0.9f, 0.7f},
        {{0, 1, 0}, 0.25f, 0.5f},  {{0, 1, 0}, 0.5f, 1.0f},   {{0, 1, 0}, 1.0f, 0.00002f},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(Curve(c.samples).Evaluate(c.x), c.expected, 1e-6f) << c.samples.size() << " samples at " << c.x;
}

TEST(RemapCurve, EvaluateStaysInsideMillionsOfSamples)
{
    RemapCurve curve = Curve(std::vector<float>(1u << 25, 0.5f));
    curve.samples.back() = 1.0f;
    const float v = curve.Evaluate(1.0f);
    EXPECT_GE(v, 0.5f);
    EXPECT_LE(v, 1.0f);
}

TEST(RemapCurve, Normalize)
{
    RemapCurve flat = Curve({0.4f, 0.4f, 0.4f});
    flat.Normalize();
    EXPECT_EQ(flat.samples, std::vector<float>({0, 0, 0}));
    RemapCurve ramp = Curve({0.2f, 0.6f, 0.4f});
    ramp.Normalize();
    EXPECT_FLOAT_EQ(ramp.samples[0], 0.0f);
    EXPECT_FLOAT_EQ(ramp.samples[1], 1.0f);
    EXPECT_FLOAT_EQ(ramp.samples[2], 0.5f);
}

TEST(RemapCurve, ReadCases)
{
    struct Case {
        const char* text;
        int result;
        std::vector<float> samples;
    };
    const Case cases[] = {
        {"SCurve\n", 0, {}},                                          // alone: an empty curve
        {"SCurve\n  1.5\nEnd\n", 0, {1.0f}},                          // clamped as read
        {"SCurve\n  -2\nEnd\n", 0, {0.0f}},
        {"SCurve\n  0.75\n  -0.5\nEnd\n", 0, {0.25f}},                // an expression runs across lines
        {"SCurve\n1/3, 2*0.25,\n(1-0.75)\nEnd\n", 0, {1.0f / 3, 0.5f, 0.25f}},
        {"SCurve\n0.5\nnonsense\n)\n0.25\nEnd\n", 0, {0.5f, 1.0f, 1.0f, 0.25f}}, // malformed: 1.0
        {"SCurve\n0.5\n1e400\nEnd\n", 0, {0.5f, 1.0f}},
        {"SCurve\n0.1\n0.2\n", 0, {0.1f, 0.2f}},                      // no End: samples kept
        {"scurve\nEND\n0.3\n", 0, {}},                                // keywords ignore case
        {"Curve\n0.5\nEnd\n", -1, {0.0f, 1.0f}},                      // not a curve: unchanged
        {"0.5\nEnd\n", -1, {0.0f, 1.0f}},
    };
    int i = 0;
    for (const Case& c : cases) {
        const fs::path path = WriteText("case" + std::to_string(i++) + ".remap", c.text);
        RemapCurve curve;
        EXPECT_EQ(curve.LoadFromFile(path.string()), c.result) << c.text;
        ASSERT_EQ(curve.Count(), static_cast<int>(c.samples.size())) << c.text;
        for (std::size_t k = 0; k < c.samples.size(); ++k)
            EXPECT_NEAR(curve.samples[k], c.samples[k], 1e-6f) << c.text;
    }
}

TEST(RemapCurve, ScaleLineIsOptionalAndCommasAreToo)
{
    RemapCurve curve;
    ASSERT_EQ(curve.LoadFromFile(WriteText("scale.remap", "SCurve\nScale 2 3\n0.5\nEnd\n").string()), 0);
    EXPECT_FLOAT_EQ(curve.scaleLow, 2.0f);
    EXPECT_FLOAT_EQ(curve.scaleHigh, 3.0f);
    EXPECT_EQ(curve.samples, std::vector<float>({0.5f}));

    RemapCurve bare;
    bare.scaleLow = 4.0f;
    ASSERT_EQ(bare.LoadFromFile(WriteText("noscale.remap", "SCurve\n0.25\nEnd\n").string()), 0);
    EXPECT_FLOAT_EQ(bare.scaleLow, 4.0f); // no Scale line: the scale stays
}

TEST(RemapCurve, FileFailures)
{
    RemapCurve curve = Curve({0.25f, 0.75f});
    EXPECT_LT(curve.LoadFromFile(TempFile("missing.remap").string()), 0);
    EXPECT_EQ(curve.samples, std::vector<float>({0.25f, 0.75f}));

    const fs::path target = TempFile("kept.remap");
    std::ofstream(target) << "old";
    EXPECT_EQ(curve.SaveToFile((TempFile("no-such-dir") / "x.remap").string()), -1);
    EXPECT_EQ(curve.Write(nullptr, CTokenizer()), -1);
    EXPECT_EQ(ReadAll(target), "old");
}
