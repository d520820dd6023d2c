// Elevation files of the binary import from arbitrary bytes. The first byte chooses: 0 the
// rest is the data file the user chose (tried as a DTE file, an 8-bit bitmap, a CRVL
// raster), 1 the rest is the ".HDR" text beside a raw file (the question answered Yes).
// A file is either not recognised, with the values entered before kept, or gives sizes
// above 0 and rows whose length fits in 32 bits.
#include "FuzzSupport.h"
#include "ElevationFixtures.h"

#include "base/MessageService.h"
#include "base/raster/CrvlHeader.h"
#include "base/raster/VideoBuffer.h"
#include "exchange/BinaryImport.h"
#include "exchange/SpecialMDR.h"

namespace {

struct AnswerYes : kv::MessageService {
    void Show(const std::string&) override {}
    bool AskYesNo(const std::string&) override { return true; }
};

void TryFile(const std::string& path)
{
    kv::BinaryImportValues v = elevation::Entered();
    const kv::ImportFileKind kind = kv::ApplyChosenFile(v, path);
    FUZZ_CHECK(elevation::SoundAfterChoice(kind, v, path));
}

// Bitmaps by the buffer's writer, CRVL headers of Special MDR files, DTE headers of the
// import tests and header texts of both dialects.
void MakeSeeds(const fuzz::SeedWriter& out)
{
    kv::VideoBuffer grey;
    FUZZ_CHECK(grey.Create(37, 5, 8) == 0);
    const std::string bmp = fuzz::ScratchPath("grey.bmp");
    FUZZ_CHECK(grey.SaveBMP(bmp) == 0);
    const std::string bmpBytes = fuzz::ReadWhole(bmp);
    out.Add("grey.bmp", 0, fuzz::Bytes(bmpBytes.begin(), bmpBytes.end()));
    for (bool sixteen : {true, false}) {
        fuzz::Bytes head(kv::kCrvlHeaderSize + 64, 0);
        kv::EncodeCrvlHeader(kv::SpecialMDRHeader(16, sixteen), head.data());
        out.Add(sixteen ? "special16.mdr" : "special32.mdr", 0, head);
    }
    for (int16_t order : {0, 1})
        out.Add("order" + std::to_string(order) + ".dte", 0, elevation::DteBytes(order, 4, 2, 1024 + 16));
    out.Add("first.hdr", 1,
            "BYTEORDER I\nLAYOUT BIL\nNROWS 20\nNCOLS 30\nNBITS 16\nTOTALROWBYTES 60\n"
            "ULXMAP -10\nULYMAP 50\nXDIM 0.5\nYDIM 0.5\nNODATA -9999\n");
    out.Add("second.hdr", 1,
            "number_of_rows 2\rnumber_of_columns 100\rdata_representation s\r"
            "data_byte_order b\rleft_map_x -3\rupper_map_y 7\rgrid_size 0.25\r");
}

} // namespace

KV_FUZZ_SEEDS(MakeSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static AnswerYes yes;
    kv::SetMessageService(&yes);
    const fuzz::Selected in = fuzz::Select(data, size, 2);
    if (in.choice == 0) {
        TryFile(fuzz::WriteScratch("chosen.bin", in.body, in.size));
    } else {
        const uint8_t zeros[16] = {};
        const std::string raw = fuzz::WriteScratch("raw.bin", zeros, sizeof zeros);
        fuzz::WriteScratch("raw.HDR", in.body, in.size);
        TryFile(raw);
    }
    kv::SetMessageService(nullptr);
    return 0;
}
