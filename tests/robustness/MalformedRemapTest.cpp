// ".remap" curve texts, truncated, mutated, random and huge: each is refused with the curve
// unchanged, or loads samples inside 0..1 that write back and read back the same.
#include "world/RemapCurve.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

using namespace kv;

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(MalformedRemap, TruncatedMutatedRandomAndHugeTexts)
{
    const std::string good = "SCurve\nScale,0.000000,1.000000\n  0.00000\n  0.33333\n  1/3\n  1.00000\nEnd\n";
    const std::string dir =
        (std::filesystem::temp_directory_path() / ("kv_bad_remap_" + std::to_string(::getpid()))).string();
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/in.remap", out1 = dir + "/1.remap", out2 = dir + "/2.remap";

    std::mt19937 rng(23);
    std::vector<std::string> texts;
    for (size_t cut = 0; cut < good.size(); ++cut)
        texts.push_back(good.substr(0, cut));
    const char* inserts[] = {"nan", "1e999", "-1e999", "\"", "//", "(((((", ")", "\x01\xff", ",,,,",
                             "Scale", "End",  "SCurve", "az",   "Bias(", "0/0", "-", "*"};
    for (int i = 0; i < 600; ++i) {
        std::string t = good;
        const size_t at = 7 + rng() % (t.size() - 7); // keep the first word mostly
        if (i % 3 == 0)
            t[at] = static_cast<char>(rng() & 0xFF);
        else
            t.insert(at, inserts[rng() % std::size(inserts)]);
        texts.push_back(t);
    }
    for (int i = 0; i < 60; ++i) {
        std::string t = i % 2 ? "SCurve\n" : "";
        t.resize(t.size() + rng() % 400);
        for (size_t k = i % 2 ? 7 : 0; k < t.size(); ++k)
            t[k] = static_cast<char>(rng() & 0xFF);
        texts.push_back(t);
    }
    texts.push_back("SCurve\n" + std::string(20000, '9'));          // one line far past the line limit
    texts.push_back("SCurve\n" + std::string(5000, '(') + "1\nEnd\n"); // nesting past the evaluator's depth
    texts.push_back("SCurve\n" + std::string(20000, ')'));
    std::string many = "SCurve\n";
    for (int i = 0; i < 200000; ++i)
        many += "  0.5\n";
    texts.push_back(many); // no End

    for (const std::string& t : texts) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << t;
        RemapCurve curve;
        curve.samples = {0.25f, 0.5f, 0.75f};
        curve.scaleLow = -7.0f;
        const int result = curve.LoadFromFile(path);
        if (result != 0) {
            EXPECT_EQ(result, -1);
            EXPECT_EQ(curve.samples, std::vector<float>({0.25f, 0.5f, 0.75f}));
            EXPECT_EQ(curve.scaleLow, -7.0f);
            continue;
        }
        for (float s : curve.samples)
            ASSERT_TRUE(s >= 0.0f && s <= 1.0f) << s;
        ASSERT_EQ(curve.SaveToFile(out1), 0);
        RemapCurve again;
        ASSERT_EQ(again.LoadFromFile(out1), 0);
        EXPECT_EQ(again.Count(), curve.Count());
        ASSERT_EQ(again.SaveToFile(out2), 0);
        EXPECT_EQ(ReadAll(out1), ReadAll(out2));
    }
    std::filesystem::remove_all(dir);
}
