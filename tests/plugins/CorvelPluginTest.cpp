// The two Corvel libraries, loaded and called exactly as the host does.
#include "CorvelNoise.h"
#include "platform/DynamicLibrary.h"
#include "base/noise/TexRecords.h"

#include <cfenv>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Plugin {
    std::unique_ptr<kv::DynamicLibrary> lib;
    kv::TexGetInfoFn getInfo;
    kv::TexCreateFn create;
    kv::TexDestroyFn destroy;
    kv::TexEvalFn eval;
    kv::TexDefaultFn defaults;

    explicit Plugin(const char* name)
    {
        lib = kv::DynamicLibrary::Open(std::string(KV_PLUGIN_DIR) + "/" + name + ".so");
        if (!lib)
            return;
        getInfo = lib->Function<kv::TexGetInfoFn>("TexGetInfo");
        create = lib->Function<kv::TexCreateFn>("TexCreate");
        destroy = lib->Function<kv::TexDestroyFn>("TexDestroy");
        eval = lib->Function<kv::TexEvalFn>("TexEval");
        defaults = lib->Function<kv::TexDefaultFn>("TexDefault");
    }
    bool Complete() const { return lib && getInfo && create && destroy && eval && defaults; }

    // A fresh configuration from `p`.
    void Recreate(kv::TexParms& p) const
    {
        destroy(&p);
        create(&p);
    }
    float Eval(kv::TexParms p, double x, double y, double z) const
    {
        p.point[0] = x;
        p.point[1] = y;
        p.point[2] = z;
        float v = 0;
        eval(&p, &v);
        return v;
    }
};

kv::TexParms Parms(double H, double lac, double octaves, int32_t seed, int32_t mask, double offset = 0,
                   double gain = 0)
{
    kv::TexParms p{};
    p.size = kv::kTexParmsSize;
    p.H = H;
    p.lacunarity = lac;
    p.octaves = octaves;
    p.seed = seed;
    p.octaveMask = mask;
    p.extras[0] = offset;
    p.extras[1] = gain;
    return p;
}

class CorvelPlugins : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        rmf = new Plugin("CorvelRMF");
        fbm = new Plugin("CorvelFBm");
    }
    static void TearDownTestSuite()
    {
        delete rmf;
        delete fbm;
    }
    void SetUp() override { ASSERT_TRUE(rmf->Complete() && fbm->Complete()); }
    static Plugin* rmf;
    static Plugin* fbm;
};
Plugin* CorvelPlugins::rmf = nullptr;
Plugin* CorvelPlugins::fbm = nullptr;

// Sum of the octaves of the fBm library computed from the noise formulas.
double ExpectedFbm(double x, double y, double z, double H, double lac, int n, uint32_t mask)
{
    double sum = 0, f = 1;
    for (int i = 0; i < n; ++i, f *= lac)
        if ((mask >> i) & 1u)
            sum += kv::corvel::GradientNoise3(x * f, y * f, z * f) * std::pow(f, -H);
    return sum;
}

} // namespace

TEST_F(CorvelPlugins, InfoRecordsAndSizeRule)
{
    struct Case {
        Plugin* plugin;
        int id;
        const char* name;
        uint32_t mask;
        const char* extra0;
        const char* extra1;
    };
    const Case cases[] = {{rmf, 19, "Corvel Ridged Multifractal", 3u, "Offset", "FGain"},
                          {fbm, 18, "Corvel Fractional Brownian Motion (fBm)", 0u, "", ""}};
    for (const Case& c : cases) {
        // A zeroed record asking for the whole record, inside a larger buffer.
        std::vector<unsigned char> buf(4000, 0xAB);
        std::memset(buf.data(), 0, kv::kTexInfoSize);
        auto* info = reinterpret_cast<kv::TexInfo*>(buf.data());
        info->size = 4000; // asks for more than the record: 1164 bytes are copied
        c.plugin->getInfo(info);
        EXPECT_EQ(info->size, kv::kTexInfoSize);
        EXPECT_EQ(info->id, c.id);
        EXPECT_STREQ(info->name, c.name);
        EXPECT_EQ(info->extrasMask, c.mask);
        EXPECT_STREQ(info->extraNames[0], c.extra0);
        EXPECT_STREQ(info->extraNames[1], c.extra1);
        for (int k = 2; k < kv::kTexExtraCount; ++k)
            EXPECT_EQ(info->extraNames[k][0], '\0');
        EXPECT_EQ(buf[kv::kTexInfoSize], 0xAB);
        EXPECT_EQ(buf.back(), 0xAB);

        // Size 8: only the size and id fields.
        kv::TexInfo small;
        std::memset(&small, 0x5A, sizeof small);
        small.size = 8;
        c.plugin->getInfo(&small);
        EXPECT_EQ(small.size, kv::kTexInfoSize);
        EXPECT_EQ(small.id, c.id);
        EXPECT_EQ(static_cast<unsigned char>(small.name[0]), 0x5A);
    }
}

