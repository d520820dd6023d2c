// The document's Save As command ("Save Current View As File"): the world document, the
// current view as a BMP, JPEG or PNG picture or an MDR raster, or the whole world as a
// Special MDR file or a raw raster, by the type chosen in the dialog.
#pragma once

#include <functional>
#include <string>

namespace kv {

class CKVDoc;

struct SaveAsType {
    const char* filterText;
    const char* pattern;
};

constexpr int kSaveAsTypeCount = 7;
// Types 1..7 in the order of the dialog's filter (index 0 is type 1).
extern const SaveAsType kSaveAsTypes[kSaveAsTypeCount];

// The values the Special MDR and raw types keep between uses in a run.
struct SpecialMDRSettings {
    static constexpr int kMaxWidth = 1000000;
    int width = 8192;
    bool sixteenBit = false;
};
SpecialMDRSettings& SpecialMDRMemory();

// "Kelvane Files (*.kvw)|*.kvw|...|Raw Binary File (*.raw)|*.raw||".
std::string SaveAsFilter();

// The dialog's start for the last path saved: the default extension is the path's own
// (from the last "." of its file name), else ".kvw"; the filter index is the first type
// whose pattern is "*" + that extension, else 1.
struct SaveAsStart {
    std::string defaultExtension;
    int filterIndex = 1;
};
SaveAsStart SaveAsStartFor(const std::string& lastPath);

// The type a chosen name is saved as: the extension of a known type decides ("x.png" is a
// PNG whatever the filter; ".mdr" keeps the filter's MDR kind, else the view raster), a name
// without an extension takes the filter's and is given its extension in `path`, and any
// other extension keeps the filter's type.
int SaveAsTypeFor(std::string& path, int filterIndex);

// The whole command on `doc`: the dialog, the profile value Settings\Save (written before
// anything is saved) and the writer of the chosen type. The world document itself (type 1)
// is saved through `saveDocument` (the program's document save, which also keeps the
// recent files), else through the document's own save.
void SaveWorldAs(CKVDoc& doc, const std::function<bool(const std::string&)>& saveDocument = {});

} // namespace kv
