#include "exchange/WorldImages.h"

#include "base/MessageService.h"
#include "base/ViewHooks.h"
#include "base/raster/VideoBuffer.h"
#include "document/CKVDoc.h"
#include "exchange/ExportCommon.h"
#include "exchange/IcosahedralNet.h"
#include "exchange/VRMLScene.h"
#include "view/CRawImage.h"

#include <algorithm>

namespace kv {

namespace {

struct VRMLSettings {
    static constexpr int kMinWidth = 64;
    static constexpr int kMaxWidth = 2048;
    std::string path;
    int width = 768;
};

VRMLSettings& VRMLMemory()
{
    static VRMLSettings memory;
    return memory;
}

void WorldImageCommand(CKVDoc& doc, bool icosahedral)
{
    ViewBusyScope busy;
    WorldImageSettings settings = WorldImageMemory();
    if (!GetExportDialogs().WorldImageFile(icosahedral ? "Save Icosahedral Image" : "Save Sphere Map Image",
                                           icosahedral, settings))
        return;
    settings.width = std::clamp(settings.width, WorldImageSettings::kMinWidth, WorldImageSettings::kMaxWidth);
    WorldImageMemory() = settings;
    WriteWorldImage(doc, settings, icosahedral);
}

} // namespace

WorldImageSettings& WorldImageMemory()
{
    static WorldImageSettings memory;
    return memory;
}

int WriteWorldImage(CKVDoc& doc, const WorldImageSettings& settings, bool icosahedral)
{
    ViewBusyScope busy;
    const int width = settings.width;
    CRawImage image;
    if (doc.RenderWorldImage(width, image, -1) != 0)
        return -1;
    const VideoBuffer* picture = &image.ColorBuffer();
    VideoBuffer net;
    if (icosahedral) {
        if (net.Create(width, IcosahedralNetHeight(width), 32) != 0 || !StretchToNet(image.ColorBuffer(), net))
            return -2;
        // An abort leaves the rows not reached as stretched rows; the picture is written.
        RemapIcosahedral(net, settings.background);
        image.Free();
        picture = &net;
    }
    const bool jpeg = settings.fileType == WorldImageSettings::kJpegType;
    const std::string path = CutExtension(settings.path) + (jpeg ? ".jpg" : ".bmp");
    const int result = jpeg ? picture->SaveJPEG(path, kWorldImageJpegQuality) : picture->SaveOpaqueBMP(path);
    if (result != 0) {
        ShowMessage(kErrorWritingFile + path);
        return -3;
    }
    return 0;
}

void SaveSphereMapCommand(CKVDoc& doc)
{
    WorldImageCommand(doc, false);
}

void SaveIcosahedralCommand(CKVDoc& doc)
{
    WorldImageCommand(doc, true);
}

int WriteVRMLScene(CKVDoc& doc, const std::string& path, int width)
{
    ViewBusyScope busy;
    const std::string base = CutExtension(path);
    CRawImage image;
    if (doc.RenderWorldImage(width, image, -1) != 0)
        return -1;
    const std::string texture = base + ".jpg";
    image.SetQuality(kVRMLTextureQuality);
    if (image.SaveJPEG(texture, false) != 0) {
        ShowMessage(kErrorWritingFile + texture);
        return -2;
    }
    if (!WriteVRMLSceneFile(base + ".wrl", FileNamePart(texture))) {
        ShowMessage("Unable to write to file\n\"" + base + "\"");
        return -3;
    }
    return 0;
}

void ExportVRMLCommand(CKVDoc& doc)
{
    ViewBusyScope busy;
    VRMLSettings& memory = VRMLMemory();
    std::string path = memory.path;
    int width = memory.width;
    if (!GetExportDialogs().VRMLFile(path, width))
        return;
    memory.path = path;
    memory.width = std::clamp(width, VRMLSettings::kMinWidth, VRMLSettings::kMaxWidth);
    WriteVRMLScene(doc, memory.path, memory.width);
}

} // namespace kv
