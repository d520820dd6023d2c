#include "gui/app/BatchRun.h"

#include "base/AppFolders.h"
#include "base/AppSettings.h"
#include "base/MessageService.h"
#include "base/Progress.h"
#include "base/noise/CSourceDatabase.h"
#include "document/CKVDoc.h"
#include "document/ColorLinks.h"
#include "document/DocumentContext.h"
#include "document/DocumentServices.h"
#include "gui/app/CmdLineInfo.h"
#include "gui/app/Preferences.h"
#include "gui/app/ProfileSettings.h"
#include "projection/ProjectionRegistry.h"
#include "shading/ShaderIds.h"
#include "shading/ShaderRegistry.h"
#include "view/CKVView.h"
#include "view/CRawImage.h"
#include "view/DocumentAdapter.h"
#include "world/SurfMapParms.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

namespace kv {

namespace {

constexpr const char* kSettings = "Settings";
constexpr int kBatchClientWidth = 64;
constexpr int kBatchClientHeight = 32;

std::string SaveFailure(const std::string& path, int code, int error)
{
    const size_t dot = path.rfind('.');
    const size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "Unable to save \"" + path + "\": the file name has no extension (use .bmp, .jpg, .png or .mdr)";
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext != "bmp" && ext != "jpg" && ext != "jpeg" && ext != "png" && ext != "mdr")
        return "Unable to save \"" + path + "\": unknown image type \"." + ext + "\" (use .bmp, .jpg, .png or .mdr)";
    if (error != 0)
        return "Unable to save \"" + path + "\": " + std::strerror(error);
    return "Unable to save \"" + path + "\" (error " + std::to_string(code) + ")";
}

void Save(CRawImage& image, const std::string& path, BatchReport& report)
{
    // The writers fail on the file system's calls (creating, writing or renaming the
    // file), which leave the reason in errno.
    errno = 0;
    const int r = image.SaveByExtension(path, false);
    const int error = errno;
    if (r != 0)
        report.failures.push_back(SaveFailure(path, r, error));
}

// The document of the batch run is the active one.
class BatchContext : public DocumentContext {
public:
    explicit BatchContext(CKVDoc& doc) : m_doc(doc) {}
    CKVDoc* GetActiveDoc() override { return &m_doc; }

private:
    CKVDoc& m_doc;
};

bool IsReadableFile(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec) && std::ifstream(path).good();
}

} // namespace

BatchReport RenderBatchOutputs(const CCmdLineInfo& info, CKVDoc& document, CKVView& view)
{
    BatchReport report;
    const ProgressHooks previous = SetProgressHooks(SilentProgressHooks());
    CRawImage image;
    if (document.RenderWorldImage(info.imageWidth, image) != 0) {
        report.failures.push_back("Unable to render the world at width " + std::to_string(info.imageWidth));
    } else {
        if (!info.mdrPath.empty())
            Save(image, info.mdrPath, report);
        if (!info.imagePath.empty())
            Save(image, info.imagePath, report);
    }
    const struct {
        const std::string& path;
        int shader;
    } recoloured[] = {{info.bumpPath, kShaderBumpMap}, {info.normalPath, kShaderNormalMap}};
    for (const auto& r : recoloured) {
        if (r.path.empty())
            continue;
        view.SetShader(r.shader);
        view.RestartRender();
        view.PrepareRender();
        SurfaceSampler* sampler = view.GetSampler();
        if (!sampler || !image.Geo().altitude) {
            report.failures.push_back("Unable to render \"" + r.path + "\": no rendered world to shade");
            continue;
        }
        image.SetSampler(sampler);
        if (image.ColorFromGeo(true) != 0) {
            report.failures.push_back("Unable to shade \"" + r.path + "\"");
            continue;
        }
        image.CopyEdgePixels();
        Save(image, r.path, report);
    }
    image.Free();
    SetProgressHooks(previous);
    return report;
}

