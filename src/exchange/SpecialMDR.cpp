#include "exchange/SpecialMDR.h"

#include "base/MessageService.h"
#include "base/Progress.h"
#include "base/ViewHooks.h"
#include "document/CKVDoc.h"
#include "document/DocumentContext.h"
#include "exchange/ExportCommon.h"
#include "exchange/RowBlocks.h"
#include "platform/AtomicFile.h"
#include "world/SurfaceSampler.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace kv {

int16_t SpecialMDRSample16(float altitude)
{
    const double v = std::trunc(static_cast<double>(altitude) + 0.5);
    if (!(v > -32768.0))
        return std::isnan(v) ? 0 : std::numeric_limits<int16_t>::min();
    if (v > 32767.0)
        return std::numeric_limits<int16_t>::max();
    return static_cast<int16_t>(v);
}

CrvlHeader SpecialMDRHeader(int width, bool sixteenBit)
{
    CrvlHeader h;
    h.west = -180.0;
    h.east = 180.0;
    h.north = 90.0;
    h.south = -90.0;
    h.minValue = 0.0;
    h.maxValue = 1.0;
    h.width = width;
    h.height = width / 2;
    h.cellWidth = 360.0 / h.width;
    h.cellHeight = 180.0 / h.height;
    h.flags = sixteenBit ? kCrvlSigned16 : 0;
    return h;
}

int WriteSpecialMDRFile(const SurfaceSampler& sampler, const std::string& path, int width, bool sixteenBit,
                        bool withHeader, int threads)
{
    // Below 4 samples the height (width / 2) leaves no second row to place.
    if (width < kSpecialMDRMinWidth || width > (std::numeric_limits<int32_t>::max() / 4))
        return kSpecialMDRBadWidth;
    CrvlHeader header = SpecialMDRHeader(width, sixteenBit);
    const int height = header.height;
    const size_t sampleBytes = sixteenBit ? 2 : 4;
    const size_t rowBytes = static_cast<size_t>(width) * sampleBytes;

    AtomicFile file;
    if (!file.Open(path))
        return kSpecialMDRCannotCreate;
    uint8_t head[kCrvlHeaderSize];
    EncodeCrvlHeader(header, head);
    if (withHeader && std::fwrite(head, 1, sizeof head, file.File()) != sizeof head)
        return kSpecialMDRWriteFailed;

    const int n = RowBlockThreads(threads, height);
    // Blocks of rows small enough to step progress often, large enough to keep every
    // thread busy; one block is written while the next is computed.
    const int blockRows = std::clamp(static_cast<int>((size_t(2) << 20) / std::max<size_t>(rowBytes, 1)), n, 256);
    std::vector<uint8_t> blocks;
    try {
        blocks.resize(rowBytes * static_cast<size_t>(std::min(blockRows, height)) * 2);
    } catch (const std::bad_alloc&) {
        return kSpecialMDRWriteFailed;
    }
    const auto rowAt = [&](int row) {
        const int slot = ((row / blockRows) % 2) * blockRows + row % blockRows;
        return blocks.data() + static_cast<size_t>(slot) * rowBytes;
    };
    std::vector<std::unique_ptr<SurfaceSampler>> samplers;
    for (int i = 0; i < n; ++i)
        samplers.push_back(std::make_unique<SurfaceSampler>(sampler));
    struct alignas(64) Range {
        float low = std::numeric_limits<float>::infinity();
        float high = -std::numeric_limits<float>::infinity();
    };
    std::vector<Range> ranges(static_cast<size_t>(n));

    const double latStep = 180.0 / (height - 1);
    const double lonStep = 360.0 / (width - 1);
    bool writeOk = true;
    ProgressBeginHook(("Writing Special MDR File " + path).c_str());
    g_abortValue = 0;
    const bool complete = RunRowBlocks(
        height, n, blockRows,
        [&](int row, int slot) {
            NoiseEvaluationScope evaluating;
            const SurfaceSampler& s = *samplers[static_cast<size_t>(slot)];
            Range& range = ranges[static_cast<size_t>(slot)];
            const double latitude = 90.0 - row * latStep;
            uint8_t* out = rowAt(row);
            for (int i = width - 1; i >= 0; --i) {
                const float altitude = s.GetAltitude(latitude, i * lonStep - 180.0);
                range.low = std::min(range.low, altitude);
                range.high = std::max(range.high, altitude);
                if (sixteenBit) {
                    const auto v = static_cast<uint16_t>(SpecialMDRSample16(altitude));
                    out[2 * i] = static_cast<uint8_t>(v);
                    out[2 * i + 1] = static_cast<uint8_t>(v >> 8);
                } else {
                    PutLEFloat(out + 4 * static_cast<size_t>(i), altitude);
                }
            }
        },
        [&](int first, int end) {
            const size_t bytes = rowBytes * static_cast<size_t>(end - first);
            writeOk = std::fwrite(rowAt(first), 1, bytes, file.File()) == bytes;
            ProgressStepHook(end, height);
            ProgressPollHook();
            return writeOk && !AbortRequested();
        });
    ProgressEndHook();
    const bool aborted = !complete && writeOk;
    g_abortValue = 0;
    if (aborted)
        return kSpecialMDRAborted;
    if (!complete)
        return kSpecialMDRWriteFailed;

    header.minValue = ranges[0].low;
    header.maxValue = ranges[0].high;
    for (const Range& r : ranges) {
        header.minValue = std::min<double>(header.minValue, r.low);
        header.maxValue = std::max<double>(header.maxValue, r.high);
    }
    if (withHeader) {
        EncodeCrvlHeader(header, head);
        if (std::fseek(file.File(), 0, SEEK_SET) != 0 || std::fwrite(head, 1, sizeof head, file.File()) != sizeof head)
            return kSpecialMDRWriteFailed;
    }
    return file.Commit() ? kSpecialMDROk : kSpecialMDRWriteFailed;
}

void WriteSpecialMDR(const std::string& path, int width, bool sixteenBit, bool withHeader)
{
    ViewBusyScope busy;
    CKVDoc* doc = GetActiveDoc();
    SurfaceSampler* sampler = doc != nullptr ? doc->GetSampler() : nullptr;
    if (sampler == nullptr)
        return;
    const int result = WriteSpecialMDRFile(*sampler, path, width, sixteenBit, withHeader);
    if (result != kSpecialMDROk && result != kSpecialMDRAborted)
        ShowMessage(kErrorWritingFile + path);
}

} // namespace kv
