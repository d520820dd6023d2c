// Elevation files for the binary import from arbitrary bytes: the same bytes are tried as
// the chosen data file (DTE, 8-bit bitmap, CRVL raster) and as the text header beside a raw
// file. A file is either not recognised, with the values entered before kept, or gives
// sizes above 0 and rows whose length fits in 32 bits.
//
// With KV_FUZZ_WRITE_SEEDS set to a folder, the first run writes the seeds there instead,
// made by our own writers (bitmap, Special MDR headers) and by hand (DTE headers, header
// texts of both dialects).
#include "base/MessageService.h"
#include "base/raster/CrvlHeader.h"
#include "base/raster/VideoBuffer.h"
#include "exchange/BinaryImport.h"
#include "exchange/SpecialMDR.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

struct AnswerYes : kv::MessageService {
    void Show(const std::string&) override {}
    bool AskYesNo(const std::string&) override { return true; }
};

std::string Scratch(const std::string& name)
{
    return "/tmp/kv_fuzz_elevation_" + std::to_string(::getpid()) + "_" + name;
}

void Write(const std::string& path, const uint8_t* data, size_t size)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

kv::BinaryImportValues Entered()
{
    kv::BinaryImportValues v;
    v.sampleType = 2;
    v.lineWidth = 321;
    v.headerLength = 7;
    v.width = 11;
    v.height = 13;
    v.noData = -5.0f;
    return v;
}

void TryFile(const std::string& path)
{
    kv::BinaryImportValues v = Entered();
    const kv::ImportFileKind kind = kv::ApplyChosenFile(v, path);
    Check(v.fileName == path);
    if (kind == kv::ImportFileKind::kNone) {
        const kv::BinaryImportValues e = Entered();
        Check(v.sampleType == e.sampleType && v.lineWidth == e.lineWidth && v.headerLength == e.headerLength &&
              v.width == e.width && v.height == e.height && v.noData == e.noData);
        return;
    }
    Check(v.width > 0 && v.height > 0);
    if (kind != kv::ImportFileKind::kHeaderFile) {
        Check(v.lineWidth > 0 && v.headerLength >= 0 && v.sampleType >= 0 && v.sampleType <= 3);
        Check(static_cast<int64_t>(v.width) * (v.sampleType == 3 ? 4 : (1 << v.sampleType)) <= INT32_MAX);
    }
}

void WriteSeeds(const std::string& folder)
{
    kv::VideoBuffer grey;
    grey.Create(37, 5, 8);
    grey.SaveBMP(folder + "/grey.bmp");
    uint8_t head[kv::kCrvlHeaderSize];
    kv::EncodeCrvlHeader(kv::SpecialMDRHeader(16, true), head);
    Write(folder + "/special16.mdr", head, sizeof head);
    kv::EncodeCrvlHeader(kv::SpecialMDRHeader(16, false), head);
    Write(folder + "/special32.mdr", head, sizeof head);
    // A DTE header of 16-bit samples, 4 x 2, both byte orders.
    for (int order : {0, 1}) {
        uint8_t dte[1024 + 16] = {};
        dte[0] = static_cast<uint8_t>(order);
        kv::PutLE32(dte + 2, 80000000);
        kv::PutLEDouble(dte + 74, -20.0);
        kv::PutLEDouble(dte + 82, 40.0);
        kv::PutLEDouble(dte + 90, -10.0);
        kv::PutLEDouble(dte + 98, 15.0);
        kv::PutLE32(dte + 184, 4);
        kv::PutLE32(dte + 188, 2);
        kv::PutLE32(dte + 192, 16);
        kv::PutLE32(dte + 196, 8);
        dte[204] = 4;
        dte[206] = 2;
        Write(folder + "/order" + std::to_string(order) + ".dte", dte, sizeof dte);
    }
    const std::string first = "BYTEORDER I\nLAYOUT BIL\nNROWS 20\nNCOLS 30\nNBITS 16\nTOTALROWBYTES 60\n"
                              "ULXMAP -10\nULYMAP 50\nXDIM 0.5\nYDIM 0.5\nNODATA -9999\n";
    const std::string second = "number_of_rows 2\rnumber_of_columns 100\rdata_representation s\r"
                               "data_byte_order b\rleft_map_x -3\rupper_map_y 7\rgrid_size 0.25\r";
    Write(folder + "/first.hdr", reinterpret_cast<const uint8_t*>(first.data()), first.size());
    Write(folder + "/second.hdr", reinterpret_cast<const uint8_t*>(second.data()), second.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool seeded = false;
    if (!seeded) {
        seeded = true;
        if (const char* folder = std::getenv("KV_FUZZ_WRITE_SEEDS")) {
            WriteSeeds(folder);
            std::exit(0);
        }
    }
    static AnswerYes yes;
    kv::SetMessageService(&yes);
    const std::string file = Scratch("file.bin");
    Write(file, data, size);
    TryFile(file);

    const std::string raw = Scratch("raw.bin"), header = Scratch("raw.HDR");
    const uint8_t zeros[16] = {};
    Write(raw, zeros, sizeof zeros);
    Write(header, data, size);
    TryFile(raw);

    std::remove(file.c_str());
    std::remove(raw.c_str());
    std::remove(header.c_str());
    kv::SetMessageService(nullptr);
    return 0;
}