TEST_F(CorvelPlugins, DefaultRecordAndSizeRule)
{
    for (Plugin* p : {rmf, fbm}) {
        kv::TexParms r;
        std::memset(&r, 0x77, sizeof r);
        r.size = 0; // taken as 128
        p->defaults(&r);
        EXPECT_EQ(r.size, 128);
        EXPECT_EQ(r.H, 2.2);
        EXPECT_EQ(r.lacunarity, 2.0);
        EXPECT_EQ(r.octaves, 12.0);
        EXPECT_EQ(r.point[0], 0.0);
        EXPECT_EQ(r.point[2], 0.0);
        EXPECT_EQ(r.seed, 12345);
        EXPECT_EQ(r.octaveMask, -1);
        for (double e : r.extras)
            EXPECT_EQ(e, 0.0);
        EXPECT_EQ(r.reserved, 0);

        kv::TexParms part;
        std::memset(&part, 0x77, sizeof part);
        part.size = 16; // size, padding and H only
        p->defaults(&part);
        EXPECT_EQ(part.size, 128);
        EXPECT_EQ(part.H, 2.2);
        unsigned char lac[8];
        std::memcpy(lac, &part.lacunarity, 8);
        EXPECT_EQ(lac[0], 0x77);
    }
}

TEST_F(CorvelPlugins, CreateClampsOctavesOnceUntilDestroyed)
{
    kv::TexParms p = Parms(1.0, 2.0, 20.0, 99, -1);
    fbm->Recreate(p);
    EXPECT_EQ(p.octaves, 12.0);
    // A second create without destroy does nothing, even with another record.
    kv::TexParms q = Parms(1.0, 2.0, 25.0, 5, -1);
    fbm->create(&q);
    EXPECT_EQ(q.octaves, 25.0);
    // Evaluation after destroy creates first.
    fbm->destroy(&q);
    float v;
    fbm->eval(&q, &v);
    EXPECT_EQ(q.octaves, 12.0);
}

TEST_F(CorvelPlugins, EvaluationScalesThePointInPlace)
{
    kv::TexParms p = Parms(1.0, 2.0, 12.0, 7, -1, 1.0, 1.0);
    for (Plugin* plugin : {rmf, fbm}) {
        plugin->Recreate(p);
        p.point[0] = 0.3;
        p.point[1] = -1.25;
        p.point[2] = 2.0;
        float v;
        plugin->eval(&p, &v);
        EXPECT_EQ(p.point[0], 0.3 * 2048);
        EXPECT_EQ(p.point[1], -1.25 * 2048);
        EXPECT_EQ(p.point[2], 2.0 * 2048);
    }
}

TEST_F(CorvelPlugins, FbmFollowsTheOctaveSum)
{
    const int32_t seed = 4242;
    kv::corvel::SeedUniformRandom(seed);
    kv::corvel::MarkNoiseTablesDirty();
    struct Case {
        double octaves;
        int n;
        int32_t mask;
    };
    const Case cases[] = {{12.0, 12, -1}, {12.9, 12, -1}, {20.0, 12, -1}, {5.7, 5, -1}, {1.0, 1, -1},
                          {0.0, 1, -1},   {-3.0, 1, -1},  {8.0, 8, 0x5A}, {8.0, 8, 0},  {6.0, 6, 0x3E}};
    const double pts[][3] = {{0.31, 0.77, -0.42}, {10.5, -3.25, 0.125}};
    for (const Case& c : cases) {
        kv::TexParms p = Parms(0.9, 2.1, c.octaves, seed, c.mask);
        fbm->Recreate(p);
        for (const auto& q : pts) {
            const double expected = ExpectedFbm(q[0], q[1], q[2], 0.9, 2.1, c.n, static_cast<uint32_t>(c.mask));
            EXPECT_NEAR(fbm->Eval(p, q[0], q[1], q[2]), expected, 1e-5) << c.octaves << " mask " << c.mask;
        }
    }
    // NaN and infinite counts are clamped before any conversion: NaN sums octave 0 alone,
    // infinity is capped at 12 (the create step writes 12 back).
    kv::TexParms nan = Parms(0.9, 2.1, std::numeric_limits<double>::quiet_NaN(), seed, -1);
    fbm->Recreate(nan);
    EXPECT_NEAR(fbm->Eval(nan, 0.31, 0.77, -0.42), ExpectedFbm(0.31, 0.77, -0.42, 0.9, 2.1, 1, ~0u), 1e-6);
    kv::TexParms inf = Parms(0.9, 2.1, std::numeric_limits<double>::infinity(), seed, -1);
    fbm->Recreate(inf);
    EXPECT_EQ(inf.octaves, 12.0);
    EXPECT_NEAR(fbm->Eval(inf, 0.31, 0.77, -0.42), ExpectedFbm(0.31, 0.77, -0.42, 0.9, 2.1, 12, ~0u), 1e-5);
}

