#include "exchange/SkyloomTemplate.h"

#include "base/MessageService.h"
#include "base/ViewHooks.h"
#include "base/raster/VideoBuffer.h"
#include "document/CKVDoc.h"
#include "exchange/ExportCommon.h"
#include "exchange/ExportDialogs.h"
#include "exchange/FCWBuiltins.h"
#include "exchange/FCWRecords.h"
#include "exchange/IcosahedralNet.h"
#include "exchange/WorldImages.h"
#include "platform/AtomicFile.h"
#include "view/CRawImage.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace kv {

namespace {

std::string& LastPath()
{
    static std::string path;
    return path;
}

bool WriteAll(std::FILE* f, const std::vector<uint8_t>& bytes)
{
    return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
}

} // namespace

std::string SkyloomReference(const std::string& imagePath)
{
    const std::size_t slash = imagePath.find_last_of("/\\");
    return slash == std::string::npos ? imagePath : "$" + imagePath.substr(slash + 1);
}

std::vector<uint8_t> SkyloomPictureRecord(const std::string& reference)
{
    std::vector<uint8_t> r;
    fcw::PutU32(r, static_cast<uint32_t>(59 + reference.size()));
    for (uint8_t b : {4, 0, 0, 1, 1, 0})
        fcw::PutU8(r, b);
    fcw::PutI16(r, 0);  // 10
    fcw::PutI16(r, 1);  // 12 layer
    fcw::PutI16(r, 0);  // 14
    fcw::PutI16(r, 0);  // 16
    fcw::PutI16(r, 0);  // 18
    fcw::PutU32(r, 0);  // 20
    fcw::PutU32(r, kSkyloomPictureNumber);
    fcw::PutI16(r, 32); // 28
    fcw::PutU32(r, 33); // 30
    fcw::PutU32(r, 0);  // 34
    fcw::PutU32(r, 0);  // 38
    fcw::PutF32(r, fcw::kSkyloomPictureWidth);
    fcw::PutU32(r, fcw::kSkyloomPictureHeightBits);
    fcw::PutU32(r, 0);  // 50
    fcw::PutU32(r, 0);  // 54
    fcw::PutText(r, reference);
    return r;
}

std::string SkyloomDrawingPath(const std::string& imagePath)
{
    std::string extension = PathExtension(imagePath);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".fcw" ? imagePath : CutExtension(imagePath) + ".FCW";
}

int WriteSkyloomTemplate(const std::string& imagePath, const std::string& drawingPath)
{
    const std::string path = SkyloomDrawingPath(drawingPath.empty() ? imagePath : drawingPath);
    AtomicFile file;
    if (!file.Open(path)) {
        ShowMessage("Unable to open output file\n" + path);
        return -1;
    }
    if (!WriteAll(file.File(), fcw::SkyloomHead()) ||
        !WriteAll(file.File(), SkyloomPictureRecord(SkyloomReference(imagePath))) ||
        !WriteAll(file.File(), fcw::SkyloomTail()) || !file.Commit()) {
        ShowMessage(kErrorWritingFile + path);
        return -1;
    }
    return 0;
}

int ExportSkyloomTemplateCommand(CKVDoc& doc)
{
    WorldImageSettings settings = WorldImageMemory();
    settings.path = LastPath();
    settings.filter = kSkyloomDialogFilter;
    settings.defaultExtension = kSkyloomDialogExtension;
    settings.fileType = 1;
    if (!GetExportDialogs().WorldImageFile(kSkyloomDialogTitle, true, settings))
        return 0;
    LastPath() = settings.path;
    ViewBusyScope busy;
    const int width = std::clamp(settings.width, WorldImageSettings::kMinWidth, WorldImageSettings::kMaxWidth);
    CRawImage image;
    if (doc.RenderWorldImage(width, image, -1) != 0)
        return -1;
    VideoBuffer net;
    if (net.Create(width, IcosahedralNetHeight(width), 32) != 0 || !StretchToNet(image.ColorBuffer(), net))
        return -2;
    image.Free();
    RemapIcosahedral(net, WorldImageMemory().background);
    const std::string picture = CutExtension(settings.path) + ".bmp";
    if (net.SaveOpaqueBMP(picture) != 0) {
        ShowMessage(kErrorWritingFile + picture);
        return -3;
    }
    return WriteSkyloomTemplate(picture, settings.path) == 0 ? 0 : -4;
}

} // namespace kv
