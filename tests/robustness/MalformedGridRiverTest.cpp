// Damaged grid definition texts, grid overlay records and river records: every reader
// refuses with its error (-1 or the archive error) leaving the object as it was, or loads
// something that writes back and reads again unchanged. The sanitizer build checks that no
// case reads outside its input. Cases: every truncation of each seed, then seeded random
// edits (so every run sees the same cases).
#include "ArchiveBytes.h"
#include "GridRiverSamples.h"
#include "platform/Archive.h"
#include "world/CRectGrid.h"
#include "world/RiverVectorOverlay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

using namespace kv;
namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr int kRandomCases = 600;

std::string ScratchPath(const std::string& name)
{
    static const fs::path dir = [] {
        fs::path p = fs::temp_directory_path() / ("kv_malformed_grid_river_" + std::to_string(getpid()));
        fs::create_directories(p);
        return p;
    }();
    return (dir / name).string();
}

Bytes ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string WriteFile(const std::string& name, const Bytes& bytes)
{
    const std::string path = ScratchPath(name);
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

// One to three edits: flipped bits, a 32-bit field set to a boundary value, inserted junk
// or keyword-like text, a deleted or repeated run.
Bytes Mutate(Bytes b, std::mt19937& rng)
{
    auto below = [&](size_t n) { return n ? rng() % n : 0; };
    static const uint32_t kWords[] = {0, 1, 0xFF, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu, 100001, 0x7FF80000};
    static const char* const kTexts[] = {"Grid ", "EndGrid", "Effective ", "EndRectGrid", ",", "(((", "1e400", "-", "\n"};
    for (int edits = 1 + static_cast<int>(below(3)); edits > 0; --edits) {
        const size_t at = below(b.size() + 1);
        switch (below(b.empty() ? 1 : 6)) {
        case 0: {
            const std::string t = kTexts[below(std::size(kTexts))];
            b.insert(b.begin() + static_cast<long>(at), t.begin(), t.end());
            break;
        }
        case 1:
            b[below(b.size())] ^= static_cast<uint8_t>(1u << below(8));
            break;
        case 2:
            if (b.size() >= 4) {
                const uint32_t w = kWords[below(std::size(kWords))];
                const size_t p = below(b.size() - 3);
                for (int k = 0; k < 4; ++k)
                    b[p + k] = static_cast<uint8_t>(w >> (8 * k));
            }
            break;
        case 3:
            b.erase(b.begin() + static_cast<long>(std::min(at, b.size() - 1)),
                    b.begin() + static_cast<long>(std::min(b.size(), at + 1 + below(24))));
            break;
        case 4: {
            const size_t from = below(b.size()), n = std::min<size_t>(1 + below(48), b.size() - from);
            const Bytes run(b.begin() + static_cast<long>(from), b.begin() + static_cast<long>(from + n));
            b.insert(b.begin() + static_cast<long>(at), run.begin(), run.end());
            break;
        }
        default:
            b.insert(b.begin() + static_cast<long>(at), static_cast<uint8_t>(rng()));
            break;
        }
    }
    return b;
}

// Every truncation of every seed, then kRandomCases mutations.
void ForDamagedCopies(const std::vector<Bytes>& seeds, uint32_t seed, const std::function<void(const Bytes&)>& check)
{
    for (const Bytes& s : seeds)
        for (size_t n = 0; n < s.size(); ++n) {
            SCOPED_TRACE("truncated to " + std::to_string(n));
            check(Bytes(s.begin(), s.begin() + static_cast<long>(n)));
        }
    std::mt19937 rng(seed);
    for (int i = 0; i < kRandomCases; ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        check(Mutate(seeds[static_cast<size_t>(i) % seeds.size()], rng));
    }
}

// What a loaded object writes, loaded into a new object and written again, is the same.
template <typename T> void ExpectStableRecord(T& loaded)
{
    const Bytes once = StoreBytes(loaded);
    T again;
    LoadBytes(again, once);
    EXPECT_EQ(StoreBytes(again), once);
}

} // namespace

TEST(MalformedGridRiver, GridTextsLoadCompleteBlocksOrLeaveTheOverlayAsItWas)
{
    const std::string seedPath = ScratchPath("seed.grd");
    ASSERT_EQ(SampleGridOverlay().Save(seedPath), 0);
    const Bytes seed = ReadFile(seedPath);
    ForDamagedCopies({seed}, 15, [&](const Bytes& text) {
        CRectGrid overlay = SampleGridOverlay();
        overlay.grids.pop_back();
        const CRectGrid before = overlay;
        const int result = overlay.Load(WriteFile("case.grd", text));
        ASSERT_TRUE(result == 0 || result == -1);
        if (result != 0) {
            EXPECT_TRUE(overlay.SameValues(before));
            return;
        }
        EXPECT_GE(overlay.subdivisionLevel, CRectGrid::kMinLevel);
        EXPECT_LE(overlay.subdivisionLevel, CRectGrid::kMaxLevel);
        EXPECT_LE(overlay.grids.size(), 3u + 1u);
        // Whatever was read writes back as a file that reads the same.
        const std::string again = ScratchPath("again.grd");
        ASSERT_EQ(overlay.Save(again), 0);
        CRectGrid reread;
        ASSERT_EQ(reread.Load(again), 0);
        ASSERT_EQ(reread.grids.size(), overlay.grids.size());
        ASSERT_EQ(reread.Save(ScratchPath("third.grd")), 0);
        EXPECT_EQ(ReadFile(ScratchPath("third.grd")), ReadFile(again));
    });
}

TEST(MalformedGridRiver, GridRecordsLoadOrLeaveTheOverlayAsItWas)
{
    CRectGrid sample = SampleGridOverlay();
    ForDamagedCopies({StoreBytes(sample)}, 16, [&](const Bytes& bytes) {
        CRectGrid overlay = SampleGridOverlay();
        overlay.grids.resize(1);
        const CRectGrid before = overlay;
        if (!TryLoadBytes(overlay, bytes)) {
            EXPECT_TRUE(overlay.SameValues(before));
            return;
        }
        EXPECT_GE(overlay.subdivisionLevel, CRectGrid::kMinLevel);
        EXPECT_LE(overlay.subdivisionLevel, CRectGrid::kMaxLevel);
        EXPECT_LE(overlay.grids.size(), std::max<size_t>(bytes.size() / 4, 1));
        ExpectStableRecord(overlay);
    });
}

TEST(MalformedGridRiver, RiverRecordsLoadOrLeaveTheRiversAsTheyWere)
{
    RiverVectorOverlay sample = SampleRiverOverlay();
    ForDamagedCopies({StoreBytes(sample)}, 17, [&](const Bytes& bytes) {
        RiverVectorOverlay overlay = SampleRiverOverlay();
        overlay.rivers.pop_back();
        const std::vector<RiverPath> before = overlay.rivers;
        if (!TryLoadBytes(overlay, bytes)) {
            EXPECT_EQ(overlay.rivers, before);
            return;
        }
        for (const RiverPath& r : overlay.rivers)
            EXPECT_LE(r.points.size(), static_cast<size_t>(RiverPath::kMaxPoints));
        ExpectStableRecord(overlay);
    });
}
