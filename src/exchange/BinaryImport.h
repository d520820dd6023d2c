// The values of the Binary Data dialog and what its file button does with a chosen file:
// recognise it as a DTE file, an 8-bit bitmap, a CRVL raster or a raw file with a text
// header beside it (".HDR", then ".hdr"), in that order, and fill the values in.
#pragma once

#include "exchange/FileHeader.h"

#include <cstdint>
#include <string>

namespace kv {

class CISurf;

// One member per control of the dialog, with the values of a new dialog.
struct BinaryImportValues {
    // Items of the sample type list.
    enum SampleType : int { kNone = -1, kOneByte = 0, kTwoByte = 1, kFourByte = 2, kFloat = 3 };
    static constexpr int32_t kMinLineWidth = 1;
    static constexpr int32_t kMaxLineWidth = 1048576;

    std::string fileName;
    int sampleType = kNone;
    bool littleEndian = false;
    bool isSigned = false;
    int32_t lineWidth = 0;
    int32_t headerLength = 0;
    bool wrap = false;
    int32_t xStart = 0;
    int32_t yStart = 0;
    int32_t width = 0;
    int32_t height = 0;
    double north = 0.0;
    double west = 0.0;
    double east = 0.0;
    double south = 0.0;
    float noData = 0.0f;
    bool replace = false;
    float newValue = 0.0f;
};

// Which test recognised a chosen file.
enum class ImportFileKind : int { kNone = 0, kDTE, kBMP, kCRVL, kHeaderFile };

// The question asked before a header file's values are taken.
extern const char* const kUseInfoFileQuestion;

// Steps 2 to 7 of the file button for a chosen `path`: stores the path as the file name
// and fills the values from the first test that recognises the file. A header file is
// used only when it gives rows and columns above 0 and the user answers Yes (through the
// message service). Without a recognised file the values stay as they were.
ImportFileKind ApplyChosenFile(BinaryImportValues& values, const std::string& path);

// The name of the header file beside a data file: the path cut at the last "." of its file
// name (unless that is the name's first character) and `extension` appended.
std::string HeaderFileName(const std::string& dataPath, const std::string& extension);

// The values of an imported surface, and the surface from values (the new-world wizard).
BinaryImportValues ValuesFromSurface(const CISurf& surface);
void ValuesToSurface(const BinaryImportValues& values, CISurf& surface);

} // namespace kv
