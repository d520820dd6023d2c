// The globe layers of the Developmental menu: four whole-world image overlays with a colour
// link group each, and their export as level images, link images and a key table.
//
// Link images: the key rows are the distinct link colours of the four level groups, in
// group and link order, at most 256; link image n holds, for every pixel of overlay n, the
// row of its colour (0 where the colour is no link colour).
#include "document/CKVDoc.h"

#include "base/MessageService.h"
#include "base/Progress.h"
#include "base/raster/VideoBuffer.h"
#include "document/ColorLinks.h"
#include "document/TerrainDialogs.h"
#include "platform/AtomicFile.h"
#include "platform/CLocale.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <unordered_map>
#include <vector>

namespace kv {

namespace {

constexpr char kNoGlobeLayers[] = "Unable to locate any of the globe output image overlay layers.\nPlease use "
                                  "Tools>>Actions>>Setup Globe Export to create the\nlayers and link gorups needed "
                                  "for output";
constexpr char kLinkImageText[] = "Creating Link Image";
constexpr int kMaxKeyRows = 256;
constexpr char kFolderNotWritable[] = "Unable to write the globe export files in the folder %s.\nNothing was exported.";
constexpr char kNoWorldImage[] = "Unable to make the world image for the globe export.\nNothing more was exported.";
constexpr char kFileNotWritten[] = "Unable to write the file %s.\nThe globe export stopped there.";

std::string LevelName(int level) { return CKVDoc::kGlobeLayerPrefix + std::to_string(level); }
int LevelWidth(int level) { return 512 << (level - 1); }

const ColorLinkEntryList* FindGroup(const ColorLinks& links, const std::string& name)
{
    for (const ColorLinkEntryList& group : links.groups)
        if (group.name == name)
            return &group;
    return nullptr;
}

// The texts of file set `set`: its level images.
std::string FileSetText(const std::string& name, int set)
{
    const char letter = static_cast<char>('a' + set);
    return FormatC("%s1%c.bmp .. %s4%c.bmp", name.c_str(), letter, name.c_str(), letter);
}

// True when a file can be made in `folder` (one is made and removed).
bool CanWriteIn(const std::string& folder)
{
    AtomicFile probe;
    if (!probe.Open(folder + "/L0Key.txt"))
        return false;
    probe.Discard();
    return true;
}

} // namespace

void CKVDoc::OnGlobeSetup()
{
    ColorLinks& links = ColorLinks::GetInstance();
    int layersAdded = 0, groupsAdded = 0;
    for (int level = 1; level <= kGlobeLevels; ++level) {
        const std::string name = LevelName(level);
        if (m_overlays.FindByName(name) == nullptr) {
            m_overlays.AddNamed(name, LevelWidth(level), LevelWidth(level) / 2, true);
            ++layersAdded;
        }
        if (!links.FindGroup(name)) {
            ColorLinkEntryList group;
            group.name = name;
            links.groups.push_back(std::move(group));
            ++groupsAdded;
        }
    }
    // The overlays are kept in the document's file.
    if (layersAdded > 0)
        SetModifiedFlag(true);
    m_overlays.RefreshDialog();
    links.RefreshWindow();
    ShowMessage(FormatC("Added %d layers to the image overlay list and %d groups to the color\nlink list.",
                        layersAdded, groupsAdded));
}

void CKVDoc::OnGlobeExport()
{
    bool any = false;
    for (int level = 1; level <= kGlobeLevels; ++level)
        any = any || m_overlays.FindByName(LevelName(level)) != nullptr;
    if (!any) {
        ShowMessage(kNoGlobeLayers);
        return;
    }
    DocCommandMemory& memory = DocCommandMemory::Remembered();
    CGlobeExportDlg dialog;
    dialog.folder = memory.globeFolder;
    dialog.name = memory.globeName;
    dialog.linkImages = memory.globeLinkImages;
    std::copy(std::begin(memory.globeLevels), std::end(memory.globeLevels), dialog.levels);
    for (int set = 0; set < CGlobeExportDlg::kFileSets; ++set)
        dialog.fileSets.push_back(FileSetText(dialog.name, set));
    dialog.fileSetIndex = memory.globeFileSet;
    if (!GetTerrainDialogs().RunGlobeExport(dialog) || dialog.folder.empty())
        return;
    memory.globeFolder = dialog.folder;
    memory.globeName = dialog.name;
    memory.globeLinkImages = dialog.linkImages;
    std::copy(std::begin(dialog.levels), std::end(dialog.levels), memory.globeLevels);
    memory.globeFileSet = dialog.fileSetIndex;
    WriteGlobeExport(dialog);
}

int CKVDoc::WriteGlobeExport(const CGlobeExportDlg& options)
{
    const std::string& folder = options.folder;
    const int set = std::clamp(options.fileSetIndex, 0, CGlobeExportDlg::kFileSets - 1);
    // The levels written: each asked for with every coarser one, and present.
    bool exported[kGlobeLevels] = {};
    bool coarser = true;
    for (int level = 1; level <= kGlobeLevels; ++level) {
        coarser = coarser && options.levels[level - 1];
        exported[level - 1] = coarser && m_overlays.FindByName(LevelName(level)) != nullptr;
    }
    std::error_code error;
    if (!folder.empty() && !std::filesystem::is_directory(folder, error))
        std::filesystem::create_directories(folder, error);
    if (!std::filesystem::is_directory(folder, error) || !CanWriteIn(folder)) {
        ShowMessage(FormatC(kFolderNotWritable, folder.c_str()));
        return -2;
    }

    int written = 0;
    WorldImageRenderer* renderer = GetWorldImageRenderer();
    for (int level = 1; level <= kGlobeLevels; ++level) {
        if (!exported[level - 1])
            continue;
        VideoBuffer image;
        const int w = LevelWidth(level);
        if (renderer == nullptr || renderer->Render(*this, w, w / 2, image) != 0) {
            ShowMessage(kNoWorldImage);
            return -1;
        }
        const std::string file = folder + "/" + FormatC("%s%d%c.bmp", options.name.c_str(), level, 'a' + set);
        if (image.SaveBMP(file) != 0) {
            ShowMessage(FormatC(kFileNotWritten, file.c_str()));
            return -2;
        }
        ++written;
    }

    // The key rows: distinct link colours of the level groups.
    const ColorLinks& links = ColorLinks::GetInstance();
    const ColorLinkEntryList* groups[kGlobeLevels] = {};
    std::vector<uint32_t> keys;
    std::unordered_map<uint32_t, int> rowOf;
    for (int level = 1; level <= kGlobeLevels; ++level) {
        groups[level - 1] = FindGroup(links, LevelName(level));
        if (groups[level - 1] == nullptr)
            continue;
        for (const ColorLinkEntry& link : groups[level - 1]->links) {
            const uint32_t colour = link.color & 0xFFFFFFu;
            if (static_cast<int>(keys.size()) < kMaxKeyRows && rowOf.emplace(colour, static_cast<int>(keys.size())).second)
                keys.push_back(colour);
        }
    }

    if (options.linkImages) {
        ProgressBeginHook(kLinkImageText, 1);
        for (int level = 1; level <= kGlobeLevels; ++level) {
            const ImageOverlay* overlay = m_overlays.FindByName(LevelName(level));
            if (!exported[level - 1] || overlay == nullptr || !overlay->HasPixels())
                continue;
            VideoBuffer image;
            if (image.Create(overlay->width, overlay->height, 8) != 0)
                continue;
            for (int r = 0; r < overlay->height; ++r) {
                const uint32_t* row = overlay->PixelRow(r);
                for (int c = 0; c < overlay->width; ++c) {
                    const auto found = rowOf.find(row[c] & 0xFFFFFFu);
                    image.SetPixelFast(c, r, found != rowOf.end() ? static_cast<uint32_t>(found->second) : 0u);
                }
                ProgressStepHook(r, overlay->height);
            }
            const std::string file = folder + "/" + FormatC("link%d.bmp", level);
            if (image.SaveBMP(file) != 0) {
                ProgressEndHook();
                ShowMessage(FormatC(kFileNotWritten, file.c_str()));
                return -2;
            }
        }
        ProgressEndHook();
    }

    const std::string keyPath = folder + "/L0Key.txt";
    AtomicFile keyFile;
    std::FILE* key = keyFile.Open(keyPath) ? keyFile.File() : nullptr;
    if (key) {
        std::fputs(", , ,LOD0, ,LOD1, ,LOD2, ,LOD3,\n", key);
        std::fputs("R,G,B,Name,File,Name,File,Name,File,Name,File\n", key);
        for (const uint32_t colour : keys) {
            std::string fields[2 * kGlobeLevels];
            for (int g = 0; g < kGlobeLevels; ++g) {
                if (groups[g] == nullptr)
                    continue;
                for (const ColorLinkEntry& link : groups[g]->links) {
                    if ((link.color & 0xFFFFFFu) != colour)
                        continue;
                    fields[2 * g] = link.name;
                    fields[2 * g + 1] = link.targets.empty() ? std::string() : link.targets[0];
                    break;
                }
            }
            std::fputs(FormatC("%3d,%3d,%3d,%-33s,%-33s,%-33s,%-33s,%-33s,%-33s,%-33s,%-33s\n",
                               static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                               static_cast<int>((colour >> 16) & 0xFF), fields[0].c_str(), fields[1].c_str(),
                               fields[2].c_str(), fields[3].c_str(), fields[4].c_str(), fields[5].c_str(),
                               fields[6].c_str(), fields[7].c_str())
                           .c_str(),
                       key);
        }
    }
    if (key == nullptr || !keyFile.Commit()) {
        ShowMessage(FormatC(kFileNotWritten, keyPath.c_str()));
        return -2;
    }
    return written;
}

} // namespace kv
