#include "exchange/SpinSequence.h"

#include "base/MessageService.h"
#include "base/Progress.h"
#include "base/ViewHooks.h"
#include "base/raster/VideoBuffer.h"
#include "document/CKVDoc.h"
#include "exchange/ExportCommon.h"
#include "exchange/ExportDialogs.h"
#include "projection/ProjectionParms.h"
#include "view/CRawImage.h"
#include "world/SurfaceSampler.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace kv {

SpinSettings& SpinMemory()
{
    static SpinSettings memory;
    return memory;
}

std::unique_ptr<CMovieFrameWriter> FrameWriterFor(const std::string& path)
{
    std::string ext = PathExtension(path);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    if (ext == ".bmp")
        return std::make_unique<CBMPFrameWriter>();
    if (ext == ".jpg" || ext == ".jpeg")
        return std::make_unique<CJPGFrameWriter>();
    return nullptr;
}

void PaintSpinFrame(VideoBuffer& colour, const VideoBuffer& coverage, uint32_t background, bool shaded)
{
    const int w = std::min(colour.GetWidth(), coverage.GetWidth());
    const int h = std::min(colour.GetHeight(), coverage.GetHeight());
    const double half = colour.GetWidth() / 2.0;
    const uint32_t space = SwapRedBlue(background);
    for (int i = 0; i < h; ++i)
        for (int j = 0; j < w; ++j) {
            if ((coverage.GetPixel(j, i) & 0xFFFFFF) == 0) {
                colour.SetPixelFast(j, i, space);
                continue;
            }
            if (!shaded)
                continue;
            const double x = (j - half) / half, y = (i - half) / half;
            const double f = std::clamp((std::cos(std::sqrt(x * x + y * y) * M_PI / 2) + 1) / 2, 0.0, 1.0);
            const auto q = static_cast<uint32_t>(f * 255);
            const uint32_t v = colour.GetPixel(j, i);
            const uint32_t r = ((v & 0xFF) * q) >> 8, g = (((v >> 8) & 0xFF) * q) >> 8, b = (((v >> 16) & 0xFF) * q) >> 8;
            colour.SetPixelFast(j, i, r | (g << 8) | (b << 16));
        }
}

namespace {

constexpr int kOrthographicId = 9;
constexpr int kMinFrameSize = 4;

} // namespace

int WriteSpinFrames(SurfaceSampler& sampler, const SpinSettings& settings, CMovieFrameWriter& writer,
                    int* failedFrame, int threads)
{
    const int frames = std::max(settings.frames, 1);
    const int size = std::max(settings.size, kMinFrameSize);
    // The frames render through their own projection: the view's sampler keeps its own.
    ProjectionParms orthographic;
    orthographic.SetProjection(kOrthographicId);
    orthographic.SetCenter(settings.latitude, 0.0);

    auto image = std::make_unique<CRawImage>(&sampler);
    image->SetSize(size, size);
    if (writer.Open(settings.path, image->ColorBuffer(), frames) != 0)
        return -1;
    g_abortValue = 0;
    int result = 0;
    for (int k = 0; k < frames && !AbortRequested(); ++k) {
        orthographic.SetCenter(settings.latitude, k * 360.0 / frames);
        image = std::make_unique<CRawImage>(&sampler);
        image->SetSize(size, size);
        image->SetProjection(&orthographic);
        image->SetThreads(threads);
        const std::string title = "Calculating Frame " + std::to_string(k + 1) + " of " + std::to_string(frames);
        if (image->Compute(title.c_str(), true, false) < 0) {
            result = AbortRequested() ? -4 : -2;
            g_abortValue = kAbortValue;
            break;
        }
        PaintSpinFrame(image->ColorBuffer(), image->MaskBuffer(), settings.background, settings.shaded);
        if (writer.WriteFrame(image->ColorBuffer(), k) != 0) {
            result = -3;
            if (failedFrame != nullptr)
                *failedFrame = k;
            break;
        }
        ProgressPollHook();
        if (AbortRequested())
            result = -4;
    }
    writer.Close();
    g_abortValue = 0;
    return result;
}

void SaveSpinSequence(CKVDoc& doc, const SpinSettings& settings)
{
    ViewBusyScope busy;
    std::unique_ptr<CMovieFrameWriter> writer = FrameWriterFor(settings.path);
    if (!writer) {
        ShowMessage("Unable to determine the extension provided (" + PathExtension(settings.path) + ")");
        return;
    }
    SurfaceSampler* sampler = doc.GetSampler();
    if (sampler == nullptr)
        return;
    int failed = 0;
    const int result = WriteSpinFrames(*sampler, settings, *writer, &failed);
    if (result == -1)
        ShowMessage("Unable to open movie file");
    else if (result == -3)
        ShowMessage(kErrorWritingFile + static_cast<CBMPFrameWriter&>(*writer).FrameName(failed));
}

void SaveSpinSequenceCommand(CKVDoc& doc)
{
    ViewBusyScope busy;
    SpinSettings settings = SpinMemory();
    if (!GetExportDialogs().SpinFile(settings))
        return;
    SpinMemory() = settings;
    SaveSpinSequence(doc, settings);
}

} // namespace kv