int RunBatch(const CCmdLineInfo& info, const AppSettings* givenProfile)
{
    std::unique_ptr<ProfileSettings> own;
    const AppSettings* profile = givenProfile;
    if (!profile) {
        own = std::make_unique<ProfileSettings>();
        profile = own.get();
    }
    const AppSettings* previousSettings = SetAppSettings(profile);
    auto sync = [&] {
        if (own)
            own->Sync();
    };

    // Preferences, then the clean-exit marker (an unclean last exit restores no layout).
    Preferences prefs;
    prefs.Read(*profile);
    if (profile->GetInt(kSettings, "Running", 0) != 0)
        prefs.DT = 1;
    profile->WriteInt(kSettings, "Running", 1);
    sync();
    if (info.parameterDefault)
        prefs.DT = 1;

    int result = 0;
    for (const std::string& e : info.errors) {
        ShowMessage(e);
        result = 2;
    }
    for (const std::string& o : info.ignored)
        ShowMessage("Ignored the unknown option \"" + o + "\"");

    SurfMap parameterWorld;
    if (result == 0 && info.hasParms) {
        ParmsReading reading;
        ParseTempRainParam(parameterWorld, info.parms, &reading);
        if (reading.numbers == 0) {
            ShowMessage("Invalid world parameters \"" + info.parms + "\": no number in them");
            result = 2;
        } else {
            for (const std::string& u : reading.unread)
                ShowMessage("World parameters \"" + info.parms + "\": " + u);
            SetParameterWorld(&parameterWorld);
        }
    }

    const std::string install = GetInstallDir(*profile);
    if (result == 0 && GetSourceDatabase().LoadSources(install + "plugins") <= 0) {
        ShowMessage("Unable to locate any data source DLLs; unable to continue");
        result = 1;
    }
    if (result == 0) {
        ProjectionRegistry::Get().LoadAtStartup(profile->GetString(kSettings, "MapMgrDir", std::string()),
                                                [](const std::string& text) { ShowMessage(text); });

        // The world: the first file named, reopened from the recent files, or new.
        std::string path = info.files.empty() ? std::string() : info.files.front();
        if (path.empty() && !info.hasParms && prefs.RF) {
            const std::string recent = profile->GetString("Recent File List", "File1", std::string());
            if (!recent.empty() && IsReadableFile(recent))
                path = recent;
        }
        CKVDoc::SetFirstDocument(true);
        auto doc = std::make_unique<CKVDoc>();
        BatchContext context(*doc);
        DocumentContext* previousContext = SetDocumentContext(&context);
        {
            DocumentAdapter adapter(*doc);
            CKVView view(adapter);
            view.SetBatch(true);
            // The hidden window of a batch run still has a size: the view prepares its
            // sampler only for one (the images render through their own projection).
            view.SetClientSize(kBatchClientWidth, kBatchClientHeight);
            view.InstallHooks();
            // A world named but not there is an error here: the render would show some
            // other world (the window, by contrast, starts a new world under that name).
            // Opening reports why it failed.
            bool opened = true;
            if (!path.empty()) {
                opened = doc->OnOpenDocument(path);
                if (opened)
                    doc->SetPathName(path);
            } else {
                doc->OnNewDocument();
            }
            if (!opened) {
                result = 1;
            } else {
                ViewStartup startup;
                startup.colorFile = info.colorFile;
                startup.colorType = info.colorType;
                startup.readDefaults = prefs.RS != 0;
                startup.batch = true;
                const std::string lightingError = view.OnInitialUpdate(startup);
                if (!lightingError.empty()) {
                    ShowMessage(lightingError);
                    result = 1;
                } else {
                    const BatchReport report = RenderBatchOutputs(info, *doc, view);
                    for (const std::string& f : report.failures)
                        ShowMessage(f);
                    if (!report.Succeeded())
                        result = 1;
                    UpdateActiveDocViews(nullptr, kHintDocumentLoaded, nullptr);
                }
            }
            // A failed run leaves the user's settings files as they were.
            view.SetWritesDefaultLighting(result == 0);
            doc->SetWritesDefaultParms(result == 0);
        }
        doc.reset(); // writes "Default.srf" (the view wrote "Default.lgt")
        SetDocumentContext(previousContext);
        SetParameterWorld(nullptr);
    }

    // Exit, in order: no world outlives its plug-in.
    ShaderRegistry::Destroy();
    ProjectionRegistry::Destroy();
    GetSourceDatabase().UnloadAll();
    ColorLinks::DestroyInstance();
    profile->WriteInt(kSettings, "Running", 0);
    sync();
    SetAppSettings(previousSettings);
    return result;
}

} // namespace kv
