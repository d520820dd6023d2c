// The export dialogs in windows, installed by the program at start-up.
#pragma once

#include "exchange/ExportDialogs.h"

namespace kv {

class WindowExportDialogs : public ExportDialogs {
public:
    bool SaveFile(SaveFileRequest& request, std::string& path) override;
    // The Image Save Parameters window (the command dialogs' one), with the main window's size.
    bool ImageSaveParameters(ImageSaveParms& parms, int withQuality) override;
    bool SpecialMDRParameters(const std::string& caption, int& width, bool& sixteenBit) override;
    bool VRMLFile(std::string& path, int& width) override;
    bool WorldImageFile(const std::string& title, bool icosahedral, WorldImageSettings& settings) override;
    bool SpinFile(SpinSettings& settings) override;
};

// Installs the window dialogs (SetExportDialogs(nullptr) puts the default back).
void InstallExportDialogs();

} // namespace kv
