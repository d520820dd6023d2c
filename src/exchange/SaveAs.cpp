#include "exchange/SaveAs.h"

#include "base/AppSettings.h"
#include "base/MessageService.h"
#include "base/ViewHooks.h"
#include "document/CKVDoc.h"
#include "exchange/ExportCommon.h"
#include "exchange/ExportDialogs.h"
#include "exchange/SpecialMDR.h"
#include "exchange/ViewPicture.h"

#include <cctype>

namespace kv {

const SaveAsType kSaveAsTypes[kSaveAsTypeCount] = {
    {"Kelvane Files (*.kvw)", "*.kvw"},
    {"BMP Picture Files (*.bmp)", "*.bmp"},
    {"JPEG Picture Files (*.jpg)", "*.jpg"},
    {"PNG Files (*.png)", "*.png"},
    {"Corvel MDR Files (*.mdr)", "*.mdr"},
    {"Special MDR File (*.mdr)", "*.mdr"},
    {"Raw Binary File (*.raw)", "*.raw"},
};

namespace {

enum SaveAsTypeNumber : int {
    kDocumentType = 1,
    kBmpType = 2,
    kJpegType = 3,
    kPngType = 4,
    kMdrType = 5,
    kSpecialMDRType = 6,
    kRawType = 7,
};

} // namespace

SpecialMDRSettings& SpecialMDRMemory()
{
    static SpecialMDRSettings memory;
    return memory;
}

std::string SaveAsFilter()
{
    std::string filter;
    for (const SaveAsType& t : kSaveAsTypes)
        filter += std::string(t.filterText) + "|" + t.pattern + "|";
    return filter + "|";
}

SaveAsStart SaveAsStartFor(const std::string& lastPath)
{
    SaveAsStart start;
    start.defaultExtension = PathExtension(lastPath);
    if (start.defaultExtension.empty())
        start.defaultExtension = ".kvw";
    for (int i = 0; i < kSaveAsTypeCount; ++i)
        if ("*" + start.defaultExtension == kSaveAsTypes[i].pattern) {
            start.filterIndex = i + 1;
            break;
        }
    return start;
}

int SaveAsTypeFor(std::string& path, int filterIndex)
{
    std::string ext = PathExtension(path);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const bool known = filterIndex >= 1 && filterIndex <= kSaveAsTypeCount;
    if (ext.empty() || ext == ".") {
        if (known) {
            if (!ext.empty())
                path.pop_back();
            path += std::string(kSaveAsTypes[filterIndex - 1].pattern).substr(1);
        }
        return filterIndex;
    }
    if (ext == ".mdr")
        return filterIndex == kSpecialMDRType ? kSpecialMDRType : kMdrType;
    if (ext == ".jpeg")
        return kJpegType;
    for (int i = 0; i < kSaveAsTypeCount; ++i)
        if ("*" + ext == kSaveAsTypes[i].pattern)
            return i + 1;
    return filterIndex;
}

void SaveWorldAs(CKVDoc& doc, const std::function<bool(const std::string&)>& saveDocument)
{
    const std::string lastPath = GetAppSettings().GetString("Settings", "Save", std::string());
    const SaveAsStart start = SaveAsStartFor(lastPath);
    SaveFileRequest request;
    request.title = "Save Current View As File";
    request.filter = SaveAsFilter();
    request.defaultExtension = start.defaultExtension;
    request.initialPath = lastPath;
    request.filterIndex = start.filterIndex;
    ViewBusyScope busy;
    std::string path;
    if (!GetExportDialogs().SaveFile(request, path))
        return;
    const int type = SaveAsTypeFor(path, request.filterIndex);
    GetAppSettings().WriteString("Settings", "Save", path);
    switch (type) {
    case kDocumentType:
        if (saveDocument)
            saveDocument(path);
        else
            doc.OnSaveDocument(path);
        break;
    case kBmpType:
    case kJpegType:
    case kPngType:
    case kMdrType:
        SaveViewPicture(doc, path, type - kBmpType);
        break;
    case kSpecialMDRType:
    case kRawType: {
        SpecialMDRSettings& memory = SpecialMDRMemory();
        int width = memory.width;
        bool sixteenBit = memory.sixteenBit;
        const bool withHeader = type == kSpecialMDRType;
        if (!GetExportDialogs().SpecialMDRParameters(withHeader ? "Special MDR Export" : "Raw File Export", width,
                                                      sixteenBit))
            break;
        memory.width = width;
        memory.sixteenBit = sixteenBit;
        WriteSpecialMDR(path, width, sixteenBit, withHeader);
        break;
    }
    default:
        ShowMessage("Don't know how to save that sort of file");
        break;
    }
}

} // namespace kv
