#include "exchange/BinaryImport.h"

#include "base/MessageService.h"
#include "base/layers/CISurf.h"
#include "exchange/ExportCommon.h"
#include "exchange/RasterHeader.h"

namespace kv {

const char* const kUseInfoFileQuestion = "An info file was found along with the data file.\nUse it?";

namespace {

void CopyFileHeader(BinaryImportValues& v, const FileHeader& h)
{
    v.west = h.west;
    v.north = h.north;
    v.east = h.east;
    v.south = h.south;
    v.width = h.width;
    v.height = h.height;
    v.sampleType = h.bytesPerSample - 1;
    v.lineWidth = h.lineWidth;
    v.headerLength = h.headerLength;
    v.littleEndian = h.littleEndian != 0;
    v.isSigned = true;
    v.xStart = 0;
    v.yStart = 0;
}

bool ApplyCrvl(BinaryImportValues& v, const std::string& path)
{
    CrvlHeader h;
    if (!ReadCrvlFile(path, h))
        return false;
    v.west = h.west;
    v.east = h.east;
    v.north = h.north;
    v.south = h.south;
    v.sampleType = h.IsSigned16() ? BinaryImportValues::kTwoByte : BinaryImportValues::kFloat;
    v.width = h.width;
    v.height = h.height;
    v.lineWidth = h.width * h.BytesPerSample();
    v.headerLength = kCrvlHeaderSize;
    v.isSigned = true;
    v.littleEndian = true;
    v.xStart = 0;
    v.yStart = 0;
    return true;
}

bool ApplyHeaderFile(BinaryImportValues& v, const std::string& path)
{
    RasterHeader h;
    int keys = h.Read(HeaderFileName(path, ".HDR"));
    if (keys < 0) {
        h = RasterHeader();
        keys = h.Read(HeaderFileName(path, ".hdr"));
    }
    if (keys <= 0 || h.rows <= 0 || h.columns <= 0 || !AskYesNo(kUseInfoFileQuestion))
        return false;
    switch (h.bits) {
    case 8: v.sampleType = BinaryImportValues::kOneByte; break;
    case 16: v.sampleType = BinaryImportValues::kTwoByte; break;
    case 32: v.sampleType = BinaryImportValues::kFourByte; break;
    default: break;
    }
    v.lineWidth = h.totalRowBytes;
    v.west = h.upperLeftX;
    v.north = h.upperLeftY;
    v.width = h.columns;
    v.height = h.rows;
    v.east = v.west + static_cast<double>(h.columns) * h.xSize;
    v.south = v.north - static_cast<double>(h.rows) * h.ySize;
    v.isSigned = true;
    v.littleEndian = h.littleEndian != 0;
    v.headerLength = 0;
    v.xStart = 0;
    v.yStart = 0;
    v.noData = static_cast<float>(h.noData);
    v.replace = true;
    v.newValue = 0.0f;
    return true;
}

} // namespace

std::string HeaderFileName(const std::string& dataPath, const std::string& extension)
{
    return CutExtension(dataPath) + extension;
}

ImportFileKind ApplyChosenFile(BinaryImportValues& values, const std::string& path)
{
    values.fileName = path;
    DTEFile dte;
    if (dte.Read(path)) {
        CopyFileHeader(values, dte);
        return ImportFileKind::kDTE;
    }
    BMPFile bmp;
    if (bmp.Read(path)) {
        CopyFileHeader(values, bmp);
        return ImportFileKind::kBMP;
    }
    if (ApplyCrvl(values, path))
        return ImportFileKind::kCRVL;
    if (ApplyHeaderFile(values, path))
        return ImportFileKind::kHeaderFile;
    return ImportFileKind::kNone;
}

BinaryImportValues ValuesFromSurface(const CISurf& s)
{
    BinaryImportValues v;
    v.fileName = s.GetFileName();
    switch (s.GetSampleType()) {
    case CISurf::kFloat32: v.sampleType = BinaryImportValues::kFloat; break;
    case CISurf::kSigned:
    case CISurf::kUnsigned:
        v.sampleType = s.GetSampleSize() == 1   ? BinaryImportValues::kOneByte
                       : s.GetSampleSize() == 2 ? BinaryImportValues::kTwoByte
                                                : BinaryImportValues::kFourByte;
        break;
    default: v.sampleType = BinaryImportValues::kNone; break;
    }
    v.isSigned = s.GetSampleType() != CISurf::kUnsigned;
    v.littleEndian = !s.GetBigEndian();
    v.lineWidth = s.GetRowStride();
    v.headerLength = s.GetHeaderOffset();
    v.wrap = s.GetWrapColumns();
    const RasterWindow w = s.GetRasterWindow();
    v.xStart = w.x;
    v.yStart = w.y;
    v.width = w.width;
    v.height = w.height;
    const GeoBounds b = s.GetBounds();
    v.north = b.north;
    v.west = b.west;
    v.east = b.east;
    v.south = b.south;
    v.noData = s.GetNoDataValue();
    v.replace = s.GetNoDataCheck();
    v.newValue = s.GetNoDataResult();
    return v;
}

void ValuesToSurface(const BinaryImportValues& v, CISurf& s)
{
    s.SetFileName(v.fileName);
    if (v.sampleType == BinaryImportValues::kFloat) {
        s.SetSampleType(CISurf::kFloat32);
        s.SetSampleSize(4);
    } else if (v.sampleType >= BinaryImportValues::kOneByte && v.sampleType <= BinaryImportValues::kFourByte) {
        s.SetSampleType(v.isSigned ? CISurf::kSigned : CISurf::kUnsigned);
        s.SetSampleSize(1 << v.sampleType);
    }
    s.SetBigEndian(!v.littleEndian);
    s.SetRowStride(v.lineWidth);
    s.SetHeaderOffset(v.headerLength);
    s.SetWrapColumns(v.wrap);
    s.SetRasterWindow(RasterWindow{v.xStart, v.yStart, v.width, v.height});
    GeoBounds b;
    b.west = v.west;
    b.east = v.east;
    b.north = v.north;
    b.south = v.south;
    s.SetBounds(b);
    s.SetNoData(v.replace, v.noData, v.newValue);
}

} // namespace kv
