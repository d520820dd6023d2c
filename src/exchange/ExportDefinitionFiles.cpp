#include "exchange/ExportDefinitionFiles.h"

#include "base/MessageService.h"
#include "base/AppSettings.h"
#include "base/ServiceSlots.h"
#include "document/CKVDoc.h"
#include "exchange/CFCWImage.h"
#include "exchange/ExportDialogs.h"
#include "exchange/MultiFileAtlas.h"
#include "exchange/PW2Output.h"
#include "world/SurfaceSampler.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace kv {

namespace {

constexpr int32_t kDefinitionDrawingSize = 1000;
DefinitionNamePrompt g_defaultPrompt;
std::atomic<DefinitionNamePrompt*> g_prompt{nullptr};

std::string PathOf(const std::string& folder, const std::string& name)
{
    const std::string file = name + ".xpt";
    return folder.empty() || folder.back() == '/' ? folder + file : folder + "/" + file;
}

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

// A definition file the commands can edit or export: its first word is a version this
// program reads in full (a file of another version would load as defaults, and saving
// the edit would replace what it held). 0, -1 when it cannot be opened, -2 otherwise.
int ReadDefinitionFile(const std::string& path, PW2Output& definition)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return -1;
    unsigned char word[4] = {};
    const std::size_t got = std::fread(word, 1, sizeof word, file);
    std::fclose(file);
    const int32_t version = static_cast<int32_t>(static_cast<uint32_t>(word[0]) | static_cast<uint32_t>(word[1]) << 8 |
                                                 static_cast<uint32_t>(word[2]) << 16 |
                                                 static_cast<uint32_t>(word[3]) << 24);
    if (got != sizeof word || version < PW2Output::kOldestVersion || version > PW2Output::kVersion)
        return -2;
    return definition.LoadFromFile(path);
}

// Wizard over the definition; then saved to `path` after Finish.
int EditAndSave(PW2Output& definition, const std::string& path, bool askName, const std::string& folder)
{
    definition.drawingWidth = kDefinitionDrawingSize;
    definition.drawingHeight = kDefinitionDrawingSize;
    if (definition.RunWizard() != ExportWizard::kFinished)
        return 1;
    std::string target = path;
    if (askName) {
        std::string name;
        if (!GetDefinitionNamePrompt().Ask(name))
            return 1;
        if (!IsDefinitionName(name)) {
            ShowMessage("Not a valid setting name: " + Quoted(name));
            return 1;
        }
        target = PathOf(folder, name);
    }
    if (definition.SaveToFile(target) != 0) {
        ShowMessage("Error Writing File " + Quoted(target));
        return -1;
    }
    return 0;
}

} // namespace

std::string DefaultDefinitionPath()
{
    return (std::filesystem::path(CKVDoc::DefaultParmsPath()).parent_path() / "Default.xpt").string();
}

bool IsDefinitionName(const std::string& name)
{
    return !name.empty() && name.find('/') == std::string::npos && name != "." && name != "..";
}

DefinitionNamePrompt& GetDefinitionNamePrompt()
{
    DefinitionNamePrompt* p = g_prompt.load();
    return p != nullptr ? *p : g_defaultPrompt;
}

DefinitionNamePrompt* SetDefinitionNamePrompt(DefinitionNamePrompt* prompt) { return g_prompt.exchange(prompt); }

int CreateDefinition(const std::string& folder, const std::string& defaultPath)
{
    PW2Output definition;
    PW2Output loaded;
    if (loaded.LoadFromFile(defaultPath) == 0)
        definition = loaded;
    return EditAndSave(definition, std::string(), true, folder);
}

int EditDefinition(const std::string& folder, const std::string& name)
{
    if (!IsDefinitionName(name))
        return 1;
    PW2Output definition;
    const std::string path = PathOf(folder, name);
    if (ReadDefinitionFile(path, definition) != 0) {
        ShowMessage("Unable to read file " + Quoted(name) + ".\nFile may be corrupted");
        return -1;
    }
    return EditAndSave(definition, path, false, folder);
}

int DeleteDefinition(const std::string& folder, const std::string& name)
{
    if (!IsDefinitionName(name) || !AskYesNo("Delete " + Quoted(name) + "?"))
        return 1;
    if (std::remove(PathOf(folder, name).c_str()) != 0) {
        ShowMessage("Can't delete " + Quoted(name));
        return -1;
    }
    return 0;
}

int RenameDefinition(const std::string& folder, const std::string& name)
{
    if (!IsDefinitionName(name))
        return 1;
    std::string to = name;
    if (!GetDefinitionNamePrompt().Ask(to) || to == name)
        return 1;
    if (!IsDefinitionName(to)) {
        ShowMessage("Not a valid setting name: " + Quoted(to));
        return 1;
    }
    // rename(2) replaces a file of the new name in one step.
    if (std::rename(PathOf(folder, name).c_str(), PathOf(folder, to).c_str()) != 0) {
        ShowMessage("Error renaming " + Quoted(name));
        return -1;
    }
    return 0;
}

int DuplicateDefinition(const std::string& folder, const std::string& name)
{
    if (!IsDefinitionName(name))
        return 1;
    std::error_code ec;
    // An existing copy is never overwritten.
    if (!std::filesystem::copy_file(PathOf(folder, name), PathOf(folder, "Copy of " + name),
                                    std::filesystem::copy_options::none, ec)) {
        ShowMessage("Error copying " + Quoted(name));
        return -1;
    }
    return 0;
}

int ExportWorldWithDefinition(const std::string& folder, const std::string& name, const AtlasSource& view)
{
    if (name.empty()) {
        ShowMessage("Select export settings before exporting");
        return 1;
    }
    if (!IsDefinitionName(name) || view.document == nullptr)
        return 1;
    PW2Output definition;
    if (ReadDefinitionFile(PathOf(folder, name), definition) != 0) {
        ShowMessage("Unable to read file " + Quoted(name) + ".\nFile may be corrupted");
        return -1;
    }
    const AppSettings& profile = GetAppSettings();
    SaveFileRequest request;
    request.title = "Save PW2 File";
    request.filter = "Plotwright 2 Files (*.fcw)|*.fcw||";
    request.defaultExtension = ".fcw";
    request.initialPath = profile.GetString("Settings", "PW2Export", std::string());
    std::string path;
    if (!GetExportDialogs().SaveFile(request, path) || path.empty())
        return 1;
    profile.WriteString("Settings", "PW2Export", path);
    ProjectionParms projection(view.projection);
    LightParms light(view.light);
    SurfaceSampler sampler(&projection, &view.document->GetWorld(), &light, view.shaderId);
    CFCWImage drawing(&sampler);
    if (drawing.WriteMap(path, view.document, definition, nullptr) < 0) {
        ShowMessage("Error writing file " + path);
        return -1;
    }
    return 0;
}

namespace {

const ServiceSlotRegistration kDefinitionNamePromptSlot("DefinitionNamePrompt", [] { return g_prompt.load() != nullptr; });

} // namespace

} // namespace kv
