// What the whole-world exports ask of the user: the Save As dialog, the picture
// parameters, the Special MDR width, the VRML, sphere-map/icosahedral and spin file dialogs.
// The program installs dialogs in windows; until then (batch runs, tests) every question
// is cancelled, so nothing is written unasked.
#pragma once

#include <cstdint>
#include <string>

namespace kv {

struct SpinSettings;

// A save-file dialog: the caller fills title, filter ("text|pattern|...||"), default
// extension, initial name and filter index (from 1); OK sets the path and the index.
struct SaveFileRequest {
    std::string title;
    std::string filter;
    std::string defaultExtension;
    std::string initialPath;
    int filterIndex = 1;
};

// The values of the sphere-map and icosahedral commands, kept between uses in a run.
struct WorldImageSettings {
    static constexpr int kMinWidth = 16;
    static constexpr int kMaxWidth = 16384;
    static constexpr int kBmpType = 1;
    static constexpr int kJpegType = 2;

    std::string path;
    int width = 1024;
    uint32_t background = 0xFFFFFF; // 0x00BBGGRR as the pixels take it
    int fileType = kBmpType;
    // The save dialog's filter and default extension; empty: the picture types (BMP,
    // JPEG). The Skyloom template export asks for its drawing here.
    std::string filter;
    std::string defaultExtension;
};

// The picture size and quality of a view picture (profile section "Info").
struct ImageSaveParms {
    int width = 0;
    int height = 0;
    int keepProportions = 0;
    int quality = 75;
    // The main view's map size, which "Keep Main Window Proportions" follows.
    int mainWidth = 0;
    int mainHeight = 0;
};

class ExportDialogs {
public:
    virtual ~ExportDialogs() = default;
    // The program's save dialog with an overwrite prompt; true on OK.
    virtual bool SaveFile(SaveFileRequest& request, std::string& path)
    {
        (void)request, (void)path;
        return false;
    }
    // The Image Save Parameters dialog; `withQuality` is the flag shown in it (1 for
    // JPEG and PNG). True on OK.
    virtual bool ImageSaveParameters(ImageSaveParms& parms, int withQuality)
    {
        (void)parms, (void)withQuality;
        return false;
    }
    // The Special MDR Export dialog under `caption`; true on OK.
    virtual bool SpecialMDRParameters(const std::string& caption, int& width, bool& sixteenBit)
    {
        (void)caption, (void)width, (void)sixteenBit;
        return false;
    }
    // The VRML save dialog with its texture width; true on OK.
    virtual bool VRMLFile(std::string& path, int& width)
    {
        (void)path, (void)width;
        return false;
    }
    // The sphere-map or icosahedral save dialog under `title`; true on OK.
    virtual bool WorldImageFile(const std::string& title, bool icosahedral, WorldImageSettings& settings)
    {
        (void)title, (void)icosahedral, (void)settings;
        return false;
    }
    // The spin sequence save dialog; true on OK.
    virtual bool SpinFile(SpinSettings& settings)
    {
        (void)settings;
        return false;
    }
};

// The dialogs in force (never null).
ExportDialogs& GetExportDialogs();
// Installs `dialogs` (null restores the default) and returns the previous ones, or null
// when the default was in force. The caller keeps them alive while installed.
ExportDialogs* SetExportDialogs(ExportDialogs* dialogs);

} // namespace kv