TEST_F(CorvelPlugins, RidgedFollowsTheOctaveSum)
{
    const int32_t seed = -2147483647 - 1; // the most negative seed seeds like any other
    kv::corvel::SeedUniformRandom(seed);
    kv::corvel::MarkNoiseTablesDirty();
    auto expected = [](double x, double y, double z, int n, uint32_t mask, double offset, double gain) {
        const double H = 1.0, lac = 2.0;
        double signal = 0, result = 0, f = 1;
        for (int i = 0; i < n; ++i, f *= lac) {
            double weight = i == 0 ? 1.0 : std::fmin(1.0, std::fmax(0.0, signal * gain));
            if ((mask >> i) & 1u) {
                const double s = offset - std::fabs(kv::corvel::GradientNoise3(x * f, y * f, z * f));
                signal = s * s * weight;
                result += signal * std::pow(f, -H);
            }
        }
        return result;
    };
    struct Case {
        double octaves;
        int32_t mask;
        double offset, gain;
    };
    const Case cases[] = {{12.0, -1, 1.0, 1.0}, {12.0, -1, 1.1, 2.5}, {12.0, -1, 1.0, 0.0},
                          {9.0, 0x1F5, 0.8, 3.0}, {12.0, ~1, 1.0, 1.0}, {0.0, -1, 1.0, 1.0}};
    const double q[3] = {0.61, -0.2, 1.7};
    for (const Case& c : cases) {
        kv::TexParms p = Parms(1.0, 2.0, c.octaves, seed, c.mask, c.offset, c.gain);
        rmf->Recreate(p);
        const float v = rmf->Eval(p, q[0], q[1], q[2]);
        const int n = c.octaves < 1 ? 1 : static_cast<int>(c.octaves);
        EXPECT_NEAR(v, expected(q[0], q[1], q[2], n, static_cast<uint32_t>(c.mask), c.offset, c.gain), 1e-5)
            << c.octaves << " " << c.mask << " " << c.gain;
        if (c.gain == 0.0) { // gain 0: every later weight is 0, the octave-0 signal alone
            EXPECT_NEAR(v, expected(q[0], q[1], q[2], 1, 1u, c.offset, 0.0), 1e-6);
        }
        if ((c.mask & 1) == 0) { // no octave 0: every later weight is 0 too
            EXPECT_EQ(v, 0.0f);
        }
    }
}

TEST_F(CorvelPlugins, BothBuildsDrawTheSameNoiseForTheSameSeed)
{
    kv::TexParms f = Parms(1.0, 2.0, 1.0, 12345, 1);
    kv::TexParms r = Parms(1.0, 2.0, 1.0, 12345, 1, 1.0, 1.0);
    fbm->Recreate(f);
    rmf->Recreate(r);
    const double pts[][3] = {{0.1, 0.2, 0.3}, {5.5, -2.25, 7.75}, {100.01, 3.3, -9.9}};
    for (const auto& q : pts) {
        const float n = fbm->Eval(f, q[0], q[1], q[2]);
        const float s = rmf->Eval(r, q[0], q[1], q[2]);
        EXPECT_NEAR(s, (1.0 - std::fabs(n)) * (1.0 - std::fabs(n)), 1e-6);
        EXPECT_NE(n, 0.0f);
    }
    // Re-created from the same record, the same values again.
    const float before = fbm->Eval(f, 0.1, 0.2, 0.3);
    fbm->Recreate(f);
    EXPECT_EQ(fbm->Eval(f, 0.1, 0.2, 0.3), before);
    // Integer lattice points give 0 for the fBm build.
    EXPECT_EQ(fbm->Eval(f, 3, -4, 17), 0.0f);
}

TEST_F(CorvelPlugins, EvaluationTruncatesAndRestoresTheCallersRoundingMode)
{
    // 65536 - 1e-12 is the lattice line to nearest, but the number just below it when
    // truncating: TexEval sees a point a hair below the line.
    kv::TexParms one = Parms(1.0, 2.0, 1.0, 3, -1);
    fbm->Recreate(one);
    kv::corvel::SeedUniformRandom(3);
    kv::corvel::MarkNoiseTablesDirty();
    EXPECT_EQ(kv::corvel::GradientNoise3(-1e-12, 0.0, 0.0), 0.0);
    const float below = fbm->Eval(one, -1e-12, 0.0, 0.0);
    EXPECT_NE(below, 0.0f);
    EXPECT_LT(std::fabs(below), 1e-10f);

    kv::TexParms p = Parms(1.0, 2.0, 12.0, 3, -1, 1.0, 1.0);
    for (Plugin* plugin : {rmf, fbm}) {
        plugin->Recreate(p);
        for (int mode : {FE_UPWARD, FE_TONEAREST}) {
            std::fesetround(mode);
            (void)plugin->Eval(p, 0.4, 0.5, 0.6);
            EXPECT_EQ(std::fegetround(), mode);
        }
    }
    std::fesetround(FE_TONEAREST);
}
