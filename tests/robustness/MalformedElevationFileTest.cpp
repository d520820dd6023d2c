// Elevation files for the binary import, truncated, zeroed, mutated and random, and
// damaged header files beside raw data: each is either not recognised, with the values the
// user had entered kept, or recognised with sizes that describe readable rows.
#include "base/MessageService.h"
#include "base/raster/VideoBuffer.h"
#include "exchange/BinaryImport.h"
#include "exchange/RasterHeader.h"

#include "ElevationFixtures.h"
#include "OutsideTools.h"

#include <gtest/gtest.h>

#include <random>

using namespace kv;

namespace {

struct AnswerYes : MessageService {
    AnswerYes() { m_previous = SetMessageService(this); }
    ~AnswerYes() override { SetMessageService(m_previous); }
    void Show(const std::string&) override {}
    bool AskYesNo(const std::string&) override { return true; }

private:
    MessageService* m_previous = nullptr;
};

// The checks every chosen file passes.
void CheckApplied(const std::string& path)
{
    BinaryImportValues v = elevation::Entered();
    const ImportFileKind kind = ApplyChosenFile(v, path);
    ASSERT_TRUE(elevation::SoundAfterChoice(kind, v, path))
        << path << ": kind " << static_cast<int>(kind) << ", " << v.width << " x " << v.height << ", line "
        << v.lineWidth << ", header " << v.headerLength << ", type " << v.sampleType;
}

std::vector<std::vector<uint8_t>> Damaged(const std::vector<uint8_t>& good, std::mt19937& rng)
{
    std::vector<std::vector<uint8_t>> files;
    for (size_t cut : {size_t(0), size_t(1), size_t(2), size_t(30), size_t(53), size_t(54), size_t(207),
                       size_t(208), size_t(1023), size_t(1024)})
        if (cut <= good.size())
            files.emplace_back(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
    files.emplace_back(good.size(), 0);
    const size_t header = std::min<size_t>(good.size(), 1024);
    for (int i = 0; i < 150; ++i) {
        std::vector<uint8_t> b = good;
        for (int n = 0; n < 1 + i % 4; ++n) {
            const size_t at = rng() % header;
            b[at] = i % 2 ? static_cast<uint8_t>(rng()) : static_cast<uint8_t>(b[at] ^ (1u << (rng() % 8)));
        }
        files.push_back(b);
    }
    // Words a header is read from set to extremes.
    for (size_t at : {size_t(10), size_t(18), size_t(22), size_t(184), size_t(188), size_t(196), size_t(360),
                      size_t(364)})
        for (uint32_t v : {0u, 0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFFu, 0x40000000u}) {
            if (at + 4 > good.size())
                continue;
            std::vector<uint8_t> b = good;
            PutLE32(b.data() + at, v);
            files.push_back(b);
        }
    return files;
}

} // namespace

TEST(MalformedElevationFile, DamagedDteBmpAndCrvlFiles)
{
    ScratchFolder dir;
    AnswerYes yes;
    std::mt19937 rng(30);
    VideoBuffer grey;
    ASSERT_EQ(grey.Create(37, 5, 8), 0);
    ASSERT_EQ(grey.SaveBMP(dir / "grey.bmp"), 0);
    const std::vector<uint8_t> goods[] = {elevation::DteBytes(), ReadBytes(dir / "grey.bmp"),
                                          elevation::CrvlBytes(8, 4, kCrvlSigned16), elevation::CrvlBytes(8, 4, 0)};
    const std::string path = dir / "data.bin";
    for (const std::vector<uint8_t>& good : goods)
        for (const std::vector<uint8_t>& bytes : Damaged(good, rng)) {
            WriteBytes(path, bytes);
            CheckApplied(path);
            if (HasFatalFailure())
                return;
        }
    for (int i = 0; i < 60; ++i) {
        std::vector<uint8_t> bytes(rng() % 2048);
        for (uint8_t& b : bytes)
            b = static_cast<uint8_t>(rng());
        if (i % 3 == 0 && bytes.size() >= 4)
            std::copy_n(i % 2 ? "CRVL" : "BM\x00\x00", 4, bytes.begin());
        WriteBytes(path, bytes);
        CheckApplied(path);
    }
    // A folder and a missing file are not recognised.
    CheckApplied(dir.path.string());
    CheckApplied(dir / "missing.bin");
}

TEST(MalformedElevationFile, DamagedHeaderFiles)
{
    ScratchFolder dir;
    AnswerYes yes;
    std::mt19937 rng(31);
    const std::string good = "BYTEORDER I\nLAYOUT BIL\nNROWS 20\nNCOLS 30\nNBITS 16\nTOTALROWBYTES 60\n"
                             "ULXMAP -10\nULYMAP 50\nXDIM 0.5\nYDIM 0.5\nNODATA -9999\n";
    std::vector<std::string> texts = {
        "",
        "NROWS\nNCOLS\n",
        "NROWS 20\rNCOLS 30\rNBITS 8\r",
        "NROWS 99999999999999999999\nNCOLS 30\n",
        "NROWS 20\nNCOLS -30\n",
        "NROWS 20\nNCOLS 30\nXDIM 1e400\nULXMAP -1e308\nYDIM nan\nNODATA 1e39\n",
        "NROWS 2147483647\nNCOLS 2147483647\nNBITS 32\n",
        "number_of_rows 2\nnumber_of_columns 2147483647\ndata_representation l\n",
        std::string(5000, 'N') + "\nNROWS 3\nNCOLS 4\n",
        "NROWS 3 " + std::string(5000, '7') + "\nNCOLS 4\n",
        std::string(100000, '\r'),
        std::string(20000, '='),
        "LAYOUT " + std::string(3000, '\n') + "NROWS 1\nNCOLS 1\n",
    };
    for (size_t cut = 0; cut < good.size(); cut += 7)
        texts.push_back(good.substr(0, cut));
    const char* inserts[] = {"\r", "\n", "=", " ", "-", "e999", "\0", "NROWS", "\xff"};
    for (int i = 0; i < 300; ++i) {
        std::string t = good;
        const size_t at = rng() % t.size();
        if (i % 2)
            t[at] = static_cast<char>(rng());
        else
            t.insert(at, inserts[rng() % std::size(inserts)]);
        texts.push_back(t);
    }
    WriteBytes(dir / "data.bin", std::vector<uint8_t>(16, 0));
    for (const std::string& t : texts) {
        WriteText(dir / "data.HDR", t);
        RasterHeader h;
        ASSERT_GE(h.Parse(t), 0);
        CheckApplied(dir / "data.bin");
        if (HasFatalFailure())
            return;
    }
}
